#include "output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include "binary_file.h"

namespace morvel {

OutputFile::OutputFile(const std::string& name, std::size_t bufferSize)
    : fd_(::open(name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666)),
      size_(bufferSize),
      buffer_(std::make_unique_for_overwrite<char[]>(bufferSize)) {}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutputFile::flush() {
  if (!failed_ && !writeFully(fd_, buffer_.get(), used_)) failed_ = true;
  used_ = 0;
}

bool OutputFile::close() {
  flush();
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && ::close(fd) != 0) failed_ = true;
  return !failed_;
}

}  // namespace morvel
