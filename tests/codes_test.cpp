#include "codes.h"

#include <gtest/gtest.h>

using namespace morvel;

TEST(Codes, PairCodeIsBigEndian) {
  EXPECT_EQ(pairCode(0x88, 0x9F), 0x889F);
  EXPECT_EQ(pairCode(0x87, 0x40), 0x8740);
}

TEST(Codes, LeadBytesIncludeA0ButNotKatakana) {
  EXPECT_TRUE(isLeadByte(0x81));
  EXPECT_TRUE(isLeadByte(0x9F));
  EXPECT_TRUE(isLeadByte(0xA0));
  EXPECT_FALSE(isLeadByte(0xA1));
  EXPECT_FALSE(isLeadByte(0xDF));
  EXPECT_TRUE(isLeadByte(0xE0));
  EXPECT_TRUE(isLeadByte(0xFC));
  EXPECT_FALSE(isLeadByte(0xFD));
  EXPECT_FALSE(isLeadByte(0x80));
}

TEST(Codes, FirstCharCodeTakesOnlyTheFirstCharacter) {
  EXPECT_EQ(firstCharCode("A"), 0x41);
  EXPECT_EQ(firstCharCode("AB"), 0x41);
  EXPECT_EQ(firstCharCode("\x87\x40"), 0x8740);  // circled digit one
  EXPECT_EQ(firstCharCode("\x87\x40\x82\x50"), 0x8740);
  EXPECT_EQ(firstCharCode("\xB6"), 0xB6);        // half-width katakana KA
  EXPECT_EQ(firstCharCode("\xA0\x41"), 0xA041);  // 0xA0 leads a pair
  EXPECT_EQ(firstCharCode(std::string_view("\0A", 2)), 0x00);
}

TEST(Codes, IncompleteCharacterHasNoCode) {
  EXPECT_EQ(firstCharCode(""), kNoCode);
  EXPECT_EQ(firstCharCode("\x87"), kNoCode);
  EXPECT_EQ(firstCharCode("\xFC"), kNoCode);
  EXPECT_FALSE(hasSlot(kNoCode));
}

TEST(Codes, SlotsEndAtFC4B) {
  EXPECT_TRUE(hasSlot(0));
  EXPECT_TRUE(hasSlot(0xFC4B));
  EXPECT_FALSE(hasSlot(0xFC4C));
  EXPECT_FALSE(hasSlot(0xFCFC));
  EXPECT_EQ(kSlotCount, 64588);
}
