// The converted text on its way to a file, in large writes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace morvel {

class OutputFile {
 public:
  // Creates or empties the file.
  explicit OutputFile(const std::string& name, std::size_t bufferSize = std::size_t{1} << 19);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  [[nodiscard]] bool isOpen() const { return fd_ >= 0; }

  // Told the bytes in the file so far each time more reach it.
  using Watcher = std::function<void(std::uint64_t written)>;
  void watch(Watcher watcher) { watcher_ = std::move(watcher); }

  // Room for `n` more bytes (n at most the buffer's size); keep() says how
  // many were used.
  char* room(std::size_t n) {
    if (size_ - used_ < n) flush();
    return buffer_.get() + used_;
  }
  void keep(const char* end) { used_ = static_cast<std::size_t>(end - buffer_.get()); }

  // Appends `size` bytes; large ones are written as they are, after what
  // the buffer holds.
  void append(const char* data, std::size_t size);

  // Writes what is left and closes; true when every byte reached the file.
  // Any failed write or close counts, so that a truncated result is never
  // taken for a complete one.
  [[nodiscard]] bool close();

 private:
  void flush();
  void writeOut(const char* data, std::size_t size);

  int fd_;
  std::size_t size_;
  std::unique_ptr<char[]> buffer_;
  std::size_t used_ = 0;
  bool failed_ = false;
  std::uint64_t written_ = 0;
  Watcher watcher_;
};

}  // namespace morvel
