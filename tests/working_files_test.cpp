#include "working_files.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#include "folder_turn.h"
#include "named_conversion.h"
#include "reporter.h"
#ifndef _WIN32
#include "support/file_limits.h"
#endif
#include "support/same_bytes.h"
#include "support/temp_dir.h"

using namespace morvel;
#ifndef _WIN32
using testing_support::FileSizeLimit;
#endif
using testing_support::readBytes;
using testing_support::sameBytes;
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

TEST(CopyBackFromWorkFile, CopiesOverTheTarget) {
  TempDir dir;
  ReportFiles reports;
  const std::string bytes = sample(5120);
  writeBytes("binary.tmp", bytes);
  writeBytes("VEL", "a much longer old content that must vanish entirely ....");
  ASSERT_EQ(CopyBackFromWorkFile(reports, "VEL", true), Outcome::done);
  EXPECT_TRUE(sameBytes(readBytes("VEL"), bytes));
  EXPECT_TRUE(sameBytes(readBytes("binary.tmp"), bytes));
  ASSERT_EQ(CopyBackFromWorkFile(reports, "VEL", false), Outcome::done);
  EXPECT_FALSE(fs::exists("binary.tmp"));
  EXPECT_FALSE(fs::exists("messages.txt"));
}

TEST(CopyBackFromWorkFile, UnwritableTargetFallsBackToMorvelTxtAndSaysSo) {
  TempDir dir;
  ReportFiles reports;
  writeBytes("binary.tmp", "converted");
  ASSERT_EQ(CopyBackFromWorkFile(reports, "no/such/dir/out", true), Outcome::fallback);
  EXPECT_EQ(readBytes("Morvel.txt"), "converted");
  EXPECT_EQ(readBytes("messages.txt"), "no/such/dir/out cannot be written; the result is in Morvel.txt\r\n");
}

TEST(CopyBackFromWorkFile, MissingWorkFileLeavesTheTargetAlone) {
  TempDir dir;
  ReportFiles reports;
  writeBytes("VEL", "keep me");
  EXPECT_EQ(CopyBackFromWorkFile(reports, "VEL", true), Outcome::failed);
  EXPECT_EQ(readBytes("VEL"), "keep me");
  EXPECT_FALSE(fs::exists("Morvel.txt"));
}

TEST(CopyBackFromWorkFile, NoDestinationAtAllCopiesNothing) {
  TempDir dir;
  ReportFiles reports;
  writeBytes("binary.tmp", "converted");
  fs::create_directory("Morvel.txt");
  EXPECT_EQ(CopyBackFromWorkFile(reports, "no/such/dir/out", false), Outcome::failed);
  EXPECT_EQ(readBytes("binary.tmp"), "converted");
}

#ifndef _WIN32  // a full device and a file size limit
TEST(CopyBackFromWorkFile, FailedWriteKeepsTheWorkFileAndTheTarget) {
  TempDir dir;
  ReportFiles reports;
  writeBytes("binary.tmp", sample(10000));
  EXPECT_EQ(CopyBackFromWorkFile(reports, "/dev/full", false), Outcome::failed);
  EXPECT_TRUE(sameBytes(readBytes("binary.tmp"), sample(10000)));
  // A full disk: the old target stays whole and no temporary file is left.
  writeBytes("SJIS", "original");
  {
    const FileSizeLimit limit(4096);
    EXPECT_EQ(CopyBackFromWorkFile(reports, "SJIS", false), Outcome::failed);
  }
  EXPECT_EQ(readBytes("SJIS"), "original");
  EXPECT_EQ(readBytes("error.txt"),
            "CopyBackFromWorkFile() error: SJIS cannot be written; the result is only in binary.tmp\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3);  // with error.txt
}
#endif

TEST(WorkingFiles, TheWorkFileIsKnownByNameAndByIdentity) {
  TempDir dir;
  EXPECT_TRUE(isWorkFile("binary.tmp"));
  EXPECT_TRUE(isWorkFile("./binary.tmp"));
  writeBytes("binary.tmp", "x");
  fs::create_hard_link("binary.tmp", "other");
  EXPECT_TRUE(isWorkFile("other"));
  EXPECT_FALSE(isWorkFile("binary.tmp2"));
}

#ifdef _WIN32
// Names on Windows are the same whatever their letter case: a target named
// so would be the working file the result is taken from.
TEST(WorkingFiles, TheWorkFileIsKnownWhateverTheLetterCase) {
  TempDir dir;
  EXPECT_TRUE(isWorkFile("BINARY.TMP"));
  EXPECT_TRUE(isWorkFile(".\\Binary.Tmp"));
  EXPECT_FALSE(isWorkFile("binary.tmp2"));
}
#endif

// Runs in one folder take turns: a second taker, even in the same process
// and on another thread, goes without the turn or waits until it is given
// back, and no file appears in the folder.
TEST(FolderTurn, ASecondTakerGoesWithoutOrWaitsForTheFirst) {
  TempDir dir;
  FolderTurn first = takeFolderTurn(".", TurnWait::untilFree, nullptr);
  ASSERT_TRUE(first.held);
  FolderTurn without = takeFolderTurn(".", TurnWait::no, nullptr);
  EXPECT_FALSE(without.held);
  giveBackFolderTurn(without);
  std::atomic<bool> waited{false};
  std::atomic<bool> taken{false};
  std::thread second([&] {
    FolderTurn turn = takeFolderTurn(".", TurnWait::untilFree, nullptr);
    taken = turn.held;
    giveBackFolderTurn(turn);
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  waited = !taken;
  giveBackFolderTurn(first);
  second.join();
  EXPECT_TRUE(waited);
  EXPECT_TRUE(taken);
  FolderTurn again = takeFolderTurn(".", TurnWait::no, nullptr);
  EXPECT_TRUE(again.held);
  giveBackFolderTurn(again);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 0);
}

namespace {

// "binary.tmp" written in steps on a thread of its own, as a pass writes it,
// telling `growing`; `complete` decides how the writing ends.
std::thread writeInSteps(GrowingWorkFile& growing, std::string bytes, bool complete) {
  return std::thread([&growing, bytes = std::move(bytes), complete] {
    std::ofstream out("binary.tmp", std::ios::binary | std::ios::trunc);
    std::size_t written = 0;
    while (written < bytes.size()) {
      const std::size_t step = std::min<std::size_t>(bytes.size() - written, 300000 + written % 7777);
      out.write(bytes.data() + written, static_cast<std::streamsize>(step));
      out.flush();
      written += step;
      growing.written(written);
    }
    out.close();
    growing.finish(complete);
  });
}

}  // namespace

TEST(FollowWorkFile, CopiesTheWorkFileAsItGrowsAndReplacesTheTargetOnceComplete) {
  TempDir dir;
  writeBytes("target", "old");
  const std::string bytes = sample((std::size_t{11} << 20) + 17);
  GrowingWorkFile growing;
  std::thread writer = writeInSteps(growing, bytes, true);
  const Outcome delivery = followWorkFile("target", growing);
  writer.join();
  EXPECT_EQ(delivery, Outcome::done);
  EXPECT_TRUE(sameBytes(readBytes("target"), bytes));
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);  // no temporary file left
}

TEST(FollowWorkFile, AFailedPassLeavesTheTargetAsItWas) {
  TempDir dir;
  writeBytes("target", "old");
  for (const std::size_t size : {std::size_t{0}, std::size_t{5} << 20}) {
    GrowingWorkFile growing;
    std::thread writer = writeInSteps(growing, sample(size), false);
    const Outcome delivery = followWorkFile("target", growing);
    writer.join();
    EXPECT_EQ(delivery, Outcome::failed);
    EXPECT_EQ(readBytes("target"), "old");
    // the target and "binary.tmp", no temporary file
    EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 2);
  }
}

TEST(FollowWorkFile, AnEmptyResultIsDelivered) {
  TempDir dir;
  writeBytes("target", "old");
  GrowingWorkFile growing;
  std::thread writer = writeInSteps(growing, "", true);
  const Outcome delivery = followWorkFile("target", growing);
  writer.join();
  EXPECT_EQ(delivery, Outcome::done);
  EXPECT_EQ(readBytes("target"), "");
}

TEST(FollowWorkFile, LeavesTargetsThatNeedTheOrdinaryDeliveryAlone) {
  // One that cannot be written, and one that could only be written in place:
  // nothing is touched, and the ordinary delivery follows the pass.
  TempDir dir;
#ifdef _WIN32
  constexpr const char* kNullDevice = "NUL";
#else
  constexpr const char* kNullDevice = "/dev/null";
#endif
  for (const char* target : {"no/such/dir/out", kNullDevice}) {
    GrowingWorkFile growing;
    std::thread writer = writeInSteps(growing, "converted", true);
    const Outcome delivery = followWorkFile(target, growing);
    writer.join();
    EXPECT_EQ(delivery, Outcome::fallback) << target;
  }
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 1);
}
