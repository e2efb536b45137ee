#include "watched_file.h"

#include "native_file.h"
#include "text_file.h"

namespace morvel {

FileAge ageOf(const FileStatus& status) {
  FileAge age;
  age.exists = true;
  age.modifiedSeconds = status.modifiedSeconds;
  age.modifiedNanoseconds = status.modifiedNanoseconds;
  age.size = status.size;
  age.inode = status.identity;
  return age;
}

FileAge fileAge(const std::string& path) {
  const std::optional<FileStatus> info = statusOf(path);
  return info ? ageOf(*info) : FileAge{};
}

namespace {

// The bytes from the descriptor's offset to the end, `expected` of them
// unless the file changes meanwhile; false on a failed read.
bool readRest(int fd, std::string& bytes, std::uint64_t expected) {
  constexpr std::size_t kGrowth = std::size_t{1} << 20;
  bytes.resize(static_cast<std::size_t>(expected) + 1);  // one more: a file grown meanwhile shows
  std::size_t used = 0;
  for (;;) {
    if (used == bytes.size()) bytes.resize(bytes.size() + kGrowth);
    const std::int64_t got = readSome(fd, bytes.data() + used, bytes.size() - used);
    if (got < 0) return false;
    if (got == 0) break;
    used += static_cast<std::size_t>(got);
  }
  bytes.resize(used);
  return true;
}

}  // namespace

WatchedText readWatchedText(const std::string& path) {
  WatchedText text;
  bool busy = false;
  const int fd = openSharedForReading(path, busy);
  if (fd < 0) {
    text.outcome = busy ? ReadOutcome::busy : ReadOutcome::failed;
    return text;
  }
  const std::optional<FileStatus> before = statusOf(fd);
  const bool complete = before && readRest(fd, text.bytes, before->size);
  const std::optional<FileStatus> after = statusOf(fd);
  releaseFile(fd);
  // What the name leads to now must be the file read, unchanged.
  const std::optional<FileStatus> named = statusOf(path);
  if (!complete) {
    text.outcome = ReadOutcome::failed;
  } else if (!after || !named || ageOf(*before) != ageOf(*after) || ageOf(*after) != ageOf(*named) ||
             text.bytes.size() != before->size) {
    text.outcome = ReadOutcome::raced;
  } else {
    text.outcome = ReadOutcome::done;
    text.age = ageOf(*before);
    return text;
  }
  text.bytes.clear();
  return text;
}

bool writeWatchedFile(const std::string& path, const std::string& text) { return writeTextFile(path, text); }

bool writeLinesBack(const std::string& path, const std::vector<std::string>& lines) {
  TextWriter writer(path);
  if (!writer.isOpen()) return false;
  for (const std::string& line : lines) {
    writer.write(line);
    writer.write("\n");
  }
  return writer.close();
}

}  // namespace morvel
