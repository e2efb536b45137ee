#include "diagnostics.h"

#include <cstdio>
#include <cstdlib>
#include <initializer_list>

#include "text_file.h"
#include "usage_text.h"

namespace morvel {

namespace {

std::string joined(std::initializer_list<std::string_view> parts) {
  std::string line;
  bool first = true;
  for (std::string_view part : parts) {
    if (!first) line += ' ';
    line.append(part);
    first = false;
  }
  return line;
}

std::string decimal(std::int32_t n) { return std::to_string(n); }

std::string hex(std::int32_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<std::uint32_t>(n));
  return text;
}

void writeLine(const char* file, const std::string& line) { writeTextFile(file, line + '\n'); }

constexpr double kVersion = 1.08;

// "\xC5" is the half-width katakana NA, "\x87\x40" the circled digit one,
// "\x82\x50" the full-width digit one.
constexpr UsageLine kUsage[] = {
    {"morvel -c4                 ", "# Move the morvel window to Corner-4. "},
    {"morvel -e1                 ", "# 1: EUC-JP. 2: Shift_JIS. 3: UTF-8 "},
    {"morvel -e1 -k\xC5 -aN         ", "# \xC5 is subsituted with N. "},
    {"morvel -e1 -s\x87\x40 -g\x82\x50       ", "# \x87\x40 is subsituted with \x82\x50. "},
    {"morvel -e1 -s\x87\x40 -g\x82\x50 -d    ", "# Do not search a table. "},
    {"morvel -e1 -s\x87\x40 -g\x82\x50 -q    ", "# Do not produce the morvel window. "},
    {"morvel -e1 -s\x87\x40 -g\x82\x50 -w    ", "# -w shows which table morvel uses. "},
    {"morvel -e1 -t bars.txt     ", "# Edit MS932~EUC-JP.bin according to bars.txt "},
    {"morvel -e1 -u              ", "# Do not edit MS932~EUC-JP.bin "},
    {"morvel -e1 -u -a SJIS EUC  ", "# SJIS has the same time as EUC. "},
    {"morvel -e1 -u -y           ", "# Do not remove binary.tmp "},
    {"morvel -e2 -i              ", "# Skip control characters. "},
    {"morvel -f                  ", "# We can recognize morvel VCL from the title bar."},
    {"morvel -n                  ", "# A number appears at the beginning of each line. "},
    {"morvel -p                  ", "# PDF help "},
    {"morvel -V                  ", "# version "},
    {"morvel -VC                 ", "# version with comments "},
};

}  // namespace

void ReportError(std::string_view a) { writeLine(kErrorFile, joined({a})); }

void ReportError(std::string_view a, std::string_view b) { writeLine(kErrorFile, joined({a, b})); }

void ReportError(std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
  writeLine(kErrorFile, joined({a, b, c, d}));
}

void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b) {
  writeLine(kErrorFile, joined({a, decimal(n), b}));
}

void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c) {
  writeLine(kErrorFile, joined({a, decimal(n), b, c}));
}

void ReportErrorHex(std::string_view a, std::int32_t n) { writeLine(kErrorFile, joined({a, hex(n)})); }

void ReportMessage(std::string_view a, std::string_view b) {
  if (b.size() >= kMessageRoom) {
    writeTextFile(kMessagesFile, "");
    return;
  }
  writeLine(kMessagesFile, joined({a.substr(0, kMessageRoom - b.size()), b}));
}

void ReportMessageNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c) {
  writeLine(kMessagesFile, joined({a, decimal(n), b, c}));
}

std::string ReportCodePair(std::int32_t n, std::string_view a, std::int32_t m) {
  std::string line = joined({hex(n), a, hex(m)});
  writeLine(kInfoFile, line);
  return line;
}

std::string versionText(bool commented) { return usageText("Morvel VCL Version ", kVersion, kUsage, commented); }

void WriteVersionFile(bool commented) {
  writeTextFile(kVersionFile, versionText(commented));
  std::exit(1);
}

}  // namespace morvel
