// Writing a file so that it ends up either as it was or complete: the new
// content goes to a temporary file beside the target, which is renamed over
// the target only once everything reached the disk. Where the rename is
// refused though the target may be written (another program holds it open
// on Windows; a sticky folder, a file mounted on its name), the content is
// written over the target where it is instead, which keeps the other
// program's handle valid. The temporary file has no name until then where
// the file system allows (O_TMPFILE), so that a killed run leaves nothing
// behind; a named one is removed on SIGINT, SIGTERM and SIGHUP once
// removeTemporariesOnSignals has run.
#pragma once

#include <functional>
#include <string>

#include "outcome.h"

namespace morvel {

enum class InPlace { allowed, refused };

// Writes the content into the descriptor it is given; false when a write failed.
using ContentWriter = std::function<bool(int fd)>;

// Replaces `target` with what `write` produces. An existing target keeps its
// permission bits (and, where allowed, its owner); a symbolic link keeps
// pointing at the file it names, which is the one replaced. Only a regular
// file is replaced: a pipe, FIFO, terminal or device (also behind a link,
// such as /dev/stdout) is written in place, and so is a target whose folder
// cannot hold the temporary file or that cannot be renamed over, unless
// `inPlace` refuses that.
// Outcome::fallback touched nothing: the target cannot be created or
// written (no such folder, no permission), or would have to be written in
// place, which `inPlace` refused. Outcome::failed: the writing failed; the
// target is as it was, unless it had to be written in place.
Outcome replaceFile(const std::string& target, const ContentWriter& write, InPlace inPlace = InPlace::allowed);

// Has SIGINT, SIGTERM and SIGHUP remove the named temporary files of the
// replacements under way before they end the run (a signal the run ignores
// stays ignored). For the programs' entries.
void removeTemporariesOnSignals();

}  // namespace morvel
