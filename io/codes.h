// Character codes of code page 932 text and the table layout they index.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace morvel {

// A single-byte character's code is its byte; a double-byte character's code
// is lead x 256 + trail. Tables hold slots for codes 0x0000-0xFC4B only.
constexpr std::int32_t kHighestCode = 0xFC4B;
constexpr std::int32_t kSlotCount = kHighestCode + 1;

// No complete character: an empty text or a lone lead byte. It never selects
// a table entry.
constexpr std::int32_t kNoCode = -1;

// Lead bytes are 0x81-0xA0 and 0xE0-0xFC; 0xA0 counts as one.
constexpr bool isLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0xA0) || (b >= 0xE0 && b <= 0xFC); }

// Bytes that can follow a lead byte as its trail. A lead byte followed by
// any other byte stands alone, and that byte is a character of its own.
constexpr bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Half-width katakana, single bytes.
constexpr bool isKatakanaByte(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

constexpr bool hasSlot(std::int32_t code) { return code >= 0 && code <= kHighestCode; }

// The code of a lead and a trail byte (or the first two bytes of a
// double-byte record).
constexpr std::int32_t pairCode(unsigned char first, unsigned char second) { return first * 256 + second; }

// The character at the start of non-empty code page 932 text, as every
// splitter of text into characters takes it: a lead byte with a byte that
// can trail it is a pair; a lead byte without one stands alone, with no
// code; any other byte is a character of one byte.
struct Cp932Character {
  std::int32_t code;   // kNoCode for a lead byte alone
  std::size_t length;  // 1 or 2
};

constexpr Cp932Character characterAt(std::string_view text) {
  const auto first = static_cast<unsigned char>(text[0]);
  if (!isLeadByte(first)) return {first, 1};
  if (text.size() >= 2 && isTrailByte(static_cast<unsigned char>(text[1]))) {
    return {pairCode(first, static_cast<unsigned char>(text[1])), 2};
  }
  return {kNoCode, 1};
}

// The code of the first character of `text`; bytes after it are ignored.
// kNoCode when the text is empty or holds only a lead byte.
constexpr std::int32_t firstCharCode(std::string_view text) {
  if (text.empty()) return kNoCode;
  const auto first = static_cast<unsigned char>(text[0]);
  if (!isLeadByte(first)) return first;
  if (text.size() < 2) return kNoCode;
  return pairCode(first, static_cast<unsigned char>(text[1]));
}

}  // namespace morvel
