// The one route between code page 932 and UTF-8 against the system's own
// conversion (iconv on Linux, the Windows code page functions under Wine),
// for every character of the table, both ways.
#include "code_page.h"

#include <gtest/gtest.h>

#include "codes.h"
#include "support/code_page_oracle.h"

using namespace morvel;

namespace {

std::string utf8Of(char32_t c) {
  std::string out;
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
  return out;
}

}  // namespace

TEST(CodePage932, EveryCharacterOfTheTableReadsAndWritesAsTheSystemDoes) {
  int characters = 0;
  int writtenElsewhere = 0;  // written with another code than their own: the duplicates
  for (std::int32_t code = 0x20; code <= kHighestCode; ++code) {
    const std::optional<char32_t> character = unicodeOfCode(code);
    if (!character) continue;
    ++characters;
    const std::string bytes = bytesOfCode(code);
    const std::string utf8 = utf8Of(*character);
    ASSERT_EQ(utf8OfCp932(bytes, "?"), testing_support::systemUtf8OfCp932(bytes)) << std::hex << code;
    const std::optional<std::string> written = cp932OfUtf8(utf8);
    ASSERT_EQ(written, testing_support::systemCp932OfUtf8(utf8)) << std::hex << code;
    if (*written != bytes) ++writtenElsewhere;
  }
  EXPECT_EQ(characters, 7882);
  EXPECT_EQ(writtenElsewhere, 398);
}

TEST(CodePage932, DuplicatesTakeTheCodeWindowsGivesThem) {
  EXPECT_EQ(cp932OfUtf8("\xE9\xAB\x99"), "\xFB\xFC");  // U+9AD9, not its NEC-selected 0xEEE0
  EXPECT_EQ(cp932OfUtf8("\xE7\xBA\x8A"), "\xFA\x5C");  // U+7E8A, not 0xED40
  EXPECT_EQ(cp932OfUtf8("\xE2\x85\xB0"), "\xFA\x40");  // small roman one, not 0xEEEF
  EXPECT_EQ(cp932OfUtf8("\xE2\x85\xA0"), "\x87\x54");  // roman one: NEC row 13 before IBM 0xFA4A
  EXPECT_EQ(cp932OfUtf8("\xE2\x88\xB5"), "\x81\xE6");  // because: JIS X 0208 before 0x879A and 0xFA5B
  EXPECT_EQ(cp932OfUtf8("\xEF\xBF\xA2"), "\x81\xCA");  // not sign: 0x81CA, not 0xEEF9 or 0xFA54
}

TEST(CodePage932, WhatTheTableLacksIsMissingOrRefused) {
  // 0x80, a lead byte before a non-trail, a user-defined character, a lone lead byte
  EXPECT_EQ(utf8OfCp932("\x80"
                        "A\x81\t\xF0\x40\x82",
                        "?"),
            "?A?\t??");
  EXPECT_EQ(utf8OfCp932("\r\n\x1A", "?"), "\r\n\x1A");       // ASCII is itself, controls too
  EXPECT_EQ(cp932OfUtf8("\xEE\x80\x80"), std::nullopt);      // U+E000, the first user-defined code elsewhere
  EXPECT_EQ(cp932OfUtf8("\xF0\x9F\x98\x80"), std::nullopt);  // grinning face
  EXPECT_EQ(cp932OfUtf8("\xE2\x91"), std::nullopt);          // cut short
  EXPECT_EQ(cp932OfUtf8("\xC0\xAF"), std::nullopt);          // overlong
}
