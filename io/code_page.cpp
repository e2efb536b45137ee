#include "code_page.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "codes.h"

namespace morvel {

// The bytes of MS932~UTF-8.bin, built in (generated from data/).
extern const unsigned char kUtf8TableImage[];
extern const std::size_t kUtf8TableImageSize;

namespace {

constexpr std::size_t kRecordSize = 5;
constexpr std::size_t kSingleByteRecords = 158;
constexpr char32_t kNone = 0xFFFFFFFF;

bool isContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

// Where Windows ranks a code among the codes of one character.
int preferenceOf(std::int32_t code) {
  if (code >= 0x8740 && code <= 0x879C) return 1;  // NEC row 13
  if (code >= 0xFA40 && code <= 0xFC4B) return 2;  // IBM extensions
  if (code >= 0xED40 && code <= 0xEEFC) return 3;  // NEC-selected IBM extensions
  return 0;                                        // JIS X 0208 and the single bytes
}

// The table read both ways, once per process.
struct Tables {
  std::vector<char32_t> characterOf = std::vector<char32_t>(kSlotCount, kNone);
  std::vector<std::pair<char32_t, std::int32_t>> codeOf;  // by character

  Tables() {
    for (std::size_t at = 0; at + kRecordSize <= kUtf8TableImageSize; at += kRecordSize) {
      const unsigned char* record = kUtf8TableImage + at;
      const std::int32_t code = at / kRecordSize < kSingleByteRecords ? record[0] : pairCode(record[0], record[1]);
      const std::string_view target(reinterpret_cast<const char*>(record + 2), record[3] == 0   ? 1
                                                                               : record[4] == 0 ? 2
                                                                                                : 3);
      if (!hasSlot(code) || target[0] == '\0' || utf8SequenceAt(target) != target.size()) continue;
      const char32_t character = decodedUtf8(target);
      characterOf[static_cast<std::size_t>(code)] = character;
      codeOf.emplace_back(character, code);
    }
    std::sort(codeOf.begin(), codeOf.end(), [](const auto& a, const auto& b) {
      if (a.first != b.first) return a.first < b.first;
      return std::pair(preferenceOf(a.second), a.second) < std::pair(preferenceOf(b.second), b.second);
    });
    // The first of each run is Windows' choice.
    codeOf.erase(
        std::unique(codeOf.begin(), codeOf.end(), [](const auto& a, const auto& b) { return a.first == b.first; }),
        codeOf.end());
  }
};

const Tables& tables() {
  static const Tables built;
  return built;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

std::optional<char32_t> unicodeOfCode(std::int32_t code) {
  if (!hasSlot(code)) return std::nullopt;
  const char32_t character = tables().characterOf[static_cast<std::size_t>(code)];
  if (character == kNone) return std::nullopt;
  return character;
}

std::optional<std::int32_t> codeOfUnicode(char32_t character) {
  const auto& codeOf = tables().codeOf;
  const auto found = std::lower_bound(codeOf.begin(), codeOf.end(), character,
                                      [](const auto& entry, char32_t c) { return entry.first < c; });
  if (found == codeOf.end() || found->first != character) return std::nullopt;
  return found->second;
}

std::string bytesOfCode(std::int32_t code) {
  std::string bytes;
  if (code > 0xFF) bytes += static_cast<char>(code >> 8);
  bytes += static_cast<char>(code & 0xFF);
  return bytes;
}

std::optional<std::string> cp932OfUtf8(std::string_view utf8) {
  std::string sjis;
  sjis.reserve(utf8.size());
  while (!utf8.empty()) {
    const std::size_t length = utf8SequenceAt(utf8);
    if (length == 0) return std::nullopt;
    if (length == 1) {
      sjis += utf8[0];  // ASCII is itself
    } else {
      const std::optional<std::int32_t> code = codeOfUnicode(decodedUtf8(utf8.substr(0, length)));
      if (!code) return std::nullopt;
      sjis += bytesOfCode(*code);
    }
    utf8.remove_prefix(length);
  }
  return sjis;
}

std::string utf8OfCp932(std::string_view sjis, std::string_view missing) {
  std::string out;
  out.reserve(sjis.size() + sjis.size() / 2);
  const auto append = [&](std::int32_t code) {
    const std::optional<char32_t> character = unicodeOfCode(code);
    if (character) {
      appendUtf8(out, *character);
    } else {
      out += missing;
    }
  };
  for (std::size_t k = 0; k < sjis.size();) {
    const Cp932Character character = characterAt(sjis.substr(k));
    if (static_cast<unsigned char>(sjis[k]) < 0x80) {
      out += sjis[k];  // ASCII is itself
    } else {
      append(character.code);
    }
    k += character.length;
  }
  return out;
}

bool isKnownCp932(std::string_view sjis) {
  for (std::size_t k = 0; k < sjis.size();) {
    const Cp932Character character = characterAt(sjis.substr(k));
    if (static_cast<unsigned char>(sjis[k]) >= 0x80 && !unicodeOfCode(character.code)) return false;
    k += character.length;
  }
  return true;
}

std::size_t utf8SequenceAt(std::string_view text) {
  if (text.empty()) return 0;
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // the range of the second byte
  if (lead < 0x80) return 1;
  if (lead >= 0xC2 && lead <= 0xDF) length = 2;
  if (lead >= 0xE0 && lead <= 0xEF) length = 3;
  if (lead >= 0xF0 && lead <= 0xF4) length = 4;
  if (lead == 0xE0) low = 0xA0;
  if (lead == 0xED) high = 0x9F;
  if (lead == 0xF0) low = 0x90;
  if (lead == 0xF4) high = 0x8F;
  if (length == 0 || text.size() < length || byte(1) < low || byte(1) > high) return 0;
  for (std::size_t i = 2; i < length; ++i) {
    if (!isContinuation(byte(i))) return 0;
  }
  return length;
}

char32_t decodedUtf8(std::string_view sequence) {
  const auto byte = [&](std::size_t i) { return static_cast<char32_t>(static_cast<unsigned char>(sequence[i])); };
  switch (sequence.size()) {
    case 1:
      return byte(0);
    case 2:
      return ((byte(0) & 0x1F) << 6) | (byte(1) & 0x3F);
    case 3:
      return ((byte(0) & 0x0F) << 12) | ((byte(1) & 0x3F) << 6) | (byte(2) & 0x3F);
    default:
      return ((byte(0) & 0x07) << 18) | ((byte(1) & 0x3F) << 12) | ((byte(2) & 0x3F) << 6) | (byte(3) & 0x3F);
  }
}

bool isUtf8BeyondAscii(std::string_view text) {
  bool beyondAscii = false;
  while (!text.empty()) {
    const std::size_t length = utf8SequenceAt(text);
    if (length == 0) return false;
    beyondAscii = beyondAscii || length > 1;
    text.remove_prefix(length);
  }
  return beyondAscii;
}

}  // namespace morvel
