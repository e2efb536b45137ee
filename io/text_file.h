// Files read and written "as text", with the effects of Windows text mode on
// every platform: reading drops each CR byte and stops at a 0x1A byte;
// writing turns each LF into CR LF. Everything else is binary I/O.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

class TextReader {
 public:
  explicit TextReader(const std::string& path);
  ~TextReader();
  TextReader(const TextReader&) = delete;
  TextReader& operator=(const TextReader&) = delete;

  [[nodiscard]] bool isOpen() const { return file_ != nullptr; }

  // The next piece: the bytes up to and including the next LF, but at most
  // `limit` bytes (the fgets rule for a buffer of limit + 1). Empty at the
  // end of the input. The view lasts until the next read.
  std::string_view nextPiece(std::size_t limit);

  // nextPiece copied; false, with an empty piece, at the end of the input.
  [[nodiscard]] bool readPiece(std::string& piece, std::size_t limit);

  // The next line without its LF, however long. False at the end of the input.
  [[nodiscard]] bool readLine(std::string& line);

  // Up to `capacity` translated bytes into `out`; 0 at the end of the input.
  std::size_t read(char* out, std::size_t capacity);

  // True when reading stopped on an I/O error rather than the end.
  [[nodiscard]] bool failed() const { return failed_; }

 private:
  std::size_t available() const { return end_ - begin_; }
  const char* data() const { return buffer_.data() + begin_; }
  // Appends the next translated bytes to the buffer; false when none are left.
  [[nodiscard]] bool fill();

  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
  bool finished_ = false;
  bool failed_ = false;
};

// Drops every CR byte of the `size` bytes at `data`, in place; returns the
// size that remains. Sixteen bytes at a time with SSE2 where the build has
// it; the form by runs between the CR bytes, which any machine runs, gives
// the same.
std::size_t dropCarriageReturns(char* data, std::size_t size);
std::size_t dropCarriageReturnsByRuns(char* data, std::size_t size);

// Turns each LF of `text` into CR LF.
std::string toCrlf(std::string_view text);

class TextWriter {
 public:
  // Creates or empties the file.
  explicit TextWriter(const std::string& path);
  ~TextWriter();
  TextWriter(const TextWriter&) = delete;
  TextWriter& operator=(const TextWriter&) = delete;

  [[nodiscard]] bool isOpen() const { return file_ != nullptr; }
  void write(std::string_view text);
  // Flushes and closes; true when every byte reached the file.
  [[nodiscard]] bool close();

 private:
  std::FILE* file_ = nullptr;
  bool failed_ = false;
};

// Creates or empties `path` and writes `text` as text; true on success.
[[nodiscard]] bool writeTextFile(const std::string& path, std::string_view text);

}  // namespace morvel
