// The job handed to every conversion pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "locator.h"

namespace morvel {

// The work buffer of a file-driven pass: a line piece holds at most 524,287 bytes.
constexpr std::size_t kWorkBufferSize = 524288;

struct Regulate {
  bool crlf = true;                // lines end in CR LF, else LF
  SearchSwitches search;           // no_searching and whichTable, which the table search may clear
  std::string inputName;           // the file-driven pass's Shift_JIS input
  std::vector<std::string> lines;  // the list-driven passes' lines, without line ends
  // Told the bytes of the output written so far each time more reach it,
  // for a copy that follows the writing; from whichever thread writes.
  std::function<void(std::uint64_t written)> onWritten;
};

}  // namespace morvel
