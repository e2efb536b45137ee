// What the line conversion does with each byte, whichever form runs it.
// Code page 932 bytes in, the table's bytes for each character out. Taken in
// order, the bytes give:
//  - a lead byte (0x81-0xA0, 0xE0-0xFC) and a trail byte (0x40-0x7E,
//    0x80-0xFC) after it: the table's entry for the pair's code, nothing
//    when its slot is empty;
//  - a lead byte before any other byte: nothing, and that byte converts on
//    its own;
//  - a half-width katakana byte (0xA1-0xDF): the table's entry for it;
//  - any other byte, 0x00 included: itself, or nothing when the ControlRule
//    drops it. No byte ends the line early.
// A lead byte that ends a line waits for the first byte of the next one.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace morvel {

// What becomes of the single bytes that are neither lead bytes nor
// half-width katakana (0x00-0x80, 0xFD-0xFF).
enum class ControlRule {
  copy,  // copied unchanged
  skip,  // dropped when controlClass says 7
};

// Indexed by byte value 0x00-0xDF: the byte itself when the skipping passes
// copy it, 7 when they drop it.
inline constexpr std::int32_t kDropped = 7;
inline constexpr std::array<std::int32_t, 224> controlClass = [] {
  std::array<std::int32_t, 224> table{};
  for (std::int32_t b = 0; b < 224; ++b) {
    const bool kept = (b >= 0x20 && b <= 0x7E) || b >= 0xA1;
    table[static_cast<std::size_t>(b)] = kept ? b : kDropped;
  }
  return table;
}();

// True when the skipping rule drops the single byte `b`. Bytes past the end
// of controlClass (0xFD-0xFF) are copied, as the other passes copy them.
constexpr bool skipDrops(unsigned char b) { return b < controlClass.size() && controlClass[b] == kDropped; }

// A lead byte followed by a byte that cannot trail it (isTrailByte) is
// dropped, and that byte converts on its own.

// Carried from one line to the next: a lead byte at the end of a line pairs
// with the first byte of the following line when that byte can trail, and is
// dropped otherwise.
struct LineState {
  bool pending = false;
  unsigned char lead = 0;
};

}  // namespace morvel
