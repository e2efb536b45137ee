// Buffer sizes that the stored formats and the programs' design fix. A
// buffer of n bytes keeps at most n - 1 bytes of text: the last one is the
// terminator of the design's zero-terminated strings.
#pragma once

#include <cstddef>

namespace morvel {

// The splitter's line buffer: a split text, the command line among them.
inline constexpr std::size_t kLineBufferSize = 524288;

// Fields of one split, and words of the command line with the program path.
inline constexpr std::size_t kMaxFields = 3072;

// A table, list or file name, a path formed from a PATH entry, a line of a
// settings file.
inline constexpr std::size_t kNameBufferSize = 256;

}  // namespace morvel
