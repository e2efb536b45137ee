#include "working_files.h"

#include <cstdio>

#include "passes.h"

namespace morvel {

namespace {

constexpr std::size_t kCopyChunk = 2560;  // the copy buffer

// Copies all of `from` into `to`; false on a read or write error.
bool copyStream(std::FILE* from, std::FILE* to) {
  char chunk[kCopyChunk];
  std::size_t got;
  do {
    got = std::fread(chunk, 1, sizeof chunk, from);
    if (got > 0 && std::fwrite(chunk, 1, got, to) != got) return false;
  } while (got == sizeof chunk);
  return std::ferror(from) == 0;
}

// Closes a file that was written; false when buffered bytes could not be
// written out.
bool closeWritten(std::FILE* file) {
  const bool flushed = std::fflush(file) == 0;
  return std::fclose(file) == 0 && flushed;
}

}  // namespace

WorkCopy MoveToWorkFile(const std::string& source, bool keepSource) {
  std::FILE* work = std::fopen(kWorkFile, "wb");
  if (work == nullptr) {
    std::fprintf(stderr, "fopen() error-1: %s\n", kWorkFile);
    return WorkCopy::workFileUnwritable;
  }
  std::FILE* in = std::fopen(source.c_str(), "rb");
  if (in == nullptr) {
    std::fclose(work);
    return WorkCopy::failed;
  }
  const bool copied = copyStream(in, work);
  const bool closed = closeWritten(work);
  std::fclose(in);
  // The source goes only when its bytes are safely in the working file.
  if (!copied || !closed) return WorkCopy::failed;
  if (!keepSource) std::remove(source.c_str());
  return WorkCopy::copied;
}

bool CopyBackFromWorkFile(const std::string& target, bool keepBinary) {
  // The working file is opened first, so that a missing one never empties
  // the target.
  std::FILE* work = std::fopen(kWorkFile, "rb");
  if (work == nullptr) return false;
  std::FILE* out = std::fopen(target.c_str(), "wb");
  if (out == nullptr) out = std::fopen(kFallbackOutput, "wb");
  if (out == nullptr) {
    std::fclose(work);
    return false;
  }
  const bool copied = copyStream(work, out);
  const bool closed = closeWritten(out);
  std::fclose(work);
  if (!copied || !closed) return false;
  if (!keepBinary) std::remove(kWorkFile);
  return true;
}

}  // namespace morvel
