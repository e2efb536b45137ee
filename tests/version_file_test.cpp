#include "version_file.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "support/usage_texts.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;

namespace {}  // namespace

TEST(VersionFile, Plain) {
  TempDir dir;
  WriteVersionFile(false);
  EXPECT_EQ(readBytes("version.txt"), testing_support::morvelUsage(false, "\r\n"));
}

TEST(VersionFile, Commented) {
  TempDir dir;
  WriteVersionFile(true);
  const std::string text = readBytes("version.txt");
  const std::string versionLine = testing_support::morvelVersionLine() + "\r\n";
  EXPECT_EQ(text.substr(0, versionLine.size()), versionLine);
  EXPECT_NE(text.find("morvel -e1 -s\x87\x40 -g\x82\x50       # \x87\x40 is subsituted with \x82\x50. \r\n"),
            std::string::npos);
  EXPECT_NE(text.find("morvel -f                  # We can recognize morvel VCL from the title bar.\r\n"),
            std::string::npos);
  // Every usage line has its comment at byte 27.
  std::size_t lines = 0;
  for (std::size_t start = versionLine.size() + 2; start < text.size(); ++lines) {
    const std::size_t end = text.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(text.substr(start + 27, 2), "# ") << text.substr(start, end - start);
    start = end + 2;
  }
  EXPECT_EQ(lines, 17u);
}
