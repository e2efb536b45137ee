#include "line_list.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "locator.h"
#include "support/shipped_tables.h"
#include "support/temp_dir.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::shippedTable;
using testing_support::TempDir;

namespace {

template <class Table>
std::string plain(const Table& table, ControlRule rule, bool crlf, const std::vector<std::string>& lines) {
  LineState state;
  std::string out;
  for (const std::string& line : lines) {
    convertLineByteByByte(table, rule, line, state, out);
    out += crlf ? "\r\n" : "\n";
  }
  return out;
}

// Lines empty and long, ending in lead bytes or not, of every sort of byte.
std::vector<std::string> randomLines(std::mt19937& random, std::size_t count) {
  std::vector<std::string> lines(count);
  for (std::string& line : lines) {
    std::size_t size = random() % 30;
    if (random() % 50 == 0) size = random() % 100000;
    for (std::size_t i = 0; i < size; ++i) {
      const auto kind = random() % 10;
      line += kind < 4   ? static_cast<char>(0x20 + random() % 0x5F)
              : kind < 6 ? static_cast<char>(0x81 + random() % 0x1F)
                         : static_cast<char>(random() % 0x100);
    }
    if (random() % 4 == 0) line += static_cast<char>(0x81 + random() % 0x1F);
  }
  return lines;
}

}  // namespace

TEST(LineList, MatchesThePlainConversionInPartsAndAlongEveryPath) {
  TempDir dir;
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  std::mt19937 random(9);
  const BlockPath before = activeBlockPath();
  for (int round = 0; round < 300; ++round) {
    const ControlRule rule = round % 2 ? ControlRule::copy : ControlRule::skip;
    const bool crlf = round % 3 != 0;
    LineListSizes sizes;
    sizes.threads = 1 + static_cast<unsigned>(random() % 4);
    sizes.partSize = 1 + random() % 2000;
    const std::vector<std::string> lines = randomLines(random, random() % 200);
    const std::string expected = plain(utf8, rule, crlf, lines);
    const FlatTable table = flattenTable(utf8, rule);
    for (const BlockPath path : availableBlockPaths()) {
      ASSERT_TRUE(useBlockPath(path));
      {
        OutputFile output("out.txt", std::size_t{1} << 18);
        convertLineList(lines, table, crlf, output, sizes);
        ASSERT_TRUE(output.close());
      }
      ASSERT_EQ(readBytes("out.txt"), expected)
          << blockPathName(path) << " round " << round << " threads " << sizes.threads << " part " << sizes.partSize;
    }
  }
  EXPECT_TRUE(useBlockPath(before));
}
