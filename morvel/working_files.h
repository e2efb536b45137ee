// Copies between a file and the working file "binary.tmp". Conversions write
// "binary.tmp"; these copies move the result to where it belongs, byte for
// byte. Runs in one folder share "binary.tmp", so its users hold the
// folder's lock while they need it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "folder_turn.h"
#include "reporter.h"

namespace morvel {

inline constexpr const char* kWorkFile = "binary.tmp";

enum class LockWait { untilFree, no };

// An advisory lock on the current folder itself (no lock file appears),
// held from construction to destruction. A second holder waits, or with
// LockWait::no goes without it (held() is false then).
class WorkFolderLock {
 public:
  explicit WorkFolderLock(LockWait wait = LockWait::untilFree);
  ~WorkFolderLock();
  WorkFolderLock(const WorkFolderLock&) = delete;
  WorkFolderLock& operator=(const WorkFolderLock&) = delete;

  bool held() const { return turn_.held; }

 private:
  FolderTurn turn_;
};

// True when `name` is the working file: its name, or the same file.
bool isWorkFile(const std::string& name);

enum class WorkCopy {
  copied,
  failed,              // the source cannot be opened or the copy failed; the source stays
  workFileUnwritable,  // "binary.tmp" cannot be created: the run ends with exit code 1
};

// Copies `source` into "binary.tmp" and, unless `keepSource`, deletes the
// source once the copy is complete. When "binary.tmp" cannot be created,
// "fopen() error-1: binary.tmp" goes to standard error.
WorkCopy MoveToWorkFile(const std::string& source, bool keepSource);

enum class Delivery {
  toTarget,
  toFallback,  // the target cannot be written: "Morvel.txt" holds the result, and a message says so
  failed,      // nothing delivered; the target is as it was
};

// Puts the content of "binary.tmp" in place of `target`, or of "Morvel.txt"
// when the target cannot be written, and deletes "binary.tmp" unless
// `keepBinary`. The destination is either as it was or complete.
Delivery CopyBackFromWorkFile(Reporter& reporter, const std::string& target, bool keepBinary);

// As CopyBackFromWorkFile, from `source`, a result this run has just
// written, which stays.
Delivery CopyBackFromFile(Reporter& reporter, const std::string& source, const std::string& target);

// The file a delivery wrote.
std::string deliveredFile(const std::string& target, Delivery delivery);

// "binary.tmp" while a pass writes it, told by the pass how far it got and
// how it ended, for a delivery that follows the writing.
class GrowingWorkFile {
 public:
  // The pass: so many bytes of its output are in the file.
  void written(std::uint64_t bytes);
  // The pass is over; `complete` when it converted everything.
  void finish(bool complete);

  enum class State { growing, complete, failed };
  // The delivery: waits until the file holds `wanted` bytes or more, or the
  // pass is over; the bytes in it then and the pass's state.
  std::pair<std::uint64_t, State> await(std::uint64_t wanted);

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::uint64_t size_ = 0;
  std::uint64_t wanted_ = 0;  // what the delivery waits for; 0 when it does not wait
  State state_ = State::growing;
};

// Delivers "binary.tmp" to `target` while the pass still writes it, copying
// each part as it comes, through a temporary file that replaces the target
// only once the pass is complete: Delivery::toTarget, or Delivery::failed
// with the target as it was when the pass or the copy failed. Nothing
// happens until the pass has written or ended. No value, and nothing
// touched, when the target needs the ordinary delivery once the pass is
// done: it cannot be written, or only in place.
std::optional<Delivery> FollowWorkFile(const std::string& target, GrowingWorkFile& growing);

}  // namespace morvel
