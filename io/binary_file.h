// Binary output that either reaches the file whole or says it did not.
#pragma once

#include <cstddef>

namespace morvel {

// Writes all `size` bytes to the open descriptor `fd`, going on after short
// writes and interrupted calls; false on the first failed write.
bool writeFully(int fd, const void* data, std::size_t size);

}  // namespace morvel
