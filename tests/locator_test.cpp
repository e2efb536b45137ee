#include "locator.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "path_search.h"
#include "profile.h"
#include "reporter.h"
#include "support/environment.h"
#include "support/temp_dir.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

std::string shipped(const char* name) { return readBytes(std::string(MORVEL_DATA_DIR) + "/" + name); }

// Runs each test in a temporary directory with Morvel's profile and report
// files, or fenra's profile and console, whose fixed folder is "fixed/"
// there, and with an empty PATH.
class Locator : public testing::Test {
 protected:
  void SetUp() override {
    savedPath_ = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    testing_support::setEnvironment("PATH", "");
    fs::create_directory("fixed");
    useProfile(morvelProfile());
  }
  void TearDown() override { testing_support::setEnvironment("PATH", savedPath_); }

  void useProfile(ProgramProfile profile) {
    profile.fixedFolder = (dir_.path() / "fixed").string() + kPathJoiner;
    profile_ = std::move(profile);
  }

  TableContext context() {
    if (profile_.program == Program::morvel) return {profile_, files_};
    return {profile_, console_};
  }

  template <class Table>
  bool load(Table& table, bool no_searching, bool* which, bool acquire_from_text = false) {
    SearchSwitches switches{no_searching, acquire_from_text, which != nullptr && *which};
    const bool loaded = setting(context(), table, switches);
    if (which != nullptr) *which = switches.whichTable;
    return loaded;
  }

  std::string fixed(const char* name) const { return (dir_.path() / "fixed" / name).string(); }

  TempDir dir_;
  std::string savedPath_;
  ProgramProfile profile_;
  ReportFiles files_;
  ConsoleReports console_;
};

const char* const kEuc = "MS932~EUC-JP.bin";
const char* const kSjis = "MS932~Shift_JIS.bin";
const char* const kUtf8 = "MS932~UTF-8.bin";

}  // namespace

TEST_F(Locator, FixedFolderComesFirst) {
  writeBytes(fixed(kEuc), shipped(kEuc));
  writeBytes(kEuc, shipped(kEuc));
  bool which = true;
  profile_.reportEncoding = encodingFromNumber(1);
  SparseEUC euc;
  ASSERT_TRUE(load(euc, false, &which));
  EXPECT_FALSE(which);
  EXPECT_EQ(readBytes("messages.txt"), fixed(kEuc) + " is primarily accessible to Morvel.\r\n");
  EXPECT_EQ(std::string(euc.entryText(0xB6)), "\x8E\xB6");
}

TEST_F(Locator, CurrentDirectoryThenPathThenGivenName) {
  fs::create_directory("p");
  writeBytes("p/" + std::string(kUtf8), shipped(kUtf8));
  testing_support::setEnvironment("PATH", std::string("/nonexistent") + kListSeparator + "p");
  SparseUTF8 utf8;
  ASSERT_TRUE(load(utf8, false, nullptr));
  EXPECT_FALSE(fs::exists("error.txt"));

  writeBytes("given.bin", shipped(kEuc));
  profile_.givenTableName = "given.bin";
  bool which = true;
  SparseEUC euc;
  ASSERT_TRUE(load(euc, false, &which));
  EXPECT_EQ(readBytes("messages.txt"), "given.bin is primarily accessible to Morvel.\r\n");
}

TEST_F(Locator, NoSearchingStopsAfterTheFixedFolder) {
  writeBytes(kEuc, shipped(kEuc));
  SparseEUC euc;
  EXPECT_FALSE(load(euc, true, nullptr));
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 0 ]() error-7: MS932~EUC-JP.bin\r\n");
  SparseSJIS sjis;
  EXPECT_FALSE(load(sjis, true, nullptr));
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 0 ]() error-9: MS932~Shift_JIS.bin\r\n");
}

TEST_F(Locator, MissingTableNamesTheLastWay) {
  SparseEUC euc;
  EXPECT_FALSE(load(euc, false, nullptr));
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 3 ]() error-8: MS932~EUC-JP.bin\r\n");
  SparseSJIS sjis;
  EXPECT_FALSE(load(sjis, false, nullptr));
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 2 ]() error-10: MS932~Shift_JIS.bin\r\n");
  SparseUTF8 utf8;
  EXPECT_FALSE(load(utf8, false, nullptr));
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 2 ]() error-12: MS932~UTF-8.bin\r\n");
}

TEST_F(Locator, ReportOnlyForTheTargetEncoding) {
  writeBytes(kSjis, shipped(kSjis));
  writeBytes(kEuc, shipped(kEuc));
  profile_.reportEncoding = encodingFromNumber(1);
  bool which = true;
  SparseSJIS sjis;
  ASSERT_TRUE(load(sjis, false, &which));
  EXPECT_TRUE(which);
  EXPECT_FALSE(fs::exists("messages.txt"));
  SparseEUC euc;
  ASSERT_TRUE(load(euc, false, &which));
  EXPECT_FALSE(which);
  EXPECT_EQ(readBytes("messages.txt"), "MS932~EUC-JP.bin is primarily accessible to Morvel.\r\n");
}

TEST_F(Locator, ShortTableFailsAndLongerTableLoads) {
  std::string table = shipped(kEuc);
  table.pop_back();
  writeBytes(kEuc, table);
  SparseEUC shortTable;
  EXPECT_FALSE(load(shortTable, false, nullptr));
  EXPECT_TRUE(shortTable.entryText(0x41).empty());

  writeBytes(kEuc, shipped(kEuc) + "trailing bytes");
  SparseEUC longer;
  ASSERT_TRUE(load(longer, false, nullptr));
  EXPECT_EQ(std::string(longer.entryText(0x889F)), "\xB0\xA1");  // first JIS level 1 kanji
}

TEST_F(Locator, OverlongGivenNameIsNotTaken) {
  profile_.givenTableName = std::string(2600, 'n');
  SparseEUC euc;
  EXPECT_FALSE(load(euc, false, nullptr));
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 3 ]() error-8: MS932~EUC-JP.bin\r\n");
}

TEST_F(Locator, FenraReportsOnTheConsole) {
  useProfile(fenraProfile());
  writeBytes(kEuc, shipped(kEuc));
  bool which = true;
  SparseEUC euc;
  testing::internal::CaptureStdout();
  ASSERT_TRUE(load(euc, false, &which));
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "MS932~EUC-JP.bin is primarily accessible to fenra.\n");
  EXPECT_FALSE(which);

  testing::internal::CaptureStderr();
  EXPECT_FALSE(load(euc, true, nullptr));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "openClose[0]() error: MS932~EUC-JP.bin\n");
}

TEST_F(Locator, AcquireFromTextTriesOnlyTheGivenName) {
  useProfile(fenraProfile());
  writeBytes(fixed(kEuc), shipped(kEuc));
  writeBytes(kEuc, shipped(kEuc));
  SparseEUC euc;
  testing::internal::CaptureStderr();
  EXPECT_FALSE(load(euc, false, nullptr, true));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "openClose[3]() error: MS932~EUC-JP.bin\n");

  profile_.givenTableName = kEuc;
  ASSERT_TRUE(load(euc, false, nullptr, true));
}

TEST_F(Locator, EditorsSearchWithTheirOwnWords) {
  SearchSwitches switches;
  const SearchRequest request{TableKind::euc, switches, {"]() error-5:", "]() error-6:"}};
  EXPECT_EQ(searchTable(context(), request), "");
  EXPECT_EQ(readBytes("error.txt"), "openClose[ 3 ]() error-6: MS932~EUC-JP.bin\r\n");
}
