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
    ASSERT_EQ(MoveToWorkFile("SJIS", false), 0) << size;
    EXPECT_EQ(readBytes("binary.tmp"), bytes) << size;
    EXPECT_FALSE(fs::exists("SJIS"));
  }
}

TEST(MoveToWorkFile, KeepsTheSourceWhenAsked) {
  TempDir dir;
  writeBytes("SJIS", "abc");
  ASSERT_EQ(MoveToWorkFile("SJIS", true), 0);
  EXPECT_EQ(readBytes("SJIS"), "abc");
  EXPECT_EQ(readBytes("binary.tmp"), "abc");
}

TEST(MoveToWorkFile, MissingSourceLeavesAnEmptyWorkFile) {
  TempDir dir;
  writeBytes("binary.tmp", "old");
  EXPECT_EQ(MoveToWorkFile("absent", false), -2);
  EXPECT_EQ(readBytes("binary.tmp"), "");
}

TEST(MoveToWorkFileDeathTest, UncreatableWorkFileEndsTheProgram) {
  TempDir dir;
  writeBytes("SJIS", "abc");
  fs::create_directory("binary.tmp");
  EXPECT_EXIT(MoveToWorkFile("SJIS", false), testing::ExitedWithCode(1), "fopen\\(\\) error-1: binary.tmp");
  EXPECT_EQ(readBytes("SJIS"), "abc");
}

TEST(CopyBackFromWorkFile, CopiesOverTheTarget) {
  TempDir dir;
  const std::string bytes = sample(5120);
  writeBytes("binary.tmp", bytes);
  writeBytes("VEL", "a much longer old content that must vanish entirely ....");
  ASSERT_EQ(CopyBackFromWorkFile("VEL", true), 0);
  EXPECT_EQ(readBytes("VEL"), bytes);
  EXPECT_EQ(readBytes("binary.tmp"), bytes);
  ASSERT_EQ(CopyBackFromWorkFile("VEL", false), 0);
  EXPECT_FALSE(fs::exists("binary.tmp"));
}

TEST(CopyBackFromWorkFile, UnwritableTargetFallsBackToMorvelTxt) {
  TempDir dir;
  writeBytes("binary.tmp", "converted");
  ASSERT_EQ(CopyBackFromWorkFile("no/such/dir/out", true), 0);
  EXPECT_EQ(readBytes("Morvel.txt"), "converted");
}

TEST(CopyBackFromWorkFile, MissingWorkFileLeavesTheTargetAlone) {
  TempDir dir;
  writeBytes("VEL", "keep me");
  EXPECT_EQ(CopyBackFromWorkFile("VEL", true), -2);
  EXPECT_EQ(readBytes("VEL"), "keep me");
  EXPECT_FALSE(fs::exists("Morvel.txt"));
}

TEST(CopyBackFromWorkFile, NoDestinationAtAllCopiesNothing) {
  TempDir dir;
  writeBytes("binary.tmp", "converted");
  fs::create_directory("Morvel.txt");
  EXPECT_EQ(CopyBackFromWorkFile("no/such/dir/out", false), -2);
  EXPECT_EQ(readBytes("binary.tmp"), "converted");
}

TEST(CopyBackFromWorkFile, FailedWriteKeepsTheWorkFile) {
  TempDir dir;
  writeBytes("binary.tmp", sample(10000));
  EXPECT_EQ(CopyBackFromWorkFile("/dev/full", false), -2);
  EXPECT_EQ(readBytes("binary.tmp"), sample(10000));
}

TEST(WorkingFiles, ConversionInPlaceRewritesTheInputUnderItsName) {
  TempDir dir;
  writeBytes("SJIS", "text\r\n");
  ASSERT_EQ(MoveToWorkFile("SJIS", false), 0);
  ASSERT_EQ(CopyBackFromWorkFile("SJIS", true), 0);
  EXPECT_EQ(readBytes("SJIS"), "text\r\n");
}
