// Writing a file so that it ends up either as it was or complete: the new
// content goes to a temporary file beside the target, which is renamed over
// the target only once everything reached the disk.
#pragma once

#include <functional>
#include <string>

namespace morvel {

enum class Replacement {
  done,
  unwritable,  // nothing touched: the target cannot be created or written (no such folder, no permission)
  failed,      // the writing failed; the target is as it was, unless it had to be written in place
  inPlace,     // nothing touched: the target would have to be written in place, which the caller refused
};

enum class InPlace { allowed, refused };

// Writes the content into the descriptor it is given; false when a write failed.
using ContentWriter = std::function<bool(int fd)>;

// Replaces `target` with what `write` produces. An existing target keeps its
// permission bits (and, where allowed, its owner); a symbolic link keeps
// pointing at the file it names, which is the one replaced. A device or a
// FIFO is written in place, and so is a target whose folder cannot hold the
// temporary file, unless `inPlace` refuses that.
Replacement replaceFile(const std::string& target, const ContentWriter& write, InPlace inPlace = InPlace::allowed);

}  // namespace morvel
