// The Record and Version dialogs' logic with windows in memory.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "recordform.h"
#include "support/fake_dialog.h"
#include "support/table_records.h"
#include "support/temp_dir.h"
#include "version.h"
#include "versionform.h"

using namespace morvel;
using testing_support::FakeDialog;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

const char* const kEuc = "MS932~EUC-JP.bin";
const char* const kSjis = "MS932~Shift_JIS.bin";
const std::string kCircledTwenty = "\x87\x53";  // circled digit twenty
const std::string kLowLine = "\x81\x51";        // full-width low line

class Recorded final : public Reporter {
 public:
  void error(std::string_view line) override { lines.push_back("error " + std::string(line)); }
  void message(std::string_view, std::string_view) override {}
  void info(std::string_view line) override {
    lines.push_back("info " + std::string(line) + (tableEdited() ? " after the edit" : ""));
  }
  void note(std::string_view sentence) override { lines.push_back("note " + std::string(sentence)); }
  static bool tableEdited() { return readBytes(kEuc) != readBytes(std::string(MORVEL_DATA_DIR) + "/" + kEuc); }
  std::vector<std::string> lines;
};

std::string shipped(const char* name) { return testing_support::shippedBytes(name); }

std::string eucTargetOf(const std::string& table, const std::string& code) {
  return testing_support::targetOf(table, testing_support::doubleByteRecord(table, code));
}

class RecordDialog : public testing::Test {
 protected:
  void SetUp() override {
    writeBytes(kEuc, shipped(kEuc));
    writeBytes(kSjis, shipped(kSjis));
  }

  TForm2& open(const FinalEffect& settings = {}) {
    form_ = std::make_unique<TForm2>(dialog_, settings, reports_);
    form_->FormCreate();
    return *form_;
  }

  TempDir dir_;
  FakeDialog dialog_;
  Recorded reports_;
  std::unique_ptr<TForm2> form_;
};

}  // namespace

TEST_F(RecordDialog, OpensCentredShowingTheCodeAndTheShiftJisOutput) {
  open();
  EXPECT_TRUE(dialog_.keyPreview);
  EXPECT_EQ(dialog_.bounds.left, (1920 - 143) / 2);
  EXPECT_EQ(dialog_.bounds.top, (1080 - 142) / 2);
  EXPECT_EQ(dialog_.texts["Edit1"], kCircledTwenty);
  EXPECT_EQ(dialog_.texts["Label1"], "8753");
  EXPECT_EQ(dialog_.texts["Edit2"], kCircledTwenty);  // the Shift_JIS table keeps it
  EXPECT_TRUE(reports_.lines.empty());
}

TEST_F(RecordDialog, HomeLooksUpWhatWasTypedLowerCaseCodes) {
  open();
  dialog_.texts["Edit1"] = "A";
  form_->FormKeyUp(Key::home);
  EXPECT_EQ(dialog_.texts["Label1"], "41");
  EXPECT_EQ(dialog_.texts["Edit2"], "A");
  dialog_.texts["Edit1"] = "\xE2\x87\x92";  // rightwards double arrow typed in UTF-8
  form_->FormKeyUp(Key::home);
  EXPECT_EQ(dialog_.texts["Label1"], "81cb");
  EXPECT_EQ(dialog_.texts["Edit2"], "\x81\xCB");
  dialog_.texts["Edit1"] = "\xEF\xBD\xB6";  // half-width KA typed in UTF-8
  form_->FormKeyUp(Key::home);
  EXPECT_EQ(dialog_.texts["Label1"], "b6");
  EXPECT_EQ(dialog_.texts["Edit2"], "\xB6");
}

TEST_F(RecordDialog, TextsWithoutACharacterLookNothingUp) {
  open();
  for (const std::string& text : {std::string(), std::string("\x82")}) {
    dialog_.texts["Edit1"] = text;
    dialog_.texts["Edit2"] = "kept";
    form_->FormKeyUp(Key::home);
    EXPECT_EQ(dialog_.texts["Label1"], "----");
    EXPECT_EQ(dialog_.texts["Edit2"], "kept");
  }
  dialog_.texts["Edit1"] = "\xF0\x9F\x98\x80";  // an emoji: code page 932 has none
  form_->FormKeyUp(Key::home);
  EXPECT_EQ(dialog_.texts["Label1"], "not 932");
  dialog_.texts["Edit2"] = "";
  form_->Button1Click();
  EXPECT_EQ(dialog_.texts["Label1"], "not 932 \x81\xCB ----");
  EXPECT_EQ(readBytes(kEuc), shipped(kEuc));
}

// A character the Shift_JIS table has no entry for leaves the right field
// empty: no zero bytes. Save without a right character records the request
// once and leaves the table file alone.
TEST_F(RecordDialog, NoEntryGivesAnEmptyFieldAndNoCharacterNoEdit) {
  open();
  for (const auto& [typed, label] : {std::pair<std::string, std::string>{"\x85\x40", "8540"}, {"\t", "9"}}) {
    dialog_.texts["Edit1"] = typed;
    dialog_.texts["Edit2"] = "kept";
    form_->FormKeyUp(Key::home);
    EXPECT_EQ(dialog_.texts["Label1"], label);
    EXPECT_EQ(dialog_.texts["Edit2"], std::string());
  }
  struct stat before {};
  ASSERT_EQ(::stat(kEuc, &before), 0);
  reports_.lines.clear();
  dialog_.texts["Edit1"] = kCircledTwenty;
  dialog_.texts["Edit2"] = "";
  form_->Button1Click();
  EXPECT_EQ(reports_.lines, std::vector<std::string>{"info 8753 \x81\xCB ----"});
  struct stat after {};
  ASSERT_EQ(::stat(kEuc, &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);
  EXPECT_EQ(after.st_mtim.tv_sec, before.st_mtim.tv_sec);
  EXPECT_EQ(after.st_mtim.tv_nsec, before.st_mtim.tv_nsec);
  EXPECT_EQ(readBytes(kEuc), shipped(kEuc));
}

TEST_F(RecordDialog, SaveRecordsTheCodesThenEditsTheTable) {
  open();
  dialog_.texts["Edit2"] = kLowLine;
  form_->Button1Click();
  EXPECT_EQ(dialog_.texts["Label1"], "8753 \x81\xCB 8151");
  ASSERT_FALSE(reports_.lines.empty());
  EXPECT_EQ(reports_.lines.front(), "info 8753 \x81\xCB 8151");  // before the edit
  EXPECT_EQ(eucTargetOf(readBytes(kEuc), kCircledTwenty), eucTargetOf(shipped(kEuc), kLowLine));
  EXPECT_TRUE(dialog_.notes.empty());  // the table edited is the one read
  form_->FormKeyUp(Key::f8);
  EXPECT_EQ(dialog_.clipboard, "8753 \x81\xCB 8151");
  form_->FormKeyUp(Key::escape);
  EXPECT_EQ(dialog_.hides, 1);
  EXPECT_EQ(dialog_.texts["Edit2"], kLowLine);  // kept across hiding
}

TEST_F(RecordDialog, AMissingShiftJisTableIsLoggedAtStart) {
  fs::remove(kSjis);
  FinalEffect settings;
  settings.no_searching = true;
  open(settings);
  EXPECT_EQ(reports_.lines.back(), "error testKanji() error: sjis->setting(no_searching, finalEffect->whichFile() ) ");
  EXPECT_EQ(dialog_.texts.count("Label1"), 0u);
  EXPECT_EQ(dialog_.texts.count("Edit2"), 0u);
  form_->FormKeyUp(Key::f8);
  EXPECT_EQ(dialog_.clipboard, "");
}

// A table name other than the table's: the table in the current folder is
// searched before it.
TEST_F(RecordDialog, SaveShowsTheNoteWhenAnotherTableIsReadFirst) {
  FinalEffect settings;
  settings.tableName = "edited.bin";
  open(settings);
  dialog_.texts["Edit2"] = kLowLine;
  form_->Button1Click();
  const std::string note =
      "edited.bin was edited, but conversions from this folder load MS932~EUC-JP.bin, which is searched first, so "
      "the edit is not used and the next edit starts again from that table. To use it, copy edited.bin over "
      "MS932~EUC-JP.bin.";
  EXPECT_EQ(dialog_.notes, std::vector<std::string>{note});
  EXPECT_EQ(reports_.lines.back(), "note " + note);
  EXPECT_EQ(dialog_.texts["Label1"], "8753 \x81\xCB 8151");  // the label keeps the code pair
  EXPECT_EQ(eucTargetOf(readBytes("edited.bin"), kCircledTwenty), eucTargetOf(shipped(kEuc), kLowLine));
}

TEST(VersionDialog, ShowsNameCopyrightAndTheVersionSetBeforeShowing) {
  TempDir dir;
  FakeDialog dialog;
  ProgramProfile profile = morvelProfile();
  profile.fixedFolder = (dir.path() / "fixed").string() + "/";
  TForm3 form(dialog, profile);
  form.FormCreate();
  EXPECT_EQ(dialog.bounds.left, (1920 - 166) / 2);
  EXPECT_EQ(dialog.texts["Label1"], "Morvel VCL");
  EXPECT_EQ(dialog.texts["Label2"], kCopyrightLine);
  form.SetVersionText(kMorvelVersion);
  EXPECT_EQ(dialog.texts["Label3"], std::string("Version ") + kMorvelVersion);
  form.FormKeyUp(Key::home);
  form.FormKeyUp(Key::escape);
  EXPECT_EQ(dialog.hides, 1);

  form.Button1Click();  // no manual anywhere: the plain name, silently
  fs::create_directory("fixed");
  writeBytes("fixed/MorvelVCL.pdf", "%PDF");
  form.Button1Click();  // an installed copy
  writeBytes("MorvelVCL.pdf", "%PDF");
  form.Button1Click();  // the current folder comes first
  EXPECT_EQ(dialog.opened,
            (std::vector<std::string>{"MorvelVCL.pdf", profile.fixedFolder + "MorvelVCL.pdf", "MorvelVCL.pdf"}));
}
