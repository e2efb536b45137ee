#include "line_conversion.h"

#include <atomic>
#include <bit>
#include <cstring>

#include "flat_entry.h"

#if (defined(__x86_64__) || defined(_M_X64)) && !defined(MORVEL_NO_VECTOR_PATHS)
#include <immintrin.h>
#define MORVEL_X86_VECTORS 1
#else
#define MORVEL_X86_VECTORS 0
#endif

// The AVX2 functions carry their instruction set with them (and the bit
// instructions of BMI1 and BMI2, which every AVX2 processor has), so that
// the rest of the program runs on any x86-64 processor; they run only after
// the processor said it has them.
#if MORVEL_X86_VECTORS
#define MORVEL_AVX2 __attribute__((target("avx2,bmi,bmi2")))
#define MORVEL_AVX2_ENTRY __attribute__((target("avx2,bmi,bmi2"), flatten))
#endif

namespace morvel {

namespace {

using blocks::pairIndex;
using blocks::put;

constexpr bool isBreak(unsigned char b) { return b == '\r' || b == '\n'; }

// --- marking the bytes of a block ------------------------------------------
// Each path is a type with the same four functions; the conversions below
// are written once over them.

// Eight bytes at a time in ordinary registers.
struct WordBits {
  // Eight bytes as a number whose lowest byte is the first of them.
  static std::uint64_t load8(const unsigned char* p) {
    std::uint64_t word = 0;
    if constexpr (std::endian::native == std::endian::little) {
      std::memcpy(&word, p, sizeof word);
    } else {
      for (int i = 7; i >= 0; --i) word = word << 8 | p[i];
    }
    return word;
  }

  static constexpr std::uint64_t repeated(std::uint8_t b) { return 0x0101010101010101ull * b; }

  // Gathers the high bit of each byte of `word` into one byte, byte i to bit i.
  static std::uint64_t highBits(std::uint64_t word) { return ((word >> 7) * 0x0102040810204080ull) >> 56; }

  // High bit set in each byte of `word` that a rule does not copy as itself:
  // for the copying rule 0x80 and up; for the skipping rule also the
  // controls and 0x7F. No carry crosses a byte.
  static std::uint64_t specialBytes(ControlRule rule, std::uint64_t word) {
    if (rule == ControlRule::copy) return word & repeated(0x80);
    const std::uint64_t low7 = word & repeated(0x7F);
    const std::uint64_t atLeast20 = low7 + repeated(0x60);
    const std::uint64_t is7F = low7 + repeated(0x01);
    return (word | ~atLeast20 | is7F) & repeated(0x80);
  }

  // High bit set in each lead byte: the byte has its high bit and its low
  // seven bits lie in 0x01-0x20 or 0x60-0x7C.
  static std::uint64_t leadBytes(std::uint64_t word) {
    const std::uint64_t low7 = word & repeated(0x7F);
    const std::uint64_t from81 = (low7 + repeated(0x7F)) & ~(low7 + repeated(0x5F));
    const std::uint64_t fromE0 = (low7 + repeated(0x20)) & ~(low7 + repeated(0x03));
    return word & (from81 | fromE0) & repeated(0x80);
  }

  // High bit set in each byte that can be a trail byte: 0x40-0x7E, or
  // 0x80-0xFC, whose low seven bits lie below 0x7D.
  static std::uint64_t trailBytes(std::uint64_t word) {
    const std::uint64_t low7 = word & repeated(0x7F);
    const std::uint64_t from40 = low7 + repeated(0x40);
    const std::uint64_t is7F = low7 + repeated(0x01);
    const std::uint64_t from7D = low7 + repeated(0x03);
    return ((~word & from40 & ~is7F) | (word & ~from7D)) & repeated(0x80);
  }

  // High bit set in each byte equal to `b`.
  static std::uint64_t equalBytes(std::uint64_t word, std::uint8_t b) {
    const std::uint64_t differs = word ^ repeated(b);
    return ~(((differs & repeated(0x7F)) + repeated(0x7F)) | differs) & repeated(0x80);
  }

  static std::uint64_t breakBytes(std::uint64_t word) { return equalBytes(word, '\r') | equalBytes(word, '\n'); }
  static std::uint64_t copySpecialBytes(std::uint64_t word) { return specialBytes(ControlRule::copy, word); }
  static std::uint64_t skipSpecialBytes(std::uint64_t word) { return specialBytes(ControlRule::skip, word); }

  template <std::uint64_t (*Bytes)(std::uint64_t)>
  static std::uint64_t gather(const unsigned char* block) {
    std::uint64_t bits = 0;
    for (std::ptrdiff_t w = 0; w < 8; ++w) bits |= highBits(Bytes(load8(block + 8 * w))) << (8 * w);
    return bits;
  }

  static std::uint64_t lead(const unsigned char* block) { return gather<leadBytes>(block); }
  static std::uint64_t trail(const unsigned char* block) { return gather<trailBytes>(block); }
  static std::uint64_t breaks(const unsigned char* block) { return gather<breakBytes>(block); }
  template <ControlRule R>
  static std::uint64_t special(const unsigned char* block) {
    return gather < R == ControlRule::copy ? copySpecialBytes : skipSpecialBytes > (block);
  }
};

#if MORVEL_X86_VECTORS
// Sixteen bytes at a time.
struct Sse2Bits {
  static __m128i load(const unsigned char* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

  // The bytes with their high bit flipped, so that signed comparisons order
  // them as unsigned ones.
  static __m128i flipped(const unsigned char* p) { return _mm_xor_si128(load(p), _mm_set1_epi8(-128)); }

  static __m128i within(__m128i v, int low, int high) {
    return _mm_and_si128(_mm_cmpgt_epi8(v, _mm_set1_epi8(static_cast<char>(low - 0x80 - 1))),
                         _mm_cmplt_epi8(v, _mm_set1_epi8(static_cast<char>(high - 0x80 + 1))));
  }

  static std::uint64_t bits(__m128i v) {
    return static_cast<std::uint64_t>(static_cast<unsigned>(_mm_movemask_epi8(v)));
  }

  template <__m128i (*Mark)(const unsigned char*)>
  static std::uint64_t gather(const unsigned char* block) {
    return bits(Mark(block)) | bits(Mark(block + 16)) << 16 | bits(Mark(block + 32)) << 32 |
           bits(Mark(block + 48)) << 48;
  }

  static __m128i leadMarks(const unsigned char* p) {
    const __m128i v = flipped(p);
    return _mm_or_si128(within(v, 0x81, 0xA0), within(v, 0xE0, 0xFC));
  }
  static __m128i trailMarks(const unsigned char* p) {
    const __m128i v = flipped(p);
    return _mm_or_si128(within(v, 0x40, 0x7E), within(v, 0x80, 0xFC));
  }
  static __m128i breakMarks(const unsigned char* p) {
    const __m128i v = load(p);
    return _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('\r')), _mm_cmpeq_epi8(v, _mm_set1_epi8('\n')));
  }
  // The copying rule's bytes are those with the high bit, which the gather
  // takes as they are.
  static __m128i copySpecialMarks(const unsigned char* p) { return load(p); }
  static __m128i skipSpecialMarks(const unsigned char* p) {
    return _mm_xor_si128(within(flipped(p), 0x20, 0x7E), _mm_set1_epi8(-1));
  }

  static std::uint64_t lead(const unsigned char* block) { return gather<leadMarks>(block); }
  static std::uint64_t trail(const unsigned char* block) { return gather<trailMarks>(block); }
  static std::uint64_t breaks(const unsigned char* block) { return gather<breakMarks>(block); }
  template <ControlRule R>
  static std::uint64_t special(const unsigned char* block) {
    if constexpr (R == ControlRule::copy) {
      return gather<copySpecialMarks>(block);
    } else {
      return gather<skipSpecialMarks>(block);
    }
  }
};

// Thirty-two bytes at a time.
struct Avx2Bits {
  MORVEL_AVX2 static __m256i load(const unsigned char* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
  }
  MORVEL_AVX2 static __m256i flipped(const unsigned char* p) {
    return _mm256_xor_si256(load(p), _mm256_set1_epi8(-128));
  }
  MORVEL_AVX2 static __m256i within(__m256i v, int low, int high) {
    return _mm256_and_si256(_mm256_cmpgt_epi8(v, _mm256_set1_epi8(static_cast<char>(low - 0x80 - 1))),
                            _mm256_cmpgt_epi8(_mm256_set1_epi8(static_cast<char>(high - 0x80 + 1)), v));
  }
  MORVEL_AVX2 static std::uint64_t bits(__m256i v) {
    return static_cast<std::uint64_t>(static_cast<std::uint32_t>(_mm256_movemask_epi8(v)));
  }
  MORVEL_AVX2 static __m256i leadMarks(const unsigned char* p) {
    const __m256i v = flipped(p);
    return _mm256_or_si256(within(v, 0x81, 0xA0), within(v, 0xE0, 0xFC));
  }
  MORVEL_AVX2 static __m256i trailMarks(const unsigned char* p) {
    const __m256i v = flipped(p);
    return _mm256_or_si256(within(v, 0x40, 0x7E), within(v, 0x80, 0xFC));
  }
  MORVEL_AVX2 static __m256i breakMarks(const unsigned char* p) {
    const __m256i v = load(p);
    return _mm256_or_si256(_mm256_cmpeq_epi8(v, _mm256_set1_epi8('\r')), _mm256_cmpeq_epi8(v, _mm256_set1_epi8('\n')));
  }
  MORVEL_AVX2 static __m256i skipSpecialMarks(const unsigned char* p) {
    return _mm256_xor_si256(within(flipped(p), 0x20, 0x7E), _mm256_set1_epi8(-1));
  }

  MORVEL_AVX2 static std::uint64_t lead(const unsigned char* block) {
    return bits(leadMarks(block)) | bits(leadMarks(block + 32)) << 32;
  }
  MORVEL_AVX2 static std::uint64_t trail(const unsigned char* block) {
    return bits(trailMarks(block)) | bits(trailMarks(block + 32)) << 32;
  }
  MORVEL_AVX2 static std::uint64_t breaks(const unsigned char* block) {
    return bits(breakMarks(block)) | bits(breakMarks(block + 32)) << 32;
  }
  template <ControlRule R>
  MORVEL_AVX2 static std::uint64_t special(const unsigned char* block) {
    if constexpr (R == ControlRule::copy) {
      return bits(load(block)) | bits(load(block + 32)) << 32;
    } else {
      return bits(skipSpecialMarks(block)) | bits(skipSpecialMarks(block + 32)) << 32;
    }
  }
};
#endif

// --- the conversions, written once for every path --------------------------

// The input goes in blocks of 64 bytes, one bit per byte.
constexpr std::ptrdiff_t kBlock = 64;

// The lead bytes of a block followed by a byte that can be their trail;
// `trailAfter` tells whether the byte after the block can be. A lead byte
// followed by any other byte is a character of its own that yields nothing.
inline std::uint64_t pairingLeads(std::uint64_t leads, std::uint64_t trails, bool trailAfter) {
  return leads & (trails >> 1 | std::uint64_t{trailAfter} << 63);
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

template <class Bits, ControlRule R>
inline char* lineWith(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end, LineState& state,
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
    const std::uint64_t special = Bits::template special<R>(in);
    if ((special | trail) == 0) {
      std::memcpy(out, in, kBlock);
      out += kBlock;
      in += kBlock;
      continue;
    }
    const std::uint64_t leads = pairingLeads(Bits::lead(in), Bits::trail(in), isTrailByte(in[kBlock]));
    const std::uint64_t starts = characterStarts(leads, trail);
    out = putCharacters(flat, in, starts, out);
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
  const std::uint64_t special = Bits::template special<R>(block) >> behind;
  if ((special | trail) == 0) {
    std::memcpy(out, tail, left);
    return out + left;
  }
  // Bits past the end do not matter: a character's start depends only on
  // the bytes before it. The last byte is never a pairing lead here, as no
  // byte follows it in the line.
  const std::uint64_t leads = pairingLeads(Bits::lead(block), Bits::trail(block), false);
  const std::uint64_t starts = characterStarts(leads >> behind, trail);
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

// Text one byte at a time over the text table, from `in` until it reaches
// `stop` with no lead byte waiting, or the end. A lead byte always waits
// for the next byte other than CR and LF: a trail makes a pair with it, any
// other byte drops it. CR gives nothing and LF the line end, from the table.
inline char* textByBytes(const std::uint32_t* flat, const unsigned char*& in, const unsigned char* end,
                         const unsigned char* stop, LineState& state, char* out) {
  for (; in < end && (in < stop || state.pending); ++in) {
    const unsigned char b = *in;
    if (b == '\r') continue;
    if (state.pending && b != '\n') {
      state.pending = false;
      if (isTrailByte(b)) {
        out = put(out, flat[pairIndex(state.lead, b)]);
        continue;
      }
    }
    if (isLeadByte(b)) {
      state.lead = b;
      state.pending = true;
      continue;
    }
    out = put(out, flat[pairIndex(b, 0)]);
  }
  return out;
}

// Copies the `n` bytes (at most 64) at `from`: it reads and writes 64
// whatever `n` is, which takes no branch on it.
inline char* copyShort(char* out, const unsigned char* from, std::size_t n) {
  std::memcpy(out, from, kBlock);
  return out + n;
}

// A block whose bytes all copy as themselves, but for its CR and LF bytes
// (`breaks`): the runs between them are copied, the breaks looked up.
inline char* copyRuns(const std::uint32_t* flat, const unsigned char* in, std::uint64_t breaks, char* out) {
  const unsigned char* from = in;
  while (breaks != 0) {
    const unsigned char* at = in + std::countr_zero(breaks);
    breaks &= breaks - 1;
    out = copyShort(out, from, static_cast<std::size_t>(at - from));
    out = put(out, flat[pairIndex(at)]);
    from = at + 1;
  }
  return copyShort(out, from, static_cast<std::size_t>(in + kBlock - from));
}

template <class Bits, ControlRule R>
inline char* textWith(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end, LineState& state,
                      char* out) {
  // A lead byte left from before takes the next byte as its trail, or is
  // dropped.
  if (state.pending) out = textByBytes(flat, in, end, in, state, out);
  std::uint64_t trail = 0;
  // Whole blocks while a byte follows them, for a pair that crosses the end.
  while (end - in > kBlock) {
    const std::uint64_t special = Bits::template special<R>(in);
    const std::uint64_t breaks = Bits::breaks(in);
    if ((special | breaks | trail) == 0) {
      std::memcpy(out, in, kBlock);
      out += kBlock;
      in += kBlock;
      continue;
    }
    // copyRuns reads up to 64 bytes past the block.
    if ((trail | (special & ~breaks)) == 0 && end - in >= 2 * kBlock) {
      out = copyRuns(flat, in, breaks, out);
      in += kBlock;
      continue;
    }
    const std::uint64_t trailIn = trail;
    const std::uint64_t leads = Bits::lead(in);
    const std::uint64_t pairing = pairingLeads(leads, Bits::trail(in), isTrailByte(in[kBlock]));
    const std::uint64_t starts = characterStarts(pairing, trail);
    // A lead byte before a CR or LF waits for the byte after them, which
    // the byte-at-a-time form follows; it goes on until no lead waits.
    const std::uint64_t beforeBreak = breaks >> 1 | std::uint64_t{isBreak(in[kBlock])} << 63;
    if ((starts & leads & beforeBreak) != 0) {
      const unsigned char* const stop = in + kBlock;
      in += trailIn;
      out = textByBytes(flat, in, end, stop, state, out);
      trail = 0;
      continue;
    }
    out = putCharacters(flat, in, starts, out);
    in += kBlock;
  }
  in += trail;
  return textByBytes(flat, in, end, end, state, out);
}

// --- the paths --------------------------------------------------------------

using Conversion = char* (*)(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end,
                             LineState& state, char* out);
using Marks = std::uint64_t (*)(const unsigned char* block);

// One path's conversions and marks, each indexed by rule.
struct Implementation {
  BlockPath path;
  Conversion line[2];
  Conversion text[2];
  Marks lead;
  Marks trail;
  Marks breaks;
  Marks special[2];
};

constexpr std::size_t ruleIndex(ControlRule rule) { return rule == ControlRule::copy ? 0 : 1; }

template <class Bits>
constexpr Implementation implementationOf(BlockPath path) {
  return {path,
          {lineWith<Bits, ControlRule::copy>, lineWith<Bits, ControlRule::skip>},
          {textWith<Bits, ControlRule::copy>, textWith<Bits, ControlRule::skip>},
          Bits::lead,
          Bits::trail,
          Bits::breaks,
          {Bits::template special<ControlRule::copy>, Bits::template special<ControlRule::skip>}};
}

constexpr Implementation kWords = implementationOf<WordBits>(BlockPath::words);

#if MORVEL_X86_VECTORS
constexpr Implementation kSse2 = implementationOf<Sse2Bits>(BlockPath::sse2);

// The AVX2 conversions are compiled for AVX2 as a whole, with everything
// they call inlined into them.
MORVEL_AVX2_ENTRY char* avx2LineCopy(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end,
                                     LineState& state, char* out) {
  return lineWith<Avx2Bits, ControlRule::copy>(flat, in, end, state, out);
}
MORVEL_AVX2_ENTRY char* avx2LineSkip(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end,
                                     LineState& state, char* out) {
  return lineWith<Avx2Bits, ControlRule::skip>(flat, in, end, state, out);
}
MORVEL_AVX2_ENTRY char* avx2TextCopy(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end,
                                     LineState& state, char* out) {
  return textWith<Avx2Bits, ControlRule::copy>(flat, in, end, state, out);
}
MORVEL_AVX2_ENTRY char* avx2TextSkip(const std::uint32_t* flat, const unsigned char* in, const unsigned char* end,
                                     LineState& state, char* out) {
  return textWith<Avx2Bits, ControlRule::skip>(flat, in, end, state, out);
}

constexpr Implementation kAvx2{BlockPath::avx2,
                               {avx2LineCopy, avx2LineSkip},
                               {avx2TextCopy, avx2TextSkip},
                               Avx2Bits::lead,
                               Avx2Bits::trail,
                               Avx2Bits::breaks,
                               {Avx2Bits::special<ControlRule::copy>, Avx2Bits::special<ControlRule::skip>}};

bool processorHasAvx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0 && __builtin_cpu_supports("bmi") != 0 &&
         __builtin_cpu_supports("bmi2") != 0;
}
#endif

// The implementation of `path`, or none when the build or the processor
// lacks it.
const Implementation* implementationFor(BlockPath path) {
  switch (path) {
    case BlockPath::words:
      return &kWords;
#if MORVEL_X86_VECTORS
    case BlockPath::sse2:
      return &kSse2;
    case BlockPath::avx2: {
      static const bool available = processorHasAvx2();
      return available ? &kAvx2 : nullptr;
    }
#else
    case BlockPath::sse2:
    case BlockPath::avx2:
      return nullptr;
#endif
  }
  return nullptr;
}

const Implementation& widestImplementation() {
  for (auto path = std::size(kBlockPaths); path-- > 0;) {
    if (const Implementation* found = implementationFor(kBlockPaths[path])) return *found;
  }
  return kWords;
}

std::atomic<const Implementation*>& activeImplementation() {
  static std::atomic<const Implementation*> active{&widestImplementation()};
  return active;
}

const Implementation& implementationOrWords(BlockPath path) {
  const Implementation* found = implementationFor(path);
  return found != nullptr ? *found : kWords;
}

const unsigned char* bytesOf(std::string_view text) { return reinterpret_cast<const unsigned char*>(text.data()); }

}  // namespace

const char* blockPathName(BlockPath path) {
  switch (path) {
    case BlockPath::words:
      return "words";
    case BlockPath::sse2:
      return "SSE2";
    case BlockPath::avx2:
      return "AVX2";
  }
  return "?";
}

bool blockPathAvailable(BlockPath path) { return implementationFor(path) != nullptr; }

std::vector<BlockPath> availableBlockPaths() {
  std::vector<BlockPath> paths;
  for (const BlockPath path : kBlockPaths) {
    if (blockPathAvailable(path)) paths.push_back(path);
  }
  return paths;
}

BlockPath activeBlockPath() { return activeImplementation().load(std::memory_order_relaxed)->path; }

bool useBlockPath(BlockPath path) {
  const Implementation* found = implementationFor(path);
  if (found == nullptr) return false;
  activeImplementation().store(found, std::memory_order_relaxed);
  return true;
}

namespace detail {

std::uint64_t leadBits(BlockPath path, const unsigned char* block) { return implementationOrWords(path).lead(block); }
std::uint64_t trailBits(BlockPath path, const unsigned char* block) { return implementationOrWords(path).trail(block); }
std::uint64_t specialBits(BlockPath path, ControlRule rule, const unsigned char* block) {
  return implementationOrWords(path).special[ruleIndex(rule)](block);
}
std::uint64_t breakBits(BlockPath path, const unsigned char* block) {
  return implementationOrWords(path).breaks(block);
}

}  // namespace detail

char* convertLine(BlockPath path, const FlatTable& table, std::string_view line, LineState& state, char* out) {
  const auto* in = bytesOf(line);
  return implementationOrWords(path).line[ruleIndex(table.rule)](table.entries.data(), in, in + line.size(), state,
                                                                 out);
}

char* convertLine(const FlatTable& table, std::string_view line, LineState& state, char* out) {
  const auto* in = bytesOf(line);
  const Implementation& active = *activeImplementation().load(std::memory_order_relaxed);
  return active.line[ruleIndex(table.rule)](table.entries.data(), in, in + line.size(), state, out);
}

char* convertText(BlockPath path, const FlatTextTable& table, std::string_view text, LineState& state, char* out) {
  const auto* in = bytesOf(text);
  return implementationOrWords(path).text[ruleIndex(table.flat.rule)](table.flat.entries.data(), in, in + text.size(),
                                                                      state, out);
}

char* convertText(const FlatTextTable& table, std::string_view text, LineState& state, char* out) {
  const auto* in = bytesOf(text);
  const Implementation& active = *activeImplementation().load(std::memory_order_relaxed);
  return active.text[ruleIndex(table.flat.rule)](table.flat.entries.data(), in, in + text.size(), state, out);
}

}  // namespace morvel
