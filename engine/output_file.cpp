#include "output_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "binary_file.h"

namespace morvel {

namespace {

// Opens `name` for writing, created or emptied. A file found empty (as the
// passes find it, having emptied it before) is not truncated again: on ext4
// a truncation to nothing makes the close write the whole new content out
// at once, in the closing call, for programs that rewrite files in place
// without syncing them; the working file needs no such care.
int openEmptied(const std::string& name) {
  const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666);
  struct stat info {};
  if (fd >= 0 && ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > 0 && ::ftruncate(fd, 0) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

}  // namespace

OutputFile::OutputFile(const std::string& name, std::size_t bufferSize)
    : fd_(openEmptied(name)), size_(bufferSize), buffer_(std::make_unique_for_overwrite<char[]>(bufferSize)) {}

OutputFile::~OutputFile() {
  if (fd_ >= 0) ::close(fd_);
}

void OutputFile::writeOut(const char* data, std::size_t size) {
  if (failed_ || size == 0) return;
  if (!writeFully(fd_, data, size)) {
    failed_ = true;
    return;
  }
  written_ += size;
  if (watcher_) watcher_(written_);
}

void OutputFile::flush() {
  writeOut(buffer_.get(), used_);
  used_ = 0;
}

void OutputFile::append(const char* data, std::size_t size) {
  if (size <= size_ - used_ && size < size_ / 2) {
    std::memcpy(buffer_.get() + used_, data, size);
    used_ += size;
    return;
  }
  flush();
  writeOut(data, size);
}

bool OutputFile::close() {
  flush();
  const int fd = fd_;
  fd_ = -1;
  if (fd >= 0 && ::close(fd) != 0) failed_ = true;
  return !failed_;
}

}  // namespace morvel
