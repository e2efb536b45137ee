#include "text_stream.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string_view>

#include "text_file.h"

namespace morvel {

namespace {

constexpr char kEndOfText = 0x1A;

// Text is converted this many bytes at a time, so that the output's room
// for one step stays small beside its buffer.
constexpr std::size_t kStep = std::size_t{1} << 16;

// Fills `buffer` from `fd` as far as the input goes; the bytes read.
// `failed` is set on a read error.
std::size_t readBlock(int fd, char* buffer, std::size_t size, bool& failed) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::read(fd, buffer + got, size - got);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

class TextStream {
 public:
  TextStream(const FlatTextTable& table, OutputFile& output, std::size_t pieceLimit)
      : table_(table), output_(output), limit_(std::max<std::size_t>(pieceLimit, 1)) {}

  // Converts the next block of the text; the block may be changed.
  void block(char* data, std::size_t size) {
    const void* lf = std::memchr(data, '\n', size);
    // The raw bytes bound the bytes left once the CR bytes are gone. When
    // the line going on from before ends within the limit, and the block is
    // too short to hold a longer line, no piece needs a cut.
    const bool noCut =
        size <= limit_ && (lf != nullptr ? open_ + distance(data, lf) + 1 <= limit_ : open_ + size < limit_);
    if (!noCut) return blockWithCuts(data, size);
    convert(std::string_view(data, size));
    const char* afterLast = data;
    if (lf != nullptr) afterLast = static_cast<const char*>(::memrchr(data, '\n', size)) + 1;
    const auto left = static_cast<std::size_t>(data + size - afterLast);
    if (lf != nullptr) open_ = 0;
    open_ += left - static_cast<std::size_t>(std::count(afterLast, static_cast<const char*>(data + size), '\r'));
  }

  // Ends a last line that has no LF.
  void finish() {
    if (open_ > 0) convert("\n");
    open_ = 0;
  }

 private:
  static std::size_t distance(const char* from, const void* to) {
    return static_cast<std::size_t>(static_cast<const char*>(to) - from);
  }

  // A block in which a piece may reach the limit: with its CR bytes gone,
  // piece by piece as the text reader cuts them.
  void blockWithCuts(char* data, std::size_t size) {
    size = dropCarriageReturns(data, size);
    std::string_view text(data, size);
    while (!text.empty()) {
      const std::size_t room = limit_ - open_;
      const std::size_t window = std::min(room, text.size());
      const void* lf = std::memchr(text.data(), '\n', window);
      if (lf != nullptr) {
        const std::size_t take = distance(text.data(), lf) + 1;
        convert(text.substr(0, take));
        text.remove_prefix(take);
        open_ = 0;
      } else if (window < room) {
        convert(text);
        open_ += text.size();
        return;
      } else {
        // A full piece without an LF ends as a line of its own.
        convert(text.substr(0, room));
        convert("\n");
        text.remove_prefix(room);
        open_ = 0;
      }
    }
  }

  void convert(std::string_view text) {
    while (!text.empty()) {
      const std::string_view step = text.substr(0, kStep);
      text.remove_prefix(step.size());
      output_.keep(convertText(table_, step, state_, output_.room(convertedRoom(step.size()))));
    }
  }

  const FlatTextTable& table_;
  OutputFile& output_;
  const std::size_t limit_;
  LineState state_;
  std::size_t open_ = 0;  // bytes of the piece going on, CR bytes not counted
};

}  // namespace

bool convertTextStream(int input, const FlatTextTable& table, OutputFile& output, const TextStreamSizes& sizes) {
  const std::size_t readSize = std::max<std::size_t>(sizes.readSize, 1);
  const auto buffer = std::make_unique_for_overwrite<char[]>(readSize);
  TextStream stream(table, output, sizes.pieceLimit);
  bool failed = false;
  for (;;) {
    std::size_t got = readBlock(input, buffer.get(), readSize, failed);
    const void* end = std::memchr(buffer.get(), kEndOfText, got);
    if (end != nullptr) got = static_cast<std::size_t>(static_cast<const char*>(end) - buffer.get());
    if (got > 0) stream.block(buffer.get(), got);
    if (end != nullptr || failed || got < readSize) break;
  }
  stream.finish();
  return !failed;
}

template <TableKind K>
std::string convertTextPieces(const std::string& path, const SparseTable<K>& table, ControlRule rule, bool crlf,
                              std::size_t pieceLimit) {
  TextReader reader(path);
  LineState state;
  std::string out;
  for (;;) {
    std::string_view piece = reader.nextPiece(std::max<std::size_t>(pieceLimit, 1));
    if (piece.empty()) return out;
    if (piece.back() == '\n') piece.remove_suffix(1);
    convertLineByteByByte(table, rule, piece, state, out);
    out += crlf ? "\r\n" : "\n";
  }
}

template std::string convertTextPieces(const std::string&, const SparseEUC&, ControlRule, bool, std::size_t);
template std::string convertTextPieces(const std::string&, const SparseSJIS&, ControlRule, bool, std::size_t);
template std::string convertTextPieces(const std::string&, const SparseUTF8&, ControlRule, bool, std::size_t);

}  // namespace morvel
