#include "native_file.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

// The name テスト.txt in code page 932 (katakana te, su, to).
const std::string kJapaneseName = "\x83\x65\x83\x58\x83\x67.txt";

// The name as the system stores it.
fs::path systemName(const std::string& name) {
#ifdef _WIN32
  return fs::path(wideOf(name));
#else
  return fs::path(name);
#endif
}

}  // namespace

TEST(NativeFile, NamesAreCodePage932AndDescriptorsBinary) {
  TempDir dir;
  const int out = openForWriting(kJapaneseName);
  ASSERT_GE(out, 0);
  EXPECT_EQ(writeSome(out, "a\nb\r\n\x1a", 6), 6);
  EXPECT_TRUE(closeFile(out));
#ifdef _WIN32
  EXPECT_TRUE(fs::exists(fs::path(L"\u30C6\u30B9\u30C8.txt")));
  EXPECT_EQ(openForReading("\x81"), -1);  // a lone lead byte names nothing
#endif
  EXPECT_EQ(readBytes(systemName(kJapaneseName)), std::string("a\nb\r\n\x1a"));

  std::FILE* stream = openStream(kJapaneseName, "rb");
  ASSERT_NE(stream, nullptr);
  char bytes[8] = {};
  EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, stream), 6u);
  std::fclose(stream);

  // Opening for writing keeps the content.
  const int again = openForWriting(kJapaneseName);
  ASSERT_GE(again, 0);
  EXPECT_TRUE(closeFile(again));
  EXPECT_EQ(statusOf(kJapaneseName)->size, 6u);
  EXPECT_EQ(openForReading("no such file"), -1);
}

TEST(NativeFile, ReadAtLeavesNothingOutAndTruncateEmpties) {
  TempDir dir;
  writeBytes("data", "0123456789");
  const int fd = openForReading("data");
  ASSERT_GE(fd, 0);
  char bytes[16] = {};
  EXPECT_EQ(readAt(fd, bytes, 4, 3), 4);
  EXPECT_EQ(std::string(bytes, 4), "3456");
  EXPECT_EQ(readAt(fd, bytes, 16, 8), 2);
  EXPECT_EQ(readAt(fd, bytes, 16, 10), 0);
  ASSERT_TRUE(seekTo(fd, 5));
  EXPECT_EQ(currentOffset(fd), 5);
  EXPECT_EQ(readSome(fd, bytes, 16), 5);
  EXPECT_EQ(readSome(fd, bytes, 16), 0);
  EXPECT_TRUE(closeFile(fd));

  const int out = openForWriting("data");
  ASSERT_GE(out, 0);
  EXPECT_TRUE(truncateToEmpty(out));
  EXPECT_TRUE(closeFile(out));
  EXPECT_EQ(readBytes("data"), "");
}

TEST(NativeFile, StatusTellsFilesFromFoldersAndSeesEachRewrite) {
  TempDir dir;
  fs::create_directory("folder");
  EXPECT_EQ(statusOf("folder")->type, FileType::directory);
  EXPECT_FALSE(statusOf("missing").has_value());
  writeBytes("file", "abc");
  const FileStatus before = *statusOf("file");
  EXPECT_EQ(before.type, FileType::regular);
  EXPECT_EQ(before.size, 3u);
  EXPECT_NE(before.identity, statusOf("folder")->identity);
  fs::last_write_time("file", fs::last_write_time("file") - std::chrono::hours(1));
  const FileStatus after = *statusOf("file");
  EXPECT_EQ(after.modifiedSeconds, before.modifiedSeconds - 3600);
  EXPECT_GE(after.modifiedNanoseconds, 0);  // MinGW's last_write_time keeps whole seconds only
  EXPECT_LT(after.modifiedNanoseconds, 1000000000);

  const int fd = openForReading("file");
  ASSERT_GE(fd, 0);
  const FileStatus open = *statusOf(fd);
  EXPECT_EQ(open.size, 3u);
  EXPECT_EQ(open.identity, after.identity);
  EXPECT_EQ(open.volume, after.volume);
  EXPECT_EQ(open.modifiedSeconds, after.modifiedSeconds);
  EXPECT_TRUE(closeFile(fd));
}
