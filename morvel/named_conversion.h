// The conversion of a file named on the command line (EUC-JP target, no
// window): the pass writes "binary.tmp" while a follower thread copies what
// it wrote to the output; where the output cannot be written that way, the
// ordinary delivery (or its fallback "Morvel.txt") follows the pass. The
// input then takes the output's modification time.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "options.h"
#include "profile.h"
#include "working_files.h"

namespace morvel {

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
// only once the pass is complete: Outcome::done, or Outcome::failed
// with the target as it was when the pass or the copy failed. Nothing
// happens until the pass has written or ended. Outcome::fallback, with
// nothing touched, when the target needs the ordinary delivery once the pass is
// done: it cannot be written, or only in place.
Outcome followWorkFile(const std::string& target, GrowingWorkFile& growing);

enum class [[nodiscard]] NamedConversion{
    done,     // the output (or "Morvel.txt") holds the result
    failed,   // nothing delivered; the run goes on to the window unless quiet
    refused,  // the input cannot be read, or a name is the working file: exit code 1
};

// Converts the named Shift_JIS file to EUC-JP through "binary.tmp", which
// is the folder's to share: the run holds the folder's lock until the
// result is in place. The input itself is never rewritten. The result is
// copied to its place while the pass writes it; where it cannot go through
// a temporary file there, it is copied once the pass is done.
NamedConversion convertNamedFile(const TableContext& context, const CommandLineOptions& options);

}  // namespace morvel
