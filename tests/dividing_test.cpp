#include "dividing.h"
#include "path_search.h"

#include <gtest/gtest.h>

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
