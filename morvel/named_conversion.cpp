// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "named_conversion.h"

#include <cstdio>
#include <system_error>
#include <thread>

#include "binary_file.h"
#include "file_replace.h"
#include "native_file.h"
#include "passes.h"
#include "report_files.h"

namespace morvel {

namespace {

// The delivery is woken when this much more is in the file, or at the end.
constexpr std::uint64_t kFollowStep = std::uint64_t{4} << 20;

// The pace at which the copy has the disk write what it copied.
constexpr std::uint64_t kWriteBackStep = std::uint64_t{8} << 20;

// "SJIS has the same time as EUC": the input takes the modification time of
// the finished output. Where the user may not set it, the input stays as it is.
void giveSameTime(const std::string& input, const std::string& output) {
  const std::optional<FileStatus> finished = statusOf(output);
  if (!finished || finished->type != FileType::regular) return;  // a pipe's time is no file's
  copyModificationTime(output, input);
}

// The delivery of "binary.tmp" that follows the pass as it writes, on a
// thread of its own; none when no thread can start.
class Follower {
 public:
  Follower(const std::string& target, GrowingWorkFile& growing) {
    try {
      thread_ = std::thread([this, &target, &growing] { delivery_ = followWorkFile(target, growing); });
    } catch (const std::system_error&) {
    }
  }
  ~Follower() { wait(); }
  Follower(const Follower&) = delete;
  Follower& operator=(const Follower&) = delete;

  // Waits for the delivery; Outcome::fallback when the ordinary delivery
  // is needed.
  Outcome join() {
    wait();
    return delivery_;
  }

 private:
  void wait() {
    if (thread_.joinable()) thread_.join();
  }

  Outcome delivery_ = Outcome::fallback;
  std::thread thread_;
};

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

Outcome followWorkFile(const std::string& target, GrowingWorkFile& growing) {
  // The pass empties "binary.tmp" before it writes: it is opened once the
  // pass has written.
  if (growing.await(1).second == GrowingWorkFile::State::failed) return Outcome::failed;
  const int work = openForReading(kWorkFile);
  if (work < 0) return Outcome::fallback;
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
  const Outcome result = replaceFile(target, follow, InPlace::refused);
  releaseFile(work);
  return result;
}

NamedConversion convertNamedFile(const TableContext& context, const CommandLineOptions& options) {
  const FinalEffect& effect = options.effect;
  for (const std::string& name : {options.inputName, options.outputName}) {
    if (isWorkFile(name)) {
      context.reporter.error(joinedParts({"-a error:", name, "is the working file", kWorkFile}));
      return NamedConversion::refused;
    }
  }
  const WorkFolderLock lock;
  Regulate job;
  job.crlf = effect.crlf;
  job.search = {.no_searching = effect.no_searching, .whichTable = effect.whichTable};
  job.inputName = options.inputName;
  GrowingWorkFile growing;
  job.onWritten = [&growing](std::uint64_t written) { growing.written(written); };
  std::string output = kWorkFile;
  PassResult result = PassResult::failed;
  Outcome followed = Outcome::fallback;
  {
    Follower follower(options.outputName, growing);
    try {
      result = readingAnotherFileToProduceEUC(context, job, output);
    } catch (...) {
      growing.finish(false);
      throw;
    }
    growing.finish(result == PassResult::done);
    followed = follower.join();
  }
  if (result == PassResult::inputUnreadable) return NamedConversion::refused;
  Outcome delivery = Outcome::failed;
  if (result == PassResult::done) {
    if (followed != Outcome::fallback) {
      delivery = followed;
      if (delivery == Outcome::done && !effect.keepBinary) removeFile(kWorkFile);
    } else {
      delivery = CopyBackFromWorkFile(context.reporter, options.outputName, effect.keepBinary);
    }
    if (delivery != Outcome::failed) giveSameTime(options.inputName, deliveredFile(options.outputName, delivery));
  }
  return delivery != Outcome::failed ? NamedConversion::done : NamedConversion::failed;
}

}  // namespace morvel
