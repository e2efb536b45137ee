// The table editors on files in a temporary folder, as Morvel runs them.
#include "editors.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "reporter.h"
#include "support/as_other_user.h"
#include "support/file_limits.h"
#include "support/table_records.h"
#include "support/temp_dir.h"

using namespace morvel;
using testing_support::doubleByteRecord;
using testing_support::readBytes;
using testing_support::targetOf;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

const char* const kTable = "MS932~EUC-JP.bin";
const std::string kCircledTwenty = "\x87\x53";  // circled digit twenty
const std::string kKanjiTwenty = "\x93\xF9";    // the kanji for twenty

std::string shipped() { return testing_support::shippedBytes(kTable); }

// A table in the current folder, found there by Morvel's search.
class Editors : public testing::Test {
 protected:
  void SetUp() override {
    profile_.fixedFolder = "/nonexistent-morvel-folder/";
    writeBytes(kTable, shipped());
  }

  bool edit(const std::string& from, const std::string& to, const std::string& tableName = kTable) {
    SearchSwitches switches;
    return editRecord({profile_, reports_}, from, to, tableName, switches);
  }

  TempDir dir_;
  ProgramProfile profile_ = morvelProfile();
  ReportFiles reports_;
};

}  // namespace

TEST_F(Editors, ASingleSubstitutionReachesEveryRecordOfItsCode) {
  std::string table = shipped();
  const std::size_t first = doubleByteRecord(table, kCircledTwenty);
  const std::size_t twin = first + 1;
  table.replace(twin * 4, 2, kCircledTwenty);  // a user's table that repeats a code
  writeBytes(kTable, table);
  ASSERT_TRUE(edit(kCircledTwenty, kKanjiTwenty));
  const std::string edited = readBytes(kTable);
  const std::string kanji = targetOf(shipped(), doubleByteRecord(shipped(), kKanjiTwenty));
  EXPECT_EQ(targetOf(edited, first), kanji);
  EXPECT_EQ(targetOf(edited, twin), kanji);
}

TEST_F(Editors, ASubstituteBeyondTheLastCodeGivesZeros) {
  ASSERT_TRUE(edit(kCircledTwenty, "\xFC\xFC"));
  EXPECT_EQ(targetOf(readBytes(kTable), doubleByteRecord(shipped(), kCircledTwenty)), std::string(2, '\0'));
}

TEST_F(Editors, ALongTableNameIsWritten) {
  const std::string name(255, 't');
  ASSERT_TRUE(edit(kCircledTwenty, kKanjiTwenty, name));
  EXPECT_EQ(readBytes(name).size(), shipped().size());
}

TEST_F(Editors, AFailedWriteLeavesTheTableAsItWas) {
  {
    const testing_support::FileSizeLimit limit(10000);  // a third of the table
    EXPECT_FALSE(edit(kCircledTwenty, kKanjiTwenty));
  }
  EXPECT_EQ(readBytes(kTable), shipped());
  EXPECT_EQ(readBytes("error.txt"), "editRecord() error: write error: MS932~EUC-JP.bin\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 3);  // table, info, error
}

TEST_F(Editors, AReadOnlyTableIsNotReplaced) {
  fs::permissions(".", fs::perms::all);
  ::chmod(kTable, 0444);
  EXPECT_TRUE(testing_support::whereModesBind([this] { return !edit(kCircledTwenty, kKanjiTwenty); }));
  EXPECT_EQ(readBytes(kTable), shipped());
  EXPECT_EQ(readBytes("error.txt"), "editRecord() error: write error: MS932~EUC-JP.bin\r\n");
}
