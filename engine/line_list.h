// The list-driven passes' conversion: lines held in memory, each converted
// and followed by the line end. A long list is converted in parts on
// several threads (see parallel_parts.h).
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "line_conversion.h"
#include "output_file.h"

namespace morvel {

struct LineListSizes {
  // A list of at least two parts' bytes is converted by this many threads,
  // a part each at a time; 0 takes as many as the processor runs at once,
  // up to 4.
  unsigned threads = 0;
  std::size_t partSize = std::size_t{1} << 20;
};

// Writes each line of `lines` converted, followed by CR LF or LF, to
// `output`; the state carries from line to line.
void convertLineList(const std::vector<std::string>& lines, const FlatTable& table, bool crlf, OutputFile& output,
                     const LineListSizes& sizes = {});

}  // namespace morvel
