#include "working_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "binary_file.h"
#include "file_replace.h"
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

// Copies the rest of the open descriptor `from` into `to`.
bool copyDescriptor(int from, int to) {
  char chunk[1 << 16];
  for (;;) {
    const ssize_t got = ::read(from, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) return true;
    if (!writeFully(to, chunk, static_cast<std::size_t>(got))) return false;
  }
}

Replacement copyWorkFileTo(int work, const std::string& destination) {
  return replaceFile(destination,
                     [work](int fd) { return ::lseek(work, 0, SEEK_SET) == 0 && copyDescriptor(work, fd); });
}

}  // namespace

WorkFolderLock::WorkFolderLock() : fd_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (fd_ < 0) return;  // a folder that cannot be opened cannot be shared either
  while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
  }
}

WorkFolderLock::~WorkFolderLock() {
  if (fd_ >= 0) ::close(fd_);  // closing releases the lock
}

bool isWorkFile(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code error;
  const auto resolved = [&error](const fs::path& path) {
    return fs::weakly_canonical(fs::absolute(path, error), error).lexically_normal();
  };
  if (resolved(name) == resolved(kWorkFile)) return true;
  struct stat file {};
  struct stat work {};
  return ::stat(name.c_str(), &file) == 0 && ::stat(kWorkFile, &work) == 0 && file.st_dev == work.st_dev &&
         file.st_ino == work.st_ino;
}

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

Delivery CopyBackFromWorkFile(Reporter& reporter, const std::string& target, bool keepBinary) {
  // The working file is opened first, so that a missing one never touches
  // the target.
  const int work = ::open(kWorkFile, O_RDONLY | O_CLOEXEC);
  if (work < 0) return Delivery::failed;
  Delivery delivery = Delivery::failed;
  Replacement result = copyWorkFileTo(work, target);
  if (result == Replacement::done) {
    delivery = Delivery::toTarget;
  } else if (result == Replacement::unwritable) {
    result = copyWorkFileTo(work, kFallbackOutput);
    if (result == Replacement::done) {
      delivery = Delivery::toFallback;
      reporter.message(target, std::string("cannot be written; the result is in ") + kFallbackOutput);
    }
  }
  ::close(work);
  if (delivery != Delivery::failed && !keepBinary) std::remove(kWorkFile);
  return delivery;
}

std::string deliveredFile(const std::string& target, Delivery delivery) {
  return delivery == Delivery::toFallback ? kFallbackOutput : target;
}

}  // namespace morvel
