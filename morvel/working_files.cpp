#include "working_files.h"

#include <cstdio>
#include <cwctype>
#include <filesystem>

#include "binary_file.h"
#include "console.h"
#include "file_replace.h"
#include "native_file.h"
#include "passes.h"
#include "report_files.h"

namespace morvel {

namespace {

Replacement copyWorkFileTo(int work, const std::string& destination) {
  return replaceFile(destination, [work](int fd) { return seekTo(work, 0) && copyAll(work, fd, true); });
}

// A name as a path; on Windows read as code page 932 and upper-cased, since
// names there are the same whatever their letter case.
std::filesystem::path pathOf(const std::string& name) {
#ifdef _WIN32
  std::wstring wide = wideOf(name);
  for (wchar_t& unit : wide) unit = static_cast<wchar_t>(std::towupper(static_cast<std::wint_t>(unit)));
  return wide;
#else
  return name;
#endif
}

void sayWaiting() {
  hintOnTerminal(std::string("Waiting for another run in this folder to finish with ") + kWorkFile + ".");
}

}  // namespace

WorkFolderLock::WorkFolderLock(LockWait wait)
    : turn_(takeFolderTurn(".", wait == LockWait::untilFree ? TurnWait::untilFree : TurnWait::no, sayWaiting)) {}

WorkFolderLock::~WorkFolderLock() { giveBackFolderTurn(turn_); }

bool isWorkFile(const std::string& name) {
  namespace fs = std::filesystem;
  std::error_code error;
  const auto resolved = [&error](const std::string& given) {
    return fs::weakly_canonical(fs::absolute(pathOf(given), error), error).lexically_normal();
  };
  if (resolved(name) == resolved(kWorkFile)) return true;
  const std::optional<FileStatus> file = statusOf(name);
  const std::optional<FileStatus> work = statusOf(kWorkFile);
  return file && work && file->volume == work->volume && file->identity == work->identity;
}

WorkCopy MoveToWorkFile(const std::string& source, bool keepSource) {
  const int work = openTruncated(kWorkFile);
  if (work < 0) {
    std::fprintf(stderr, "fopen() error-1: %s\n", kWorkFile);
    return WorkCopy::workFileUnwritable;
  }
  const int in = openForReading(source);
  if (in < 0) {
    closeFile(work);
    return WorkCopy::failed;
  }
  const bool copied = copyAll(in, work);
  const bool closed = closeFile(work);
  closeFile(in);
  // The source goes only when its bytes are safely in the working file.
  if (!copied || !closed) return WorkCopy::failed;
  if (!keepSource) removeFile(source);
  return WorkCopy::copied;
}

Delivery CopyBackFromWorkFile(Reporter& reporter, const std::string& target, bool keepBinary) {
  const Delivery delivery = CopyBackFromFile(reporter, kWorkFile, target);
  if (delivery != Delivery::failed && !keepBinary) std::remove(kWorkFile);
  return delivery;
}

Delivery CopyBackFromFile(Reporter& reporter, const std::string& source, const std::string& target) {
  // The source is opened first, so that a missing one never touches the
  // target.
  const int work = openForReading(source);
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
  if (delivery == Delivery::failed) {
    // Only "binary.tmp" holds the result now, whatever keepBinary says.
    reporter.error(
        joinedParts({"CopyBackFromWorkFile() error:", target, "cannot be written; the result is only in", source}));
  }
  closeFile(work);
  return delivery;
}

std::string deliveredFile(const std::string& target, Delivery delivery) {
  return delivery == Delivery::toFallback ? kFallbackOutput : target;
}

}  // namespace morvel

namespace morvel {

namespace {

// The delivery is woken when this much more is in the file, or at the end.
constexpr std::uint64_t kFollowStep = std::uint64_t{4} << 20;

// The pace at which the copy has the disk write what it copied.
constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;

}  // namespace

void GrowingWorkFile::written(std::uint64_t bytes) {
  const std::lock_guard<std::mutex> lock(mutex_);
  size_ = bytes;
  if (wanted_ != 0 && size_ >= wanted_) changed_.notify_all();
}

void GrowingWorkFile::finish(bool complete) {
  const std::lock_guard<std::mutex> lock(mutex_);
  state_ = complete ? State::complete : State::failed;
  changed_.notify_all();
}

std::pair<std::uint64_t, GrowingWorkFile::State> GrowingWorkFile::await(std::uint64_t wanted) {
  std::unique_lock<std::mutex> lock(mutex_);
  wanted_ = wanted;
  changed_.wait(lock, [&] { return size_ >= wanted || state_ != State::growing; });
  wanted_ = 0;
  return {size_, state_};
}

std::optional<Delivery> FollowWorkFile(const std::string& target, GrowingWorkFile& growing) {
  // The pass empties "binary.tmp" before it writes: it is opened once the
  // pass has written.
  if (growing.await(1).second == GrowingWorkFile::State::failed) return Delivery::failed;
  const int work = openForReading(kWorkFile);
  if (work < 0) return std::nullopt;
  const auto follow = [&growing, work](int fd) {
    std::uint64_t copied = 0;
    std::uint64_t unsynced = 0;
    for (;;) {
      const auto [size, state] = growing.await(copied + kFollowStep);
      if (state == GrowingWorkFile::State::failed) return false;
      if (size > copied) {
        const auto part = static_cast<std::size_t>(size - copied);
        if (!copyRange(work, static_cast<long long>(copied), part, fd)) return false;
        copied = size;
        unsynced += part;
        if (unsynced >= kWriteBackStep) {
          startWriteBack(fd, static_cast<std::size_t>(unsynced));
          unsynced = 0;
        }
      }
      if (state == GrowingWorkFile::State::complete && copied == size) return true;
    }
  };
  const Replacement result = replaceFile(target, follow, InPlace::refused);
  closeFile(work);
  switch (result) {
    case Replacement::done:
      return Delivery::toTarget;
    case Replacement::failed:
      return Delivery::failed;
    case Replacement::unwritable:
    case Replacement::inPlace:
      break;
  }
  return std::nullopt;
}

}  // namespace morvel
