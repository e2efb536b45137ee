#include "binary_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <string>
#include <thread>

#include "native_file.h"
#include "support/temp_dir.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;

namespace {

// More than three of the fallback's 1 MiB buffers, and not a whole number of them.
std::string sample(std::size_t size = (std::size_t{3} << 20) + 4099) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 131 + i / 4096 + 7) & 0xFF);
  return s;
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) releaseFile(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  void close() {
    releaseFile(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Created or emptied.
int openEmptied(const char* name) {
  const int fd = openForWriting(name);
  if (fd >= 0 && !truncateToEmpty(fd)) ADD_FAILURE() << "truncate " << name;
  return fd;
}

#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
int makePipe(int fds[2]) { return ::_pipe(fds, 1 << 16, _O_BINARY | _O_NOINHERIT); }
int openAppending(const char* name) { return ::_open(name, _O_WRONLY | _O_APPEND | _O_BINARY); }
#else
constexpr const char* kNullDevice = "/dev/null";
int makePipe(int fds[2]) { return ::pipe(fds); }
int openAppending(const char* name) { return ::open(name, O_WRONLY | O_APPEND | O_CLOEXEC); }
#endif

// Everything written into a pipe, read on another thread so that the
// writer never blocks for good.
class PipeReader {
 public:
  PipeReader() {
    int fds[2];
    if (makePipe(fds) != 0) ADD_FAILURE() << "pipe";
    read_ = fds[0];
    write_ = fds[1];
    thread_ = std::thread([this] {
      char chunk[4096];
      std::int64_t got;
      while ((got = readSome(read_, chunk, sizeof chunk)) > 0) received_.append(chunk, static_cast<std::size_t>(got));
    });
  }
  ~PipeReader() {
    if (thread_.joinable()) finish();
    releaseFile(read_);
  }
  int writeEnd() const { return write_; }
  const std::string& finish() {
    releaseFile(write_);
    thread_.join();
    return received_;
  }

 private:
  int read_ = -1;
  int write_ = -1;
  std::thread thread_;
  std::string received_;
};

}  // namespace

TEST(CopyAll, CopiesFileToFileExactly) {
  TempDir dir;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{4096}, sample().size()}) {
    writeBytes("from", sample(size));
    {
      const Descriptor from(openForReading("from"));
      const Descriptor to(openEmptied("to"));
      ASSERT_TRUE(copyAll(from.get(), to.get())) << size;
    }
    EXPECT_EQ(readBytes("to"), sample(size)) << size;
  }
}

TEST(CopyAll, StartsAtBothOffsetsAndMovesThem) {
  TempDir dir;
  writeBytes("from", sample());
  const Descriptor from(openForReading("from"));
  const Descriptor to(openEmptied("to"));
  ASSERT_TRUE(seekTo(from.get(), 1000));
  ASSERT_TRUE(writeFully(to.get(), "head", 4));
  ASSERT_TRUE(copyAll(from.get(), to.get()));
  EXPECT_EQ(currentOffset(from.get()), static_cast<std::int64_t>(sample().size()));
  EXPECT_EQ(currentOffset(to.get()), static_cast<std::int64_t>(sample().size() - 1000 + 4));
  EXPECT_EQ(readBytes("to"), "head" + sample().substr(1000));
}

TEST(CopyAll, FallsBackToReadingForAPipe) {
  // The kernel copies only between regular files: a pipe on either side
  // takes the read and write loop.
  TempDir dir;
  writeBytes("from", sample());
  {
    const Descriptor from(openForReading("from"));
    PipeReader pipe;
    ASSERT_TRUE(copyAll(from.get(), pipe.writeEnd()));
    EXPECT_EQ(pipe.finish(), sample());
  }
  int fds[2];
  ASSERT_EQ(makePipe(fds), 0);
  Descriptor readEnd(fds[0]);
  Descriptor writeEnd(fds[1]);
  std::thread writer([&writeEnd] {
    const std::string bytes = sample();
    EXPECT_TRUE(writeFully(writeEnd.get(), bytes.data(), bytes.size()));
    writeEnd.close();
  });
  {
    const Descriptor to(openEmptied("to"));
    EXPECT_TRUE(copyAll(readEnd.get(), to.get()));
  }
  writer.join();
  EXPECT_EQ(readBytes("to"), sample());
}

TEST(CopyAll, FallsBackToReadingForADevice) {
  TempDir dir;
  writeBytes("from", sample());
  const Descriptor from(openForReading("from"));
  const Descriptor null(openForWriting(kNullDevice));
  EXPECT_TRUE(copyAll(from.get(), null.get()));
  EXPECT_EQ(currentOffset(from.get()), static_cast<std::int64_t>(sample().size()));
}

TEST(CopyAll, FallsBackToReadingForAnAppendingTarget) {
  TempDir dir;
  writeBytes("from", sample());
  writeBytes("to", "old");
  {
    const Descriptor from(openForReading("from"));
    const Descriptor to(openAppending("to"));
    EXPECT_TRUE(copyAll(from.get(), to.get()));
  }
  EXPECT_EQ(readBytes("to"), "old" + sample());
}

TEST(CopyAll, ReadingLoopAloneCopiesExactly) {
  TempDir dir;
  for (const std::size_t size : {std::size_t{0}, std::size_t{1} << 20, sample().size()}) {
    writeBytes("from", sample(size));
    {
      const Descriptor from(openForReading("from"));
      const Descriptor to(openEmptied("to"));
      ASSERT_TRUE(copyAllByReading(from.get(), to.get())) << size;
    }
    EXPECT_EQ(readBytes("to"), sample(size)) << size;
  }
}

TEST(CopyAll, FailsOnAFailedWriteOrRead) {
  TempDir dir;
  writeBytes("from", sample());
  const Descriptor from(openForReading("from"));
#ifndef _WIN32  // no device that is always full there
  const Descriptor full(::open("/dev/full", O_WRONLY | O_CLOEXEC));
  EXPECT_FALSE(copyAll(from.get(), full.get()));
#endif
  const Descriptor writeOnly(openEmptied("other"));
  const Descriptor to(openEmptied("to"));
  EXPECT_FALSE(copyAll(writeOnly.get(), to.get()));
  EXPECT_FALSE(copyAllByReading(writeOnly.get(), to.get()));
}

TEST(CopyAll, WritingBackAsItGoesChangesNothingInTheCopy) {
  // More than one of the parts written back, and not a whole number of them.
  TempDir dir;
  const std::string bytes = sample((std::size_t{17} << 20) + 333);
  writeBytes("from", bytes);
  for (const bool kernel : {true, false}) {
    {
      const Descriptor from(openForReading("from"));
      const Descriptor to(openEmptied("to"));
      ASSERT_TRUE(kernel ? copyAll(from.get(), to.get(), true) : copyAllByReading(from.get(), to.get(), true));
#ifndef _WIN32
      EXPECT_EQ(::fsync(to.get()), 0);
#endif
    }
    EXPECT_EQ(readBytes("to"), bytes) << kernel;
  }
  const Descriptor from(openForReading("from"));
  PipeReader pipe;
  ASSERT_TRUE(copyAll(from.get(), pipe.writeEnd(), true));
  EXPECT_EQ(pipe.finish(), bytes);
}

TEST(CopyRange, CopiesThePartAskedForAndKeepsTheSourceOffset) {
  TempDir dir;
  const std::string bytes = sample();
  writeBytes("from", bytes);
  const Descriptor from(openForReading("from"));
  {
    const Descriptor to(openEmptied("to"));
    ASSERT_TRUE(copyRange(from.get(), 0, 1000, to.get()));
    ASSERT_TRUE(copyRange(from.get(), 5000, bytes.size() - 5000, to.get()));
    EXPECT_EQ(currentOffset(from.get()), 0);
    EXPECT_FALSE(copyRange(from.get(), static_cast<long long>(bytes.size()) - 10, 11, to.get()));  // past the end
  }
  EXPECT_EQ(readBytes("to").substr(0, bytes.size() - 4000), bytes.substr(0, 1000) + bytes.substr(5000));
  PipeReader pipe;  // no kernel copy into a pipe
  ASSERT_TRUE(copyRange(from.get(), 3, bytes.size() - 3, pipe.writeEnd()));
  EXPECT_EQ(pipe.finish(), bytes.substr(3));
}
