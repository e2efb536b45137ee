#include "text_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <string>
#include <vector>

#include "support/temp_dir.h"

using morvel::TextReader;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

std::vector<std::string> pieces(const std::string& path, std::size_t limit) {
  TextReader reader(path);
  std::vector<std::string> out;
  std::string piece;
  while (reader.readPiece(piece, limit)) out.push_back(piece);
  return out;
}

// The whole file through read(); nothing when it cannot be opened or read.
std::optional<std::string> wholeText(const std::string& path) {
  TextReader reader(path);
  if (!reader.isOpen()) return std::nullopt;
  std::string text;
  char chunk[1000];
  while (const std::size_t got = reader.read(chunk, sizeof chunk)) text.append(chunk, got);
  if (reader.failed()) return std::nullopt;
  return text;
}

std::vector<std::string> lines(const std::string& path) {
  TextReader reader(path);
  std::vector<std::string> out;
  std::string line;
  while (reader.readLine(line)) out.push_back(line);
  return out;
}

}  // namespace

TEST(TextFile, ReadingDropsEveryCarriageReturn) {
  TempDir dir;
  writeBytes("in.txt", "a\r\nb\rc\r\r\n\r");
  EXPECT_EQ(wholeText("in.txt"), "a\nbc\n");
}

TEST(TextFile, CarriageReturnsDropAnywhereInALongRun) {
  std::mt19937 random(13);
  for (int round = 0; round < 2000; ++round) {
    std::string text(random() % 200, 'x');
    for (char& c : text) c = "ab\r\n"[random() % (round % 2 == 0 ? 4 : 3)];
    std::string expected = text;
    std::erase(expected, '\r');
    std::string byRuns = text;
    const std::size_t kept = morvel::dropCarriageReturns(text.data(), text.size());
    ASSERT_EQ(text.substr(0, kept), expected) << round;
    const std::size_t keptByRuns = morvel::dropCarriageReturnsByRuns(byRuns.data(), byRuns.size());
    ASSERT_EQ(byRuns.substr(0, keptByRuns), expected) << round;
  }
}

TEST(TextFile, ReadingStopsAtControlZ) {
  TempDir dir;
  writeBytes("in.txt", std::string("ab\ncd\x1A"
                                   "ef\n",
                                   9));
  EXPECT_EQ(wholeText("in.txt"), "ab\ncd");
  EXPECT_EQ(lines("in.txt"), (std::vector<std::string>{"ab", "cd"}));
}

TEST(TextFile, ControlZBeyondTheFirstReadStillEndsTheText) {
  TempDir dir;
  std::string text(200000, 'x');
  text[150000] = '\x1A';
  writeBytes("in.txt", text);
  EXPECT_EQ(wholeText("in.txt"), std::string(150000, 'x'));
}

TEST(TextFile, NulBytesAreKept) {
  TempDir dir;
  writeBytes("in.txt", std::string("a\0b\n", 4));
  EXPECT_EQ(wholeText("in.txt"), std::string("a\0b\n", 4));
}

TEST(TextFile, MissingFileIsNotOpen) {
  TempDir dir;
  TextReader reader("absent.txt");
  EXPECT_FALSE(reader.isOpen());
  std::string line;
  EXPECT_FALSE(reader.readLine(line));
  EXPECT_FALSE(wholeText("absent.txt").has_value());
}

TEST(TextFile, PiecesEndAfterLineFeedOrAtTheLimit) {
  TempDir dir;
  writeBytes("in.txt", "abcdefg\r\nhi\n\nxyz");
  EXPECT_EQ(pieces("in.txt", 5), (std::vector<std::string>{"abcde", "fg\n", "hi\n", "\n", "xyz"}));
  EXPECT_EQ(pieces("in.txt", 8), (std::vector<std::string>{"abcdefg\n", "hi\n", "\n", "xyz"}));
}

TEST(TextFile, LinesAcrossBufferBoundaries) {
  TempDir dir;
  std::string big(200000, 'x');
  big[70000] = '\n';
  big[131071] = '\r';
  big[131072] = '\n';
  writeBytes("in.txt", big);
  const auto got = lines("in.txt");
  ASSERT_EQ(got.size(), 3u);
  EXPECT_EQ(got[0].size(), 70000u);
  EXPECT_EQ(got[1].size(), 131071u - 70001u);
  EXPECT_EQ(got[2].size(), 200000u - 131073u);
}

TEST(TextFile, LastLineWithoutLineFeedAndEmptyLines) {
  TempDir dir;
  writeBytes("in.txt", "\n\nlast");
  EXPECT_EQ(lines("in.txt"), (std::vector<std::string>{"", "", "last"}));
  writeBytes("in.txt", "one\n");
  EXPECT_EQ(lines("in.txt"), (std::vector<std::string>{"one"}));
  writeBytes("in.txt", "");
  EXPECT_TRUE(lines("in.txt").empty());
}

TEST(TextFile, WritingTurnsLineFeedIntoCrLf) {
  TempDir dir;
  ASSERT_TRUE(morvel::writeTextFile("out.txt", "a\nb\r\n\n"));
  EXPECT_EQ(readBytes("out.txt"), "a\r\nb\r\r\n\r\n");
  ASSERT_TRUE(morvel::writeTextFile("out.txt", ""));
  EXPECT_EQ(readBytes("out.txt"), "");
}

TEST(TextFile, WritingIntoAMissingDirectoryFails) {
  TempDir dir;
  EXPECT_FALSE(morvel::writeTextFile("no/such/dir/out.txt", "a\n"));
}

TEST(TextFile, WriteFailureIsReported) {
  morvel::TextWriter writer("/dev/full");
  if (!writer.isOpen()) GTEST_SKIP() << "no /dev/full";
  writer.write(std::string(100000, 'x'));
  EXPECT_FALSE(writer.close());
}
