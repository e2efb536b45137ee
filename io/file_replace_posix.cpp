#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "file_replace.h"
#include "replace_steps.h"

namespace morvel {

namespace {

namespace fs = std::filesystem;

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

std::string temporaryPath(const fs::path& folder, unsigned attempt) {
  return (folder / replace_steps::temporaryName(attempt, static_cast<unsigned long long>(::getpid()))).string();
}

// Creates the named temporary file with the mode new files get (0666 less
// the umask); -1 when the folder cannot hold it.
int createNamed(const fs::path& folder, std::string& name) {
  for (unsigned attempt = 0; attempt < replace_steps::kTemporaryNameTries; ++attempt) {
    name = temporaryPath(folder, attempt);
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

Outcome renamedOver(const std::string& name, const fs::path& path) {
  if (std::rename(name.c_str(), path.c_str()) == 0) return Outcome::done;
  return renameRefused(errno) ? Outcome::fallback : Outcome::failed;
}

// Gives the complete unnamed file `fd` the name `path`: linked under a
// temporary name, which is then renamed over the target.
Outcome linkIntoPlace(int fd, const fs::path& folder, const fs::path& path) {
  const std::string link = "/proc/self/fd/" + std::to_string(fd);
  for (unsigned attempt = 0; attempt < replace_steps::kTemporaryNameTries; ++attempt) {
    const std::string name = temporaryPath(folder, attempt);
    const RemovedOnSignal listed(name);
    if (::linkat(AT_FDCWD, link.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) != 0) {
      if (errno == EEXIST) continue;
      return Outcome::failed;
    }
    const Outcome placed = renamedOver(name, path);
    if (placed != Outcome::done) ::unlink(name.c_str());
    return placed;
  }
  return Outcome::failed;
}

}  // namespace

namespace replace_steps {

// Unnamed where the file system allows; a named one is listed for removal
// on a signal while it lives.
struct Temporary {
  int fd = -1;
  fs::path folder;
  std::string name;  // empty while unnamed
  std::optional<RemovedOnSignal> listed;
  bool committed = false;
};

void Discard::operator()(Temporary* temporary) const {
  if (temporary->fd >= 0) ::close(temporary->fd);
  if (!temporary->name.empty() && !temporary->committed) ::unlink(temporary->name.c_str());
  delete temporary;
}

std::optional<Target> targetOf(const std::string& name) {
  Target target;
  target.device = name;
  struct stat existing {};
  target.exists = ::stat(name.c_str(), &existing) == 0;
  if (target.exists) {
    target.type = S_ISREG(existing.st_mode)   ? FileType::regular
                  : S_ISDIR(existing.st_mode) ? FileType::directory
                                              : FileType::other;
    target.writable = target.type != FileType::regular || ::access(name.c_str(), W_OK) == 0;
    target.mode = existing.st_mode & 07777;
    target.owner = existing.st_uid;
    target.group = existing.st_gid;
  }
  // A symbolic link keeps pointing at the file it names, which is replaced.
  std::error_code error;
  target.path = name;
  if (target.type == FileType::regular && fs::is_symlink(target.path, error)) {
    target.path = fs::weakly_canonical(target.path, error);
  }
  return target;
}

Outcome writeInPlace(const fs::path& path, Opening opening, const ContentWriter& write, bool sync) {
  const int flags = opening == Opening::created ? O_CREAT : 0;
  const int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | flags, 0666);
  if (fd < 0) return Outcome::fallback;
  bool written = write(fd);
  if (sync) written = ::fsync(fd) == 0 && written;
  const bool closed = ::close(fd) == 0;
  return written && closed ? Outcome::done : Outcome::failed;
}

TemporaryFile createTemporary(const Target& target) {
  TemporaryFile temporary(new Temporary);
  temporary->folder = target.path.has_parent_path() ? target.path.parent_path() : fs::path(".");
  temporary->fd = createUnnamed(temporary->folder);
  if (temporary->fd >= 0) return temporary;
  temporary->fd = createNamed(temporary->folder, temporary->name);
  if (temporary->fd < 0) {
    temporary->name.clear();  // nothing was created
    return nullptr;
  }
  temporary->listed.emplace(temporary->name);
  return temporary;
}

// The new content, with the mode (and, where allowed, the owner) of the
// file it replaces, on the disk. That sync is the one that matters: the name
// may then reach the disk before or after a crash, and either way it holds
// the old file or the complete new one. The folder is not synced after the
// rename: that would only make the rename itself durable, and on a busy disk
// its journal commit held the end of the run back by up to 0.1 s.
bool fillTemporary(Temporary& temporary, const Target& target, const ContentWriter& write) {
  bool ok = true;
  if (target.exists) {
    [[maybe_unused]] const int owned = ::fchown(temporary.fd, target.owner, target.group);
    ok = ::fchmod(temporary.fd, target.mode) == 0;
  }
  ok = ok && write(temporary.fd);
  return ::fsync(temporary.fd) == 0 && ok;
}

Outcome commitTemporary(Temporary& temporary, const Target& target) {
  const Outcome placed = temporary.name.empty() ? linkIntoPlace(temporary.fd, temporary.folder, target.path)
                                                : renamedOver(temporary.name, target.path);
  temporary.committed = placed == Outcome::done;
  return placed;
}

int contentOf(Temporary& temporary) { return ::lseek(temporary.fd, 0, SEEK_SET) == 0 ? temporary.fd : -1; }

bool closeTemporary(Temporary& temporary) {
  const int fd = temporary.fd;
  temporary.fd = -1;
  return ::close(fd) == 0;
}

}  // namespace replace_steps

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

}  // namespace morvel
