#include "edit_settings.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using namespace morvel;
using testing_support::TempDir;
using testing_support::writeBytes;

TEST(SettingFile, MissingFileKeepsTheDefaults) {
  TempDir dir;
  EditSettings s;
  readSettingFile("setting.txt", s);
  EXPECT_EQ(s.tableName, "MS932~EUC-JP.bin");
  EXPECT_EQ(s.substituted, "\x87\x53");
  EXPECT_EQ(s.substitute, "\x93\xF9");
  EXPECT_EQ(s.listName, "");
  EXPECT_FALSE(s.no_searching);
  EXPECT_FALSE(s.whichTable);
  EXPECT_EQ(s.givenTableName, "");
}

TEST(SettingFile, EachLineHasItsMeaning) {
  TempDir dir;
  writeBytes(
      "setting.txt",
      "out.bin'the table written\r\n\x87\x40\r\n\x82\x50|comment\r\nbars.txt\r\n-d\r\n-w\r\n7\r\n8\r\n9\r\n10\r\n"
      "/opt/t/MS932~EUC-JP.bin,given\r\n12\r\n");
  EditSettings s;
  readSettingFile("setting.txt", s);
  EXPECT_EQ(s.tableName, "out.bin");
  EXPECT_EQ(s.substituted, "\x87\x40");  // circled one
  EXPECT_EQ(s.substitute, "\x82\x50");   // full-width one
  EXPECT_EQ(s.listName, "bars.txt");
  EXPECT_TRUE(s.no_searching);
  EXPECT_TRUE(s.whichTable);
  EXPECT_EQ(s.givenTableName, "/opt/t/MS932~EUC-JP.bin");
}

TEST(SettingFile, BlankDoesNotCutButCommaDoes) {
  TempDir dir;
  EditSettings s;
  s.whichTable = true;
  writeBytes("setting.txt", "\n\n\n\n0 comment\n0,comment\n");
  readSettingFile("setting.txt", s);
  EXPECT_TRUE(s.no_searching);  // "0 comment" is neither "0" nor "-d"
  EXPECT_FALSE(s.whichTable);
  EXPECT_EQ(s.tableName, "");
}

TEST(SettingFile, LongLinesSplitAndCharacterLinesHoldOneCharacter) {
  TempDir dir;
  writeBytes("setting.txt", std::string(257, 't') + "\nabc\n");
  EditSettings s;
  readSettingFile("setting.txt", s);
  EXPECT_EQ(s.tableName, std::string(255, 't'));
  EXPECT_EQ(s.substituted, "tt");       // the rest of the long line is line 2, two bytes as the design takes them
  EXPECT_EQ(s.substitute, "\x93\xF9");  // "abc" is no character: the default stays, and the edit is refused
  EXPECT_EQ(s.refusals(),
            std::vector<std::string>{"setting.txt: line 3 (abc) is not one character in code page 932 or UTF-8"});
}

// Notepad saves UTF-8, with or without a byte order mark: the characters
// are converted, never cut to their first two bytes (which would edit the
// record E291).
TEST(SettingFile, UtfEightLinesAreConverted) {
  TempDir dir;
  for (const std::string bom : {"", "\xEF\xBB\xBF"}) {
    writeBytes("setting.txt", bom + "out.bin\r\n\xE2\x91\xA0\r\n\xEF\xBC\x91 ' full-width one\r\n");
    EditSettings s;
    readSettingFile("setting.txt", s);
    EXPECT_EQ(s.tableName, "out.bin");
    EXPECT_EQ(s.substituted, "\x87\x40");  // circled one
    EXPECT_EQ(s.substitute, "\x82\x50");   // full-width one
    EXPECT_TRUE(s.refusals().empty());
  }
}
