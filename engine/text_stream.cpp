#include "text_stream.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <exception>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>
#include <vector>

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

// Reads from an offset on, as far as the file goes.
std::size_t readAt(int fd, off_t offset, char* buffer, std::size_t size, bool& failed) {
  std::size_t got = 0;
  while (got < size) {
    const ssize_t n = ::pread(fd, buffer + got, size - got, offset + static_cast<off_t>(got));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) failed = true;
    if (n <= 0) break;
    got += static_cast<std::size_t>(n);
  }
  return got;
}

class PartsInParallel {
 public:
  PartsInParallel(int fd, off_t start, const FlatTextTable& table, OutputFile& output, const TextStreamSizes& sizes)
      : fd_(fd),
        start_(start),
        table_(table),
        output_(output),
        limit_(std::max<std::size_t>(sizes.pieceLimit, 1)),
        partSize_(std::max<std::size_t>(sizes.partSize, 1)),
        readSize_(std::min(std::max<std::size_t>(sizes.readSize, 1), partSize_)) {}

  // False, with no thread started, when none could start.
  bool run(unsigned threads) {
    std::vector<std::thread> helpers;
    try {
      for (unsigned n = 1; n < threads; ++n) helpers.emplace_back([this] { workOrStop(); });
    } catch (const std::exception&) {
      if (helpers.empty()) return false;
    }
    workOrStop();
    for (std::thread& helper : helpers) helper.join();
    if (failure_) std::rethrow_exception(failure_);
    return true;
  }

  bool readFailed() const { return readFailed_; }

 private:
  // Memory for a part's converted bytes, used again from part to part.
  struct Bytes {
    std::unique_ptr<char[]> data;
    std::size_t capacity = 0;
  };

  Bytes takeBytes() {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!spare_.empty()) {
        Bytes bytes = std::move(spare_.back());
        spare_.pop_back();
        return bytes;
      }
    }
    // Room for a part that grows by half, as double-byte text to UTF-8
    // does, without growing.
    const std::size_t capacity = partSize_ + partSize_ / 2 + convertedRoom(kStep);
    return {std::make_unique_for_overwrite<char[]>(capacity), capacity};
  }

  // A part's converted bytes in memory, handed to the writing in order.
  class Held {
   public:
    Held(PartsInParallel& owner, std::size_t part) : owner_(owner), part_(part), bytes_(owner.takeBytes()) {}

    char* room(std::size_t n) {
      if (bytes_.capacity - used_ < n) {
        // A part that reads on far: what it holds is written as soon as
        // the parts before it are.
        owner_.writeAsHead(part_, bytes_.data.get(), used_);
        used_ = 0;
      }
      return bytes_.data.get() + used_;
    }
    void keep(const char* end) { used_ = static_cast<std::size_t>(end - bytes_.data.get()); }

    PartsInParallel& owner_;
    std::size_t part_;
    Bytes bytes_;
    std::size_t used_ = 0;
  };

  struct Done {
    Bytes bytes;
    std::size_t size = 0;
    bool last = false;  // nothing after it is written
  };

  // A thread's work; an exception (no memory) stops every thread and goes
  // on from run() once they are done.
  void workOrStop() {
    try {
      work();
    } catch (...) {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!failure_) failure_ = std::current_exception();
      stopped_ = true;
      changed_.notify_all();
    }
  }

  void work() {
    const auto buffer = std::make_unique_for_overwrite<char[]>(readSize_);
    for (;;) {
      const std::size_t part = next_.fetch_add(1);
      {
        // Threads stay close together, so that the parts held stay few.
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait(lock, [&] { return stopped_ || part < written_ + kAhead; });
        if (stopped_) return;
      }
      Held held(*this, part);
      bool last = false;
      convertPart(part, buffer.get(), held, last);
      deliver(part, held, last);
    }
  }

  // Converts the bytes of `part`, and those after it up to the part that
  // begins next, into `held`; `last` says that nothing after them counts.
  void convertPart(std::size_t part, char* buffer, Held& held, bool& last) {
    off_t offset = start_ + static_cast<off_t>(part * partSize_);
    std::size_t leftInPart = partSize_;
    bool failed = false;
    std::string_view bytes;
    const auto readNext = [&] {
      const std::size_t got = readAt(fd_, offset, buffer, std::min(readSize_, leftInPart), failed);
      offset += static_cast<off_t>(got);
      leftInPart -= got;
      bytes = std::string_view(buffer, got);
      return got > 0;
    };
    // Where the part begins.
    if (part > 0) {
      PartStart start;
      for (;;) {
        if (!readNext()) return endAt(failed, last);  // past the end
        const std::size_t at = start.find(bytes);
        if (at != std::string_view::npos) {
          bytes.remove_prefix(at);
          break;
        }
        if (leftInPart == 0) return;  // no LF fit to begin at: the whole part belongs to the one before
      }
    } else if (!readNext()) {
      return endAt(failed, last);
    }
    TextStream<Held> stream(table_, held, limit_);
    // The part, then the parts after it up to where one begins.
    bool ownPart = true;
    PartStart next;
    for (;;) {
      std::size_t take = bytes.size();
      bool begins = false;
      if (!ownPart) {
        const std::size_t at = next.find(bytes);
        if (at != std::string_view::npos) {
          take = at;
          begins = true;
        }
      }
      const void* endOfText = std::memchr(bytes.data(), kEndOfText, take);
      if (endOfText != nullptr) take = static_cast<std::size_t>(static_cast<const char*>(endOfText) - bytes.data());
      if (take > 0) stream.block(buffer + (bytes.data() - buffer), take);
      if (endOfText != nullptr) {
        stream.finish();
        last = true;
        return;
      }
      if (begins) return;
      if (leftInPart == 0) {
        ownPart = false;
        next = PartStart();
        leftInPart = partSize_;
      }
      if (!readNext()) {
        stream.finish();
        return endAt(failed, last);
      }
    }
  }

  // The end of the file, or a read error, reached in a part.
  void endAt(bool failed, bool& last) {
    last = true;
    if (failed) readFailed_ = true;
  }

  // Hands a converted part over: it is written once the parts before it
  // are, by whichever thread is then done.
  void deliver(std::size_t part, Held& held, bool last) {
    std::unique_lock<std::mutex> lock(mutex_);
    done_.emplace(part, Done{std::move(held.bytes_), held.used_, last});
    held.used_ = 0;
    while (!writing_ && !stopped_) {
      const auto found = done_.find(written_);
      if (found == done_.end()) break;
      Done next = std::move(found->second);
      done_.erase(found);
      writing_ = true;
      lock.unlock();
      write(next.bytes.data.get(), next.size);
      lock.lock();
      spare_.push_back(std::move(next.bytes));
      writing_ = false;
      ++written_;
      if (next.last) stopped_ = true;
      changed_.notify_all();
    }
  }

  // Writes part of a part's output once every part before it is written.
  void writeAsHead(std::size_t part, const char* bytes, std::size_t size) {
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stopped_ || (written_ == part && !writing_); });
      if (stopped_) return;
    }
    write(bytes, size);
  }

  void write(const char* bytes, std::size_t size) {
    while (size > 0) {
      const std::size_t n = std::min(size, kStep);
      char* room = output_.room(n);
      std::memcpy(room, bytes, n);
      output_.keep(room + n);
      bytes += n;
      size -= n;
    }
  }

  // How many parts a thread may be ahead of the writing.
  static constexpr std::size_t kAhead = 4;

  const int fd_;
  const off_t start_;
  const FlatTextTable& table_;
  OutputFile& output_;
  const std::size_t limit_;
  const std::size_t partSize_;
  const std::size_t readSize_;

  std::atomic<std::size_t> next_{0};
  std::atomic<bool> readFailed_{false};
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::size_t, Done> done_;
  std::vector<Bytes> spare_;
  std::size_t written_ = 0;  // the parts written so far
  bool writing_ = false;
  bool stopped_ = false;  // the last part is written
  std::exception_ptr failure_;
};

}  // namespace

bool convertTextStream(int input, const FlatTextTable& table, OutputFile& output, const TextStreamSizes& sizes) {
  const unsigned threads = sizes.threads != 0 ? sizes.threads : std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  struct stat info {};
  const off_t start = ::lseek(input, 0, SEEK_CUR);
  if (threads > 1 && start >= 0 && ::fstat(input, &info) == 0 && S_ISREG(info.st_mode) && info.st_size > start &&
      static_cast<std::size_t>(info.st_size - start) >= 2 * sizes.partSize) {
    PartsInParallel parts(input, start, table, output, sizes);
    if (parts.run(threads)) return !parts.readFailed();
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
