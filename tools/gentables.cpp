// Generates the three table files from the code page 932 mapping
// (tools/cp932.txt):
//   gentables tools/cp932.txt data/
// writes "MS932~EUC-JP.bin", "MS932~UTF-8.bin" and "MS932~Shift_JIS.bin".
//
// Repertoire and order: 0x20-0x7E, then 0xA1-0xDF (records 1-158), then every
// double-byte character of the mapping outside the user-defined area
// 0xF040-0xF9FC in ascending code order (records 159-7882).
//
// Published mappings of code page 932 disagree on a few code points. The
// tables follow Microsoft's code page 932 for all of them; the generator
// refuses a mapping that says otherwise.
//
//   code     Microsoft (used)        elsewhere
//   0x815F   U+FF3C FULLWIDTH \      U+005C REVERSE SOLIDUS (JIS X 0208 mappings)
//   0x8160   U+FF5E FULLWIDTH ~      U+301C WAVE DASH
//   0x8161   U+2225 PARALLEL TO      U+2016 DOUBLE VERTICAL LINE
//   0x817C   U+FF0D FULLWIDTH -      U+2212 MINUS SIGN
//   0x8191   U+FFE0 FULLWIDTH CENT   U+00A2 CENT SIGN
//   0x8192   U+FFE1 FULLWIDTH POUND  U+00A3 POUND SIGN
//   0x81CA   U+FFE2 FULLWIDTH NOT    U+00AC NOT SIGN
//   0xED40-0xEEFC (NEC-selected IBM extensions) and 0xFA40-0xFC4B (IBM
//   extensions) decode to the same characters, as do the NEC row 13 symbols
//   and their JIS X 0208 twins; encoders differ on which duplicate they
//   produce. Microsoft (used): JIS X 0208 first, then NEC row 13, then the
//   IBM extensions, never the NEC-selected ones. Python's cp932 codec
//   prefers the NEC-selected codes instead.
//
// Targets:
//   UTF-8      the character's Unicode value in UTF-8 (at most 3 bytes).
//   Shift_JIS  the bytes Microsoft's encoder gives for the character.
//   EUC-JP     as Microsoft's EUC-JP (code page 51932): a double-byte
//              character takes the JIS row and cell of its lowest duplicate,
//              so NEC row 13 lands in 0xADxx, the NEC-selected IBM
//              extensions in rows 89-92 (0xF9A1-0xFCFE) and each IBM
//              extension on its twin; half-width katakana are 0x8E and the
//              byte; ASCII is the byte.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

using Mapping = std::map<unsigned, std::uint32_t>;  // code page 932 code -> Unicode

struct Contested {
  unsigned code;
  std::uint32_t microsoft;
};

constexpr Contested kContested[] = {
    {0x815F, 0xFF3C}, {0x8160, 0xFF5E}, {0x8161, 0x2225}, {0x817C, 0xFF0D}, {0x8191, 0xFFE0},
    {0x8192, 0xFFE1}, {0x81CA, 0xFFE2}, {0xED40, 0x7E8A}, {0xFA5C, 0x7E8A}, {0x8754, 0x2160},
    {0xFA4A, 0x2160}, {0xEEF9, 0xFFE2}, {0xFA54, 0xFFE2}, {0x8790, 0x2252}, {0x81E0, 0x2252},
};

constexpr unsigned kRecords = 7882;
constexpr unsigned kSingleRecords = 158;

bool fail(const std::string& why) {
  std::fprintf(stderr, "gentables: %s\n", why.c_str());
  return false;
}

bool readMapping(const char* path, Mapping& mapping) {
  std::ifstream in(path);
  if (!in) return fail(std::string("cannot read ") + path);
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string code, unicode;
    fields >> code >> unicode;
    mapping[static_cast<unsigned>(std::stoul(code, nullptr, 16))] =
        static_cast<std::uint32_t>(std::stoul(unicode, nullptr, 16));
  }
  return true;
}

bool checkContested(const Mapping& mapping) {
  for (const Contested& c : kContested) {
    auto it = mapping.find(c.code);
    if (it == mapping.end() || it->second != c.microsoft) {
      char text[80];
      std::snprintf(text, sizeof text, "0x%04X does not map as in Microsoft's code page 932", c.code);
      return fail(text);
    }
  }
  return true;
}

bool isUserDefined(unsigned code) { return code >= 0xF040 && code <= 0xF9FC; }

std::vector<unsigned> repertoire(const Mapping& mapping) {
  std::vector<unsigned> codes;
  for (unsigned b = 0x20; b <= 0x7E; ++b) codes.push_back(b);
  for (unsigned b = 0xA1; b <= 0xDF; ++b) codes.push_back(b);
  for (const auto& [code, unicode] : mapping)
    if (code > 0xFF && !isUserDefined(code)) codes.push_back(code);
  return codes;
}

// Microsoft's preference among duplicates when encoding: lower ranks win.
int encoderRank(unsigned code) {
  const unsigned lead = code >> 8;
  if (lead == 0x87) return 1;                  // NEC row 13
  if (lead >= 0xFA) return 2;                  // IBM extensions
  if (lead == 0xED || lead == 0xEE) return 3;  // NEC-selected IBM extensions
  return 0;                                    // JIS X 0208
}

std::string utf8(std::uint32_t u) {
  std::string s;
  if (u < 0x80) {
    s += static_cast<char>(u);
  } else if (u < 0x800) {
    s += static_cast<char>(0xC0 | (u >> 6));
    s += static_cast<char>(0x80 | (u & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (u >> 12));
    s += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (u & 0x3F));
  }
  return s;
}

// JIS row and cell of a double-byte code, as an EUC-JP pair.
unsigned eucPair(unsigned code) {
  const unsigned lead = code >> 8;
  const unsigned trail = code & 0xFF;
  unsigned row = (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) * 2 + 1;
  unsigned cell;
  if (trail >= 0x9F) {
    ++row;
    cell = trail - 0x9E;
  } else {
    cell = trail - 0x3F - (trail >= 0x80 ? 1 : 0);
  }
  return ((0xA0 + row) << 8) | (0xA0 + cell);
}

struct Tables {
  std::string euc, utf, sjis;
};

void appendRecord(std::string& table, unsigned code, const std::string& target, std::size_t targetSize) {
  table += static_cast<char>(code > 0xFF ? code >> 8 : code);
  table += static_cast<char>(code > 0xFF ? code & 0xFF : 0);
  std::string field = target;
  field.resize(targetSize, '\0');
  table += field;
}

std::string codeBytes(unsigned code) {
  std::string s;
  if (code > 0xFF) s += static_cast<char>(code >> 8);
  s += static_cast<char>(code & 0xFF);
  return s;
}

bool buildTables(const Mapping& mapping, Tables& out) {
  const std::vector<unsigned> codes = repertoire(mapping);
  if (codes.size() != kRecords) return fail("repertoire has " + std::to_string(codes.size()) + " characters");

  std::map<std::uint32_t, unsigned> lowest, preferred;  // Unicode -> code
  for (unsigned code : codes) {
    const std::uint32_t u = mapping.at(code);
    if (!lowest.count(u)) lowest[u] = code;
    auto it = preferred.find(u);
    if (it == preferred.end() || encoderRank(code) < encoderRank(it->second)) preferred[u] = code;
  }

  for (std::size_t n = 0; n < codes.size(); ++n) {
    const unsigned code = codes[n];
    const std::uint32_t u = mapping.at(code);
    if ((n < kSingleRecords) != (code <= 0xFF)) return fail("single-byte group out of place");
    if (u > 0xFFFF) return fail("character beyond the Basic Multilingual Plane");

    std::string euc;
    if (code < 0x80) {
      euc = codeBytes(code);
    } else if (code <= 0xFF) {
      euc = {static_cast<char>(0x8E), static_cast<char>(code)};  // single shift 2, then the byte
    } else {
      const unsigned twin = lowest.at(u);
      if ((twin >> 8) > 0xEF) return fail("no EUC-JP row for " + std::to_string(code));
      euc = codeBytes(eucPair(twin));
    }
    appendRecord(out.euc, code, euc, 2);
    appendRecord(out.utf, code, utf8(u), 3);
    appendRecord(out.sjis, code, codeBytes(preferred.at(u)), 2);
  }
  return true;
}

bool writeFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return out ? true : fail("cannot write " + path);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: gentables MAPPING OUTPUT-DIRECTORY\n");
    return 2;
  }
  Mapping mapping;
  Tables tables;
  if (!readMapping(argv[1], mapping) || !checkContested(mapping) || !buildTables(mapping, tables)) return 1;
  const std::string dir = std::string(argv[2]) + "/";
  const bool ok = writeFile(dir + "MS932~EUC-JP.bin", tables.euc) && writeFile(dir + "MS932~UTF-8.bin", tables.utf) &&
                  writeFile(dir + "MS932~Shift_JIS.bin", tables.sjis);
  return ok ? 0 : 1;
}
