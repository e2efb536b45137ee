// vel_writer: writes a file the ways the programs that hand text to Morvel
// write "VEL", for the end-to-end tests of the hand-over.
//
//   vel_writer rename FILE COUNT INTERVAL_MS [EXPECTED]
//       COUNT versions of a two-line Shift_JIS text (CR LF, double-byte
//       characters, each version distinct), each written to FILE.new and
//       renamed over FILE, INTERVAL_MS apart. EXPECTED, when given,
//       receives all versions one after the other, written before the first.
//   vel_writer chunks FILE SOURCE INTERVAL_MS OFFSET...
//       FILE opened once, emptied, and SOURCE's bytes written into it in
//       pieces split at the ascending OFFSETs, each flushed to the disk,
//       INTERVAL_MS apart.
//   vel_writer append FILE SOURCE INTERVAL_MS
//       Each line of SOURCE, line end included, appended to FILE (opened,
//       written, closed), INTERVAL_MS apart.
//   vel_writer hold FILE SECONDS
//       FILE opened for reading and kept open for SECONDS; "held" and a line
//       end go to the standard output once it is open.
//
// Files are opened as the C runtime's fopen does on each system: on Windows
// sharing reading and writing but not deletion, so that a held file cannot
// be renamed over. Exit code 0 when all was written, 1 for a wrong command
// line, 2 when a call failed (named on the standard error).
#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#endif

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

#ifdef _WIN32
using Name = std::wstring;
#define NAME(text) L##text
#else
using Name = std::string;
#define NAME(text) text
#endif

// A failed call: said, and the run ends with 2.
struct Failure {
  std::string call;
};

[[noreturn]] void fail(const char* call) {
#ifdef _WIN32
  throw Failure{std::string(call) + " failed: error " + std::to_string(::GetLastError())};
#else
  throw Failure{std::string(call) + " failed: " + std::strerror(errno)};
#endif
}

void pause(long milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

#ifdef _WIN32
using Handle = HANDLE;

Handle openFile(const Name& name, DWORD access, DWORD disposition) {
  const HANDLE handle = ::CreateFileW(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) fail("CreateFileW");
  return handle;
}

Handle openToWrite(const Name& name) { return openFile(name, GENERIC_WRITE, CREATE_ALWAYS); }

Handle openToAppend(const Name& name) {
  const Handle handle = openFile(name, GENERIC_WRITE, OPEN_ALWAYS);
  if (!::SetFilePointerEx(handle, LARGE_INTEGER{}, nullptr, FILE_END)) fail("SetFilePointerEx");
  return handle;
}

Handle openToRead(const Name& name) { return openFile(name, GENERIC_READ, OPEN_EXISTING); }

void writeAll(Handle handle, const char* bytes, std::size_t size) {
  while (size > 0) {
    DWORD written = 0;
    const auto piece = static_cast<DWORD>(size < 65536 ? size : 65536);
    if (!::WriteFile(handle, bytes, piece, &written, nullptr)) fail("WriteFile");
    bytes += written;
    size -= written;
  }
}

void flush(Handle handle) {
  if (!::FlushFileBuffers(handle)) fail("FlushFileBuffers");
}

void closeFile(Handle handle) {
  if (!::CloseHandle(handle)) fail("CloseHandle");
}

// While a reader has the target open, even one that shares its deletion,
// Windows refuses to replace it for that moment: careful writers try again.
void renameOver(const Name& from, const Name& to) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return;
    const DWORD error = ::GetLastError();
    if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION) break;
    ::Sleep(5);
  }
  fail("MoveFileExW");
}

std::string readWhole(const Name& name) {
  const Handle handle = openToRead(name);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(handle, buffer, sizeof buffer, &got, nullptr)) fail("ReadFile");
    if (got == 0) break;
    bytes.append(buffer, got);
  }
  closeFile(handle);
  return bytes;
}
#else
using Handle = int;

Handle openFile(const Name& name, int flags) {
  const int fd = ::open(name.c_str(), flags | O_CLOEXEC, 0666);
  if (fd < 0) fail("open");
  return fd;
}

Handle openToWrite(const Name& name) { return openFile(name, O_WRONLY | O_CREAT | O_TRUNC); }
Handle openToAppend(const Name& name) { return openFile(name, O_WRONLY | O_CREAT | O_APPEND); }
Handle openToRead(const Name& name) { return openFile(name, O_RDONLY); }

void writeAll(Handle fd, const char* bytes, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, bytes, size);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) fail("write");
    bytes += written;
    size -= static_cast<std::size_t>(written);
  }
}

void flush(Handle fd) {
  if (::fsync(fd) != 0) fail("fsync");
}

void closeFile(Handle fd) {
  if (::close(fd) != 0) fail("close");
}

void renameOver(const Name& from, const Name& to) {
  if (std::rename(from.c_str(), to.c_str()) != 0) fail("rename");
}

std::string readWhole(const Name& name) {
  const Handle fd = openToRead(name);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) fail("read");
    if (got == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(got));
  }
  closeFile(fd);
  return bytes;
}
#endif

void writeFile(const Name& name, const std::string& bytes) {
  const Handle handle = openToWrite(name);
  writeAll(handle, bytes.data(), bytes.size());
  closeFile(handle);
}

// A whole decimal number of the command line, or -1.
long numberOf(const Name& word) {
  if (word.empty() || word.size() > 9) return -1;
  long number = 0;
  for (const auto c : word) {
    if (c < NAME('0') || c > NAME('9')) return -1;
    number = number * 10 + static_cast<long>(c - NAME('0'));
  }
  return number;
}

// Version `k` of the renamed text: "vNN" and hiragana a, i, u; the kanji of
// Japan, NN and half-width katakana a, i.
std::string version(long k) {
  char text[64];
  std::snprintf(text, sizeof text, "v%02ld \x82\xa0\x82\xa2\x82\xa4\r\n\x93\xfa\x96\x7b %02ld \xb1\xb2\r\n", k, k);
  return text;
}

int renames(const std::vector<Name>& args) {
  const long count = numberOf(args[1]);
  const long interval = numberOf(args[2]);
  if (count < 1 || interval < 0 || args.size() > 4) return 1;
  if (args.size() == 4) {
    std::string all;
    for (long k = 1; k <= count; ++k) all += version(k);
    writeFile(args[3], all);
  }
  const Name temporary = args[0] + NAME(".new");
  for (long k = 1; k <= count; ++k) {
    if (k > 1) pause(interval);
    try {
      writeFile(temporary, version(k));
      renameOver(temporary, args[0]);
    } catch (Failure& failure) {
      failure.call = "version " + std::to_string(k) + ": " + failure.call;
      throw;
    }
  }
  return 0;
}

int chunks(const std::vector<Name>& args) {
  const long interval = numberOf(args[2]);
  if (interval < 0) return 1;
  const std::string bytes = readWhole(args[1]);
  std::vector<std::size_t> ends;
  for (std::size_t k = 3; k < args.size(); ++k) {
    const long offset = numberOf(args[k]);
    if (offset < 0 || static_cast<std::size_t>(offset) > bytes.size()) return 1;
    if (!ends.empty() && static_cast<std::size_t>(offset) <= ends.back()) return 1;
    ends.push_back(static_cast<std::size_t>(offset));
  }
  if (ends.empty() || ends.back() != bytes.size()) ends.push_back(bytes.size());
  const Handle handle = openToWrite(args[0]);
  std::size_t from = 0;
  for (const std::size_t end : ends) {
    if (from > 0) pause(interval);
    writeAll(handle, bytes.data() + from, end - from);
    flush(handle);
    from = end;
  }
  closeFile(handle);
  return 0;
}

int appends(const std::vector<Name>& args) {
  const long interval = numberOf(args[2]);
  if (interval < 0) return 1;
  const std::string bytes = readWhole(args[1]);
  std::size_t from = 0;
  while (from < bytes.size()) {
    const std::size_t lf = bytes.find('\n', from);
    const std::size_t end = lf == std::string::npos ? bytes.size() : lf + 1;
    if (from > 0) pause(interval);
    const Handle handle = openToAppend(args[0]);
    writeAll(handle, bytes.data() + from, end - from);
    closeFile(handle);
    from = end;
  }
  return 0;
}

int hold(const std::vector<Name>& args) {
  const long seconds = numberOf(args[1]);
  if (seconds < 0) return 1;
  const Handle handle = openToRead(args[0]);
  std::fputs("held\n", stdout);
  std::fflush(stdout);
  pause(seconds * 1000);
  closeFile(handle);
  return 0;
}

int run(const std::vector<Name>& words) {
  if (words.size() < 3) return 1;
  const Name& mode = words[0];
  const std::vector<Name> args(words.begin() + 1, words.end());
  if (mode == NAME("rename") && args.size() >= 3) return renames(args);
  if (mode == NAME("chunks") && args.size() >= 3) return chunks(args);
  if (mode == NAME("append") && args.size() == 3) return appends(args);
  if (mode == NAME("hold") && args.size() == 2) return hold(args);
  return 1;
}

template <typename Char>
int runWords(int argc, Char** argv) {
  const std::vector<Name> words(argv + 1, argv + argc);
  try {
    const int status = run(words);
    if (status == 1) {
      std::fputs(
          "usage: vel_writer rename FILE COUNT INTERVAL_MS [EXPECTED]\n"
          "       vel_writer chunks FILE SOURCE INTERVAL_MS OFFSET...\n"
          "       vel_writer append FILE SOURCE INTERVAL_MS\n"
          "       vel_writer hold FILE SECONDS\n",
          stderr);
    }
    return status;
  } catch (const Failure& failure) {
    std::fprintf(stderr, "vel_writer: %s\n", failure.call.c_str());
    return 2;
  }
}

}  // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return runWords(argc, argv); }
#else
int main(int argc, char** argv) { return runWords(argc, argv); }
#endif
