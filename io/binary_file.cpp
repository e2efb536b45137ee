#include "binary_file.h"

#if defined(__linux__)
#include <fcntl.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <memory>

#include "native_file.h"

namespace morvel {

namespace {

constexpr std::size_t kCopyBuffer = std::size_t{1} << 20;

// Parts of a copy that is written back as it goes.
constexpr std::size_t kWriteBackStep = std::size_t{8} << 20;

// Starts writing the `size` bytes of `fd` before its offset to the disk,
// without waiting. Only a hint: where the system cannot, the sync after
// does it all.
void writeBackBefore(int fd, std::size_t size) {
#if defined(__linux__)
  const off_t end = ::lseek(fd, 0, SEEK_CUR);
  if (end >= 0 && size > 0) {
    ::sync_file_range(fd, end - static_cast<off_t>(size), static_cast<off_t>(size), SYNC_FILE_RANGE_WRITE);
  }
#else
  (void)fd;
  (void)size;
#endif
}

#if defined(__linux__)
// The most one copy_file_range call is asked for: large, so that a file
// takes few calls, and below what any kernel accepts.
constexpr std::size_t kKernelCopyStep = std::size_t{1} << 30;

// Errors that say the kernel cannot copy between these two files, rather
// than that reading or writing failed.
bool kernelCannotCopy(int error) {
  return error == EXDEV || error == ENOSYS || error == EINVAL || error == EOPNOTSUPP || error == ENOTSUP ||
         error == EBADF;
}

enum class KernelCopy { done, failed, unsupported };

KernelCopy copyInKernel(int from, int to, bool writeBack) {
  bool copiedAny = false;
  const std::size_t step = writeBack ? kWriteBackStep : kKernelCopyStep;
  for (;;) {
    const ssize_t copied = ::copy_file_range(from, nullptr, to, nullptr, step, 0);
    if (copied > 0) {
      copiedAny = true;
      if (writeBack) writeBackBefore(to, static_cast<std::size_t>(copied));
      continue;
    }
    if (copied == 0) {
      // Some files report no bytes without being empty (those of /proc, on
      // some kernels): a first call that copies nothing leaves the end for
      // the reading loop to find.
      return copiedAny ? KernelCopy::done : KernelCopy::unsupported;
    }
    if (errno == EINTR) continue;
    return kernelCannotCopy(errno) ? KernelCopy::unsupported : KernelCopy::failed;
  }
}
#endif

}  // namespace

bool writeFully(int fd, const void* data, std::size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const std::int64_t wrote = writeSome(fd, next, size);
    if (wrote <= 0) return false;
    next += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

bool copyAllByReading(int from, int to, bool writeBack) {
  const auto buffer = std::make_unique_for_overwrite<char[]>(kCopyBuffer);
  std::size_t unsynced = 0;
  for (;;) {
    const std::int64_t got = readSome(from, buffer.get(), kCopyBuffer);
    if (got < 0) return false;
    if (got == 0) return true;
    if (!writeFully(to, buffer.get(), static_cast<std::size_t>(got))) return false;
    unsynced += static_cast<std::size_t>(got);
    if (writeBack && unsynced >= kWriteBackStep) {
      writeBackBefore(to, unsynced);
      unsynced = 0;
    }
  }
}

void startWriteBack(int fd, std::size_t size) { writeBackBefore(fd, size); }

bool copyRange(int from, long long offset, std::size_t size, int to) {
  std::int64_t at = offset;
#if defined(__linux__)
  off_t kernelAt = static_cast<off_t>(offset);
  while (size > 0) {
    const ssize_t copied = ::copy_file_range(from, &kernelAt, to, nullptr, size, 0);
    if (copied > 0) {
      size -= static_cast<std::size_t>(copied);
      continue;
    }
    if (copied == 0) break;  // the end, or a file the kernel reports no bytes for: the loop below tells
    if (errno == EINTR) continue;
    if (!kernelCannotCopy(errno)) return false;
    break;
  }
  if (size == 0) return true;
  at = kernelAt;
#endif
  // Windows reads at an offset by moving the descriptor's: it is put back.
  const std::int64_t kept = currentOffset(from);
  const auto buffer = std::make_unique_for_overwrite<char[]>(std::min(size, kCopyBuffer));
  bool ok = true;
  while (ok && size > 0) {
    const std::int64_t got = readAt(from, buffer.get(), std::min(size, kCopyBuffer), at);
    ok = got > 0 && writeFully(to, buffer.get(), static_cast<std::size_t>(got));
    if (!ok) break;
    at += got;
    size -= static_cast<std::size_t>(got);
  }
  // The reader goes on from where it was; a position lost is a failed copy.
  if (kept >= 0 && !seekTo(from, kept)) ok = false;
  return ok;
}

bool copyAll(int from, int to, bool writeBack) {
#if defined(__linux__)
  switch (copyInKernel(from, to, writeBack)) {
    case KernelCopy::done:
      return true;
    case KernelCopy::failed:
      return false;
    case KernelCopy::unsupported:
      break;  // the offsets stand after whatever the kernel copied
  }
#endif
  return copyAllByReading(from, to, writeBack);
}

}  // namespace morvel
