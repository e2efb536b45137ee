#include "working_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "support/temp_dir.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

std::string sample(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + 7) & 0xFF);
  return s;
}

}  // namespace

TEST(MoveToWorkFile, CopiesBytesExactlyAndDeletesTheSource) {
  TempDir dir;
  for (std::size_t size : {0u, 1u, 2559u, 2560u, 5120u, 5121u, 100000u}) {
    const std::string bytes = sample(size) + "\r\n\x1A\r";
    writeBytes("SJIS", bytes);
    ASSERT_EQ(MoveToWorkFile("SJIS", false), WorkCopy::copied) << size;
    EXPECT_EQ(readBytes("binary.tmp"), bytes) << size;
    EXPECT_FALSE(fs::exists("SJIS"));
  }
}

TEST(MoveToWorkFile, KeepsTheSourceWhenAsked) {
  TempDir dir;
  writeBytes("SJIS", "abc");
  ASSERT_EQ(MoveToWorkFile("SJIS", true), WorkCopy::copied);
  EXPECT_EQ(readBytes("SJIS"), "abc");
  EXPECT_EQ(readBytes("binary.tmp"), "abc");
}

TEST(MoveToWorkFile, MissingSourceLeavesAnEmptyWorkFile) {
  TempDir dir;
  writeBytes("binary.tmp", "old");
  EXPECT_EQ(MoveToWorkFile("absent", false), WorkCopy::failed);
  EXPECT_EQ(readBytes("binary.tmp"), "");
}

TEST(MoveToWorkFile, UncreatableWorkFileIsReported) {
  TempDir dir;
  writeBytes("SJIS", "abc");
  fs::create_directory("binary.tmp");
  testing::internal::CaptureStderr();
  EXPECT_EQ(MoveToWorkFile("SJIS", false), WorkCopy::workFileUnwritable);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "fopen() error-1: binary.tmp\n");
  EXPECT_EQ(readBytes("SJIS"), "abc");
}

TEST(CopyBackFromWorkFile, CopiesOverTheTarget) {
  TempDir dir;
  const std::string bytes = sample(5120);
  writeBytes("binary.tmp", bytes);
  writeBytes("VEL", "a much longer old content that must vanish entirely ....");
  ASSERT_TRUE(CopyBackFromWorkFile("VEL", true));
  EXPECT_EQ(readBytes("VEL"), bytes);
  EXPECT_EQ(readBytes("binary.tmp"), bytes);
  ASSERT_TRUE(CopyBackFromWorkFile("VEL", false));
  EXPECT_FALSE(fs::exists("binary.tmp"));
}

TEST(CopyBackFromWorkFile, UnwritableTargetFallsBackToMorvelTxt) {
  TempDir dir;
  writeBytes("binary.tmp", "converted");
  ASSERT_TRUE(CopyBackFromWorkFile("no/such/dir/out", true));
  EXPECT_EQ(readBytes("Morvel.txt"), "converted");
}

TEST(CopyBackFromWorkFile, MissingWorkFileLeavesTheTargetAlone) {
  TempDir dir;
  writeBytes("VEL", "keep me");
  EXPECT_FALSE(CopyBackFromWorkFile("VEL", true));
  EXPECT_EQ(readBytes("VEL"), "keep me");
  EXPECT_FALSE(fs::exists("Morvel.txt"));
}

TEST(CopyBackFromWorkFile, NoDestinationAtAllCopiesNothing) {
  TempDir dir;
  writeBytes("binary.tmp", "converted");
  fs::create_directory("Morvel.txt");
  EXPECT_FALSE(CopyBackFromWorkFile("no/such/dir/out", false));
  EXPECT_EQ(readBytes("binary.tmp"), "converted");
}

TEST(CopyBackFromWorkFile, FailedWriteKeepsTheWorkFile) {
  TempDir dir;
  writeBytes("binary.tmp", sample(10000));
  EXPECT_FALSE(CopyBackFromWorkFile("/dev/full", false));
  EXPECT_EQ(readBytes("binary.tmp"), sample(10000));
}

TEST(WorkingFiles, ConversionInPlaceRewritesTheInputUnderItsName) {
  TempDir dir;
  writeBytes("SJIS", "text\r\n");
  ASSERT_EQ(MoveToWorkFile("SJIS", false), WorkCopy::copied);
  ASSERT_TRUE(CopyBackFromWorkFile("SJIS", true));
  EXPECT_EQ(readBytes("SJIS"), "text\r\n");
}
