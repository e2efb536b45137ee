// The steps replaceFile takes, each system's own (file_replace_posix.cpp,
// file_replace_win32.cpp); which of them it takes, and in what order, is
// file_replace.cpp's alone.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

#include "file_replace.h"
#include "native_file.h"

namespace morvel::replace_steps {

// The target as found before anything is written.
struct Target {
  bool exists = false;
  FileType type = FileType::regular;  // regular, a folder, or a pipe, terminal or device
  bool writable = true;               // the user may write it (POSIX), it is not read-only (Windows)
  std::filesystem::path path;         // the file replaced: where a link leads
  std::filesystem::path device;       // the name a pipe or device is written through
  // What the replacement keeps: the permission bits, owner and group
  // (POSIX), or the attributes (Windows, in `mode`).
  std::uint32_t mode = 0;
  std::uint32_t owner = 0;
  std::uint32_t group = 0;
};

// Nothing when the name cannot reach the system (it is not code page 932
// text on Windows).
[[nodiscard]] std::optional<Target> targetOf(const std::string& name);

enum class Opening { existing, created };

// Writes over `path` where it is, emptied first where it is a file; `sync`
// has the content reach the disk before the file is closed. Outcome::fallback
// when it cannot be opened for that.
Outcome writeInPlace(const std::filesystem::path& path, Opening opening, const ContentWriter& write, bool sync);

// The temporary file beside the target, each system's own. Discarding it
// removes it unless it was committed.
struct Temporary;
struct Discard {
  void operator()(Temporary* temporary) const;
};
using TemporaryFile = std::unique_ptr<Temporary, Discard>;

// Empty when the target's folder cannot hold one.
TemporaryFile createTemporary(const Target& target);

// The content and what the target's file kept, on the disk; false when
// anything failed.
[[nodiscard]] bool fillTemporary(Temporary& temporary, const Target& target, const ContentWriter& write);

// Renames the complete temporary file over the target. Outcome::fallback:
// the rename was refused though the target itself may be written (another
// program holds it open on Windows; a sticky folder, a file mounted on its
// name), so it is written in place instead.
Outcome commitTemporary(Temporary& temporary, const Target& target);

// A descriptor that reads the complete temporary file from its start; -1
// when there is none.
int contentOf(Temporary& temporary);

// Closes what is open of it; false when a close failed, where the system
// reports the last writes' failures.
[[nodiscard]] bool closeTemporary(Temporary& temporary);

constexpr unsigned kTemporaryNameTries = 64;

// A short random name, so that a target name of any allowed length leaves
// room for it in the same folder: `attempt` and the process's number vary it.
std::string temporaryName(unsigned attempt, unsigned long long process);

}  // namespace morvel::replace_steps
