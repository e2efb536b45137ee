// Copies between a file and the working file "binary.tmp". Conversions write
// "binary.tmp"; these copies move the result to where it belongs, byte for
// byte. Runs in one folder share "binary.tmp", so its users hold the
// folder's lock while they need it.
#pragma once

#include <string>

#include "reporter.h"

namespace morvel {

inline constexpr const char* kWorkFile = "binary.tmp";

// An advisory lock on the current folder itself (no lock file appears),
// held from construction to destruction. A second holder waits.
class WorkFolderLock {
 public:
  WorkFolderLock();
  ~WorkFolderLock();
  WorkFolderLock(const WorkFolderLock&) = delete;
  WorkFolderLock& operator=(const WorkFolderLock&) = delete;

 private:
  int fd_ = -1;
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

// The file a delivery wrote.
std::string deliveredFile(const std::string& target, Delivery delivery);

}  // namespace morvel
