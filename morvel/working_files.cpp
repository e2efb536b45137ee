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

Replacement copyWorkFileTo(int work, const std::string& destination) {
  return replaceFile(destination,
                     [work](int fd) { return ::lseek(work, 0, SEEK_SET) == 0 && copyAll(work, fd, true); });
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
  const int work = ::open(kWorkFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (work < 0) {
    std::fprintf(stderr, "fopen() error-1: %s\n", kWorkFile);
    return WorkCopy::workFileUnwritable;
  }
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    ::close(work);
    return WorkCopy::failed;
  }
  const bool copied = copyAll(in, work);
  const bool closed = ::close(work) == 0;
  ::close(in);
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
