#include "report_files.h"

#include <gtest/gtest.h>

#include <string>

#include "reporter.h"
#include "support/temp_dir.h"

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

TEST(Reporters, FilesKeepTheLatestLineOfEachKind) {
  TempDir dir;
  ReportFiles files;
  const std::string note = "is primarily accessible to Morvel.";
  files.error("first");
  files.error("editRecord() error: write error: t.bin");
  files.message(std::string(5000, 'p'), note);
  files.info("8753 \x81\xCB 93F9");  // the codes around a rightwards double arrow
  EXPECT_EQ(readBytes("error.txt"), "editRecord() error: write error: t.bin\r\n");
  EXPECT_EQ(readBytes("messages.txt"), std::string(kMessageRoom - note.size(), 'p') + " " + note + "\r\n");
  EXPECT_EQ(readBytes("info.txt"), "8753 \x81\xCB 93F9\r\n");
}

TEST(Reporters, ConsoleSendsErrorsToStandardError) {
  TempDir dir;
  ConsoleReports console;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  console.error("openClose[3]() error: MS932~EUC-JP.bin");
  console.message("t.bin", "is primarily accessible to fenra.");
  console.info("8753 \x81\xCB 93f9");
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "openClose[3]() error: MS932~EUC-JP.bin\n");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "t.bin is primarily accessible to fenra.\n8753 \x81\xCB 93f9\n");
  EXPECT_TRUE(std::filesystem::is_empty("."));
}
