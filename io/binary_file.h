// Binary output that either reaches the file whole or says it did not, and
// copies between open files.
#pragma once

#include <cstddef>

namespace morvel {

// Writes all `size` bytes to the open descriptor `fd`, going on after short
// writes and interrupted calls; false on the first failed write.
[[nodiscard]] bool writeFully(int fd, const void* data, std::size_t size);

// Copies the rest of `from`, from its offset to its end, to `to` at its
// offset; both offsets move past the bytes copied. The kernel copies the
// bytes itself where it can (copy_file_range, which also shares the blocks
// on file systems that can), and a read and write loop through a 1 MiB
// buffer takes over where it cannot: pipes, devices, two file systems, old
// kernels. False on the first failed read or write.
//
// For a copy that is synced once complete, `writeBack` has the system start
// writing each part to the disk as soon as it is copied, so that the disk
// works while the copy goes on and the sync waits for little.
[[nodiscard]] bool copyAll(int from, int to, bool writeBack = false);

// copyAll without the kernel's copy: the read and write loop alone.
[[nodiscard]] bool copyAllByReading(int from, int to, bool writeBack = false);

// Copies the `size` bytes of `from` at `offset` to `to` at its offset, which
// moves past them, as copyAll copies; `from` keeps its offset. False when a
// read or write fails or `from` ends before.
[[nodiscard]] bool copyRange(int from, long long offset, std::size_t size, int to);

// Has the system start writing the `size` bytes before the offset of `fd`
// to the disk, without waiting: only a hint, which a later sync completes.
void startWriteBack(int fd, std::size_t size);

}  // namespace morvel
