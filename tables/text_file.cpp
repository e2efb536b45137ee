#include "text_file.h"

#include <algorithm>
#include <cstring>

namespace morvel {

namespace {
constexpr std::size_t kChunk = 1 << 16;
constexpr char kEndOfText = 0x1A;
}  // namespace

TextReader::TextReader(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
  if (file_ != nullptr) buffer_.resize(kChunk);
}

TextReader::~TextReader() {
  if (file_ != nullptr) std::fclose(file_);
}

// Refills the buffer with the next translated bytes; false when none are left.
bool TextReader::fill() {
  while (begin_ == end_) {
    if (finished_ || file_ == nullptr) return false;
    const std::size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    if (got < buffer_.size()) {
      finished_ = true;
      failed_ = std::ferror(file_) != 0;
    }
    std::size_t size = got;
    if (const void* stop = std::memchr(buffer_.data(), kEndOfText, size)) {
      size = static_cast<std::size_t>(static_cast<const char*>(stop) - buffer_.data());
      finished_ = true;
    }
    char* data = buffer_.data();
    end_ = static_cast<std::size_t>(std::remove(data, data + size, '\r') - data);
    begin_ = 0;
  }
  return true;
}

bool TextReader::readPiece(std::string& piece, std::size_t limit) {
  piece.clear();
  while (piece.size() < limit && fill()) {
    const std::size_t want = std::min(limit - piece.size(), end_ - begin_);
    const char* start = buffer_.data() + begin_;
    const void* lf = std::memchr(start, '\n', want);
    const std::size_t take = lf != nullptr ? static_cast<std::size_t>(static_cast<const char*>(lf) - start) + 1 : want;
    piece.append(start, take);
    begin_ += take;
    if (lf != nullptr) break;
  }
  return !piece.empty();
}

bool TextReader::readLine(std::string& line) {
  line.clear();
  bool any = false;
  while (fill()) {
    any = true;
    const char* start = buffer_.data() + begin_;
    const std::size_t available = end_ - begin_;
    const void* lf = std::memchr(start, '\n', available);
    if (lf != nullptr) {
      const auto take = static_cast<std::size_t>(static_cast<const char*>(lf) - start);
      line.append(start, take);
      begin_ += take + 1;
      return true;
    }
    line.append(start, available);
    begin_ = end_;
  }
  return any;
}

std::size_t TextReader::read(char* out, std::size_t capacity) {
  std::size_t done = 0;
  while (done < capacity && fill()) {
    const std::size_t take = std::min(capacity - done, end_ - begin_);
    std::memcpy(out + done, buffer_.data() + begin_, take);
    begin_ += take;
    done += take;
  }
  return done;
}

std::optional<std::string> readTextFile(const std::string& path) {
  TextReader reader(path);
  if (!reader.isOpen()) return std::nullopt;
  std::string text;
  char chunk[kChunk];
  while (const std::size_t got = reader.read(chunk, sizeof chunk)) text.append(chunk, got);
  if (reader.failed()) return std::nullopt;
  return text;
}

std::string toCrlf(std::string_view text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

TextWriter::TextWriter(const std::string& path) : file_(std::fopen(path.c_str(), "wb")) {}

TextWriter::~TextWriter() { close(); }

void TextWriter::write(std::string_view text) {
  if (file_ == nullptr || text.empty()) return;
  const std::string bytes = toCrlf(text);
  if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size()) failed_ = true;
}

bool TextWriter::close() {
  if (file_ == nullptr) return false;
  const bool flushed = std::fflush(file_) == 0;
  const bool closed = std::fclose(file_) == 0;
  file_ = nullptr;
  return flushed && closed && !failed_;
}

bool writeTextFile(const std::string& path, std::string_view text) {
  TextWriter writer(path);
  if (!writer.isOpen()) return false;
  writer.write(text);
  return writer.close();
}

}  // namespace morvel
