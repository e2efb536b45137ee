// The ways the fast form of the line conversion finds the bytes it must
// look up, 64 at a time, and which of them it takes: the widest the
// processor offers, chosen when it first runs (block_dispatch.cpp). Every
// path gives the same bytes.
#pragma once

#include <cstdint>
#include <vector>

#include "line_rules.h"

namespace morvel {

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
