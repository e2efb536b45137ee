// Files by name and by descriptor, the same on every platform. A name is the
// user's bytes: on Windows they are code page 932 and reach the system as
// UTF-16 (converted with code page 932, whatever the system's ANSI code
// page), elsewhere they pass as they are. Descriptors are binary and not
// inherited by child processes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

namespace morvel {

// -1 when the file cannot be opened.
int openForReading(const std::string& name);
// For reading without keeping any other program from writing, replacing or
// deleting the file meanwhile (on Windows every sharing is granted). -1
// when it cannot be opened; `busy` then says whether another program's own
// sharing refused it (Windows' sharing violation), which passes.
int openSharedForReading(const std::string& name, bool& busy);
// Created when missing (mode 0666 less the umask); the content is kept.
int openForWriting(const std::string& name);
// False when the close failed, which is where the system reports the last
// writes' failures.
[[nodiscard]] bool closeFile(int fd);
// Closes a descriptor nothing was written through, or whose writes were
// given up: there is no failure left to report.
inline void releaseFile(int fd) { static_cast<void>(closeFile(fd)); }
// Created for writing; -1 (errno EEXIST) when the name exists already.
int openNew(const std::string& name);
// Deletes the file; false when it cannot.
bool removeFile(const std::string& name);

// Gives `target` the modification time of `source`, leaving its content
// and its other times alone; false when that is not allowed.
bool copyModificationTime(const std::string& source, const std::string& target);

// The current folder's full path; "." when the system does not say.
std::string currentFolder();

// The value of the variable that lists the folders searched for programs
// (PATH, its name matched whatever its letter case); empty when unset.
std::string pathVariable();

// fopen with a binary `mode` ("rb", "wb", ...); nullptr on failure.
std::FILE* openStream(const std::string& name, const char* mode);

// One read or write at the descriptor's offset, retried when interrupted:
// the bytes moved, 0 at the end, -1 on failure.
std::int64_t readSome(int fd, void* buffer, std::size_t size);
std::int64_t writeSome(int fd, const void* data, std::size_t size);

// One read at `offset`, as pread: the bytes read, 0 at the end, -1 on
// failure. Other threads may read the same descriptor at the same time. On
// Windows the descriptor's own offset is left where the read ended.
std::int64_t readAt(int fd, void* buffer, std::size_t size, std::int64_t offset);

// The descriptor's offset, -1 when it has none (a pipe); seekTo sets it.
std::int64_t currentOffset(int fd);
[[nodiscard]] bool seekTo(int fd, std::int64_t offset);

// Empties the open file; false on failure.
[[nodiscard]] bool truncateToEmpty(int fd);

enum class FileType { regular, directory, other };

// What a file's status says, with times since 1970 as seconds and
// nanoseconds. `changed` is the time of the last change of content or
// status. `volume` and `identity` together tell two files apart (device and
// inode, volume serial number and file index).
struct FileStatus {
  FileType type = FileType::other;
  std::uint64_t size = 0;
  std::int64_t modifiedSeconds = 0;
  std::int64_t modifiedNanoseconds = 0;
  std::int64_t changedSeconds = 0;
  std::int64_t changedNanoseconds = 0;
  std::uint64_t volume = 0;
  std::uint64_t identity = 0;
};

[[nodiscard]] std::optional<FileStatus> statusOf(int fd);
// The file a name leads to (links followed); nothing when there is none.
[[nodiscard]] std::optional<FileStatus> statusOf(const std::string& name);

#ifdef _WIN32
// A name as the system takes it (utf16.h); empty when the bytes are not
// code page 932 text, so that such a name opens nothing.
std::wstring wideOf(std::string_view cp932);
#endif

}  // namespace morvel
