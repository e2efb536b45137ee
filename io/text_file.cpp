#include "text_file.h"

#include <algorithm>
#include <cstring>

#include "native_file.h"

#if defined(__SSE2__) && !defined(MORVEL_NO_VECTOR_PATHS)
#include <emmintrin.h>
#define MORVEL_SSE2_TEXT 1
#else
#define MORVEL_SSE2_TEXT 0
#endif

namespace morvel {

namespace {
// Reads of this size keep the text in the cache from the read to its use.
constexpr std::size_t kReadSize = 1 << 17;
constexpr char kEndOfText = 0x1A;
}  // namespace

std::size_t dropCarriageReturnsByRuns(char* data, std::size_t size) {
  char* to = static_cast<char*>(std::memchr(data, '\r', size));
  if (to == nullptr) return size;
  const char* from = to;
  const char* const end = data + size;
  while (from < end) {
    ++from;  // over the CR
    const void* next = std::memchr(from, '\r', static_cast<std::size_t>(end - from));
    const char* stop = next != nullptr ? static_cast<const char*>(next) : end;
    std::memmove(to, from, static_cast<std::size_t>(stop - from));
    to += stop - from;
    from = stop;
  }
  return static_cast<std::size_t>(to - data);
}

std::size_t dropCarriageReturns(char* data, std::size_t size) {
#if MORVEL_SSE2_TEXT
  char* to = static_cast<char*>(std::memchr(data, '\r', size));
  if (to == nullptr) return size;
  const char* from = to;
  const char* const end = data + size;
  // Sixteen bytes at a time while they hold no CR: text has one per line at
  // most, so nearly every block moves whole. `to` never passes `from`, so
  // each block is loaded before anything is stored over it.
  const __m128i cr = _mm_set1_epi8('\r');
  while (end - from >= 16) {
    const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
    if (_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)) == 0) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(to), block);
      to += 16;
      from += 16;
      continue;
    }
    for (const char* stop = from + 16; from < stop; ++from) {
      *to = *from;
      to += *from != '\r';
    }
  }
  for (; from < end; ++from) {
    *to = *from;
    to += *from != '\r';
  }
  return static_cast<std::size_t>(to - data);
#else
  return dropCarriageReturnsByRuns(data, size);
#endif
}

TextReader::TextReader(const std::string& path) : file_(openStream(path, "rb")), buffer_(kReadSize) {
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);  // reads are large already
}

TextReader::~TextReader() {
  if (file_ != nullptr) std::fclose(file_);
}

bool TextReader::fill() {
  for (;;) {
    if (finished_ || file_ == nullptr) return false;
    if (begin_ > 0) {  // keep the unread bytes at the front
      std::memmove(buffer_.data(), buffer_.data() + begin_, available());
      end_ -= begin_;
      begin_ = 0;
    }
    if (buffer_.size() < end_ + kReadSize) buffer_.resize(end_ + kReadSize);
    char* fresh = buffer_.data() + end_;
    const std::size_t got = std::fread(fresh, 1, kReadSize, file_);
    if (got < kReadSize) {
      finished_ = true;
      failed_ = std::ferror(file_) != 0;
    }
    std::size_t size = got;
    if (const void* stop = std::memchr(fresh, kEndOfText, size)) {
      size = static_cast<std::size_t>(static_cast<const char*>(stop) - fresh);
      finished_ = true;
    }
    size = dropCarriageReturns(fresh, size);
    end_ += size;
    if (size > 0) return true;
  }
}

std::string_view TextReader::nextPiece(std::size_t limit) {
  for (;;) {
    const std::size_t window = std::min(limit, available());
    const void* lf = std::memchr(data(), '\n', window);
    std::size_t take = window;  // the limit, or the rest of the input
    if (lf != nullptr) {
      take = static_cast<std::size_t>(static_cast<const char*>(lf) - data()) + 1;
    } else if (window < limit && fill()) {
      continue;
    }
    const std::string_view piece(data(), take);
    begin_ += take;
    return piece;
  }
}

bool TextReader::readPiece(std::string& piece, std::size_t limit) {
  piece.assign(nextPiece(limit));
  return !piece.empty();
}

bool TextReader::readLine(std::string& line) {
  line.clear();
  bool any = false;
  while (available() > 0 || fill()) {
    any = true;
    const void* lf = std::memchr(data(), '\n', available());
    if (lf != nullptr) {
      const auto take = static_cast<std::size_t>(static_cast<const char*>(lf) - data());
      line.append(data(), take);
      begin_ += take + 1;
      return true;
    }
    line.append(data(), available());
    begin_ = end_;
  }
  return any;
}

std::size_t TextReader::read(char* out, std::size_t capacity) {
  std::size_t done = 0;
  while (done < capacity && (available() > 0 || fill())) {
    const std::size_t take = std::min(capacity - done, available());
    std::memcpy(out + done, data(), take);
    begin_ += take;
    done += take;
  }
  return done;
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

TextWriter::TextWriter(const std::string& path) : file_(openStream(path, "wb")) {}

// A caller that must know whether the text reached the file closes it itself.
TextWriter::~TextWriter() { static_cast<void>(close()); }

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
