#include "report_files.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"
#include "version_file.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;

TEST(Diagnostics, ErrorWritersJoinPartsWithBlanks) {
  TempDir dir;
  ReportError("VEL should disappear. Please remove VEL from the current directory. ");
  EXPECT_EQ(readBytes("error.txt"), "VEL should disappear. Please remove VEL from the current directory. \r\n");
  ReportError("readingToProduceEUC() error:", "euc->setting(no_searching, &whichTable)");
  EXPECT_EQ(readBytes("error.txt"), "readingToProduceEUC() error: euc->setting(no_searching, &whichTable)\r\n");
  ReportError("MS932~EUC-JP.bin", "is needed.", "MS932~UTF-8.bin", "too.");
  EXPECT_EQ(readBytes("error.txt"), "MS932~EUC-JP.bin is needed. MS932~UTF-8.bin too.\r\n");
}

TEST(Diagnostics, EmptyPartStillGetsItsBlank) {
  TempDir dir;
  ReportError("text", "");
  EXPECT_EQ(readBytes("error.txt"), "text \r\n");
  ReportErrorNumber("openClose[", 3, "]() error-1: ", "");
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 3 ]() error-1:  \r\n");
}

TEST(Diagnostics, NumbersInDecimalAndHexadecimal) {
  TempDir dir;
  ReportErrorNumber("new char[] error-4:", 16 + 524288 + 2, "bytes");
  EXPECT_EQ(readBytes("error.txt"), "new char[] error-4: 524306 bytes\r\n");
  ReportErrorNumber("a", -4, "b");
  EXPECT_EQ(readBytes("error.txt"), "a -4 b\r\n");
  ReportErrorHex("new char[] error-7:", 255);
  EXPECT_EQ(readBytes("error.txt"), "new char[] error-7: FF\r\n");
  ReportErrorHex("x", 0);
  EXPECT_EQ(readBytes("error.txt"), "x 0\r\n");
}

TEST(Diagnostics, OnlyTheLatestLineStays) {
  TempDir dir;
  ReportError("first");
  ReportError("second");
  EXPECT_EQ(readBytes("error.txt"), "second\r\n");
}

TEST(Diagnostics, CodePairGoesToInfoAndIsReturned) {
  TempDir dir;
  EXPECT_EQ(ReportCodePair(255, "\x81\xCB", 10), "FF \x81\xCB A");  // rightwards double arrow
  EXPECT_EQ(readBytes("info.txt"), "FF \x81\xCB A\r\n");
  EXPECT_EQ(ReportCodePair(0x8753, "\x81\xCB", 0x8151), "8753 \x81\xCB 8151");
}

TEST(Diagnostics, MessagesAreCutToTheirRoom) {
  TempDir dir;
  ReportMessage("C:/tables/MS932~EUC-JP.bin", "is primarily accessible to Morvel.");
  EXPECT_EQ(readBytes("messages.txt"), "C:/tables/MS932~EUC-JP.bin is primarily accessible to Morvel.\r\n");

  const std::string path(5000, 'p');
  ReportMessage(path, "eleven byte");
  EXPECT_EQ(readBytes("messages.txt"), std::string(3700, 'p') + " eleven byte\r\n");

  ReportMessage("a", std::string(3710, 'n'));
  EXPECT_EQ(readBytes("messages.txt"), "a " + std::string(3710, 'n') + "\r\n");
  ReportMessage("a", std::string(3711, 'n'));
  EXPECT_EQ(readBytes("messages.txt"), "");
}

TEST(Diagnostics, MessageNumberLine) {
  TempDir dir;
  ReportMessageNumber("openClose[", 6, "]() error-2: ", "");
  EXPECT_EQ(readBytes("messages.txt"), "openClose[ 6 ]() error-2:  \r\n");
}

TEST(Diagnostics, UnwritableFileIsSkipped) {
  TempDir dir;
  std::filesystem::create_directory("error.txt");  // cannot be opened as a file
  ReportError("lost");
  EXPECT_TRUE(std::filesystem::is_directory("error.txt"));
}

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
