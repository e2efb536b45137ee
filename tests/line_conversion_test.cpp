#include "line_conversion.h"

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "locator.h"

using namespace morvel;

namespace {

template <class Table>
Table shippedTable() {
  Table table;
  const std::string path = std::string(MORVEL_DATA_DIR) + "/" + Table::Traits::fileName;
  if (!loadTableFile(table, path)) ADD_FAILURE() << "cannot load " << path;
  return table;
}

// A table whose 7882 records are random bytes: odd codes, empty and full
// entries, zero bytes inside entries, codes above 0xFC4B.
template <class Table>
Table randomTable(std::uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<unsigned char> image(Table::imageSize);
  for (std::size_t i = 0; i < image.size(); ++i) {
    const bool codeByte = i % Table::recordSize < 2;
    const auto value = static_cast<unsigned char>(random());
    // Records mostly name lead-byte codes so that pairs find entries.
    image[i] = codeByte && i % Table::recordSize == 0 && i >= kSingleByteRecords * Table::recordSize
                   ? static_cast<unsigned char>(0x81 + value % 0x7C)
                   : value;
    if (!codeByte && random() % 8 == 0) image[i] = 0;
  }
  Table table;
  table.placeRecords(image);
  return table;
}

template <class Table>
std::string reference(const Table& table, ControlRule rule, const std::vector<std::string>& lines, LineState& state) {
  std::string out;
  for (const std::string& line : lines) {
    convertLineByteByByte(table, rule, line, state, out);
    out += '|';
  }
  return out;
}

std::string fast(const FlatTable& flat, const std::vector<std::string>& lines, LineState& state) {
  std::string out;
  for (const std::string& line : lines) {
    std::vector<char> room(convertedRoom(line.size()));
    const char* end = convertLine(flat, line, state, room.data());
    out.append(room.data(), static_cast<std::size_t>(end - room.data()));
    out += '|';
  }
  return out;
}

template <class Table>
std::string referenceOf(const Table& table, ControlRule rule, std::vector<std::string> lines) {
  LineState state;
  return reference(table, rule, lines, state);
}

// Bytes drawn so that every rule sees plenty of work: ASCII runs long
// enough for the word-wide copy, controls, katakana, lead bytes before trail
// bytes and before bytes that cannot trail, 0x00, 0x7F, 0x80 and 0xFD-0xFF.
std::string randomText(std::mt19937& random, std::size_t size) {
  static constexpr unsigned char kOdd[] = {0x00, 0x09, 0x0A, 0x0D, 0x1A, 0x1F, 0x20, 0x7E,
                                           0x7F, 0x80, 0xA0, 0xFC, 0xFD, 0xFE, 0xFF};
  static constexpr unsigned char kNoTrail[] = {0x00, 0x09, 0x1F, 0x20, 0x3F, 0x7F, 0xFD, 0xFF};
  std::string text;
  while (text.size() < size) {
    switch (random() % 6) {
      case 0:
        for (auto n = random() % 20; n > 0; --n) text += static_cast<char>(0x20 + random() % 0x5F);
        break;
      case 1:
        text += static_cast<char>(0xA1 + random() % 0x3F);
        break;
      case 2:
      case 3:
        text += static_cast<char>(random() % 2 ? 0x81 + random() % 0x20 : 0xE0 + random() % 0x1D);
        text +=
            static_cast<char>(random() % 4 == 0 ? kNoTrail[random() % std::size(kNoTrail)] : 0x40 + random() % 0xBD);
        break;
      case 4:
        text += static_cast<char>(kOdd[random() % std::size(kOdd)]);
        break;
      default:
        text += static_cast<char>(random() % 0x100);
        break;
    }
  }
  text.resize(size);
  return text;
}

std::vector<std::string> randomLines(std::mt19937& random) {
  std::vector<std::string> lines(random() % 12);
  for (std::string& line : lines) {
    const std::size_t size = random() % 10 == 0 ? random() % 400 : random() % 24;
    line = randomText(random, size);
  }
  return lines;
}

template <class Table>
void expectFastMatchesReference(const Table& table, std::uint32_t seed) {
  for (const ControlRule rule : {ControlRule::copy, ControlRule::skip}) {
    const FlatTable flat = flattenTable(table, rule);
    std::mt19937 random(seed);
    LineState slow;
    LineState quick;
    for (int round = 0; round < 3000; ++round) {
      const std::vector<std::string> lines = randomLines(random);
      ASSERT_EQ(fast(flat, lines, quick), reference(table, rule, lines, slow))
          << "rule " << static_cast<int>(rule) << " round " << round;
      ASSERT_EQ(quick.pending, slow.pending);
      if (slow.pending) {
        ASSERT_EQ(quick.lead, slow.lead);
      }
    }
  }
}

}  // namespace

TEST(ControlClass, DropsControlsAndTheBytesAroundTheLeadRange) {
  for (std::int32_t b = 0; b < 224; ++b) {
    const bool kept = (b >= 0x20 && b <= 0x7E) || (b >= 0xA1 && b <= 0xDF);
    EXPECT_EQ(controlClass[static_cast<std::size_t>(b)], kept ? b : 7) << b;
  }
  EXPECT_FALSE(skipDrops(0xFD));
  EXPECT_FALSE(skipDrops(0xFF));
}

TEST(LineConversion, AsciiPassesThroughAndPairsAreLookedUp) {
  const SparseEUC euc = shippedTable<SparseEUC>();
  // "A", then HIRAGANA A (0x82A0), then "z"
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {"A\x82\xA0z"}), "A\xA4\xA2z|");
  // half-width katakana KA
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {"\xB6"}), "\x8E\xB6|");
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  EXPECT_EQ(referenceOf(utf8, ControlRule::copy, {"\xB6"}), "\xEF\xBD\xB6|");
  EXPECT_EQ(referenceOf(utf8, ControlRule::copy, {"\x82\xA0"}), "\xE3\x81\x82|");
}

TEST(LineConversion, UnmappedPairsAndCodesWithoutSlotVanish) {
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  EXPECT_EQ(referenceOf(utf8, ControlRule::copy, {"X\x85\x40Y"}), "XY|");
  EXPECT_EQ(referenceOf(utf8, ControlRule::copy, {"X\xA0\x41Y"}), "XY|");
  EXPECT_EQ(referenceOf(utf8, ControlRule::copy, {"X\xFC\xFCY\xFC\x80"}), "XY|");
}

TEST(LineConversion, CopyRuleKeepsEverySingleByteButLeads) {
  const SparseEUC euc = shippedTable<SparseEUC>();
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {"\t\x01\x1B\x7F\x80\xFD\xFE\xFF~"}),
            "\t\x01\x1B\x7F\x80\xFD\xFE\xFF~|");
}

TEST(LineConversion, SkipRuleDropsControlsAnd7FAnd80) {
  const SparseEUC euc = shippedTable<SparseEUC>();
  EXPECT_EQ(referenceOf(euc, ControlRule::skip, {"\t a\x01\x1B\r\x7F\x80~\xFD\xFE\xFF"}), " a~\xFD\xFE\xFF|");
  EXPECT_EQ(referenceOf(euc, ControlRule::skip, {"\t\t", "\x01\x1F"}), "||");
}

TEST(LineConversion, TrailBytesAre40To7EAnd80ToFC) {
  const SparseEUC euc = shippedTable<SparseEUC>();
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {"\x81\x40\x81\x7E\x81\x80\x81\xFC"}),
            "\xA1\xA1\xA1\xDF\xA1\xE0\xA2\xFE|");
}

TEST(LineConversion, LeadByteBeforeANonTrailByteIsDroppedAndTheByteStandsAlone) {
  const SparseEUC euc = shippedTable<SparseEUC>();
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {"<\x81>"}), "<>|");
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {std::string("\x82\0\x82\t\x82\x3F\x82\x7F\x82\xFD\x82\xFF", 12)}),
            std::string("\0\t\x3F\x7F\xFD\xFF|", 7));
  EXPECT_EQ(referenceOf(euc, ControlRule::skip, {std::string("\x82\0\x82\t\x82 \x82\x7F\x82\xFD", 10)}), " \xFD|");
}

TEST(LineConversion, LeadByteAtLineEndPairsWithTheNextLine) {
  const SparseEUC euc = shippedTable<SparseEUC>();
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {"a\x82", "\xA0z"}), "a|\xA4\xA2z|");
  // unless the first byte cannot be a trail byte
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {"a\x82", "\tB"}), "a|\tB|");
  EXPECT_EQ(referenceOf(euc, ControlRule::skip, {"a\x82", "", " B"}), "a|| B|");
}

TEST(LineConversion, ZeroByteIsCopiedOrSkippedLikeAControl) {
  const SparseEUC euc = shippedTable<SparseEUC>();
  const std::string line("ab\0cd", 5);
  EXPECT_EQ(referenceOf(euc, ControlRule::copy, {line, "e"}), std::string("ab\0cd|e|", 8));
  EXPECT_EQ(referenceOf(euc, ControlRule::skip, {line, "e"}), "abcd|e|");
}

TEST(LineConversion, FastFormHandlesTheCasesAbove) {
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  const FlatTable copy = flattenTable(utf8, ControlRule::copy);
  const FlatTable skip = flattenTable(utf8, ControlRule::skip);
  LineState state;
  // twelve ASCII bytes, then HIRAGANA A and half-width KA
  EXPECT_EQ(fast(copy, {"0123456789ab\x82\xA0\xB6\x80\xFD\t", "\x82"}, state),
            "0123456789ab\xE3\x81\x82\xEF\xBD\xB6\x80\xFD\t||");
  EXPECT_TRUE(state.pending);
  EXPECT_EQ(fast(copy, {"\xA0"}, state), "\xE3\x81\x82|");
  EXPECT_EQ(fast(skip, {"abcdefg\x7Fhijklmn\topq\x80~\xFF"}, state), "abcdefghijklmnopq~\xFF|");
}

TEST(LineConversion, FastFormMatchesTheReferenceOnTheShippedTables) {
  expectFastMatchesReference(shippedTable<SparseEUC>(), 1);
  expectFastMatchesReference(shippedTable<SparseSJIS>(), 2);
  expectFastMatchesReference(shippedTable<SparseUTF8>(), 3);
}

TEST(LineConversion, FastFormMatchesTheReferenceOnRandomTables) {
  expectFastMatchesReference(randomTable<SparseEUC>(11), 4);
  expectFastMatchesReference(randomTable<SparseSJIS>(12), 5);
  expectFastMatchesReference(randomTable<SparseUTF8>(13), 6);
}

TEST(LineConversion, FastFormMatchesTheReferenceAtEveryLengthAndCut) {
  // Lines of every length up to three blocks, with a lead byte (which may
  // pair across a block edge) at every position.
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  for (const ControlRule rule : {ControlRule::copy, ControlRule::skip}) {
    const FlatTable flat = flattenTable(utf8, rule);
    for (std::size_t size = 1; size <= 200; ++size) {
      for (std::size_t at = 0; at < size; at += 1 + size / 40) {
        std::string line(size, 'a');
        for (std::size_t i = 0; i < size; ++i) line[i] = static_cast<char>(i % 3 == 0 ? '\xB6' : 'a' + i % 26);
        line[at] = '\x82';
        LineState slow;
        LineState quick;
        const std::vector<std::string> lines = {line, "\xA0", line.substr(0, at)};
        ASSERT_EQ(fast(flat, lines, quick), reference(utf8, rule, lines, slow)) << size << " " << at;
      }
    }
  }
}

TEST(LineConversion, FastFormMatchesTheReferenceWithANonTrailByteAnywhere) {
  // Lines up to three blocks long of lead bytes, in runs, and letters, with a
  // byte that cannot trail at every position; the line after starts with the
  // same byte, after a lead byte left waiting or not.
  const SparseEUC euc = shippedTable<SparseEUC>();
  for (const ControlRule rule : {ControlRule::copy, ControlRule::skip}) {
    const FlatTable flat = flattenTable(euc, rule);
    for (const char noTrail : {'\0', '\t', '\x3F', '\x7F', '\xFD'}) {
      std::mt19937 random(17);
      for (std::size_t size = 1; size <= 200; ++size) {
        std::string line(size, 'a');
        for (char& c : line) c = static_cast<char>(random() % 3 != 0 ? 0x81 + random() % 4 : 'a' + random() % 26);
        for (std::size_t at = 0; at < size; ++at) {
          std::string odd = line;
          odd[at] = noTrail;
          LineState slow;
          LineState quick;
          const std::vector<std::string> lines = {odd, odd.substr(at), "\xA0z"};
          ASSERT_EQ(fast(flat, lines, quick), reference(euc, rule, lines, slow)) << size << " " << at;
        }
      }
    }
  }
}

TEST(LineConversion, FastFormStaysWithinItsRoom) {
  // Every byte a half-width katakana with a three-byte entry: the worst
  // growth. The output has exactly the room asked for.
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  const FlatTable flat = flattenTable(utf8, ControlRule::copy);
  for (std::size_t size = 0; size < 300; ++size) {
    const std::string line(size, '\xB6');
    auto out = std::make_unique<char[]>(convertedRoom(size));
    LineState state;
    const char* end = convertLine(flat, line, state, out.get());
    EXPECT_EQ(static_cast<std::size_t>(end - out.get()), 3 * size);
  }
}

TEST(BlockBits, VectorAndWordFormsAgree) {
  std::mt19937 random(64);
  std::vector<unsigned char> block(64);
  for (int round = 0; round < 20000; ++round) {
    if (round < 4) {
      // every byte value, in four blocks
      for (std::size_t i = 0; i < 64; ++i) block[i] = static_cast<unsigned char>(64 * round + static_cast<int>(i));
    } else {
      for (unsigned char& b : block) b = static_cast<unsigned char>(random());
    }
    ASSERT_EQ(detail::leadBits(block.data()), detail::leadBitsByWords(block.data()));
    ASSERT_EQ(detail::trailBits(block.data()), detail::trailBitsByWords(block.data()));
    for (const ControlRule rule : {ControlRule::copy, ControlRule::skip}) {
      ASSERT_EQ(detail::specialBits(rule, block.data()), detail::specialBitsByWords(rule, block.data()));
    }
  }
}

TEST(BlockBits, MarkLeadAndTrailBytesAndBytesNotCopied) {
  std::vector<unsigned char> block(64);
  for (int part = 0; part < 4; ++part) {
    for (std::size_t i = 0; i < 64; ++i) block[i] = static_cast<unsigned char>(64 * part + static_cast<int>(i));
    const std::uint64_t leads = detail::leadBitsByWords(block.data());
    const std::uint64_t trails = detail::trailBitsByWords(block.data());
    const std::uint64_t copySpecial = detail::specialBitsByWords(ControlRule::copy, block.data());
    const std::uint64_t skipSpecial = detail::specialBitsByWords(ControlRule::skip, block.data());
    for (std::size_t i = 0; i < 64; ++i) {
      const unsigned char b = block[i];
      EXPECT_EQ((leads >> i) & 1, isLeadByte(b) ? 1u : 0u) << int(b);
      EXPECT_EQ((trails >> i) & 1, (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC) ? 1u : 0u) << int(b);
      EXPECT_EQ((copySpecial >> i) & 1, b >= 0x80 ? 1u : 0u) << int(b);
      EXPECT_EQ((skipSpecial >> i) & 1, b >= 0x20 && b <= 0x7E ? 0u : 1u) << int(b);
    }
  }
}
