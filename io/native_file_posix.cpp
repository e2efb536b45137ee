#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "native_file.h"

extern char** environ;

namespace morvel {

namespace {

FileStatus statusFrom(const struct stat& info) {
  FileStatus status;
  status.type = S_ISREG(info.st_mode)   ? FileType::regular
                : S_ISDIR(info.st_mode) ? FileType::directory
                                        : FileType::other;
  status.size = static_cast<std::uint64_t>(info.st_size);
  status.modifiedSeconds = info.st_mtim.tv_sec;
  status.modifiedNanoseconds = info.st_mtim.tv_nsec;
  status.changedSeconds = info.st_ctim.tv_sec;
  status.changedNanoseconds = info.st_ctim.tv_nsec;
  status.volume = static_cast<std::uint64_t>(info.st_dev);
  status.identity = static_cast<std::uint64_t>(info.st_ino);
  return status;
}

}  // namespace

int openForReading(const std::string& name) { return ::open(name.c_str(), O_RDONLY | O_CLOEXEC); }

int openSharedForReading(const std::string& name, bool& busy) {
  busy = false;  // nothing here refuses a reader
  return openForReading(name);
}

int openForWriting(const std::string& name) { return ::open(name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0666); }

bool closeFile(int fd) { return ::close(fd) == 0; }

std::FILE* openStream(const std::string& name, const char* mode) { return std::fopen(name.c_str(), mode); }

std::int64_t readSome(int fd, void* buffer, std::size_t size) {
  for (;;) {
    const ssize_t got = ::read(fd, buffer, size);
    if (got >= 0 || errno != EINTR) return got;
  }
}

std::int64_t writeSome(int fd, const void* data, std::size_t size) {
  for (;;) {
    const ssize_t wrote = ::write(fd, data, size);
    if (wrote >= 0 || errno != EINTR) return wrote;
  }
}

std::int64_t readAt(int fd, void* buffer, std::size_t size, std::int64_t offset) {
  for (;;) {
    const ssize_t got = ::pread(fd, buffer, size, static_cast<off_t>(offset));
    if (got >= 0 || errno != EINTR) return got;
  }
}

std::int64_t currentOffset(int fd) { return ::lseek(fd, 0, SEEK_CUR); }

bool seekTo(int fd, std::int64_t offset) { return ::lseek(fd, static_cast<off_t>(offset), SEEK_SET) == offset; }

bool truncateToEmpty(int fd) { return ::ftruncate(fd, 0) == 0; }

std::optional<FileStatus> statusOf(int fd) {
  struct stat info {};
  if (::fstat(fd, &info) != 0) return std::nullopt;
  return statusFrom(info);
}

std::optional<FileStatus> statusOf(const std::string& name) {
  struct stat info {};
  if (::stat(name.c_str(), &info) != 0) return std::nullopt;
  return statusFrom(info);
}

int openNew(const std::string& name) { return ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666); }

bool removeFile(const std::string& name) { return ::unlink(name.c_str()) == 0; }

bool copyModificationTime(const std::string& source, const std::string& target) {
  struct stat finished {};
  if (::stat(source.c_str(), &finished) != 0) return false;
  const timespec times[2] = {{0, UTIME_OMIT}, finished.st_mtim};
  return ::utimensat(AT_FDCWD, target.c_str(), times, 0) == 0;
}

std::string currentFolder() {
  std::string path(4096, '\0');
  if (::getcwd(path.data(), path.size()) == nullptr) return ".";
  path.resize(path.find('\0'));
  return path;
}

std::string pathVariable() {
  const char* found = nullptr;
  for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
    const char* e = *entry;
    if (std::strncmp(e, "PATH=", 5) == 0) return e + 5;
    if (found == nullptr && ::strncasecmp(e, "PATH=", 5) == 0) found = e + 5;
  }
  return found != nullptr ? std::string(found) : std::string();
}

}  // namespace morvel
