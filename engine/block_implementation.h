// What each block path hands the dispatch (block_dispatch.cpp): its
// conversions and its block marks, one record per path, defined in the
// path's own folder (words/, sse2/, avx2/).
#pragma once

#include <cstddef>
#include <cstdint>

#include "block_path.h"
#include "line_rules.h"

// The vector paths are x86-64 code; other machines, and builds that leave
// them out, have the word path alone.
#if (defined(__x86_64__) || defined(_M_X64)) && !defined(MORVEL_NO_VECTOR_PATHS)
#define MORVEL_X86_VECTORS 1
#else
#define MORVEL_X86_VECTORS 0
#endif

namespace morvel::blocks {

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

// Constant-initialized, so that the dispatch may read them at any time.
extern const Implementation kWordsImplementation;
#if MORVEL_X86_VECTORS
extern const Implementation kSse2Implementation;
extern const Implementation kAvx2Implementation;

// True when the processor has what the AVX2 path is compiled for.
[[nodiscard]] bool processorHasAvx2();
#endif

}  // namespace morvel::blocks
