#include "binary_file.h"

#include <unistd.h>

#include <cerrno>

namespace morvel {

bool writeFully(int fd, const void* data, std::size_t size) {
  const char* next = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t wrote = ::write(fd, next, size);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    next += wrote;
    size -= static_cast<std::size_t>(wrote);
  }
  return true;
}

}  // namespace morvel
