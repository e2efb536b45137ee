#include "output_file.h"

#include <cstring>

#include "binary_file.h"
#include "native_file.h"

namespace morvel {

namespace {

// Opens `name` for writing, created or emptied. A file found empty (as the
// passes find it, having emptied it before) is not truncated again: on ext4
// a truncation to nothing makes the close write the whole new content out
// at once, in the closing call, for programs that rewrite files in place
// without syncing them; the working file needs no such care.
int openEmptied(const std::string& name) {
  const int fd = openForWriting(name);
  if (fd < 0) return fd;
  const std::optional<FileStatus> info = statusOf(fd);
  if (info && info->type == FileType::regular && info->size > 0 && !truncateToEmpty(fd)) {
    releaseFile(fd);
    return -1;
  }
  return fd;
}

}  // namespace

OutputFile::OutputFile(const std::string& name, std::size_t bufferSize)
    : fd_(openEmptied(name)), size_(bufferSize), buffer_(std::make_unique_for_overwrite<char[]>(bufferSize)) {}

OutputFile::~OutputFile() {
  if (fd_ >= 0) releaseFile(fd_);
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
  if (fd >= 0 && !closeFile(fd)) failed_ = true;
  return !failed_;
}

}  // namespace morvel
