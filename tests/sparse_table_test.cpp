#include "sparse_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/temp_dir.h"

using namespace morvel;

namespace {

using Record = std::vector<unsigned char>;

// A table image of 7882 records, each naming code 0x20 (single-byte group)
// or 0x8140 (double-byte group) with an empty target, so that tests can
// overwrite the records they care about.
template <class Table>
std::vector<unsigned char> neutralImage() {
  std::vector<unsigned char> image(Table::imageSize, 0);
  for (std::size_t n = 1; n <= kRecordCount; ++n) {
    unsigned char* record = &image[(n - 1) * Table::recordSize];
    record[0] = n <= kSingleByteRecords ? 0x20 : 0x81;
    record[1] = n <= kSingleByteRecords ? 0x00 : 0x40;
  }
  return image;
}

template <class Table>
void setRecord(std::vector<unsigned char>& image, std::size_t ordinal, const Record& record) {
  std::copy(record.begin(), record.end(), image.begin() + static_cast<long>((ordinal - 1) * Table::recordSize));
}

std::string bytes(std::string_view text) { return std::string(text); }

}  // namespace

TEST(SparseTable, SizesFollowTheSlotWidth) {
  EXPECT_EQ(SparseEUC::size, 193764);
  EXPECT_EQ(SparseSJIS::size, 193764);
  EXPECT_EQ(SparseUTF8::size, 258352);
  EXPECT_EQ(SparseEUC::imageSize, 31528u);
  EXPECT_EQ(SparseUTF8::imageSize, 39410u);
}

TEST(SparseTable, FreshTableHasOnlyEmptySlots) {
  SparseEUC table;
  for (std::int32_t code = 0; code <= kHighestCode; ++code) {
    ASSERT_TRUE(table.entryText(code).empty()) << code;
    ASSERT_EQ(table.entryByte(code, 0), 0) << code;
    ASSERT_EQ(table.entryByte(code, 1), 0) << code;
  }
}

TEST(SparseTable, GroupIsDecidedByOrdinalAlone) {
  auto image = neutralImage<SparseEUC>();
  // Record 158 holds bytes that look double-byte; record 159 bytes that look single-byte.
  setRecord<SparseEUC>(image, 158, {0x88, 0x9F, 0xB0, 0xA1});
  setRecord<SparseEUC>(image, 159, {0x00, 0x41, 0xC1, 0x00});
  SparseEUC table;
  ASSERT_TRUE(table.placeRecords(image));
  EXPECT_EQ(bytes(table.entryText(0x88)), "\xB0\xA1");
  EXPECT_TRUE(table.entryText(0x889F).empty());
  EXPECT_EQ(bytes(table.entryText(0x0041)), "\xC1");
}

TEST(SparseTable, SingleByteRecordsKeepTwoTargetBytes) {
  // Half-width katakana KA becomes the two bytes 0x8E 0xB6 in EUC-JP.
  SparseEUC table;
  const unsigned char ka[4] = {0xB6, 0x00, 0x8E, 0xB6};
  table.placeRecord(100, ka);
  EXPECT_EQ(bytes(table.entryText(0xB6)), "\x8E\xB6");
  EXPECT_EQ(table.entryByte(0xB6, 0), 0x8E);
  EXPECT_EQ(table.entryByte(0xB6, 1), 0xB6);
  EXPECT_EQ(table.slots()[0xB6 * 3 + 2], 0);
}

TEST(SparseTable, ZeroTargetBytesShortenTheEntry) {
  SparseSJIS table;
  const unsigned char oneByte[4] = {0x81, 0x40, 0x41, 0x00};
  const unsigned char hidden[4] = {0x81, 0x41, 0x00, 0x42};
  table.placeRecord(200, oneByte);
  table.placeRecord(201, hidden);
  EXPECT_EQ(bytes(table.entryText(0x8140)), "A");
  EXPECT_TRUE(table.entryText(0x8141).empty());
  EXPECT_EQ(table.entryByte(0x8141, 0), 0);
  EXPECT_EQ(table.entryByte(0x8141, 1), 0x42);  // still there after the zero
}

TEST(SparseTable, Utf8EntriesHoldAtMostThreeBytes) {
  SparseUTF8 table;
  const unsigned char full[5] = {0xB6, 0x00, 0xEF, 0xBD, 0xB6};
  table.placeRecord(1, full);
  EXPECT_EQ(bytes(table.entryText(0xB6)), "\xEF\xBD\xB6");
  EXPECT_EQ(table.slots()[0xB6 * 4 + 3], 0);
}

TEST(SparseTable, LaterRecordWithTheSameCodeWins) {
  auto image = neutralImage<SparseEUC>();
  setRecord<SparseEUC>(image, 300, {0x88, 0x9F, 0xB0, 0xA1});
  setRecord<SparseEUC>(image, 301, {0x88, 0x9F, 0xB0, 0xA2});
  SparseEUC table;
  ASSERT_TRUE(table.placeRecords(image));
  EXPECT_EQ(bytes(table.entryText(0x889F)), "\xB0\xA2");
}

TEST(SparseTable, CodesBeyondTheLastSlotAreIgnored) {
  auto image = neutralImage<SparseUTF8>();
  setRecord<SparseUTF8>(image, kRecordCount, {0xFC, 0xFC, 0xE2, 0x80, 0x94});
  setRecord<SparseUTF8>(image, kRecordCount - 1, {0xFF, 0xFF, 0xE2, 0x80, 0x94});
  SparseUTF8 table;
  ASSERT_TRUE(table.placeRecords(image));  // no write past the slots (sanitizers watch)
  EXPECT_TRUE(table.entryText(0xFCFC).empty());
  EXPECT_TRUE(table.entryText(0xFFFF).empty());
  EXPECT_TRUE(table.entryText(kNoCode).empty());
  SparseEUC euc;
  EXPECT_EQ(euc.entryByte(0xFC4C, 0), 0);
  EXPECT_EQ(euc.entryByte(kNoCode, 1), 0);
}

TEST(SparseTable, ShortImagePlacesNothing) {
  auto image = neutralImage<SparseEUC>();
  setRecord<SparseEUC>(image, 1, {0x41, 0x00, 0x41, 0x00});
  image.pop_back();
  SparseEUC table;
  EXPECT_FALSE(table.placeRecords(image));
  EXPECT_TRUE(table.entryText(0x41).empty());
}

TEST(SparseTable, BytesAfterTheLastRecordAreIgnored) {
  auto image = neutralImage<SparseEUC>();
  setRecord<SparseEUC>(image, 1, {0x41, 0x00, 0x41, 0x00});
  image.insert(image.end(), {0x42, 0x00, 0x43, 0x00});
  SparseEUC table;
  ASSERT_TRUE(table.placeRecords(image));
  EXPECT_EQ(bytes(table.entryText(0x41)), "A");
  EXPECT_TRUE(table.entryText(0x42).empty());
}

// The editors rewrite a record from entryByte 0 and 1 of the substitute; with
// both target bytes loaded for every record, substituting each character of
// the shipped table with itself reproduces the table.
TEST(SparseTable, ShippedEucTableSurvivesSelfSubstitution) {
  const std::string file = testing_support::readBytes(std::string(MORVEL_DATA_DIR) + "/MS932~EUC-JP.bin");
  ASSERT_EQ(file.size(), SparseEUC::imageSize);
  const auto* image = reinterpret_cast<const unsigned char*>(file.data());
  SparseEUC table;
  ASSERT_TRUE(table.placeRecords({image, file.size()}));
  for (std::size_t n = 1; n <= kRecordCount; ++n) {
    const unsigned char* record = image + (n - 1) * 4;
    const std::int32_t code = recordCode(n, record);
    ASSERT_EQ(table.entryByte(code, 0), record[2]) << n;
    ASSERT_EQ(table.entryByte(code, 1), record[3]) << n;
  }
}
