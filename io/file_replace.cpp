#include "file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>

namespace morvel {

namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryNameTries = 64;

// A short random name, so that a target name of any allowed length leaves
// room for it in the same folder.
std::string temporaryName(const fs::path& folder, unsigned attempt) {
  static constexpr char kDigits[] = "0123456789abcdefghijklmnopqrstuvwxyz";
  auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
              (static_cast<unsigned long long>(::getpid()) << 20) ^ (attempt * 0x9E3779B97F4A7C15ull);
  std::string name = ".mv-";
  for (int k = 0; k < 6; ++k) {
    name += kDigits[seed % 36];
    seed /= 36;
  }
  return (folder / name).string();
}

// Creates the temporary file with the mode new files get (0666 less the
// umask); -1 when the folder cannot hold it.
int createTemporary(const fs::path& folder, std::string& name) {
  for (unsigned attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    name = temporaryName(folder, attempt);
    const int fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

Replacement writeInPlace(const std::string& target, int flags, const ContentWriter& write) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | flags, 0666);
  if (fd < 0) return Replacement::unwritable;
  const bool written = write(fd);
  const bool closed = ::close(fd) == 0;
  return written && closed ? Replacement::done : Replacement::failed;
}

// Makes the rename itself durable.
void syncFolder(const fs::path& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

Replacement replaceFile(const std::string& target, const ContentWriter& write, InPlace inPlace) {
  std::error_code error;
  fs::path path(target);
  if (fs::is_symlink(path, error)) path = fs::weakly_canonical(path, error);
  struct stat existing {};
  const bool exists = ::stat(path.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return Replacement::unwritable;
  if (exists && !S_ISREG(existing.st_mode)) {
    return inPlace == InPlace::allowed ? writeInPlace(path.string(), 0, write) : Replacement::inPlace;
  }
  // A file the user may not write is not replaced behind its back.
  if (exists && ::access(path.c_str(), W_OK) != 0) return Replacement::unwritable;

  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  std::string temporary;
  const int fd = createTemporary(folder, temporary);
  if (fd < 0) return inPlace == InPlace::allowed ? writeInPlace(path.string(), O_CREAT, write) : Replacement::inPlace;
  bool ok = true;
  if (exists) {
    // The owner may be kept only where the system allows; the mode always.
    [[maybe_unused]] const int owned = ::fchown(fd, existing.st_uid, existing.st_gid);
    ok = ::fchmod(fd, existing.st_mode & 07777) == 0;
  }
  ok = ok && write(fd);
  ok = ::fsync(fd) == 0 && ok;
  ok = ::close(fd) == 0 && ok;
  ok = ok && std::rename(temporary.c_str(), path.c_str()) == 0;
  if (!ok) {
    ::unlink(temporary.c_str());
    return Replacement::failed;
  }
  syncFolder(folder);
  return Replacement::done;
}

}  // namespace morvel
