#include "support/usage_texts.h"

#include "version.h"

namespace testing_support {

namespace {

struct UsageRow {
  const char* usage;
  const char* comment;
};

// "\xC5" half-width NA, "\x87\x40" circled one, "\x82\x50" full-width one.
constexpr UsageRow kMorvelUsage[] = {
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

constexpr UsageRow kFenraUsage[] = {
    {"fenra -f bars.txt     ", "# Edit according to bars.txt "},
    {"fenra -k\xC5 -aN         ", "# \xC5 is subsituted with N. "},
    {"fenra -k\xC5 -aN file    ", "# \xC5 is subsituted with N to produce a binary file. "},
    {"fenra -s\x87\x40 -e\x82\x50       ", "# \x87\x40 is subsituted with \x82\x50 and represented in EUC-JP. "},
    {"fenra -s\x87\x40 -e\x82\x50 file  ", "# \x87\x40 is subsituted with \x82\x50 to produce a binary file. "},
    {"fenra -s\x87\x40 -e\x82\x50 -d    ", "# Do not search a table. "},
    {"fenra -s\x87\x40 -e\x82\x50 -q    ", "# Acquire a table name from setting.txt "},
    {"fenra -s\x87\x40 -e\x82\x50 -w    ", "# -w shows which table fenra uses. "},
    {"fenra -V              ", "# version "},
    {"fenra -VC             ", "# version with comments "},
};

// The version line, an empty line and the rows, each line ended by `lineEnd`.
template <std::size_t N>
std::string usageText(std::string_view versionLine, const UsageRow (&rows)[N], bool commented,
                      std::string_view lineEnd) {
  std::string text = std::string(versionLine);
  text += lineEnd;
  text += lineEnd;
  for (const UsageRow& row : rows) {
    text += row.usage;
    if (commented) text += row.comment;
    text += lineEnd;
  }
  return text;
}

}  // namespace

std::string morvelVersionLine() { return std::string("Morvel VCL Version ") + morvel::kMorvelVersion; }
std::string fenraVersionLine() { return std::string("fenra C++ Version ") + morvel::kFenraVersion; }

std::string morvelUsage(bool commented, std::string_view lineEnd) {
  return usageText(morvelVersionLine(), kMorvelUsage, commented, lineEnd);
}

std::string fenraUsage(bool commented) { return usageText(fenraVersionLine(), kFenraUsage, commented, "\n"); }

}  // namespace testing_support
