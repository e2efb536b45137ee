// For the Win32 window tests only, until Morvel's start-up and working
// files build for Windows: the few of their functions the window logic
// calls, done with the io seam. No lock between runs in one folder (the
// tests run one Morvel per folder); every other behaviour as in morvel/.
#include <cstdio>

#include "binary_file.h"
#include "file_replace.h"
#include "native_file.h"
#include "passes.h"
#include "report_files.h"
#include "working_files.h"

namespace morvel {

WorkFolderLock::WorkFolderLock(LockWait) {}
WorkFolderLock::~WorkFolderLock() = default;

bool isWorkFile(const std::string& name) { return name == kWorkFile; }

Delivery CopyBackFromWorkFile(Reporter& reporter, const std::string& target, bool keepBinary) {
  const Delivery delivery = CopyBackFromFile(reporter, kWorkFile, target);
  if (delivery != Delivery::failed && !keepBinary) std::remove(kWorkFile);
  return delivery;
}

Delivery CopyBackFromFile(Reporter& reporter, const std::string& source, const std::string& target) {
  const int work = openForReading(source);
  if (work < 0) return Delivery::failed;
  const auto copyTo = [work](const std::string& destination) {
    return replaceFile(destination, [work](int fd) { return seekTo(work, 0) && copyAll(work, fd, true); });
  };
  Delivery delivery = Delivery::failed;
  Replacement result = copyTo(target);
  if (result == Replacement::done) {
    delivery = Delivery::done;
  } else if (result == Replacement::unwritable && copyTo(kFallbackOutput) == Replacement::done) {
    delivery = Delivery::toFallback;
    reporter.message(target, std::string("cannot be written; the result is in ") + kFallbackOutput);
  }
  if (delivery == Delivery::failed) {
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
