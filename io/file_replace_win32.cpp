#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <vector>

#include "binary_file.h"
#include "file_replace.h"
#include "native_file.h"

namespace morvel {

namespace {

constexpr unsigned kTemporaryNameTries = 64;

// The temporary files of the replacements under way, for the console
// control handler to remove when Ctrl+C or a closed console ends the run.
std::mutex pendingLock;
std::vector<std::wstring> pending;

void remember(const std::wstring& name) {
  const std::lock_guard<std::mutex> hold(pendingLock);
  pending.push_back(name);
}

void forget(const std::wstring& name) {
  const std::lock_guard<std::mutex> hold(pendingLock);
  pending.erase(std::remove(pending.begin(), pending.end(), name), pending.end());
}

// Marks each for deletion (the handles were opened to allow it), then lets
// the run end as it would have.
BOOL WINAPI removePending(DWORD) {
  const std::lock_guard<std::mutex> hold(pendingLock);
  for (const std::wstring& name : pending) ::DeleteFileW(name.c_str());
  return FALSE;
}

// The folder part of `path`, with its separator; empty for a bare name.
std::wstring folderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash + 1);
}

// A short random name beside the target, created new; INVALID_HANDLE_VALUE
// when the folder cannot hold it.
HANDLE createTemporary(const std::wstring& folder, std::wstring& name) {
  static constexpr wchar_t kDigits[] = L"0123456789abcdefghijklmnopqrstuvwxyz";
  for (unsigned attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    auto seed = static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                (static_cast<unsigned long long>(::GetCurrentProcessId()) << 20) ^ (attempt * 0x9E3779B97F4A7C15ull);
    name = folder + L".mv-";
    for (int k = 0; k < 6; ++k) {
      name += kDigits[seed % 36];
      seed /= 36;
    }
    const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) remember(name);
    if (handle != INVALID_HANDLE_VALUE || ::GetLastError() != ERROR_FILE_EXISTS) return handle;
  }
  return INVALID_HANDLE_VALUE;
}

// Hands the handle to a descriptor (binary) for the writer; closes it.
bool writeThrough(HANDLE handle, const ContentWriter& write, bool flush) {
  const int fd = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), 0);
  if (fd < 0) {
    ::CloseHandle(handle);
    return false;
  }
  bool ok = write(fd);
  if (flush) ok = ::FlushFileBuffers(handle) && ok;
  return ::_close(fd) == 0 && ok;
}

Replacement writeInPlace(const std::wstring& target, DWORD disposition, const ContentWriter& write,
                         bool flush = false) {
  const HANDLE handle = ::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Replacement::unwritable;
  if (::GetFileType(handle) == FILE_TYPE_DISK && !::SetEndOfFile(handle)) {
    ::CloseHandle(handle);
    return Replacement::failed;
  }
  return writeThrough(handle, write, flush) ? Replacement::done : Replacement::failed;
}

// The rename is refused while another program holds the target open
// without letting it be deleted, as fopen does.
bool heldOpen(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
}

// The complete temporary file's content written over the target where it
// is, so that the other program's handle stays valid and reads it.
Replacement copyInPlace(const std::wstring& temporary, const std::wstring& target) {
  const HANDLE handle = ::CreateFileW(temporary.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Replacement::failed;
  const int from = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
  if (from < 0) {
    ::CloseHandle(handle);
    return Replacement::failed;
  }
  const Replacement result = writeInPlace(
      target, OPEN_EXISTING, [from](int fd) { return copyAll(from, fd); }, true);
  ::_close(from);
  return result;
}

// The file a link leads to, as the system names it; the path itself when
// it is no link or leads nowhere.
std::wstring finalPath(const std::wstring& path) {
  const HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return path;
  std::wstring final(MAX_PATH, L'\0');
  DWORD length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  if (length >= final.size()) {
    final.resize(length + 1);
    length = ::GetFinalPathNameByHandleW(handle, final.data(), static_cast<DWORD>(final.size()), 0);
  }
  ::CloseHandle(handle);
  if (length == 0 || length >= final.size()) return path;
  final.resize(length);
  return final;
}

// True when the existing file is a device or a pipe rather than a file on disk.
bool isDevice(const std::wstring& path) {
  const HANDLE handle = ::CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool device = ::GetFileType(handle) != FILE_TYPE_DISK;
  ::CloseHandle(handle);
  return device;
}

}  // namespace

Replacement replaceFile(const std::string& target, const ContentWriter& write, InPlace inPlace) {
  std::wstring path = wideOf(target);
  if (path.empty()) return Replacement::unwritable;
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    path = finalPath(path);
    attributes = ::GetFileAttributesW(path.c_str());
  }
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return Replacement::unwritable;
  if (exists && isDevice(path)) {
    return inPlace == InPlace::allowed ? writeInPlace(path, OPEN_EXISTING, write) : Replacement::inPlace;
  }
  // A read-only file is not replaced behind its owner's back.
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) return Replacement::unwritable;

  std::wstring temporary;
  const HANDLE handle = createTemporary(folderOf(path), temporary);
  if (handle == INVALID_HANDLE_VALUE) {
    return inPlace == InPlace::allowed ? writeInPlace(path, OPEN_ALWAYS, write) : Replacement::inPlace;
  }
  bool ok = writeThrough(handle, write, true);
  // The replacement keeps the target's attributes (hidden, archive, ...).
  if (ok && exists) ::SetFileAttributesW(temporary.c_str(), attributes & ~FILE_ATTRIBUTE_REPARSE_POINT);
  const bool moved =
      ok && ::MoveFileExW(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  Replacement result = moved ? Replacement::done : Replacement::failed;
  if (ok && !moved && exists && heldOpen(::GetLastError())) {
    result = inPlace == InPlace::allowed ? copyInPlace(temporary, path) : Replacement::inPlace;
  }
  if (!moved) ::DeleteFileW(temporary.c_str());
  forget(temporary);
  return result;
}

void removeTemporariesOnSignals() { ::SetConsoleCtrlHandler(removePending, TRUE); }

}  // namespace morvel
