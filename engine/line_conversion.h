// The line conversion shared by every pass: code page 932 bytes in, the
// table's bytes for each character out. Taken in order, the bytes give:
//  - a lead byte (0x81-0xA0, 0xE0-0xFC) and a trail byte (0x40-0x7E,
//    0x80-0xFC) after it: the table's entry for the pair's code, nothing
//    when its slot is empty;
//  - a lead byte before any other byte: nothing, and that byte converts on
//    its own;
//  - a half-width katakana byte (0xA1-0xDF): the table's entry for it;
//  - any other byte, 0x00 included: itself, or nothing when the ControlRule
//    drops it. No byte ends the line early.
// A lead byte that ends a line waits for the first byte of the next one.
// Two forms of one routine live here: a plain one that looks up every
// character with entryText, and a fast one over a pre-flattened table; they
// must agree byte for byte.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "sparse_table.h"

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

// Bytes that can follow a lead byte as its trail. A lead byte followed by
// any other byte is dropped, and that byte converts on its own.
constexpr bool isTrailByte(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }

// Carried from one line to the next: a lead byte at the end of a line pairs
// with the first byte of the following line when that byte can trail, and is
// dropped otherwise.
struct LineState {
  bool pending = false;
  unsigned char lead = 0;
};

// The plain form: appends the conversion of `line` to `out`.
template <TableKind K>
void convertLineByteByByte(const SparseTable<K>& table, ControlRule rule, std::string_view line, LineState& state,
                           std::string& out);

// An entry for every byte and the byte after it, indexed by the two bytes
// read as one 16-bit number: for a lead byte the pair's entry, or nothing
// when the byte after cannot trail; for any other byte its own entry
// whatever follows. Each holds its output packed into
// four bytes: up to three target bytes in memory order, then their count.
inline constexpr std::size_t kFlatEntries = 0x10000;

struct FlatTable {
  ControlRule rule = ControlRule::copy;
  std::vector<std::uint32_t> entries;  // kFlatEntries of them
};

// The table's entries flattened for `rule`: single bytes carry the rule's
// verdict; codes without a slot are empty.
template <TableKind K>
FlatTable flattenTable(const SparseTable<K>& table, ControlRule rule);

// Room the fast form needs in its output for `n` input bytes: a character
// grows to at most three bytes (a half-width katakana byte in UTF-8), and
// each lookup stores four.
constexpr std::size_t convertedRoom(std::size_t n) { return 3 * n + 8; }

// The fast form: converts `line` into `out`, which has
// convertedRoom(line.size()) bytes of room. Returns the end of what it wrote.
char* convertLine(const FlatTable& table, std::string_view line, LineState& state, char* out);

namespace detail {

// One bit per byte of a 64-byte block, bit i for byte i: its lead bytes,
// the bytes that can be trail bytes, or the bytes that `rule` does not copy
// as themselves. The forms that work
// eight bytes at a time serve machines without 16-byte vectors; both forms
// must agree.
std::uint64_t leadBits(const unsigned char* block);
std::uint64_t trailBits(const unsigned char* block);
std::uint64_t specialBits(ControlRule rule, const unsigned char* block);
std::uint64_t leadBitsByWords(const unsigned char* block);
std::uint64_t trailBitsByWords(const unsigned char* block);
std::uint64_t specialBitsByWords(ControlRule rule, const unsigned char* block);

}  // namespace detail

}  // namespace morvel
