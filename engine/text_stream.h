// The file-driven pass's streaming: a text file read in large blocks and
// converted a block at a time into large writes, with no line handled on
// its own. What it writes is what reading the file as text pieces
// (TextReader::nextPiece) and converting each piece as a line gives; the
// plain form below does exactly that, for tests.
#pragma once

#include <cstddef>
#include <string>

#include "line_conversion.h"
#include "output_file.h"
#include "regulate.h"

namespace morvel {

struct TextStreamSizes {
  // A line longer than this is cut into pieces of this many bytes, each
  // ended as a line; a line's LF counts as one of its bytes. Reading the
  // text into the work buffer cuts lines so.
  std::size_t pieceLimit = kWorkBufferSize - 1;
  // Bytes read at a time.
  std::size_t readSize = std::size_t{1} << 18;
  // A regular file of at least two parts is converted by this many
  // threads, a part each at a time; 0 takes as many as the processor runs
  // at once, up to 4.
  unsigned threads = 0;
  std::size_t partSize = std::size_t{1} << 20;
};

// Reads the open descriptor `input` as text up to its end, or to its first
// 0x1A byte, and writes its lines converted, each ended by the table's line
// end: every CR dropped, a line longer than the piece limit cut, and a last
// line without an LF ended as well. False when reading failed; what was
// read before is written.
[[nodiscard]] bool convertTextStream(int input, const FlatTextTable& table, OutputFile& output,
                                     const TextStreamSizes& sizes = {});

}  // namespace morvel
