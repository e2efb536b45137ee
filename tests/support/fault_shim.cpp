// Faults a process test injects into Morvel or fenra, preloaded with
// LD_PRELOAD and chosen by the environment:
//   MORVEL_FAULT_FSYNC=1          every fsync fails with EIO
//   MORVEL_FAULT_NO_TMPFILE=1     the file system has no unnamed files (O_TMPFILE)
//   MORVEL_FAULT_READ=NAME:BYTES  reading the file NAME fails once BYTES were read
#include <dlfcn.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

template <typename F>
F next(const char* name) {
  return reinterpret_cast<F>(::dlsym(RTLD_NEXT, name));
}

bool chosen(const char* variable) { return std::getenv(variable) != nullptr; }

bool asksForUnnamedFile(int flags) {
#ifdef O_TMPFILE
  return (flags & O_TMPFILE) == O_TMPFILE;
#else
  return false;
#endif
}

int openWith(const char* real, const char* path, int flags, va_list arguments) {
  mode_t mode = 0;
  if ((flags & O_CREAT) != 0 || asksForUnnamedFile(flags)) mode = static_cast<mode_t>(va_arg(arguments, unsigned));
  if (asksForUnnamedFile(flags) && chosen("MORVEL_FAULT_NO_TMPFILE")) {
    errno = EOPNOTSUPP;
    return -1;
  }
  return next<int (*)(const char*, int, ...)>(real)(path, flags, mode);
}

// The file name of the open descriptor, without its folder.
std::string baseNameOf(int fd) {
  char path[4096];
  const ssize_t length = ::readlink(("/proc/self/fd/" + std::to_string(fd)).c_str(), path, sizeof path - 1);
  if (length <= 0) return {};
  const std::string name(path, static_cast<std::size_t>(length));
  return name.substr(name.rfind('/') + 1);
}

}  // namespace

extern "C" {

int fsync(int fd) {
  if (chosen("MORVEL_FAULT_FSYNC")) {
    errno = EIO;
    return -1;
  }
  return next<int (*)(int)>("fsync")(fd);
}

int open(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const int fd = openWith("open", path, flags, arguments);
  va_end(arguments);
  return fd;
}

int open64(const char* path, int flags, ...) {
  va_list arguments;
  va_start(arguments, flags);
  const int fd = openWith("open64", path, flags, arguments);
  va_end(arguments);
  return fd;
}

// Byte reads of an unbuffered stream, as the text reader does them: the
// bytes up to the limit come, then the descriptor is turned into a folder's,
// so that the stream's next read fails as a failing disk's would.
std::size_t fread(void* data, std::size_t size, std::size_t count, FILE* stream) {
  const auto real = next<std::size_t (*)(void*, std::size_t, std::size_t, FILE*)>("fread");
  const char* spec = std::getenv("MORVEL_FAULT_READ");
  const char* colon = spec != nullptr ? std::strrchr(spec, ':') : nullptr;
  const int fd = ::fileno(stream);
  if (colon == nullptr || size != 1 || baseNameOf(fd) != std::string(spec, colon))
    return real(data, size, count, stream);
  const auto limit = static_cast<std::size_t>(std::strtoull(colon + 1, nullptr, 10));
  const auto offset = static_cast<std::size_t>(::lseek(fd, 0, SEEK_CUR));
  if (offset + count <= limit) return real(data, size, count, stream);
  std::size_t got = offset < limit ? real(data, 1, limit - offset, stream) : 0;
  const int folder = next<int (*)(const char*, int, ...)>("open")("/", O_RDONLY | O_DIRECTORY);
  ::dup2(folder, fd);
  ::close(folder);
  got += real(static_cast<char*>(data) + got, 1, count - got, stream);
  return got;
}

}  // extern "C"
