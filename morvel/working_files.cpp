// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "working_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>

#include "binary_file.h"
#include "console.h"
#include "file_replace.h"
#include "passes.h"
#include "report_files.h"

namespace morvel {

namespace {

Replacement copyWorkFileTo(int work, const std::string& destination) {
  return replaceFile(destination,
                     [work](int fd) { return ::lseek(work, 0, SEEK_SET) == 0 && copyAll(work, fd, true); });
}

}  // namespace

WorkFolderLock::WorkFolderLock(LockWait wait) : fd_(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
  if (fd_ < 0) return;  // a folder that cannot be opened cannot be shared either
  int result = 0;
  while ((result = ::flock(fd_, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (result != 0 && errno == EWOULDBLOCK && wait == LockWait::untilFree) {
    hintOnTerminal(std::string("Waiting for another run in this folder to finish with ") + kWorkFile + ".");
    while ((result = ::flock(fd_, LOCK_EX)) != 0 && errno == EINTR) {
    }
  }
  held_ = result == 0;
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

Delivery CopyBackFromWorkFile(Reporter& reporter, const std::string& target, bool keepBinary) {
  const Delivery delivery = CopyBackFromFile(reporter, kWorkFile, target);
  if (delivery != Delivery::failed && !keepBinary) std::remove(kWorkFile);
  return delivery;
}

Delivery CopyBackFromFile(Reporter& reporter, const std::string& source, const std::string& target) {
  // The source is opened first, so that a missing one never touches the
  // target.
  const int work = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (work < 0) return Delivery::failed;
  Delivery delivery = Delivery::failed;
  Replacement result = copyWorkFileTo(work, target);
  if (result == Replacement::done) {
    delivery = Delivery::done;
  } else if (result == Replacement::unwritable) {
    result = copyWorkFileTo(work, kFallbackOutput);
    if (result == Replacement::done) {
      delivery = Delivery::toFallback;
      reporter.message(target, std::string("cannot be written; the result is in ") + kFallbackOutput);
    }
  }
  if (delivery == Delivery::failed) {
    // Only "binary.tmp" holds the result now, whatever keepBinary says.
    reporter.error(
        joinedParts({"CopyBackFromWorkFile() error:", target, "cannot be written; the result is only in", source}));
  }
  ::close(work);
  return delivery;
}

std::string deliveredFile(const std::string& target, Delivery delivery) {
  return delivery == Delivery::toFallback ? kFallbackOutput : target;
}

}  // namespace morvel
