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
// must agree byte for byte. The fast form finds the bytes it must look up 64
// at a time, along one of several paths chosen when it first runs (the
// widest the processor offers); every path gives the same bytes.
// A text form converts many lines at once, as a file holds them.
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

// A lead byte followed by a byte that cannot trail it (isTrailByte) is
// dropped, and that byte converts on its own.

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

// How the fast forms mark the bytes of a 64-byte block: eight bytes at a
// time in ordinary registers (any machine), or with 16-byte SSE2 or 32-byte
// AVX2 vectors. A build may leave the vector paths out
// (MORVEL_NO_VECTOR_PATHS).
enum class BlockPath { words, sse2, avx2 };
inline constexpr BlockPath kBlockPaths[] = {BlockPath::words, BlockPath::sse2, BlockPath::avx2};

const char* blockPathName(BlockPath path);

// True when this build has the path and this processor can run it.
[[nodiscard]] bool blockPathAvailable(BlockPath path);

// The available paths, narrowest first; words is always among them.
std::vector<BlockPath> availableBlockPaths();

// The path the fast forms take unless told otherwise: the widest available
// one, chosen once.
BlockPath activeBlockPath();

// Makes the fast forms take `path` from now on (for tests and benchmarks);
// false, changing nothing, when it is not available. Not to be called while
// other threads convert.
[[nodiscard]] bool useBlockPath(BlockPath path);

// The fast form: converts `line` into `out`, which has
// convertedRoom(line.size()) bytes of room. Returns the end of what it wrote.
char* convertLine(const FlatTable& table, std::string_view line, LineState& state, char* out);
// The same along a given path, which must be available.
char* convertLine(BlockPath path, const FlatTable& table, std::string_view line, LineState& state, char* out);

// A table flattened for text as a file holds it: a CR gives nothing and an
// LF gives the line end, CR LF or LF, whatever follows them.
struct FlatTextTable {
  FlatTable flat;
  bool crlf = true;
};

template <TableKind K>
FlatTextTable flattenTextTable(const SparseTable<K>& table, ControlRule rule, bool crlf);

// Text in the way the file-driven pass reads it: every CR is dropped, as
// reading in text mode drops it, and each LF ends a line. Each line
// converts as convertLine would convert it, followed by the line end; the
// state carries across the lines as across separate lines, so a lead byte
// that ends one pairs with the first byte of the next. The text may stop
// anywhere, inside a line or inside a character: the next call goes on from
// the state. Plain form:
template <TableKind K>
void convertTextByteByByte(const SparseTable<K>& table, ControlRule rule, bool crlf, std::string_view text,
                           LineState& state, std::string& out);

// The fast form of the text conversion: `out` has convertedRoom(text.size())
// bytes of room. Returns the end of what it wrote.
char* convertText(const FlatTextTable& table, std::string_view text, LineState& state, char* out);
char* convertText(BlockPath path, const FlatTextTable& table, std::string_view text, LineState& state, char* out);

namespace detail {

// One bit per byte of a 64-byte block, bit i for byte i, as `path` finds
// them: its lead bytes, the bytes that can be trail bytes, the bytes that
// `rule` does not copy as themselves, or its CR and LF bytes.
std::uint64_t leadBits(BlockPath path, const unsigned char* block);
std::uint64_t trailBits(BlockPath path, const unsigned char* block);
std::uint64_t specialBits(BlockPath path, ControlRule rule, const unsigned char* block);
std::uint64_t breakBits(BlockPath path, const unsigned char* block);

}  // namespace detail

}  // namespace morvel
