#include "version_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;

namespace {

// "\xC5" half-width NA, "\x87\x40" circled one, "\x82\x50" full-width one.
const char* const kPlain =
    "Morvel VCL Version 1.08\r\n"
    "\r\n"
    "morvel -c4                 \r\n"
    "morvel -e1                 \r\n"
    "morvel -e1 -k\xC5 -aN         \r\n"
    "morvel -e1 -s\x87\x40 -g\x82\x50       \r\n"
    "morvel -e1 -s\x87\x40 -g\x82\x50 -d    \r\n"
    "morvel -e1 -s\x87\x40 -g\x82\x50 -q    \r\n"
    "morvel -e1 -s\x87\x40 -g\x82\x50 -w    \r\n"
    "morvel -e1 -t bars.txt     \r\n"
    "morvel -e1 -u              \r\n"
    "morvel -e1 -u -a SJIS EUC  \r\n"
    "morvel -e1 -u -y           \r\n"
    "morvel -e2 -i              \r\n"
    "morvel -f                  \r\n"
    "morvel -n                  \r\n"
    "morvel -p                  \r\n"
    "morvel -V                  \r\n"
    "morvel -VC                 \r\n";

}  // namespace

TEST(VersionFile, Plain) {
  TempDir dir;
  WriteVersionFile(false);
  EXPECT_EQ(readBytes("version.txt"), kPlain);
}

TEST(VersionFile, Commented) {
  TempDir dir;
  WriteVersionFile(true);
  const std::string text = readBytes("version.txt");
  EXPECT_EQ(text.substr(0, 25), "Morvel VCL Version 1.08\r\n");
  EXPECT_NE(text.find("morvel -e1 -s\x87\x40 -g\x82\x50       # \x87\x40 is subsituted with \x82\x50. \r\n"),
            std::string::npos);
  EXPECT_NE(text.find("morvel -f                  # We can recognize morvel VCL from the title bar.\r\n"),
            std::string::npos);
  // Every usage line has its comment at byte 27.
  std::size_t lines = 0;
  for (std::size_t start = 25 + 2; start < text.size(); ++lines) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(text.substr(start + 27, 2), "# ") << text.substr(start, end - start);
    start = end + 2;
  }
  EXPECT_EQ(lines, 17u);
}
