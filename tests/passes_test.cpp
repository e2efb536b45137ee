#include "passes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "line_conversion.h"
#include "locator.h"
#include "profile.h"
#include "reporter.h"
#include "support/code_page_oracle.h"
#include "support/same_bytes.h"
#include "support/shipped_tables.h"
#include "support/temp_dir.h"
#include "text_file.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::sameBytes;
using testing_support::shippedTable;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

constexpr const char* kEucTable = "MS932~EUC-JP.bin";
constexpr const char* kSjisTable = "MS932~Shift_JIS.bin";
constexpr const char* kUtf8Table = "MS932~UTF-8.bin";
constexpr std::size_t kPiece = 524287;

using PassFunction = PassResult (*)(const TableContext&, Regulate&, std::string&);

// Morvel's report files and a profile whose only way to a table is the
// current directory.
TableContext context() {
  static const ProgramProfile profile = [] {
    ProgramProfile p = morvelProfile();
    p.fixedFolder = "/nonexistent-morvel-folder/";
    return p;
  }();
  static ReportFiles files;
  return {profile, files};
}

// Works in a fresh directory holding copies of the shipped tables.
class Passes : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {kEucTable, kSjisTable, kUtf8Table}) copyTable(name);
  }

  static void copyTable(const char* name) {
    std::filesystem::copy_file(std::filesystem::path(MORVEL_DATA_DIR) / name, name,
                               std::filesystem::copy_options::overwrite_existing);
  }

  // Runs `pass` on `lines` into "binary.tmp"; the file's bytes.
  static std::string run(PassFunction pass, std::vector<std::string> lines, bool crlf = true) {
    Regulate job;
    job.crlf = crlf;
    job.lines = std::move(lines);
    std::string output = "binary.tmp";
    EXPECT_EQ(pass(context(), job, output), PassResult::done);
    EXPECT_EQ(output, "binary.tmp");
    return readBytes("binary.tmp");
  }

  static std::string runFile(std::string_view input, bool crlf = true) {
    writeBytes("input.txt", input);
    Regulate job;
    job.crlf = crlf;
    job.inputName = "input.txt";
    std::string output = "binary.tmp";
    EXPECT_EQ(readingAnotherFileToProduceEUC(context(), job, output), PassResult::done);
    return readBytes("binary.tmp");
  }

  TempDir dir_;
};

// The plain conversion of `lines`, each followed by `lineEnd`.
template <class Table>
std::string expected(ControlRule rule, const std::vector<std::string>& lines, std::string_view lineEnd) {
  const Table table = shippedTable<Table>();
  LineState state;
  std::string out;
  for (const std::string& line : lines) {
    convertLineByteByByte(table, rule, line, state, out);
    out.append(lineEnd);
  }
  return out;
}

// Every double-byte code the table gives an entry.
std::vector<std::int32_t> mappedPairs(const SparseUTF8& table) {
  std::vector<std::int32_t> codes;
  for (std::int32_t code = 0x8140; code <= kHighestCode; ++code) {
    if (!table.entryText(code).empty()) codes.push_back(code);
  }
  return codes;
}

}  // namespace

TEST_F(Passes, EmptyListGivesAnEmptyFile) {
  writeBytes("binary.tmp", "old");
  EXPECT_EQ(run(readingToProduceEUC, {}), "");
  EXPECT_EQ(run(readingToProduceUTF8, {}), "");
  EXPECT_EQ(run(skippingControlCharactersToProduceSJIS, {}), "");
}

TEST_F(Passes, EmptyLineGivesJustTheLineEnd) {
  EXPECT_EQ(run(readingToProduceEUC, {""}), "\r\n");
  EXPECT_EQ(run(readingToProduceEUC, {"", ""}, false), "\n\n");
  EXPECT_EQ(run(skippingControlCharactersToProduceUTF8, {"\t\x01"}), "\r\n");
}

TEST_F(Passes, DoubleByteCharactersComeFromTheTable) {
  // "A" and HIRAGANA A (0x82A0)
  EXPECT_EQ(run(readingToProduceEUC, {"A\x82\xA0"}), "A\xA4\xA2\r\n");
  EXPECT_EQ(run(readingToProduceUTF8, {"A\x82\xA0"}), "A\xE3\x81\x82\r\n");
  EXPECT_EQ(run(skippingControlCharactersToProduceEUC, {"A\x82\xA0"}), "A\xA4\xA2\r\n");
  EXPECT_EQ(run(skippingControlCharactersToProduceUTF8, {"A\x82\xA0"}), "A\xE3\x81\x82\r\n");
  EXPECT_EQ(run(skippingControlCharactersToProduceSJIS, {"A\x82\xA0"}), "A\x82\xA0\r\n");
}

TEST_F(Passes, HalfWidthKatakana) {
  // half-width katakana KA
  EXPECT_EQ(run(readingToProduceEUC, {"\xB6"}), "\x8E\xB6\r\n");
  EXPECT_EQ(run(readingToProduceUTF8, {"\xB6"}), "\xEF\xBD\xB6\r\n");
  EXPECT_EQ(run(skippingControlCharactersToProduceSJIS, {"\xB6"}), "\xB6\r\n");
}

TEST_F(Passes, UnmappedCharacterIsDroppedWithItsLeadByte) {
  EXPECT_EQ(run(readingToProduceEUC, {"X\x85\x40Y"}), "XY\r\n");
  EXPECT_EQ(run(readingToProduceUTF8, {"X\xFC\xFCY"}), "XY\r\n");
}

TEST_F(Passes, LeadByteBeforeANonTrailByteIsDropped) {
  EXPECT_EQ(run(readingToProduceEUC, {"<\x81>"}), "<>\r\n");
  EXPECT_EQ(run(readingToProduceUTF8, {std::string("\x82\0\x82\xFF", 4)}), std::string("\0\xFF\r\n", 4));
  EXPECT_EQ(run(skippingControlCharactersToProduceSJIS, {"\x82\t\x82 "}), " \r\n");
}

TEST_F(Passes, ControlBytesAreCopiedUnlessSkipped) {
  const std::string line = "\ta\x1B\x7F\x80~\xFD\xFE\xFF";
  EXPECT_TRUE(sameBytes(run(readingToProduceEUC, {line}), line + "\r\n"));
  EXPECT_TRUE(sameBytes(run(readingToProduceUTF8, {line}), line + "\r\n"));
  EXPECT_EQ(run(skippingControlCharactersToProduceEUC, {line}), "a~\xFD\xFE\xFF\r\n");
  EXPECT_EQ(run(skippingControlCharactersToProduceSJIS, {"\t \t "}), "  \r\n");
}

TEST_F(Passes, SjisSkippingLeavesPlainAsciiAlone) {
  std::string ascii;
  for (char c = 0x20; c < 0x7F; ++c) ascii += c;
  EXPECT_TRUE(
      sameBytes(run(skippingControlCharactersToProduceSJIS, {ascii, ascii}, false), ascii + "\n" + ascii + "\n"));
}

TEST_F(Passes, LeadByteAtLineEndPairsWithTheNextLine) {
  EXPECT_EQ(run(readingToProduceEUC, {"a\x82", "\xA0Z"}), "a\r\n\xA4\xA2Z\r\n");
  // A TAB cannot be a trail byte: the lead byte is dropped, the TAB stands
  // alone.
  EXPECT_EQ(run(readingToProduceEUC, {"\x82", "\tB"}), "\r\n\tB\r\n");
  EXPECT_EQ(run(skippingControlCharactersToProduceEUC, {"\x82", "\tB"}), "\r\nB\r\n");
  // Nothing follows the last lead byte.
  EXPECT_EQ(run(readingToProduceUTF8, {"a\x82"}, false), "a\n");
}

TEST_F(Passes, ZeroByteIsCopiedUnlessSkipped) {
  const std::string line("ab\0cd", 5);
  EXPECT_TRUE(sameBytes(run(readingToProduceEUC, {line, "e"}), line + "\r\ne\r\n"));
  EXPECT_EQ(run(skippingControlCharactersToProduceEUC, {line, "e"}), "abcd\r\ne\r\n");
}

TEST_F(Passes, LongEntryIsConvertedWhole) {
  std::string line;
  while (line.size() < 600000) line += "abc\x82\xA0\xB6";  // HIRAGANA A, half-width KA
  line += "\x82";
  const std::vector<std::string> lines = {line, "\xA0", ""};
  EXPECT_TRUE(sameBytes(run(readingToProduceUTF8, lines), expected<SparseUTF8>(ControlRule::copy, lines, "\r\n")));
}

TEST_F(Passes, LongEntryGoesOnAfterAZeroByte) {
  std::string line(200000, 'a');
  line[150000] = '\0';
  EXPECT_TRUE(sameBytes(run(readingToProduceEUC, {line, "b"}), line + "\r\nb\r\n"));
}

TEST_F(Passes, RandomListsMatchThePlainConversion) {
  std::mt19937 random(7);
  std::vector<std::string> lines(3000);
  for (std::string& line : lines) {
    line.resize(random() % 150);
    for (char& c : line) c = static_cast<char>(random() % 3 == 0 ? 0x20 + random() % 0x60 : random() % 0x100);
  }
  EXPECT_TRUE(sameBytes(run(readingToProduceEUC, lines), expected<SparseEUC>(ControlRule::copy, lines, "\r\n")));
  EXPECT_TRUE(sameBytes(run(readingToProduceUTF8, lines, false), expected<SparseUTF8>(ControlRule::copy, lines, "\n")));
  EXPECT_TRUE(sameBytes(run(skippingControlCharactersToProduceEUC, lines),
                        expected<SparseEUC>(ControlRule::skip, lines, "\r\n")));
  EXPECT_TRUE(sameBytes(run(skippingControlCharactersToProduceSJIS, lines, false),
                        expected<SparseSJIS>(ControlRule::skip, lines, "\n")));
  EXPECT_TRUE(sameBytes(run(skippingControlCharactersToProduceUTF8, lines),
                        expected<SparseUTF8>(ControlRule::skip, lines, "\r\n")));
}

TEST_F(Passes, Utf8AgreesWithIconv) {
  const std::vector<std::int32_t> pairs = mappedPairs(shippedTable<SparseUTF8>());
  ASSERT_GT(pairs.size(), 7000u);
  std::mt19937 random(932);
  std::vector<std::string> lines(2000);
  std::string joined;
  for (std::string& line : lines) {
    for (auto n = random() % 60; n > 0; --n) {
      const auto kind = random() % 10;
      if (kind < 3) {
        line += static_cast<char>(kind == 0 && random() % 4 == 0 ? '\t' : 0x20 + random() % 0x5F);
      } else if (kind == 3) {
        line += static_cast<char>(0xA1 + random() % 0x3F);
      } else {
        const std::int32_t code = pairs[random() % pairs.size()];
        line += static_cast<char>(code >> 8);
        line += static_cast<char>(code & 0xFF);
      }
    }
    joined += line + "\n";
  }
  EXPECT_TRUE(sameBytes(run(readingToProduceUTF8, lines, false), testing_support::systemUtf8OfCp932(joined)));
}

TEST_F(Passes, EveryMappedPairAgreesWithIconv) {
  std::string text;
  for (const std::int32_t code : mappedPairs(shippedTable<SparseUTF8>())) {
    text += static_cast<char>(code >> 8);
    text += static_cast<char>(code & 0xFF);
  }
  for (int b = 0xA1; b <= 0xDF; ++b) text += static_cast<char>(b);
  EXPECT_TRUE(sameBytes(run(readingToProduceUTF8, {text}, false), testing_support::systemUtf8OfCp932(text + "\n")));
}

TEST_F(Passes, UnwritableOutputFallsBackToMorvelTxt) {
  Regulate job;
  job.lines = {"a"};
  for (PassFunction pass : {readingToProduceEUC, readingToProduceUTF8, skippingControlCharactersToProduceEUC,
                            skippingControlCharactersToProduceSJIS, skippingControlCharactersToProduceUTF8}) {
    std::string output = "no-such-folder/binary.tmp";
    EXPECT_EQ(pass(context(), job, output), PassResult::failed);
    EXPECT_EQ(output, "Morvel.txt");
    EXPECT_EQ(readBytes("error.txt"), "openClose() error-2: Morvel.txt\r\n");
    EXPECT_FALSE(std::filesystem::exists("Morvel.txt"));
    std::filesystem::remove("error.txt");
  }
}

TEST_F(Passes, FileDrivenUnwritableOutputGoesToStandardError) {
  writeBytes("input.txt", "a\n");
  Regulate job;
  job.inputName = "input.txt";
  std::string output = "no-such-folder/binary.tmp";
  testing::internal::CaptureStderr();
  EXPECT_EQ(readingAnotherFileToProduceEUC(context(), job, output), PassResult::failed);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "openClose() error-2: Morvel.txt\n");
  EXPECT_EQ(output, "Morvel.txt");
  EXPECT_FALSE(std::filesystem::exists("error.txt"));
}

TEST_F(Passes, MissingTableIsReportedAndLeavesAnEmptyOutput) {
  struct Case {
    PassFunction pass;
    const char* table;
    const char* line;
  };
  const Case cases[] = {
      {readingToProduceEUC, kEucTable, "readingToProduceEUC() error: euc->setting(no_searching, &whichTable)"},
      {readingToProduceUTF8, kUtf8Table, "readingToProduceUTF8() error: utf8->setting(no_searching, &whichTable)"},
      {skippingControlCharactersToProduceEUC, kEucTable,
       "skippingControlCharactersToProduceEUC() error: euc->setting(no_searching, &whichTable)"},
      {skippingControlCharactersToProduceSJIS, kSjisTable,
       "skippingControlCharactersToProduceSJIS() error: sjis->setting(no_searching, &whichTable)"},
      {skippingControlCharactersToProduceUTF8, kUtf8Table,
       "skippingControlCharactersToProduceUTF8() error: utf8->setting(no_searching, &whichTable)"},
  };
  for (const Case& c : cases) {
    std::filesystem::remove(c.table);
    writeBytes("binary.tmp", "old");
    Regulate job;
    job.lines = {"a"};
    std::string output = "binary.tmp";
    EXPECT_EQ(c.pass(context(), job, output), PassResult::failed) << c.line;
    EXPECT_EQ(readBytes("error.txt"), std::string(c.line) + "\r\n");
    EXPECT_EQ(readBytes("binary.tmp"), "");
    copyTable(c.table);
  }
}

TEST_F(Passes, ShortTableCountsAsMissing) {
  const std::string table = readBytes(kEucTable);
  writeBytes(kEucTable, table.substr(0, table.size() - 4));
  Regulate job;
  job.lines = {"a"};
  std::string output = "binary.tmp";
  EXPECT_EQ(readingToProduceEUC(context(), job, output), PassResult::failed);
  EXPECT_EQ(readBytes("error.txt"), "readingToProduceEUC() error: euc->setting(no_searching, &whichTable)\r\n");
  EXPECT_EQ(readBytes("binary.tmp"), "");

  writeBytes("input.txt", "a\n");
  job.inputName = "input.txt";
  EXPECT_EQ(readingAnotherFileToProduceEUC(context(), job, output), PassResult::failed);
  EXPECT_EQ(readBytes("error.txt"),
            "readingAnotherFileToProduceEUC() error: euc->setting(no_searching, &whichTable)\r\n");
  EXPECT_EQ(readBytes("binary.tmp"), "");
}

TEST_F(Passes, TableIsSearchedWithTheJobsSwitches) {
  Regulate job;
  job.lines = {"a"};
  job.search.whichTable = true;
  std::string output = "binary.tmp";
  EXPECT_EQ(readingToProduceUTF8(context(), job, output), PassResult::done);
  EXPECT_FALSE(job.search.whichTable);
  EXPECT_EQ(readBytes("messages.txt"), "MS932~UTF-8.bin is primarily accessible to Morvel.\r\n");

  job.search.no_searching = true;
  EXPECT_EQ(readingToProduceUTF8(context(), job, output), PassResult::failed);
  EXPECT_EQ(readBytes("error.txt"), "readingToProduceUTF8() error: utf8->setting(no_searching, &whichTable)\r\n");
}

TEST_F(Passes, FailedWritesAreReported) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  const std::vector<std::string> small = {"a"};
  const std::vector<std::string> large(100000, std::string(60, 'x'));
  for (const auto* lines : {&small, &large}) {
    Regulate job;
    job.lines = *lines;
    std::string output = "/dev/full";
    EXPECT_EQ(readingToProduceEUC(context(), job, output), PassResult::failed);
    EXPECT_EQ(readBytes("error.txt"), "readingToProduceEUC() error: write error: /dev/full\r\n");
    EXPECT_EQ(skippingControlCharactersToProduceUTF8(context(), job, output), PassResult::failed);
    EXPECT_EQ(readBytes("error.txt"), "skippingControlCharactersToProduceUTF8() error: write error: /dev/full\r\n");
  }
  writeBytes("input.txt", "a\n");
  Regulate job;
  job.inputName = "input.txt";
  std::string output = "/dev/full";
  EXPECT_EQ(readingAnotherFileToProduceEUC(context(), job, output), PassResult::failed);
  EXPECT_EQ(readBytes("error.txt"), "readingAnotherFileToProduceEUC() error: write error: /dev/full\r\n");
}

TEST_F(Passes, FileDrivenReadErrorIsReported) {
  // Reading a process's own memory from offset 0 fails with EIO.
  if (!std::filesystem::exists("/proc/self/mem")) GTEST_SKIP() << "no /proc/self/mem";
  Regulate job;
  job.inputName = "/proc/self/mem";
  std::string output = "binary.tmp";
  EXPECT_EQ(readingAnotherFileToProduceEUC(context(), job, output), PassResult::failed);
  EXPECT_EQ(readBytes("error.txt"), "readingAnotherFileToProduceEUC() error: read error: /proc/self/mem\r\n");
}

TEST_F(Passes, FileDrivenEmptyInputGivesEmptyOutput) { EXPECT_EQ(runFile(""), ""); }

TEST_F(Passes, FileDrivenDropsCarriageReturns) {
  EXPECT_EQ(runFile("a\r\n\x82\xA0\r\n\r\n"), "a\r\n\xA4\xA2\r\n\r\n");
  EXPECT_EQ(runFile("a\r\nb", false), "a\nb\n");
}

TEST_F(Passes, FileDrivenStopsAtEndOfTextByte) { EXPECT_EQ(runFile("a\nb\x1Az\nd\n"), "a\r\nb\r\n"); }

TEST_F(Passes, FileDrivenStopsAtEndOfTextByteBeyondTheFirstRead) {
  const std::string line(99, 'x');
  std::string input;
  for (int n = 0; n < 2000; ++n) input += line + "\n";
  input[150000] = '\x1A';  // the start of line 1500
  std::string output;
  for (int n = 0; n < 1500; ++n) output += line + "\r\n";
  EXPECT_EQ(runFile(input), output);
}

TEST_F(Passes, FileDrivenKeepsZeroBytes) {
  EXPECT_EQ(runFile(std::string("ab\0cd\nef\n", 9)), std::string("ab\0cd\r\nef\r\n", 11));
}

TEST_F(Passes, FileDrivenCutsLongLines) {
  std::string input(600000, 'x');
  input += "\r\ny\r\n";
  const std::string out = runFile(input);
  EXPECT_EQ(out, std::string(kPiece, 'x') + "\r\n" + std::string(600000 - kPiece, 'x') + "\r\ny\r\n");
}

TEST_F(Passes, FileDrivenLineOfExactlyOnePieceLeavesAnEmptyLine) {
  EXPECT_EQ(runFile(std::string(kPiece, 'x') + "\n" + "y\n", false), std::string(kPiece, 'x') + "\n\ny\n");
}

TEST_F(Passes, FileDrivenPiecesShareACharacterCutBetweenThem) {
  // HIRAGANA A split by the cut: its lead byte ends the first piece.
  std::string input(kPiece - 1, 'x');
  input += "\x82\xA0z\n";
  EXPECT_EQ(runFile(input), std::string(kPiece - 1, 'x') + "\r\n\xA4\xA2z\r\n");
}

TEST_F(Passes, FileDrivenDropsCarriageReturnsInsideLines) {
  EXPECT_EQ(runFile("a\rb\r\r\n\r\n\rc\r"), "ab\r\n\r\nc\r\n");
  // A CR between a lead byte and its trail is not there for the pairing.
  EXPECT_EQ(runFile("\x82\r\xA0\n"), "\xA4\xA2\r\n");
}

TEST_F(Passes, FileDrivenCutCountsTheBytesLeftWithoutCarriageReturns) {
  std::string input(kPiece - 1, 'x');
  input += "\ry\rz\r\n";
  EXPECT_EQ(runFile(input), std::string(kPiece - 1, 'x') + "y\r\nz\r\n");
}

TEST_F(Passes, FileDrivenDropsALeadByteAtTheEnd) { EXPECT_EQ(runFile("a\n\x82"), "a\r\n\r\n"); }

TEST_F(Passes, FileDrivenMatchesThePlainConversion) {
  std::mt19937 random(3);
  std::string input;
  std::vector<std::string> lines;
  for (int n = 0; n < 5000; ++n) {
    std::string line(random() % 200, ' ');
    for (char& c : line) {
      do {
        c = static_cast<char>(random() % 0x100);
      } while (c == '\n' || c == '\r' || c == '\x1A');
    }
    input += line + (random() % 2 ? "\r\n" : "\n");
    lines.push_back(line);
  }
  EXPECT_EQ(runFile(input), expected<SparseEUC>(ControlRule::copy, lines, "\r\n"));
}

TEST_F(Passes, FileDrivenMatchesTheTextReadersPieces) {
  // Lines of every sort, CR bytes anywhere, some lines longer than a piece
  // and reads that end anywhere: the pieces are those the shared text reader
  // cuts, converted one by one.
  std::mt19937 random(11);
  std::string input;
  for (int n = 0; n < 20000; ++n) {
    std::size_t size = random() % 300;
    if (n % 4000 == 1000) size = kPiece - 3 + random() % 6;
    if (n % 4000 == 3000) size = 700000 + random() % 1000;
    const std::size_t start = input.size();
    input.resize(start + size);
    for (std::size_t i = start; i < input.size(); ++i) {
      const auto kind = random() % 16;
      input[i] = kind == 0  ? '\r'
                 : kind < 8 ? static_cast<char>(0x20 + random() % 0x5F)
                            : static_cast<char>(0x80 + random() % 0x80);
    }
    input += random() % 3 == 0 ? "\n" : "\r\n";
  }
  writeBytes("input.txt", input);
  TextReader reader("input.txt");
  std::vector<std::string> pieces;
  std::string piece;
  while (reader.readPiece(piece, kPiece)) {
    if (piece.back() == '\n') piece.pop_back();
    pieces.push_back(piece);
  }
  ASSERT_GT(pieces.size(), 10000u);
  EXPECT_EQ(runFile(input), expected<SparseEUC>(ControlRule::copy, pieces, "\r\n"));
}

TEST_F(Passes, OpenCloseEmptiesTheFileOrNamesTheFallback) {
  writeBytes("out.txt", "old");
  std::string name = "out.txt";
  EXPECT_TRUE(openClose(context().reporter, name, OpenFor::writing));
  EXPECT_EQ(readBytes("out.txt"), "");
  name = "no-such-folder/out.txt";
  EXPECT_FALSE(openClose(context().reporter, name, OpenFor::writing));
  EXPECT_EQ(name, "Morvel.txt");
  name = "out.txt";
  EXPECT_TRUE(openClose(context().reporter, name, OpenFor::reading));
}

TEST_F(Passes, MissingInputIsReported) {
  Regulate job;
  job.inputName = "missing.txt";
  std::string output = "binary.tmp";
  EXPECT_EQ(readingAnotherFileToProduceEUC(context(), job, output), PassResult::inputUnreadable);
  EXPECT_EQ(readBytes("error.txt"), "ifstream in() error: missing.txt\r\n");
  EXPECT_FALSE(std::filesystem::exists("binary.tmp"));
}
