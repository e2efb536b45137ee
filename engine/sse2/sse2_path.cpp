// The SSE2 path: sixteen bytes at a time, on every x86-64 processor. SSE2
// is part of the x86-64 baseline, so this file needs no flags of its own.
#include <cstdint>

#include "block_kernels.h"

#if MORVEL_X86_VECTORS
#include <immintrin.h>

namespace morvel::blocks {
namespace {

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

}  // namespace

constinit const Implementation kSse2Implementation = implementationOf<Sse2Bits>(BlockPath::sse2);

}  // namespace morvel::blocks
#endif
