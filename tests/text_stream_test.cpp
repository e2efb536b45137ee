#include "text_stream.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <random>
#include <string>

#include "locator.h"
#include "native_file.h"
#include "support/shipped_tables.h"
#include "support/temp_dir.h"
#include "support/text_pieces.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::shippedTable;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

// "input.txt" streamed into "output.txt" along `path`; the output's bytes.
std::string streamed(BlockPath path, const FlatTextTable& table, const TextStreamSizes& sizes) {
  const BlockPath before = activeBlockPath();
  EXPECT_TRUE(useBlockPath(path));
  const int input = openForReading("input.txt");
  OutputFile output("output.txt", std::size_t{1} << 18);
  EXPECT_TRUE(convertTextStream(input, table, output, sizes));
  EXPECT_TRUE(output.close());
  releaseFile(input);
  EXPECT_TRUE(useBlockPath(before));
  return readBytes("output.txt");
}

// Lines short and long, CR bytes anywhere, lead bytes before CR and LF and
// at the end, now and then a 0x1A.
std::string randomInput(std::mt19937& random, std::size_t lines, std::size_t longLine) {
  std::string text;
  for (std::size_t n = 0; n < lines; ++n) {
    std::size_t size = random() % 40;
    if (random() % 10 == 0) size = longLine / 2 + random() % (2 * longLine);
    for (std::size_t i = 0; i < size; ++i) {
      const auto kind = random() % 20;
      text += kind == 0   ? '\r'
              : kind < 9  ? static_cast<char>(0x20 + random() % 0x5F)
              : kind < 11 ? static_cast<char>(0x81 + random() % 0x1F)
                          : static_cast<char>(0x80 + random() % 0x80);
    }
    const auto end = random() % 4;
    text += end == 0 ? "\n" : end == 1 ? "\r\n" : end == 2 ? "\r\r\n" : "";
  }
  if (random() % 8 == 0 && !text.empty()) text[random() % text.size()] = '\x1A';
  return text;
}

}  // namespace

TEST(TextStream, MatchesTheTextReadersPiecesAlongEveryPath) {
  // Small limits and reads, so that cuts, reads ending inside characters,
  // lines and CR LF pairs, and blocks without any LF all come up often.
  TempDir dir;
  const SparseEUC euc = shippedTable<SparseEUC>();
  std::mt19937 random(7);
  for (int round = 0; round < 600; ++round) {
    const ControlRule rule = round % 2 ? ControlRule::copy : ControlRule::skip;
    const bool crlf = round % 3 != 0;
    TextStreamSizes sizes;
    sizes.pieceLimit = 1 + random() % 300;
    sizes.readSize = 1 + random() % 700;
    sizes.threads = 1 + static_cast<unsigned>(random() % 4);
    sizes.partSize = 1 + random() % 500;
    writeBytes("input.txt", randomInput(random, 1 + random() % 60, sizes.pieceLimit));
    const std::string expected = testing_support::convertTextPieces("input.txt", euc, rule, crlf, sizes.pieceLimit);
    const FlatTextTable table = flattenTextTable(euc, rule, crlf);
    for (const BlockPath path : availableBlockPaths()) {
      ASSERT_EQ(streamed(path, table, sizes), expected)
          << blockPathName(path) << " round " << round << " limit " << sizes.pieceLimit << " read " << sizes.readSize;
    }
  }
}

TEST(TextStream, MatchesTheTextReadersPiecesWithTheUsualSizes) {
  TempDir dir;
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  std::mt19937 random(8);
  writeBytes("input.txt", randomInput(random, 40000, 1000) + std::string(kWorkBufferSize + 5, 'x') + "\r\n" +
                              randomInput(random, 100, 100));
  const std::string expected = testing_support::convertTextPieces("input.txt", utf8, ControlRule::copy, true);
  const FlatTextTable table = flattenTextTable(utf8, ControlRule::copy, true);
  for (const BlockPath path : availableBlockPaths()) {
    ASSERT_EQ(streamed(path, table, {}), expected) << blockPathName(path);
  }
}

#ifndef _WIN32  // a folder opens as a descriptor only here
TEST(TextStream, ReportsAReadError) {
  TempDir dir;
  const int input = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  OutputFile output("output.txt");
  const FlatTextTable table = flattenTextTable(shippedTable<SparseEUC>(), ControlRule::copy, true);
  EXPECT_FALSE(convertTextStream(input, table, output));
  EXPECT_TRUE(output.close());
  ::close(input);
  EXPECT_EQ(readBytes("output.txt"), "");
}
#endif

TEST(OutputFile, EmptiesAFileThatHoldsSomethingAndCreatesOneThatDoesNot) {
  TempDir dir;
  writeBytes("old.txt", "a much longer old content that must vanish");
  for (const char* name : {"old.txt", "new.txt"}) {
    OutputFile output(name, 16);
    ASSERT_TRUE(output.isOpen());
    for (const std::string_view part : {"new content, ", "more than one", " buffer"}) {  // each fits in one
      char* room = output.room(part.size());
      std::copy(part.begin(), part.end(), room);
      output.keep(room + part.size());
    }
    EXPECT_TRUE(output.close());
    EXPECT_EQ(readBytes(name), "new content, more than one buffer") << name;
  }
  OutputFile missingFolder("no/such/folder/out.txt");
  EXPECT_FALSE(missingFolder.isOpen());
}
