#include "line_list.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <thread>

#include "parallel_parts.h"

namespace morvel {

namespace {

// Long lines are converted this many bytes at a time; the state carries
// across, so the cut does not show in the output.
constexpr std::size_t kChunk = std::size_t{1} << 16;

// Converts one line and ends it, into `Sink`, which gives room(n) and takes
// keep(end) as OutputFile does.
template <class Sink>
class LineWriter {
 public:
  LineWriter(const FlatTable& table, bool crlf, Sink& output)
      : table_(table), lineEnd_{crlf ? '\r' : '\n', '\n'}, lineEndSize_(crlf ? 2 : 1), output_(output) {}

  void write(std::string_view line) {
    while (line.size() > kChunk) {
      const std::string_view chunk = line.substr(0, kChunk);
      line.remove_prefix(kChunk);
      output_.keep(convertLine(table_, chunk, state_, output_.room(convertedRoom(kChunk))));
    }
    // Both bytes of the line end are stored, and the room for the line
    // leaves space for them; only its own count is kept.
    char* out = convertLine(table_, line, state_, output_.room(convertedRoom(line.size()) + 2));
    std::memcpy(out, lineEnd_, 2);
    output_.keep(out + lineEndSize_);
  }

 private:
  const FlatTable& table_;
  const char lineEnd_[2];
  const std::size_t lineEndSize_;
  Sink& output_;
  LineState state_;
};

// The list in parts of a number of lines each. A part begins at its first
// line after a line that a fresh start may follow: one that ends in a byte
// other than a lead byte, so that no lead byte waits for the next line. The
// lines before belong to the part before, whose thread goes on into the
// next parts until it finds where one begins; a part with no such line
// belongs to the part before as a whole. Each decision looks only at the
// part's own lines, so the thread converting a part and the one before it
// agree.
class ListParts {
 public:
  ListParts(const std::vector<std::string>& lines, const FlatTable& table, bool crlf, std::size_t linesPerPart)
      : lines_(lines), table_(table), crlf_(crlf), perPart_(std::max<std::size_t>(linesPerPart, 1)) {}

  // Converts the lines of `part`, and those after it up to where a part
  // begins, into `held`; true when they reach the end of the list.
  bool convert(std::size_t part, ParallelParts::Held& held) const {
    const std::size_t count = lines_.size();
    if (part * perPart_ >= count) return true;
    std::size_t line = part == 0 ? 0 : beginningIn(part);
    if (line == kNone) return false;
    LineWriter<ParallelParts::Held> writer(table_, crlf_, held);
    for (std::size_t next = part;; ++next) {
      const std::size_t stop = std::min((next + 1) * perPart_, count);
      const std::size_t begins = next == part ? kNone : beginningIn(next);
      for (; line < std::min(stop, begins); ++line) writer.write(lines_[line]);
      if (begins != kNone) return false;
      if (stop == count) return true;
    }
  }

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // The first line of `part` after one of its own that a fresh start may
  // follow (the first line of the next part counting), or kNone.
  std::size_t beginningIn(std::size_t part) const {
    const std::size_t end = std::min((part + 1) * perPart_, lines_.size());
    for (std::size_t line = part * perPart_ + 1; line <= end; ++line) {
      const std::string& before = lines_[line - 1];
      if (!before.empty() && !isLeadByte(static_cast<unsigned char>(before.back()))) return line;
    }
    return kNone;
  }

  const std::vector<std::string>& lines_;
  const FlatTable& table_;
  const bool crlf_;
  const std::size_t perPart_;
};

}  // namespace

void convertLineList(const std::vector<std::string>& lines, const FlatTable& table, bool crlf, OutputFile& output,
                     const LineListSizes& sizes) {
  const unsigned threads = sizes.threads != 0 ? sizes.threads : std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  const std::size_t partSize = std::max<std::size_t>(sizes.partSize, 1);
  std::size_t bytes = 0;
  for (const std::string& line : lines) bytes += line.size() + 2;
  if (threads > 1 && bytes >= 2 * partSize) {
    const ListParts parts(lines, table, crlf, partSize * lines.size() / bytes);
    // Room for a part that grows by half, as double-byte text to UTF-8 does,
    // in one piece.
    ParallelParts parallel(output, partSize + partSize / 2 + convertedRoom(kChunk) + 2);
    if (parallel.run(threads, [&parts](std::size_t part, ParallelParts::Held& held, std::vector<char>&) {
          return parts.convert(part, held);
        })) {
      return;
    }
  }
  LineWriter<OutputFile> writer(table, crlf, output);
  for (const std::string& line : lines) writer.write(line);
}

}  // namespace morvel
