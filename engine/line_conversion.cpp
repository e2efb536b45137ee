#include "line_conversion.h"

#include <bit>
#include <cstring>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define MORVEL_VECTOR_BLOCKS 1
#else
#define MORVEL_VECTOR_BLOCKS 0
#endif

namespace morvel {

template <TableKind K>
void convertLineByteByByte(const SparseTable<K>& table, ControlRule rule, std::string_view line, LineState& state,
                           std::string& out) {
  for (const char c : line) {
    const auto b = static_cast<unsigned char>(c);
    if (state.pending) {
      state.pending = false;
      if (isTrailByte(b)) {
        out.append(table.entryText(pairCode(state.lead, b)));
        continue;
      }
    }
    if (isKatakanaByte(b)) {
      out.append(table.entryText(b));
    } else if (isLeadByte(b)) {
      state.lead = b;
      state.pending = true;
    } else if (rule == ControlRule::copy || !skipDrops(b)) {
      out += c;
    }
  }
}

template void convertLineByteByByte(const SparseEUC&, ControlRule, std::string_view, LineState&, std::string&);
template void convertLineByteByByte(const SparseSJIS&, ControlRule, std::string_view, LineState&, std::string&);
template void convertLineByteByByte(const SparseUTF8&, ControlRule, std::string_view, LineState&, std::string&);

namespace {

static_assert(std::endian::native == std::endian::little || std::endian::native == std::endian::big);

// Where the byte count sits in a packed entry: the fourth byte in memory.
constexpr int kCountShift = std::endian::native == std::endian::little ? 24 : 0;

std::uint32_t packedEntry(std::string_view bytes) {
  unsigned char packed[4] = {0, 0, 0, static_cast<unsigned char>(bytes.size())};
  for (std::size_t i = 0; i < bytes.size(); ++i) packed[i] = static_cast<unsigned char>(bytes[i]);
  std::uint32_t entry = 0;
  std::memcpy(&entry, packed, sizeof entry);
  return entry;
}

// Stores all four bytes and keeps the counted ones; the spare bytes are
// overwritten by whatever follows.
inline char* put(char* out, std::uint32_t entry) {
  std::memcpy(out, &entry, sizeof entry);
  return out + ((entry >> kCountShift) & 0xFF);
}

// Where the entry for a byte and the byte after it sits: the two bytes read
// as one number in the machine's own order, so that reading them is one load.
inline unsigned pairIndex(const unsigned char* p) {
  std::uint16_t pair = 0;
  std::memcpy(&pair, p, sizeof pair);
  return pair;
}

inline unsigned pairIndex(unsigned char first, unsigned char next) {
  const unsigned char bytes[2] = {first, next};
  return pairIndex(bytes);
}

}  // namespace

namespace detail {

namespace {

// Eight bytes as a number whose lowest byte is the first of them.
inline std::uint64_t load8(const unsigned char* p) {
  std::uint64_t word = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&word, p, sizeof word);
  } else {
    for (int i = 7; i >= 0; --i) word = word << 8 | p[i];
  }
  return word;
}

constexpr std::uint64_t repeated(std::uint8_t b) { return 0x0101010101010101ull * b; }

// Gathers the high bit of each byte of `word` into one byte, byte i to bit i.
inline std::uint64_t highBits(std::uint64_t word) { return ((word >> 7) * 0x0102040810204080ull) >> 56; }

// High bit set in each byte of `word` that a rule does not copy as itself:
// for the copying rule 0x80 and up; for the skipping rule also the controls
// and 0x7F. No carry crosses a byte.
inline std::uint64_t specialBytes(ControlRule rule, std::uint64_t word) {
  if (rule == ControlRule::copy) return word & repeated(0x80);
  const std::uint64_t low7 = word & repeated(0x7F);
  const std::uint64_t atLeast20 = low7 + repeated(0x60);
  const std::uint64_t is7F = low7 + repeated(0x01);
  return (word | ~atLeast20 | is7F) & repeated(0x80);
}

// High bit set in each lead byte: the byte has its high bit and its low
// seven bits lie in 0x01-0x20 or 0x60-0x7C.
inline std::uint64_t leadBytes(std::uint64_t word) {
  const std::uint64_t low7 = word & repeated(0x7F);
  const std::uint64_t from81 = (low7 + repeated(0x7F)) & ~(low7 + repeated(0x5F));
  const std::uint64_t fromE0 = (low7 + repeated(0x20)) & ~(low7 + repeated(0x03));
  return word & (from81 | fromE0) & repeated(0x80);
}

// High bit set in each byte that can be a trail byte: 0x40-0x7E, or
// 0x80-0xFC, whose low seven bits lie below 0x7D.
inline std::uint64_t trailBytes(std::uint64_t word) {
  const std::uint64_t low7 = word & repeated(0x7F);
  const std::uint64_t from40 = low7 + repeated(0x40);
  const std::uint64_t is7F = low7 + repeated(0x01);
  const std::uint64_t from7D = low7 + repeated(0x03);
  return ((~word & from40 & ~is7F) | (word & ~from7D)) & repeated(0x80);
}

#if MORVEL_VECTOR_BLOCKS
// Sixteen bytes with their high bit flipped, so that signed comparisons
// order them as unsigned ones.
inline __m128i flipped(const unsigned char* p) {
  return _mm_xor_si128(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi8(-128));
}

inline __m128i within(__m128i v, int low, int high) {
  return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(low - 0x80 - 1))),
                       _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(high - 0x80 + 1))));
}

inline std::uint64_t gathered(__m128i a, __m128i b, __m128i c, __m128i d) {
  const auto bits = [](__m128i v) { return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v))); };
  return bits(a) | bits(b) << 16 | bits(c) << 32 | bits(d) << 48;
}

inline __m128i specialVector(ControlRule rule, const unsigned char* p) {
  const __m128i v = flipped(p);
  if (rule == ControlRule::copy) return _mm_cmpgt_epi8(v, _mm_set1_epi8(-1));
  return _mm_xor_si128(within(v, 0x20, 0x7E), _mm_set1_epi8(-1));
}

inline __m128i leadVector(const unsigned char* p) {
  const __m128i v = flipped(p);
  return _mm_or_si128(within(v, 0x81, 0xA0), within(v, 0xE0, 0xFC));
}

inline __m128i trailVector(const unsigned char* p) {
  const __m128i v = flipped(p);
  return _mm_or_si128(within(v, 0x40, 0x7E), within(v, 0x80, 0xFC));
}
#endif

inline std::uint64_t specialWords(ControlRule rule, const unsigned char* block) {
  std::uint64_t bits = 0;
  for (std::ptrdiff_t w = 0; w < 8; ++w) bits |= highBits(specialBytes(rule, load8(block + 8 * w))) << (8 * w);
  return bits;
}

inline std::uint64_t leadWords(const unsigned char* block) {
  std::uint64_t bits = 0;
  for (std::ptrdiff_t w = 0; w < 8; ++w) bits |= highBits(leadBytes(load8(block + 8 * w))) << (8 * w);
  return bits;
}

inline std::uint64_t trailWords(const unsigned char* block) {
  std::uint64_t bits = 0;
  for (std::ptrdiff_t w = 0; w < 8; ++w) bits |= highBits(trailBytes(load8(block + 8 * w))) << (8 * w);
  return bits;
}

inline std::uint64_t specialBitsOf(ControlRule rule, const unsigned char* block) {
#if MORVEL_VECTOR_BLOCKS
  return gathered(specialVector(rule, block), specialVector(rule, block + 16), specialVector(rule, block + 32),
                  specialVector(rule, block + 48));
#else
  return specialWords(rule, block);
#endif
}

inline std::uint64_t leadBitsOf(const unsigned char* block) {
#if MORVEL_VECTOR_BLOCKS
  return gathered(leadVector(block), leadVector(block + 16), leadVector(block + 32), leadVector(block + 48));
#else
  return leadWords(block);
#endif
}

inline std::uint64_t trailBitsOf(const unsigned char* block) {
#if MORVEL_VECTOR_BLOCKS
  return gathered(trailVector(block), trailVector(block + 16), trailVector(block + 32), trailVector(block + 48));
#else
  return trailWords(block);
#endif
}

}  // namespace

std::uint64_t specialBitsByWords(ControlRule rule, const unsigned char* block) { return specialWords(rule, block); }
std::uint64_t leadBitsByWords(const unsigned char* block) { return leadWords(block); }
std::uint64_t specialBits(ControlRule rule, const unsigned char* block) { return specialBitsOf(rule, block); }
std::uint64_t leadBits(const unsigned char* block) { return leadBitsOf(block); }
std::uint64_t trailBitsByWords(const unsigned char* block) { return trailWords(block); }
std::uint64_t trailBits(const unsigned char* block) { return trailBitsOf(block); }

}  // namespace detail

namespace {

using detail::leadBitsOf;
using detail::specialBitsOf;
using detail::trailBitsOf;

// The input goes in blocks of 64 bytes, one bit per byte.
constexpr std::ptrdiff_t kBlock = 64;

// The lead bytes of a block followed by a byte that can be their trail;
// `trailAfter` tells whether the byte after the block can be. A lead byte
// followed by any other byte is a character of its own that yields nothing.
inline std::uint64_t pairingLeads(const unsigned char* block, bool trailAfter) {
  const std::uint64_t trailNext = trailBitsOf(block) >> 1 | std::uint64_t{trailAfter} << 63;
  return leadBitsOf(block) & trailNext;
}

// The bytes of a block that start a character. A pairing lead byte that
// starts a character makes the next byte its trail, so in a run of them
// every other one starts a character, and the byte after the run is a trail
// when the run's starting characters end on a pairing lead. The runs are
// told apart with one subtraction, as escaped characters are found after
// runs of backslashes. `trail` comes in as 1 when byte 0 is the trail of a
// pair begun in the block before, and goes out as 1 when byte 64 is.
inline std::uint64_t characterStarts(std::uint64_t leads, std::uint64_t& trail) {
  constexpr std::uint64_t odd = 0xAAAAAAAAAAAAAAAAull;
  const std::uint64_t maybeLeads = leads & ~trail;
  const std::uint64_t ends = (((maybeLeads << 1) | odd) - maybeLeads) ^ odd;
  const std::uint64_t trails = ends ^ (leads | trail);
  trail = (ends & leads) >> 63;
  return ~trails;
}

// Looks up every character that starts at a set bit of `starts`. A byte
// that is not a lead has the same entry whatever follows it, and a lead
// byte's entry says whether the next byte is its trail, so the code is
// always read as two bytes.
inline char* putCharacters(const std::uint32_t* flat, const unsigned char* in, std::uint64_t starts, char* out) {
  while (starts != 0) {
    const auto at = static_cast<std::size_t>(std::countr_zero(starts));
    starts &= starts - 1;
    out = put(out, flat[pairIndex(in + at)]);
    if (starts == 0) break;
    const auto next = static_cast<std::size_t>(std::countr_zero(starts));
    starts &= starts - 1;
    out = put(out, flat[pairIndex(in + next)]);
  }
  return out;
}

template <ControlRule R>
char* convertWith(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end, LineState& state,
                  char* out) {
  const unsigned char* const lineStart = in;
  if (in == end) return out;
  // A lead byte left from the line before takes the first byte as its trail
  // when it can be one, and is dropped otherwise.
  if (state.pending) {
    state.pending = false;
    if (isTrailByte(*in)) {
      out = put(out, flat[pairIndex(state.lead, *in)]);
      ++in;
    }
    if (in == end) return out;
  }
  std::uint64_t trail = 0;
  // Whole blocks while a byte follows them, for a pair that crosses the end.
  while (end - in > kBlock) {
    const std::uint64_t special = specialBitsOf(R, in);
    if ((special | trail) == 0) {
      std::memcpy(out, in, kBlock);
      out += kBlock;
      in += kBlock;
      continue;
    }
    const std::uint64_t leads = pairingLeads(in, isTrailByte(in[kBlock]));
    out = putCharacters(flat, in, characterStarts(leads, trail), out);
    in += kBlock;
  }
  if (in == end) return out;
  // The last 1 to 64 bytes, read as the end of a block that reaches back
  // over bytes already converted, or of a zero-padded copy when the line is
  // too short for that.
  const auto left = static_cast<std::size_t>(end - in);
  const std::size_t behind = kBlock - left;
  const unsigned char* block = in - behind;
  unsigned char padded[kBlock];
  if (static_cast<std::size_t>(in - lineStart) < behind) {
    std::memset(padded, 0, sizeof padded);
    std::memcpy(padded + behind, in, left);
    block = padded;
  }
  const unsigned char* tail = block + behind;
  const std::uint64_t special = specialBitsOf(R, block) >> behind;
  if ((special | trail) == 0) {
    std::memcpy(out, tail, left);
    return out + left;
  }
  // Bits past the end do not matter: a character's start depends only on
  // the bytes before it. The last byte is never a pairing lead here, as no
  // byte follows it in the line.
  const std::uint64_t starts = characterStarts(pairingLeads(block, false) >> behind, trail);
  const std::uint64_t last = 1ull << (left - 1);
  out = putCharacters(flat, tail, starts & (last - 1), out);
  // The last byte has no byte after it to read: alone it is looked up by
  // itself, and a lead byte waits for the next line.
  const unsigned char lastByte = tail[left - 1];
  const bool lastStarts = (starts & last) != 0;
  const bool lastLeads = isLeadByte(lastByte);
  state.lead = lastByte;
  state.pending = lastStarts && lastLeads;
  return put(out, lastStarts && !lastLeads ? flat[pairIndex(lastByte, 0)] : 0u);
}

}  // namespace

template <TableKind K>
FlatTable flattenTable(const SparseTable<K>& table, ControlRule rule) {
  FlatTable flat{rule, std::vector<std::uint32_t>(kFlatEntries, 0)};
  for (unsigned first = 0; first < 0x100; ++first) {
    const auto byte = static_cast<unsigned char>(first);
    std::uint32_t entry = 0;  // a byte the rule drops gives nothing
    if (isKatakanaByte(byte)) {
      entry = packedEntry(table.entryText(byte));
    } else if (!isLeadByte(byte) && (rule == ControlRule::copy || !skipDrops(byte))) {
      const char c = static_cast<char>(byte);
      entry = packedEntry(std::string_view(&c, 1));
    }
    for (unsigned next = 0; next < 0x100; ++next) {
      const auto after = static_cast<unsigned char>(next);
      std::uint32_t& slot = flat.entries[pairIndex(byte, after)];
      slot = entry;
      // A lead byte before a byte that cannot trail yields nothing.
      if (isLeadByte(byte)) slot = isTrailByte(after) ? packedEntry(table.entryText(pairCode(byte, after))) : 0u;
    }
  }
  return flat;
}

template FlatTable flattenTable(const SparseEUC&, ControlRule);
template FlatTable flattenTable(const SparseSJIS&, ControlRule);
template FlatTable flattenTable(const SparseUTF8&, ControlRule);

char* convertLine(const FlatTable& table, std::string_view line, LineState& state, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  const auto* end = in + line.size();
  if (table.rule == ControlRule::copy) return convertWith<ControlRule::copy>(table.entries.data(), in, end, state, out);
  return convertWith<ControlRule::skip>(table.entries.data(), in, end, state, out);
}

}  // namespace morvel
