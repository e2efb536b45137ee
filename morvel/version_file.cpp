// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "version_file.h"

#include "report_files.h"
#include "text_file.h"
#include "usage_text.h"
#include "version.h"

#include "morvel_texts.h"

namespace morvel {

namespace {

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

std::string versionText(bool commented) {
  return usageText(std::string(kProductLabel) + " Version ", kMorvelVersion, kUsage, commented);
}

std::string versionLine() {
  const std::string text = versionText(false);
  return text.substr(0, text.find('\n') + 1);
}

void WriteVersionFile(bool commented) { writeReportFile(kVersionFile, versionText(commented)); }

}  // namespace morvel
