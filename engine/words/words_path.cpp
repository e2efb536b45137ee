// The word path: eight bytes at a time in ordinary registers, on any
// machine. The path every build has, and the one the others fall back to.
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "block_kernels.h"

namespace morvel::blocks {
namespace {

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

}  // namespace

constinit const Implementation kWordsImplementation = implementationOf<WordBits>(BlockPath::words);

}  // namespace morvel::blocks
