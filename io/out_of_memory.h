// An allocation that failed where the programs name the failure. The code
// that allocated catches the allocator's std::bad_alloc and throws this with
// the line to report; each program's entry reports it and ends with exit
// code 1, so no library code ends the process.
#pragma once

#include <new>
#include <string>
#include <utility>

namespace morvel {

class OutOfMemory : public std::bad_alloc {
 public:
  explicit OutOfMemory(std::string line) : line_(std::move(line)) {}
  const char* what() const noexcept override { return line_.c_str(); }
  const std::string& line() const { return line_; }

 private:
  std::string line_;
};

}  // namespace morvel
