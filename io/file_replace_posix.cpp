#include "file_replace.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "binary_file.h"

namespace morvel {

namespace {

namespace fs = std::filesystem;

constexpr int kTemporaryNameTries = 64;

// Temporary files that have a name, for the signal handler to remove: a
// slot is armed only while its name is complete.
struct NamedTemporary {
  std::atomic<bool> claimed{false};
  std::atomic<bool> armed{false};
  char name[4096] = {};
};
constexpr int kTemporarySlots = 8;  // one per replacement under way; there are at most two at a time
NamedTemporary namedTemporaries[kTemporarySlots];
static_assert(std::atomic<bool>::is_always_lock_free, "the signal handler reads the slots");

// Keeps `name` listed for removal on a signal while it lives.
class RemovedOnSignal {
 public:
  explicit RemovedOnSignal(const std::string& name) {
    if (name.size() >= sizeof(NamedTemporary::name)) return;
    for (NamedTemporary& slot : namedTemporaries) {
      bool expected = false;
      if (!slot.claimed.compare_exchange_strong(expected, true)) continue;
      std::memcpy(slot.name, name.c_str(), name.size() + 1);
      slot.armed.store(true);
      slot_ = &slot;
      return;
    }
  }
  ~RemovedOnSignal() {
    if (slot_ == nullptr) return;
    slot_->armed.store(false);
    slot_->claimed.store(false);
  }
  RemovedOnSignal(const RemovedOnSignal&) = delete;
  RemovedOnSignal& operator=(const RemovedOnSignal&) = delete;

 private:
  NamedTemporary* slot_ = nullptr;
};

// Only async-signal-safe calls: unlink, then the signal's own action.
extern "C" void removeTemporariesAndStop(int signal) {
  const int saved = errno;
  for (NamedTemporary& slot : namedTemporaries) {
    if (slot.armed.load()) ::unlink(slot.name);
  }
  errno = saved;
  ::raise(signal);  // the handler was reset: the default action ends the run as the signal would have
}

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

// Creates the named temporary file with the mode new files get (0666 less
// the umask); -1 when the folder cannot hold it.
int createTemporary(const fs::path& folder, std::string& name) {
  for (unsigned attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    name = temporaryName(folder, attempt);
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

// An unnamed file in `folder`, which a killed run cannot leave behind; -1
// where the file system or the system has none, or it could not be named
// once complete (that needs /proc).
int createUnnamed(const fs::path& folder) {
#ifdef O_TMPFILE
  if (::access("/proc/self/fd", X_OK) != 0) return -1;
  return ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
#else
  (void)folder;
  return -1;
#endif
}

// Whether the rename over an existing target failed although the target
// itself may be written: a sticky folder and another user's file, a file
// mounted on its name.
bool renameRefused(int error) { return error == EPERM || error == EACCES || error == EBUSY || error == EXDEV; }

enum class Placed { done, failed, refused };

Placed renamedOver(const std::string& name, const fs::path& path) {
  if (std::rename(name.c_str(), path.c_str()) == 0) return Placed::done;
  return renameRefused(errno) ? Placed::refused : Placed::failed;
}

// Gives the complete unnamed file `fd` the name `path`: linked under a
// temporary name, which is then renamed over the target.
Placed linkIntoPlace(int fd, const fs::path& folder, const fs::path& path) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  for (unsigned attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    const std::string name = temporaryName(folder, attempt);
    const RemovedOnSignal listed(name);
    if (::linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      return Placed::failed;
    }
    const Placed placed = renamedOver(name, path);
    if (placed != Placed::done) ::unlink(name.c_str());
    return placed;
  }
  return Placed::failed;
}

Replacement writeInPlace(const std::string& target, int flags, const ContentWriter& write, bool sync = false) {
  const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | flags, 0666);
  if (fd < 0) return Replacement::unwritable;
  bool written = write(fd);
  if (sync) written = ::fsync(fd) == 0 && written;
  const bool closed = ::close(fd) == 0;
  return written && closed ? Replacement::done : Replacement::failed;
}

// The complete temporary file `from` written over the target where it is,
// so that another program's descriptor of it stays valid and reads it; a
// target that cannot be opened for that stays as it was.
Replacement copiedInPlace(int from, const fs::path& path, InPlace inPlace) {
  if (inPlace == InPlace::refused) return Replacement::inPlace;
  if (::lseek(from, 0, SEEK_SET) != 0) return Replacement::failed;
  return writeInPlace(
      path.string(), 0, [from](int fd) { return copyAll(from, fd); }, true);
}

// The new content, with the mode (and, where allowed, the owner) of the
// file it replaces, on the disk. That sync is the one that matters: the name
// may then reach the disk before or after a crash, and either way it holds
// the old file or the complete new one. The folder is not synced after the
// rename: that would only make the rename itself durable, and on a busy disk
// its journal commit held the end of the run back by up to 0.1 s.
bool fillTemporary(int fd, const struct stat* existing, const ContentWriter& write) {
  bool ok = true;
  if (existing != nullptr) {
    [[maybe_unused]] const int owned = ::fchown(fd, existing->st_uid, existing->st_gid);
    ok = ::fchmod(fd, existing->st_mode & 07777) == 0;
  }
  ok = ok && write(fd);
  return ::fsync(fd) == 0 && ok;
}

// What became of the complete temporary file `fd` once the rename was
// tried; closes it.
Replacement closedAfter(Placed placed, int fd, const fs::path& path, InPlace inPlace) {
  Replacement result = placed == Placed::done      ? Replacement::done
                       : placed == Placed::refused ? copiedInPlace(fd, path, inPlace)
                                                   : Replacement::failed;
  const bool closed = ::close(fd) == 0;
  if (placed == Placed::done && !closed) result = Replacement::failed;
  return result;
}

}  // namespace

void removeTemporariesOnSignals() {
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
    struct sigaction current {};
    if (::sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;  // nohup stays
    struct sigaction action {};
    action.sa_handler = removeTemporariesAndStop;
    sigemptyset(&action.sa_mask);
    action.sa_flags = static_cast<int>(SA_RESETHAND | SA_RESTART);
    ::sigaction(signal, &action, nullptr);
  }
}

Replacement replaceFile(const std::string& target, const ContentWriter& write, InPlace inPlace) {
  struct stat existing {};
  const bool exists = ::stat(target.c_str(), &existing) == 0;
  if (exists && S_ISDIR(existing.st_mode)) return Replacement::unwritable;
  // A pipe, a terminal or a device, also behind a link such as /dev/stdout,
  // takes the content as it comes: there is no file to replace.
  if (exists && !S_ISREG(existing.st_mode)) {
    return inPlace == InPlace::allowed ? writeInPlace(target, 0, write) : Replacement::inPlace;
  }
  // A file the user may not write is not replaced behind its back.
  if (exists && ::access(target.c_str(), W_OK) != 0) return Replacement::unwritable;
  // A symbolic link keeps pointing at the file it names, which is replaced.
  std::error_code error;
  fs::path path(target);
  if (fs::is_symlink(path, error)) path = fs::weakly_canonical(path, error);
  const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
  const struct stat* kept = exists ? &existing : nullptr;

  if (const int fd = createUnnamed(folder); fd >= 0) {
    const Placed placed = fillTemporary(fd, kept, write) ? linkIntoPlace(fd, folder, path) : Placed::failed;
    return closedAfter(placed, fd, path, inPlace);
  }

  std::string temporary;
  const int fd = createTemporary(folder, temporary);
  if (fd < 0) return inPlace == InPlace::allowed ? writeInPlace(path.string(), O_CREAT, write) : Replacement::inPlace;
  const RemovedOnSignal listed(temporary);
  const Placed placed = fillTemporary(fd, kept, write) ? renamedOver(temporary, path) : Placed::failed;
  const Replacement result = closedAfter(placed, fd, path, inPlace);
  if (placed != Placed::done) ::unlink(temporary.c_str());
  return result;
}

}  // namespace morvel
