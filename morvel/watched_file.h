// The hand-off file "VEL": how Morvel sees that it changed, and how the
// window writes and reads it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "morvel_texts.h"
#include "native_file.h"

namespace morvel {

// What changes on every rewrite of a file: its modification time to the
// nanosecond, size and inode together, so that two writes within one
// second, or a file replaced by another, are both seen. The change time is
// left out: a chmod or a new hard link is no new text. A missing file has
// an age of its own.
struct FileAge {
  bool exists = false;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::uint64_t size = 0;
  std::uint64_t inode = 0;

  bool operator==(const FileAge&) const = default;
};

FileAge fileAge(const std::string& path);
FileAge ageOf(const FileStatus& status);

enum class [[nodiscard]] ReadOutcome{
    done,
    failed,  // it cannot be opened
    busy,    // another program's sharing keeps readers out for now
    raced,   // it changed, or was replaced, while it was read
};

// The whole file as it was at one moment, and the age of that moment.
struct WatchedText {
  ReadOutcome outcome = ReadOutcome::failed;
  std::string bytes;  // as they are on disk
  FileAge age;
};

// Reads the file whole without keeping its writer out; a read during which
// its size, time or file changed holds nothing.
WatchedText readWatchedText(const std::string& path);

// Creates or empties the file and writes `text` into it; false on failure.
[[nodiscard]] bool writeWatchedFile(const std::string& path, const std::string& text);

// Creates or empties the file and writes each line followed by a line end
// (CR LF on disk), the bytes unchanged; false on failure.
[[nodiscard]] bool writeLinesBack(const std::string& path, const std::vector<std::string>& lines);

}  // namespace morvel
