// Copies between a file and the working file "binary.tmp". Conversions write
// "binary.tmp"; these copies move the result to where it belongs, byte for
// byte. Runs in one folder share "binary.tmp", so its users hold the
// folder's lock while they need it.
#pragma once

#include <string>

#include "folder_turn.h"
#include "outcome.h"
#include "reporter.h"

#include "morvel_texts.h"

namespace morvel {

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

  [[nodiscard]] bool held() const { return turn_.held; }

 private:
  FolderTurn turn_;
};

// True when `name` is the working file: its name, or the same file.
[[nodiscard]] bool isWorkFile(const std::string& name);

// Puts the content of "binary.tmp" in place of `target`, or of "Morvel.txt"
// when the target cannot be written, and deletes "binary.tmp" unless
// `keepBinary`. The destination is either as it was or complete:
// Outcome::done, Outcome::fallback when "Morvel.txt" holds the result (a
// message says so), Outcome::failed when nothing was delivered and the
// target is as it was.
Outcome CopyBackFromWorkFile(Reporter& reporter, const std::string& target, bool keepBinary);

// As CopyBackFromWorkFile, from `source`, a result this run has just
// written, which stays.
Outcome copyBackFromFile(Reporter& reporter, const std::string& source, const std::string& target);

// The file a delivery wrote.
std::string deliveredFile(const std::string& target, Outcome delivery);

}  // namespace morvel
