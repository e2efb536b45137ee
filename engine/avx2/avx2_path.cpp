// The AVX2 path: thirty-two bytes at a time. Its functions carry their
// instruction set with them (and the bit instructions of BMI1 and BMI2,
// which every AVX2 processor has) in target attributes rather than in flags
// for this file, so that nothing else compiled here, such as the shared
// inline functions of block_kernels.h, can use AVX2 on a processor without
// it; they run only after processorHasAvx2 said yes.
#include <cstdint>

#include "block_kernels.h"

#if MORVEL_X86_VECTORS
#include <immintrin.h>

#define MORVEL_AVX2 __attribute__((target("avx2,bmi,bmi2")))
#define MORVEL_AVX2_ENTRY __attribute__((target("avx2,bmi,bmi2"), flatten))

namespace morvel::blocks {
namespace {

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

}  // namespace

constinit const Implementation kAvx2Implementation{
    BlockPath::avx2,
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

}  // namespace morvel::blocks
#endif
