#include "dividing.h"
#include "command_words.h"
#include "path_search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/environment.h"
#include "support/temp_dir.h"

using namespace morvel;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

std::vector<std::string> split(std::string_view text, char separator = ' ') {
  Dividing d(separator);
  d.splitFields(text);
  return d.fields();
}

using Fields = std::vector<std::string>;

// The texts of a raw Windows command line's words, with these files existing.
Fields commandLine(std::string_view line, const Fields& files = {}) {
  Fields words;
  const auto isFile = [&files](std::string_view name) {
    return std::find(files.begin(), files.end(), name) != files.end();
  };
  for (const LineWord& word : commandLineWords(line, isFile)) words.push_back(word.text);
  return words;
}

}  // namespace

TEST(Dividing, SeparatorsMakeFields) {
  EXPECT_EQ(split("a  b"), (Fields{"a", "", "b"}));
  EXPECT_EQ(split("a b "), (Fields{"a", "b"}));
  EXPECT_EQ(split(" a"), (Fields{"", "a"}));
  EXPECT_EQ(split(""), Fields{});
  EXPECT_EQ(split(" "), (Fields{""}));
}

TEST(Dividing, QuotesGroupAndStay) {
  EXPECT_EQ(split("\"a b\""), (Fields{"\"a b\""}));
  EXPECT_EQ(split("x\"a b\"y z"), (Fields{"x\"a b\"y", "z"}));
  EXPECT_EQ(split("\"open quote never closes"), (Fields{"\"open quote never closes"}));
  EXPECT_EQ(split("\"\""), (Fields{"\"\""}));
}

TEST(Dividing, LineFeedAndNulEndTheText) {
  EXPECT_EQ(split("a b\nc d"), (Fields{"a", "b"}));
  EXPECT_EQ(split(std::string_view("a b\0c d", 7)), (Fields{"a", "b"}));
}

TEST(Dividing, AtMost3072Fields) {
  Dividing d(';');
  EXPECT_EQ(d.splitFields(std::string(4000, ';')), 3072);
  std::string many;
  for (int i = 0; i < 3100; ++i) many += std::to_string(i) + ";";
  EXPECT_EQ(d.splitFields(many), 3072);
  EXPECT_EQ(d.fields().back(), "3071");
}

TEST(Dividing, OnlyTheFirst524287BytesCount) {
  std::string text(524287, 'a');
  text += " b";
  Dividing d(' ');
  EXPECT_EQ(d.splitFields(text), 1);
  EXPECT_EQ(d.fields()[0].size(), 524287u);
}

// The program's path ends as Windows ends it; the rest splits at blanks only.
TEST(CommandLineWords, TheProgramPathEndsWhereWindowsEndsIt) {
  EXPECT_EQ(commandLine("\"C:\\My Apps\\Morvel.exe\" -e1  \"in put.txt\"\t-q"),
            (Fields{"\"C:\\My Apps\\Morvel.exe\"", "-e1", "", "\"in put.txt\"\t-q"}));
  // Unquoted: the shortest prefix naming a file, ".exe" added without an
  // extension ("C:\My" is no program even when a file of that name exists).
  const Fields files{"C:\\My", "C:\\My Apps\\Morvel.exe", "C:\\Tools\\run me.exe"};
  EXPECT_EQ(commandLine("C:\\My Apps\\Morvel.exe -q", files), (Fields{"C:\\My Apps\\Morvel.exe", "-q"}));
  EXPECT_EQ(commandLine("C:\\Tools\\run me\t-q", files), (Fields{"C:\\Tools\\run me", "-q"}));
  EXPECT_EQ(commandLine("Morvel\t-e1 -q", files), (Fields{"Morvel", "-e1", "-q"}));  // found on Path
  EXPECT_EQ(commandLine("\"C:\\a b\\Morvel.exe"), (Fields{"\"C:\\a b\\Morvel.exe"}));
  EXPECT_EQ(commandLine(""), Fields{});
  EXPECT_EQ(commandLine("Morvel.exe "), Fields{"Morvel.exe"});
}

TEST(CommandLineWords, LimitsCountThePathAsOneWord) {
  std::string line = "C:\\My Apps\\Morvel.exe";
  for (int k = 0; k < 4000; ++k) line += " w" + std::to_string(k);
  const std::vector<LineWord> words =
      commandLineWords(line, [](std::string_view name) { return name == "C:\\My Apps\\Morvel.exe"; });
  ASSERT_EQ(words.size(), 3072u);
  EXPECT_EQ(words.back().text, "w3070");
  EXPECT_EQ(line.substr(words.back().start, 5), "w3070");
  const std::string longWord(600000, 'x');
  const std::vector<LineWord> cut = commandLineWords("M.exe " + longWord, [](std::string_view) { return false; });
  ASSERT_EQ(cut.size(), 2u);
  EXPECT_EQ(cut[1].text.size(), 524287u - 6u);
}

TEST(CommandLineWords, NamesLoseTheirGroupingQuotes) {
  EXPECT_EQ(unquotedName("\"in put.txt\""), "in put.txt");
  EXPECT_EQ(unquotedName("\"\""), "");
  EXPECT_EQ(unquotedName("C:\\\"My Apps\"\\t.bin"), "C:\\My Apps\\t.bin");
}

TEST(Dividing, BuildPathsAndCopyFillTheFieldTable) {
  Dividing d(':');
  EXPECT_EQ(d.buildPaths("/usr/bin::\"q\"", "MS932~EUC-JP.bin", '/'), 3);
  EXPECT_EQ(d.fieldTable(), (Fields{"/usr/bin/MS932~EUC-JP.bin", "/MS932~EUC-JP.bin", "\"q\"/MS932~EUC-JP.bin"}));
  Dividing words(' ');
  EXPECT_EQ(words.copyFields("-e1 -q"), 2);
  EXPECT_EQ(words.fieldTable(), (Fields{"-e1", "-q"}));
}

TEST(FindInPath, FirstDirectoryHoldingTheFileWins) {
  TempDir dir;
  fs::create_directories("one");
  fs::create_directories("two");
  writeBytes("two/t.bin", "x");
  writeBytes("one/t.bin", "x");
  const std::string sep(1, kListSeparator);
  const auto in = [](const char* folder) { return folder + std::string(1, kPathJoiner) + "t.bin"; };
  EXPECT_EQ(findInPath("none" + sep + "two" + sep + "one", "t.bin"), in("two"));
  EXPECT_EQ(findInPath("one" + sep + "two", "t.bin"), in("one"));
  EXPECT_EQ(findInPath("", "t.bin"), "");
  EXPECT_EQ(findInPath("none" + sep + "other", "t.bin"), "");
#ifndef _WIN32  // Windows names hold no quotes
  fs::create_directories("\"q\"");
  writeBytes("\"q\"/u.bin", "x");
  EXPECT_EQ(findInPath("\"q\"", "u.bin"), "\"q\"/u.bin");
#endif
}

TEST(FindInPath, DirectoriesAndOverlongPathsAreNotFiles) {
  TempDir dir;
  fs::create_directories("d/t.bin");
  EXPECT_EQ(findInPath("d", "t.bin"), "");
  EXPECT_FALSE(canOpenForReading("d"));
  const std::string deep(250, 'x');
  fs::create_directories(deep);
  writeBytes(deep + "/t.bin", "x");
  EXPECT_TRUE(canOpenForReading(deep + "/t.bin"));
  EXPECT_EQ(findInPath(deep, "t.bin"), "");  // 256 bytes: longer than a found path may be
}

TEST(CommandPath, CutToItsBuffer) {
  EXPECT_EQ(CommandPath("abcdef", 4).text(), "abc");
  EXPECT_EQ(CommandPath("abc", 3712).text(), "abc");
  EXPECT_EQ(CommandPath(std::string(5000, 'p'), 3712).text().size(), 3711u);
}

TEST(CommandPath, NameMatchIgnoresLetterCase) {
  const std::string saved = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
  testing_support::unsetEnvironment("PATH");
  testing_support::setEnvironment("Path", "/mixed/case");
  EXPECT_EQ(CommandPath(100).text(), "/mixed/case");
  testing_support::unsetEnvironment("Path");
  EXPECT_EQ(CommandPath(100).text(), "");
  testing_support::setEnvironment("PATH", saved);
}
