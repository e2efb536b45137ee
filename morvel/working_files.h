// Copies between a file and the working file "binary.tmp". Conversions write
// "binary.tmp"; these copies move the result to where it belongs, byte for
// byte. Runs in one folder share "binary.tmp", so its users hold the
// folder's lock while they need it.
#pragma once

#include <string>

#include "folder_turn.h"
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

  bool held() const { return turn_.held; }

 private:
  FolderTurn turn_;
};

// True when `name` is the working file: its name, or the same file.
bool isWorkFile(const std::string& name);

enum class Delivery {
  done,        // the target holds the result
  toFallback,  // the target cannot be written: "Morvel.txt" holds the result, and a message says so
  failed,      // nothing delivered; the target is as it was
};

// Puts the content of "binary.tmp" in place of `target`, or of "Morvel.txt"
// when the target cannot be written, and deletes "binary.tmp" unless
// `keepBinary`. The destination is either as it was or complete.
Delivery CopyBackFromWorkFile(Reporter& reporter, const std::string& target, bool keepBinary);

// As CopyBackFromWorkFile, from `source`, a result this run has just
// written, which stays.
Delivery copyBackFromFile(Reporter& reporter, const std::string& source, const std::string& target);

// The file a delivery wrote.
std::string deliveredFile(const std::string& target, Delivery delivery);

}  // namespace morvel
