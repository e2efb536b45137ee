#include "text_stream.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

#include "native_file.h"
#include "parallel_parts.h"
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
    const std::int64_t n = readSome(fd, buffer + got, size - got);
    if (n < 0) failed = true;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

// The last LF of the `size` bytes at `data`, which hold one.
const char* lastLineFeed(const char* data, std::size_t size) {
#if defined(__GLIBC__)
  return static_cast<const char*>(::memrchr(data, '\n', size));
#else
  const char* at = data + size;
  while (*--at != '\n') {
  }
  return at;
#endif
}

// Converts text handed over in blocks into `Sink`, which gives room(n) and
// takes keep(end) as OutputFile does.
template <class Sink>
class TextStream {
 public:
  TextStream(const FlatTextTable& table, Sink& output, std::size_t pieceLimit)
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
    if (lf != nullptr) afterLast = lastLineFeed(data, size) + 1;
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
  Sink& output_;
  const std::size_t limit_;
  LineState state_;
  std::size_t open_ = 0;  // bytes of the piece going on, CR bytes not counted
};

// --- several parts at once ---------------------------------------------------
//
// A regular file is cut into parts of `partSize` bytes, which threads
// convert at the same time, each into memory, and which are written in
// their order. A part is taken to begin just after the first LF in it at
// which converting anew gives what converting from the start would: the
// state carried over such an LF is that of a fresh start. The bytes before
// that LF belong to the part before, whose thread reads on into the next
// parts until it finds their beginning. A part with no such LF belongs to
// the part before as a whole. Each decision looks only at the part's own
// bytes, so the thread converting a part and the one before it agree.

// Finds where a part begins: just after an LF with, since the part's start,
// a byte other than CR and LF before it, the last of which is no lead byte
// (a lead byte there might wait for the byte after the LF). Fed the part's
// bytes in order.
class PartStart {
 public:
  // The offset in `bytes` just after the first such LF, or npos.
  std::size_t find(std::string_view bytes) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
      const auto b = static_cast<unsigned char>(bytes[at]);
      if (b == '\n') {
        if (seen_ && !leadLast_) return at + 1;
      } else if (b != '\r') {
        seen_ = true;
        leadLast_ = isLeadByte(b);
      }
    }
    return std::string_view::npos;
  }

 private:
  bool seen_ = false;
  bool leadLast_ = false;
};

// What a thread first reads of the part after its own, looking for where it
// begins.
constexpr std::size_t kFirstLook = std::size_t{1} << 12;

// Reads from an offset on, as far as the file goes.
std::size_t readFrom(int fd, std::int64_t offset, char* buffer, std::size_t size, bool& failed) {
  std::size_t got = 0;
  while (got < size) {
    const std::int64_t n = readAt(fd, buffer + got, size - got, offset + static_cast<std::int64_t>(got));
    if (n < 0) failed = true;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

// The reading of one part: the file from an offset on, at most `want`
// bytes at a time, never past the end of the part being read.
struct PartCursor {
  int fd;
  std::int64_t offset;
  std::size_t leftInPart;
  std::size_t want;
  char* buffer;
  bool failed = false;
  std::string_view bytes;  // what the last read brought, less what was passed over

  bool readNext() {
    const std::size_t got = readFrom(fd, offset, buffer, std::min(want, leftInPart), failed);
    offset += static_cast<std::int64_t>(got);
    leftInPart -= got;
    bytes = std::string_view(buffer, got);
    return got > 0;
  }

  // The bytes of `bytes` as the stream takes them.
  char* at(std::string_view within) const { return buffer + (within.data() - buffer); }
};

enum class PartBegins { found, pastTheEnd, inThePartBefore };

// What of the bytes just read is converted: up to where the next part
// begins (once past the own part) and before an end-of-text byte.
struct Take {
  std::size_t size = 0;
  bool nextBegins = false;
  bool endOfText = false;
};

Take takeFrom(std::string_view bytes, bool ownPart, PartStart& next) {
  Take take{bytes.size()};
  if (!ownPart) {
    const std::size_t at = next.find(bytes);
    if (at != std::string_view::npos) {
      take.size = at;
      take.nextBegins = true;
    }
  }
  const void* endOfText = std::memchr(bytes.data(), kEndOfText, take.size);
  if (endOfText != nullptr) {
    take.size = static_cast<std::size_t>(static_cast<const char*>(endOfText) - bytes.data());
    take.endOfText = true;
  }
  return take;
}

// The parts of a regular file, each converted by ParallelParts.
class FileParts {
 public:
  FileParts(int fd, std::int64_t start, const FlatTextTable& table, const TextStreamSizes& sizes)
      : fd_(fd),
        start_(start),
        table_(table),
        limit_(std::max<std::size_t>(sizes.pieceLimit, 1)),
        partSize_(std::max<std::size_t>(sizes.partSize, 1)),
        readSize_(std::min(std::max<std::size_t>(sizes.readSize, 1), partSize_)) {}

  bool readFailed() const { return readFailed_; }

  // Converts the bytes of `part`, and those after it up to the part that
  // begins next, into `held`; true when nothing after them counts.
  bool convert(std::size_t part, ParallelParts::Held& held, std::vector<char>& scratch) {
    scratch.resize(readSize_);
    PartCursor cursor{
        fd_, start_ + static_cast<std::int64_t>(part * partSize_), partSize_, readSize_, scratch.data(), false, {}};
    switch (seekStart(part, cursor)) {
      case PartBegins::pastTheEnd:
        return endAt(cursor.failed);
      case PartBegins::inThePartBefore:
        return false;
      case PartBegins::found:
        break;
    }
    return convertOnward(cursor, held);
  }

 private:
  // Where the part begins: part 0 at its first byte, any other at the first
  // LF fit to begin at, which `cursor.bytes` then starts with.
  static PartBegins seekStart(std::size_t part, PartCursor& cursor) {
    if (part == 0) return cursor.readNext() ? PartBegins::found : PartBegins::pastTheEnd;
    PartStart start;
    for (;;) {
      if (!cursor.readNext()) return PartBegins::pastTheEnd;
      const std::size_t at = start.find(cursor.bytes);
      if (at != std::string_view::npos) {
        cursor.bytes.remove_prefix(at);
        return PartBegins::found;
      }
      if (cursor.leftInPart == 0) return PartBegins::inThePartBefore;  // no LF fit to begin at
    }
  }

  // The part from its beginning, then the parts after it up to where one
  // begins, the end of text or the end of the file.
  bool convertOnward(PartCursor& cursor, ParallelParts::Held& held) {
    TextStream<ParallelParts::Held> stream(table_, held, limit_);
    bool ownPart = true;
    PartStart next;
    for (;;) {
      const Take take = takeFrom(cursor.bytes, ownPart, next);
      if (take.size > 0) stream.block(cursor.at(cursor.bytes), take.size);
      if (take.endOfText) {
        stream.finish();
        return true;
      }
      if (take.nextBegins) return false;
      if (cursor.leftInPart == 0) {
        ownPart = false;
        next = PartStart();
        cursor.leftInPart = partSize_;
        // The next part most often begins within its first lines: it is
        // read a little at a time, then more.
        cursor.want = std::min(kFirstLook, readSize_);
      } else if (!ownPart) {
        cursor.want = std::min(2 * cursor.want, readSize_);
      }
      if (!cursor.readNext()) {
        stream.finish();
        return endAt(cursor.failed);
      }
    }
  }

  // The end of the file, or a read error, reached in a part.
  bool endAt(bool failed) {
    if (failed) readFailed_ = true;
    return true;
  }

  const int fd_;
  const std::int64_t start_;
  const FlatTextTable& table_;
  const std::size_t limit_;
  const std::size_t partSize_;
  const std::size_t readSize_;
  std::atomic<bool> readFailed_{false};
};

}  // namespace

bool convertTextStream(int input, const FlatTextTable& table, OutputFile& output, const TextStreamSizes& sizes) {
  const unsigned threads = sizes.threads != 0 ? sizes.threads : std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  const std::int64_t start = threads > 1 ? currentOffset(input) : -1;
  const std::optional<FileStatus> info = start >= 0 ? statusOf(input) : std::nullopt;
  if (info && info->type == FileType::regular && info->size > static_cast<std::uint64_t>(start) &&
      info->size - static_cast<std::uint64_t>(start) >= 2 * sizes.partSize) {
    FileParts parts(input, start, table, sizes);
    // Room for a part that grows by half, as double-byte text to UTF-8
    // does, in one piece.
    ParallelParts parallel(output, sizes.partSize + sizes.partSize / 2 + convertedRoom(kStep));
    if (parallel.run(threads, [&parts](std::size_t part, ParallelParts::Held& held, std::vector<char>& scratch) {
          return parts.convert(part, held, scratch);
        })) {
      return !parts.readFailed();
    }
  }
  const std::size_t readSize = std::max<std::size_t>(sizes.readSize, 1);
  const auto buffer = std::make_unique_for_overwrite<char[]>(readSize);
  TextStream<OutputFile> stream(table, output, sizes.pieceLimit);
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

}  // namespace morvel
