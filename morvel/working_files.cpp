// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
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

Outcome copyWorkFileTo(int work, const std::string& destination) {
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

Outcome CopyBackFromWorkFile(Reporter& reporter, const std::string& target, bool keepBinary) {
  const Outcome delivery = copyBackFromFile(reporter, kWorkFile, target);
  if (delivery != Outcome::failed && !keepBinary) removeFile(kWorkFile);
  return delivery;
}

Outcome copyBackFromFile(Reporter& reporter, const std::string& source, const std::string& target) {
  // The source is opened first, so that a missing one never touches the
  // target.
  const int work = openForReading(source);
  if (work < 0) return Outcome::failed;
  Outcome delivery = Outcome::failed;
  Outcome result = copyWorkFileTo(work, target);
  if (result == Outcome::done) {
    delivery = Outcome::done;
  } else if (result == Outcome::fallback) {
    result = copyWorkFileTo(work, kFallbackOutput);
    if (result == Outcome::done) {
      delivery = Outcome::fallback;
      reporter.message(target, std::string("cannot be written; the result is in ") + kFallbackOutput);
    }
  }
  if (delivery == Outcome::failed) {
    // Only "binary.tmp" holds the result now, whatever keepBinary says.
    reporter.error(
        joinedParts({"CopyBackFromWorkFile() error:", target, "cannot be written; the result is only in", source}));
  }
  releaseFile(work);
  return delivery;
}

std::string deliveredFile(const std::string& target, Outcome delivery) {
  return delivery == Outcome::fallback ? kFallbackOutput : target;
}

}  // namespace morvel
