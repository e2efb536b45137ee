#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <windows.h>

#include <algorithm>

#include "native_file.h"
#include "utf16.h"

namespace morvel {

namespace {

// The C runtime moves at most this much in one call.
constexpr std::size_t kMaxTransfer = std::size_t{1} << 30;

// FILETIME counts 100 ns from 1601; 1970 is this many of them later.
constexpr std::int64_t kUnixEpoch = 116444736000000000LL;

void setTime(LARGE_INTEGER time, std::int64_t& seconds, std::int64_t& nanoseconds) {
  const std::int64_t since1970 = time.QuadPart - kUnixEpoch;
  seconds = since1970 / 10000000;
  nanoseconds = since1970 % 10000000 * 100;
  if (nanoseconds < 0) {
    seconds -= 1;
    nanoseconds += 1000000000;
  }
}

std::optional<FileStatus> statusOfHandle(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_BASIC_INFO basic{};
  if (!::GetFileInformationByHandle(handle, &info) ||
      !::GetFileInformationByHandleEx(handle, FileBasicInfo, &basic, sizeof basic)) {
    return std::nullopt;
  }
  FileStatus status;
  const DWORD kind = ::GetFileType(handle);
  status.type = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileType::directory
                : kind == FILE_TYPE_DISK                                ? FileType::regular
                                                                        : FileType::other;
  status.size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  setTime(basic.LastWriteTime, status.modifiedSeconds, status.modifiedNanoseconds);
  setTime(basic.ChangeTime, status.changedSeconds, status.changedNanoseconds);
  status.volume = info.dwVolumeSerialNumber;
  status.identity = (std::uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return status;
}

HANDLE handleOf(int fd) { return reinterpret_cast<HANDLE>(::_get_osfhandle(fd)); }

int openWide(const std::string& name, int flags) {
  const std::wstring wide = wideOf(name);
  if (wide.empty()) return -1;
  return ::_wopen(wide.c_str(), flags | _O_BINARY | _O_NOINHERIT, _S_IREAD | _S_IWRITE);
}

// What the system says as code page 932, each character without a code
// there as '?'; empty when the system said nothing.
std::string cp932Of(std::wstring_view wide) {
  if (std::optional<std::string> exact = cp932OfUtf16(wide)) return std::move(*exact);
  std::string bytes;
  for (std::size_t at = 0; at < wide.size(); ++at) bytes += cp932OfUtf16(wide.substr(at, 1)).value_or("?");
  return bytes;
}

}  // namespace

std::wstring wideOf(std::string_view cp932) { return utf16OfCp932(cp932).value_or(std::wstring()); }

int openForReading(const std::string& name) { return openWide(name, _O_RDONLY); }

int openSharedForReading(const std::string& name, bool& busy) {
  busy = false;
  const std::wstring wide = wideOf(name);
  if (wide.empty()) return -1;
  const HANDLE handle =
      ::CreateFileW(wide.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = ::GetLastError();
    busy = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
    return -1;
  }
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
  if (fd < 0) ::CloseHandle(handle);
  return fd;
}

int openForWriting(const std::string& name) { return openWide(name, _O_WRONLY | _O_CREAT); }

bool closeFile(int fd) { return ::_close(fd) == 0; }

std::FILE* openStream(const std::string& name, const char* mode) {
  const std::wstring wide = wideOf(name);
  if (wide.empty()) return nullptr;
  std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  wideMode += L'N';  // not inherited
  return ::_wfopen(wide.c_str(), wideMode.c_str());
}

std::int64_t readSome(int fd, void* buffer, std::size_t size) {
  return ::_read(fd, buffer, static_cast<unsigned>(std::min(size, kMaxTransfer)));
}

std::int64_t writeSome(int fd, const void* data, std::size_t size) {
  return ::_write(fd, data, static_cast<unsigned>(std::min(size, kMaxTransfer)));
}

std::int64_t readAt(int fd, void* buffer, std::size_t size, std::int64_t offset) {
  const HANDLE handle = handleOf(fd);
  if (handle == INVALID_HANDLE_VALUE || offset < 0) return -1;
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(static_cast<std::uint64_t>(offset));
  at.OffsetHigh = static_cast<DWORD>(static_cast<std::uint64_t>(offset) >> 32);
  DWORD got = 0;
  if (::ReadFile(handle, buffer, static_cast<DWORD>(std::min(size, kMaxTransfer)), &got, &at)) return got;
  return ::GetLastError() == ERROR_HANDLE_EOF ? 0 : -1;
}

std::int64_t currentOffset(int fd) {
  if (::GetFileType(handleOf(fd)) != FILE_TYPE_DISK) return -1;
  return ::_lseeki64(fd, 0, SEEK_CUR);
}

bool seekTo(int fd, std::int64_t offset) { return ::_lseeki64(fd, offset, SEEK_SET) == offset; }

bool truncateToEmpty(int fd) { return ::_chsize_s(fd, 0) == 0; }

std::optional<FileStatus> statusOf(int fd) {
  const HANDLE handle = handleOf(fd);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  if (::GetFileType(handle) != FILE_TYPE_DISK) {
    FileStatus status;  // a pipe or a device: nothing more to tell
    return status;
  }
  return statusOfHandle(handle);
}

std::optional<FileStatus> statusOf(const std::string& name) {
  const std::wstring wide = wideOf(name);
  if (wide.empty()) return std::nullopt;
  // Attributes only, so that a file open elsewhere is seen too; backup
  // semantics open folders.
  const HANDLE handle =
      ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  std::optional<FileStatus> status = statusOfHandle(handle);
  ::CloseHandle(handle);
  return status;
}

int openNew(const std::string& name) { return openWide(name, _O_WRONLY | _O_CREAT | _O_EXCL); }

bool removeFile(const std::string& name) {
  const std::wstring wide = wideOf(name);
  return !wide.empty() && ::DeleteFileW(wide.c_str());
}

bool copyModificationTime(const std::string& source, const std::string& target) {
  const std::wstring from = wideOf(source);
  const std::wstring to = wideOf(target);
  if (from.empty() || to.empty()) return false;
  constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  FILETIME written{};
  const HANDLE in = ::CreateFileW(from.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (in == INVALID_HANDLE_VALUE) return false;
  const bool read = ::GetFileTime(in, nullptr, nullptr, &written);
  ::CloseHandle(in);
  if (!read) return false;
  // Attributes may be written on a read-only file too, as its owner may on POSIX.
  const HANDLE out = ::CreateFileW(to.c_str(), FILE_WRITE_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                                   FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  const bool set = ::SetFileTime(out, nullptr, nullptr, &written);
  ::CloseHandle(out);
  return set;
}

std::string currentFolder() {
  const DWORD length = ::GetCurrentDirectoryW(0, nullptr);
  if (length == 0) return ".";
  std::wstring wide(length, L'\0');
  const DWORD written = ::GetCurrentDirectoryW(length, wide.data());
  if (written == 0 || written >= length) return ".";
  wide.resize(written);
  const std::string folder = cp932Of(wide);
  return folder.empty() ? "." : folder;
}

// The system matches the name whatever its letter case.
std::string pathVariable() {
  const DWORD length = ::GetEnvironmentVariableW(L"Path", nullptr, 0);
  if (length == 0) return {};
  std::wstring wide(length, L'\0');
  const DWORD written = ::GetEnvironmentVariableW(L"Path", wide.data(), length);
  if (written == 0 || written >= length) return {};
  wide.resize(written);
  return cp932Of(wide);
}

}  // namespace morvel
