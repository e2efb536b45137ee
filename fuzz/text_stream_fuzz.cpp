// The file-driven pass's streaming, in one part or in several on threads,
// along every block path, against the plain form (the text reader's pieces
// through the plain line conversion), on arbitrary bytes with small pieces,
// reads and parts so that every edge comes up. Any difference aborts.
//
// Input: byte 0 picks the rule, the line end and the number of threads;
// bytes 1 to 3 the piece limit, the read size and the part size; the rest is
// the file, with long ASCII runs spelt short (long_runs.h).
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <string_view>

#include "line_conversion.h"
#include "long_runs.h"
#include "support/text_pieces.h"
#include "text_stream.h"

using namespace morvel;

namespace {

// A table whose records are random but fixed: odd entries of every length.
std::unique_ptr<SparseEUC> randomTable() {
  std::mt19937 random(7);
  std::vector<unsigned char> image(SparseEUC::imageSize);
  for (std::size_t i = 0; i < image.size(); ++i) {
    image[i] = static_cast<unsigned char>(random());
    const std::size_t offset = i % SparseEUC::recordSize;
    if (offset == 0 && i >= kSingleByteRecords * SparseEUC::recordSize && random() % 8 != 0) {
      image[i] = static_cast<unsigned char>(0x81 + random() % 0x7C);
    }
    if (offset >= 2 && random() % 6 == 0) image[i] = 0;
  }
  auto table = std::make_unique<SparseEUC>();
  if (!table->placeRecords(image)) std::abort();  // a whole image always places
  return table;
}

const SparseEUC& table() {
  static const std::unique_ptr<SparseEUC> made = randomTable();
  return *made;
}

// A file in memory with a name that opens it.
class MemoryFile {
 public:
  MemoryFile() : fd_(::memfd_create("text", 0)) {}
  ~MemoryFile() { ::close(fd_); }
  MemoryFile(const MemoryFile&) = delete;
  MemoryFile& operator=(const MemoryFile&) = delete;
  int fd() const { return fd_; }
  std::string name() const { return "/proc/self/fd/" + std::to_string(fd_); }
  std::string bytes() const {
    std::string all;
    char chunk[4096];
    ssize_t got;
    for (off_t at = 0; (got = ::pread(fd_, chunk, sizeof chunk, at)) > 0; at += got) {
      all.append(chunk, static_cast<std::size_t>(got));
    }
    return all;
  }

 private:
  int fd_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 4) return 0;
  const ControlRule rule = (data[0] & 1) != 0 ? ControlRule::skip : ControlRule::copy;
  const bool crlf = (data[0] & 2) != 0;
  TextStreamSizes sizes;
  sizes.threads = 1 + (data[0] >> 2) % 4;
  sizes.pieceLimit = 1 + data[1];
  sizes.readSize = 1 + data[2] * 3;
  sizes.partSize = 1 + data[3] * 2;
  const std::string bytes = withLongAsciiRuns(std::string_view(reinterpret_cast<const char*>(data + 4), size - 4));
  const std::string_view text(bytes);

  MemoryFile input;
  if (::pwrite(input.fd(), text.data(), text.size(), 0) != static_cast<ssize_t>(text.size())) return 0;
  const std::string expected = testing_support::convertTextPieces(input.name(), table(), rule, crlf, sizes.pieceLimit);
  const FlatTextTable flat = flattenTextTable(table(), rule, crlf);
  const BlockPath widest = activeBlockPath();
  for (const BlockPath path : availableBlockPaths()) {
    if (!useBlockPath(path)) std::abort();  // one of the available paths
    MemoryFile output;
    {
      OutputFile out(output.name(), std::size_t{1} << 18);
      ::lseek(input.fd(), 0, SEEK_SET);
      if (!convertTextStream(input.fd(), flat, out, sizes) || !out.close()) {
        std::fprintf(stderr, "the stream failed (%s)\n", blockPathName(path));
        std::abort();
      }
    }
    const std::string got = output.bytes();
    if (got != expected) {
      std::fprintf(stderr, "the stream (%s, %u threads) differs: expected %zu bytes, got %zu\n", blockPathName(path),
                   sizes.threads, expected.size(), got.size());
      std::abort();
    }
  }
  if (!useBlockPath(widest)) std::abort();
  return 0;
}
