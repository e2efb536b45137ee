#include "line_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "locator.h"
#include "support/shipped_tables.h"

using namespace morvel;
using testing_support::shippedTable;

namespace {

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
  EXPECT_TRUE(table.placeRecords(image));
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

std::string fast(BlockPath path, const FlatTable& flat, const std::vector<std::string>& lines, LineState& state) {
  std::string out;
  for (const std::string& line : lines) {
    // Exactly the room promised, on the heap, so that a stray store shows
    // under the sanitizers.
    auto room = std::make_unique<char[]>(convertedRoom(line.size()));
    const char* end = convertLine(path, flat, line, state, room.get());
    out.append(room.get(), static_cast<std::size_t>(end - room.get()));
    out += '|';
  }
  return out;
}

// The text form on `text` cut into the pieces `cuts` gives.
std::string fastText(BlockPath path, const FlatTextTable& flat, std::string_view text,
                     const std::vector<std::size_t>& cuts, LineState& state) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t i = 0; i <= cuts.size(); ++i) {
    const std::size_t to = i < cuts.size() ? std::min(cuts[i], text.size()) : text.size();
    if (to < from) continue;
    const std::string_view piece = text.substr(from, to - from);
    auto room = std::make_unique<char[]>(convertedRoom(piece.size()));
    const char* end = convertText(path, flat, piece, state, room.get());
    out.append(room.get(), static_cast<std::size_t>(end - room.get()));
    from = to;
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
      case 0:  // now and then a run of 64 bytes or more, a whole block of ASCII after whatever came before
        for (auto n = random() % 8 == 0 ? 64 + random() % 140 : random() % 20; n > 0; --n)
          text += static_cast<char>(0x20 + random() % 0x5F);
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
void expectFastMatchesReference(BlockPath path, const Table& table, ControlRule rule, std::uint32_t seed) {
  const FlatTable flat = flattenTable(table, rule);
  std::mt19937 random(seed);
  LineState slow;
  LineState quick;
  for (int round = 0; round < 3000; ++round) {
    const std::vector<std::string> lines = randomLines(random);
    ASSERT_EQ(fast(path, flat, lines, quick), reference(table, rule, lines, slow))
        << blockPathName(path) << " rule " << static_cast<int>(rule) << " round " << round;
    ASSERT_EQ(quick.pending, slow.pending);
    if (slow.pending) {
      ASSERT_EQ(quick.lead, slow.lead);
    }
  }
}

template <class Table>
void expectFastMatchesReference(const Table& table, std::uint32_t seed) {
  for (const BlockPath path : availableBlockPaths()) {
    for (const ControlRule rule : {ControlRule::copy, ControlRule::skip}) {
      expectFastMatchesReference(path, table, rule, seed);
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

TEST(LineConversion, EveryBuildHasTheWordPathAndUsesTheWidestPath) {
  const std::vector<BlockPath> paths = availableBlockPaths();
  ASSERT_FALSE(paths.empty());
  EXPECT_EQ(paths.front(), BlockPath::words);
  EXPECT_EQ(activeBlockPath(), paths.back());
#if (defined(__x86_64__) || defined(_M_X64)) && !defined(MORVEL_NO_VECTOR_PATHS)
  EXPECT_TRUE(blockPathAvailable(BlockPath::sse2));  // the x86-64 baseline
#endif
#if defined(MORVEL_NO_VECTOR_PATHS)
  EXPECT_EQ(paths.size(), 1u);
#endif
}

TEST(LineConversion, TheActivePathCanBeChosen) {
  const BlockPath widest = activeBlockPath();
  for (const BlockPath path : availableBlockPaths()) {
    ASSERT_TRUE(useBlockPath(path));
    EXPECT_EQ(activeBlockPath(), path);
  }
  for (const BlockPath path : kBlockPaths) {
    if (!blockPathAvailable(path)) {
      EXPECT_FALSE(useBlockPath(path));
    }
  }
  ASSERT_TRUE(useBlockPath(widest));
}

TEST(LineConversion, FastFormHandlesTheCasesAbove) {
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  const FlatTable copy = flattenTable(utf8, ControlRule::copy);
  const FlatTable skip = flattenTable(utf8, ControlRule::skip);
  for (const BlockPath path : availableBlockPaths()) {
    LineState state;
    // twelve ASCII bytes, then HIRAGANA A and half-width KA
    EXPECT_EQ(fast(path, copy, {"0123456789ab\x82\xA0\xB6\x80\xFD\t", "\x82"}, state),
              "0123456789ab\xE3\x81\x82\xEF\xBD\xB6\x80\xFD\t||");
    EXPECT_TRUE(state.pending);
    EXPECT_EQ(fast(path, copy, {"\xA0"}, state), "\xE3\x81\x82|");
    EXPECT_EQ(fast(path, skip, {"abcdefg\x7Fhijklmn\topq\x80~\xFF"}, state), "abcdefghijklmnopq~\xFF|");
  }
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
  for (const BlockPath path : availableBlockPaths()) {
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
          ASSERT_EQ(fast(path, flat, lines, quick), reference(utf8, rule, lines, slow))
              << blockPathName(path) << " " << size << " " << at;
        }
      }
    }
  }
}

TEST(LineConversion, FastFormMatchesTheReferenceWithANonTrailByteAnywhere) {
  // Lines up to three blocks long of lead bytes, in runs, and letters, with a
  // byte that cannot trail at every position; the line after starts with the
  // same byte, after a lead byte left waiting or not.
  const SparseEUC euc = shippedTable<SparseEUC>();
  for (const BlockPath path : availableBlockPaths()) {
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
            ASSERT_EQ(fast(path, flat, lines, quick), reference(euc, rule, lines, slow))
                << blockPathName(path) << " " << size << " " << at;
          }
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
  for (const BlockPath path : availableBlockPaths()) {
    for (std::size_t size = 0; size < 300; ++size) {
      const std::string line(size, '\xB6');
      auto out = std::make_unique<char[]>(convertedRoom(size));
      LineState state;
      const char* end = convertLine(path, flat, line, state, out.get());
      EXPECT_EQ(static_cast<std::size_t>(end - out.get()), 3 * size);
    }
  }
}

// --- the text form ----------------------------------------------------------

namespace {

// The plain text form on `text` as one piece.
template <class Table>
std::string referenceText(const Table& table, ControlRule rule, bool crlf, std::string_view text, LineState& state) {
  std::string out;
  convertTextByteByByte(table, rule, crlf, text, state, out);
  return out;
}

// Text with lines of every length, CR LF and lone CR and LF bytes, lead
// bytes before them, and long ASCII runs for the copying blocks.
std::string randomFileText(std::mt19937& random, std::size_t size) {
  std::string text;
  while (text.size() < size) {
    switch (random() % 9) {
      case 0:
        text += "\r\n";
        break;
      case 1:
        text += random() % 2 ? '\r' : '\n';
        break;
      case 2:
        text += static_cast<char>(random() % 2 ? 0x81 + random() % 0x20 : 0xE0 + random() % 0x1D);
        text += random() % 2 ? "\r\n" : random() % 2 ? "\n" : "\r";
        break;
      case 3:
      case 4:
        for (auto n = random() % 140; n > 0; --n) text += static_cast<char>(0x20 + random() % 0x5F);
        break;
      default:
        text += randomText(random, 1 + random() % 30);
        break;
    }
  }
  text.resize(size);
  return text;
}

std::vector<std::size_t> randomCuts(std::mt19937& random, std::size_t size) {
  std::vector<std::size_t> cuts;
  if (size == 0) return cuts;
  for (auto n = random() % 4; n > 0; --n) cuts.push_back(random() % (size + 1));
  std::sort(cuts.begin(), cuts.end());
  return cuts;
}

template <class Table>
void expectTextMatchesReference(const Table& table, std::uint32_t seed) {
  for (const BlockPath path : availableBlockPaths()) {
    for (const ControlRule rule : {ControlRule::copy, ControlRule::skip}) {
      for (const bool crlf : {false, true}) {
        const FlatTextTable flat = flattenTextTable(table, rule, crlf);
        std::mt19937 random(seed);
        LineState slow;
        LineState quick;
        for (int round = 0; round < 1500; ++round) {
          const std::size_t size = random() % 8 == 0 ? random() % 2000 : random() % 200;
          const std::string text = randomFileText(random, size);
          const std::string expected = referenceText(table, rule, crlf, text, slow);
          ASSERT_EQ(fastText(path, flat, text, randomCuts(random, size), quick), expected)
              << blockPathName(path) << " rule " << static_cast<int>(rule) << " crlf " << crlf << " round " << round;
          ASSERT_EQ(quick.pending, slow.pending);
          if (slow.pending) {
            ASSERT_EQ(quick.lead, slow.lead);
          }
        }
      }
    }
  }
}

}  // namespace

TEST(TextConversion, TheReferenceConvertsLineByLine) {
  // CR bytes vanish wherever they are; LF bytes end the lines, whose lead
  // byte at the end waits over the line end.
  const SparseEUC euc = shippedTable<SparseEUC>();
  LineState state;
  EXPECT_EQ(referenceText(euc, ControlRule::copy, true, "A\x82\xA0z\r\nb\r", state), "A\xA4\xA2z\r\nb");
  EXPECT_EQ(referenceText(euc, ControlRule::copy, false, "a\x82\r\n\n\xA0z\n", state), "a\n\n\xA4\xA2z\n");
  EXPECT_EQ(referenceText(euc, ControlRule::copy, false, "\x82\r", state), "");
  EXPECT_TRUE(state.pending);
  EXPECT_EQ(referenceText(euc, ControlRule::copy, false, "\r\tA", state), "\tA");
  EXPECT_EQ(referenceText(euc, ControlRule::skip, true, "\t\x82\n\x7F", state), "\r\n");
  EXPECT_EQ(referenceText(euc, ControlRule::copy, true, "\x82", state), "");
  EXPECT_EQ(referenceText(euc, ControlRule::copy, true, "\xA0", state), "\xA4\xA2");
  // Lines through the line form give the same.
  const std::vector<std::string> lines = {"a\x82", "", "\xA0\t\x7F", "\xB6"};
  LineState byLines;
  std::string expected;
  for (const std::string& line : lines) {
    convertLineByteByByte(euc, ControlRule::skip, line, byLines, expected);
    expected += "\r\n";
  }
  LineState byText;
  EXPECT_EQ(referenceText(euc, ControlRule::skip, true, "a\x82\r\n\r\n\xA0\t\x7F\r\n\xB6\n", byText), expected);
}

TEST(TextConversion, FastFormMatchesTheReferenceOnTheShippedTables) {
  expectTextMatchesReference(shippedTable<SparseEUC>(), 21);
  expectTextMatchesReference(shippedTable<SparseSJIS>(), 22);
  expectTextMatchesReference(shippedTable<SparseUTF8>(), 23);
}

TEST(TextConversion, FastFormMatchesTheReferenceOnRandomTables) {
  expectTextMatchesReference(randomTable<SparseEUC>(31), 24);
  expectTextMatchesReference(randomTable<SparseUTF8>(33), 26);
}

TEST(TextConversion, FastFormMatchesTheReferenceWithABreakAfterALeadAnywhere) {
  // Blocks of ASCII lines and of double-byte text, a lead byte followed by
  // CR, LF or CR LF at every position of three blocks, cut anywhere.
  const SparseEUC euc = shippedTable<SparseEUC>();
  for (const BlockPath path : availableBlockPaths()) {
    for (const ControlRule rule : {ControlRule::copy, ControlRule::skip}) {
      const FlatTextTable flat = flattenTextTable(euc, rule, true);
      std::mt19937 random(5);
      for (const std::string_view brk : {"\r", "\n", "\r\n", "\n\n"}) {
        for (std::size_t at = 0; at < 200; ++at) {
          std::string text;
          while (text.size() < 260) {
            if (random() % 2 == 0) {
              text += "plain ASCII words here\r\n";
            } else {
              text += "\x82\xA0\x82\x9F\x83\x40\x81\x81";
            }
          }
          text.replace(at, 1 + brk.size(), "\x88" + std::string(brk));
          text.append(random() % 2 ? "\xA0z" : "z");
          LineState slow;
          LineState quick;
          const std::string expected = referenceText(euc, rule, true, text, slow);
          ASSERT_EQ(fastText(path, flat, text, randomCuts(random, text.size()), quick), expected)
              << blockPathName(path) << " " << at;
          ASSERT_EQ(quick.pending, slow.pending);
        }
      }
    }
  }
}

TEST(TextConversion, FastFormStaysWithinItsRoom) {
  // Half-width katakana with three-byte entries, and LF bytes that become
  // CR LF: the worst growths. The output has exactly the room asked for.
  const SparseUTF8 utf8 = shippedTable<SparseUTF8>();
  const FlatTextTable flat = flattenTextTable(utf8, ControlRule::copy, true);
  for (const BlockPath path : availableBlockPaths()) {
    for (const char c : {'\xB6', '\n'}) {
      for (std::size_t size = 0; size < 300; ++size) {
        const std::string text(size, c);
        auto out = std::make_unique<char[]>(convertedRoom(size));
        LineState state;
        const char* end = convertText(path, flat, text, state, out.get());
        EXPECT_EQ(static_cast<std::size_t>(end - out.get()), (c == '\n' ? 2 : 3) * size);
      }
    }
  }
}

TEST(BlockBits, EveryPathMarksLeadAndTrailBytesBreaksAndBytesNotCopied) {
  std::mt19937 random(64);
  std::vector<unsigned char> block(64);
  for (int round = 0; round < 4000; ++round) {
    if (round < 4) {
      // every byte value, in four blocks
      for (std::size_t i = 0; i < 64; ++i) block[i] = static_cast<unsigned char>(64 * round + static_cast<int>(i));
    } else {
      for (unsigned char& b : block) b = static_cast<unsigned char>(random());
    }
    for (const BlockPath path : availableBlockPaths()) {
      const std::uint64_t leads = detail::leadBits(path, block.data());
      const std::uint64_t trails = detail::trailBits(path, block.data());
      const std::uint64_t breaks = detail::breakBits(path, block.data());
      const std::uint64_t copySpecial = detail::specialBits(path, ControlRule::copy, block.data());
      const std::uint64_t skipSpecial = detail::specialBits(path, ControlRule::skip, block.data());
      for (std::size_t i = 0; i < 64; ++i) {
        const unsigned char b = block[i];
        const auto bit = [i](std::uint64_t bits) { return (bits >> i) & 1; };
        ASSERT_EQ(bit(leads), isLeadByte(b) ? 1u : 0u) << blockPathName(path) << " " << int(b);
        ASSERT_EQ(bit(trails), (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC) ? 1u : 0u)
            << blockPathName(path) << " " << int(b);
        ASSERT_EQ(bit(breaks), b == '\r' || b == '\n' ? 1u : 0u) << blockPathName(path) << " " << int(b);
        ASSERT_EQ(bit(copySpecial), b >= 0x80 ? 1u : 0u) << blockPathName(path) << " " << int(b);
        ASSERT_EQ(bit(skipSpecial), b >= 0x20 && b <= 0x7E ? 0u : 1u) << blockPathName(path) << " " << int(b);
      }
    }
  }
}

TEST(LineConversion, PairAcrossABlockEdgeFollowedByAWholeBlockOfAscii) {
  // A double-byte character whose lead byte ends a 64-byte block, then 64
  // or more ASCII bytes: the next block holds nothing to look up but its
  // first byte, the trail byte, which must not be copied as a letter.
  const SparseEUC euc = shippedTable<SparseEUC>();
  for (const BlockPath path : availableBlockPaths()) {
    for (const ControlRule rule : {ControlRule::copy, ControlRule::skip}) {
      const FlatTable flat = flattenTable(euc, rule);
      const FlatTextTable text = flattenTextTable(euc, rule, false);
      for (const std::size_t edge : {std::size_t{63}, std::size_t{127}}) {
        for (std::size_t run = 63; run <= 140; ++run) {
          for (const char before : {'a', '\xB6', '\x82'}) {  // a letter, half-width KA, a lead byte
            std::string line(edge, before);
            line += "\x88\x9F";  // a kanji, its trail byte opening the next block
            line += std::string(run, 'x');
            LineState slow, quick;
            ASSERT_EQ(fast(path, flat, {line}, quick), reference(euc, rule, {line}, slow))
                << blockPathName(path) << " " << edge << " " << run << " " << before;
            LineState textSlow, textQuick;
            ASSERT_EQ(fastText(path, text, line + "\n", {}, textQuick),
                      referenceText(euc, rule, false, line + "\n", textSlow))
                << blockPathName(path) << " text " << edge << " " << run << " " << before;
          }
        }
      }
    }
  }
}
