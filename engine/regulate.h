// The job handed to every conversion pass.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace morvel {

// The work buffer of a file-driven pass: a line piece holds at most 524,287 bytes.
constexpr std::size_t kWorkBufferSize = 524288;

struct Regulate {
  bool crlf = true;                // lines end in CR LF, else LF
  bool no_searching = false;       // handed to the table search
  bool whichTable = false;         // handed by address to the table search, which may clear it
  std::string inputName;           // the file-driven pass's Shift_JIS input
  std::vector<std::string> lines;  // the list-driven passes' lines, without line ends
};

}  // namespace morvel
