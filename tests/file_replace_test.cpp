#include "file_replace.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "binary_file.h"
#include "support/as_other_user.h"
#include "support/temp_dir.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

ContentWriter bytesOf(const std::string& text) {
  return [text](int fd) { return writeFully(fd, text.data(), text.size()); };
}

std::size_t entries(const fs::path& folder = ".") {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
}

}  // namespace

TEST(ReplaceFile, NewContentKeepsTheModeAndTheLinkAndLeavesNoTemporaryFile) {
  TempDir dir;
  writeBytes("table.bin", "old content, longer than the new");
  ::chmod("table.bin", 0640);
  fs::create_symlink("table.bin", "link.bin");
  ASSERT_EQ(replaceFile("link.bin", bytesOf("new")), Outcome::done);
  EXPECT_TRUE(fs::is_symlink("link.bin"));
  EXPECT_EQ(readBytes("table.bin"), "new");
  struct stat info {};
  ::stat("table.bin", &info);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(entries(), 2u);

  const std::string longName(255, 'n');  // the longest name a folder takes
  ASSERT_EQ(replaceFile(longName, bytesOf("fresh")), Outcome::done);
  EXPECT_EQ(readBytes(longName), "fresh");
}

TEST(ReplaceFile, FailuresLeaveTheTargetAsItWas) {
  TempDir dir;
  writeBytes("table.bin", "old");
  EXPECT_EQ(replaceFile("table.bin", [](int) { return false; }), Outcome::failed);
  EXPECT_EQ(readBytes("table.bin"), "old");
  EXPECT_EQ(entries(), 1u);
  EXPECT_EQ(replaceFile("no/such/folder/t.bin", bytesOf("x")), Outcome::fallback);
  fs::create_directory("folder.bin");
  EXPECT_EQ(replaceFile("folder.bin", bytesOf("x")), Outcome::fallback);
  EXPECT_EQ(replaceFile("/dev/null", bytesOf("x")), Outcome::done);  // written in place
}

TEST(ReplaceFile, AFileTheUserMayNotWriteIsNotReplaced) {
  TempDir dir;
  fs::permissions(".", fs::perms::all);  // the folder itself is writable for everyone
  writeBytes("table.bin", "old");
  ::chmod("table.bin", 0444);
  EXPECT_TRUE(
      testing_support::whereModesBind([] { return replaceFile("table.bin", bytesOf("new")) == Outcome::fallback; }));
  EXPECT_EQ(readBytes("table.bin"), "old");
}

TEST(ReplaceFile, AFolderWithoutRoomForATemporaryFileGetsTheTargetWrittenInPlace) {
  TempDir dir;
  fs::create_directory("shared");
  writeBytes("shared/table.bin", "old");
  ::chmod("shared/table.bin", 0666);
  ::chmod("shared", 0555);  // no new files here, but the table is writable
  fs::permissions(".", fs::perms::all);
  EXPECT_TRUE(
      testing_support::whereModesBind([] { return replaceFile("shared/table.bin", bytesOf("new")) == Outcome::done; }));
  EXPECT_EQ(readBytes("shared/table.bin"), "new");
  ::chmod("shared", 0755);
}

TEST(ReplaceFile, WritingInPlaceCanBeRefused) {
  TempDir dir;
  EXPECT_EQ(replaceFile("/dev/null", bytesOf("x"), InPlace::refused), Outcome::fallback);
  fs::create_directory("shared");
  writeBytes("shared/table.bin", "old");
  ::chmod("shared/table.bin", 0666);
  ::chmod("shared", 0555);
  fs::permissions(".", fs::perms::all);
  EXPECT_TRUE(testing_support::whereModesBind(
      [] { return replaceFile("shared/table.bin", bytesOf("new"), InPlace::refused) == Outcome::fallback; }));
  EXPECT_EQ(readBytes("shared/table.bin"), "old");
  ::chmod("shared", 0755);
  EXPECT_EQ(replaceFile("fresh.bin", bytesOf("new"), InPlace::refused), Outcome::done);
  EXPECT_EQ(readBytes("fresh.bin"), "new");
}

TEST(ReplaceFile, AFileThatCannotBeRenamedOverIsWrittenInPlace) {
  if (::geteuid() != 0) GTEST_SKIP() << "only root can leave another user's file in a sticky folder";
  TempDir dir;
  fs::permissions(".", fs::perms::all);
  fs::create_directory("shared");
  ::chmod("shared", 01777);  // as /tmp: only a file's owner may rename over it
  writeBytes("shared/VEL", "the writer's text, longer than the new");
  ::chmod("shared/VEL", 0666);
  const int held = ::open("shared/VEL", O_RDONLY | O_CLOEXEC);
  ASSERT_GE(held, 0);
  EXPECT_TRUE(testing_support::whereModesBind([] {
    return replaceFile("shared/VEL", bytesOf("other"), InPlace::refused) == Outcome::fallback &&
           readBytes("shared/VEL") == "the writer's text, longer than the new" &&
           replaceFile("shared/VEL", bytesOf("new\n")) == Outcome::done;
  }));
  char buffer[64];
  const ssize_t got = ::pread(held, buffer, sizeof buffer, 0);
  ::close(held);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(std::max<ssize_t>(got, 0))), "new\n");  // the same file
  EXPECT_EQ(readBytes("shared/VEL"), "new\n");
  EXPECT_EQ(entries("shared"), 1u);  // no temporary file left
}
