#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "file_replace.h"
#include "native_file.h"
#include "replace_steps.h"

namespace morvel {

namespace {

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

// The rename is refused while another program holds the target open
// without letting it be deleted, as fopen does.
bool heldOpen(DWORD error) {
  return error == ERROR_SHARING_VIOLATION || error == ERROR_ACCESS_DENIED || error == ERROR_LOCK_VIOLATION;
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

namespace replace_steps {

// Created new under a short random name, listed for the console control
// handler while it lives.
struct Temporary {
  HANDLE handle = INVALID_HANDLE_VALUE;  // until the content is written
  std::wstring name;
  int content = -1;  // a descriptor reading it back
  bool committed = false;
};

void Discard::operator()(Temporary* temporary) const {
  if (temporary->handle != INVALID_HANDLE_VALUE) ::CloseHandle(temporary->handle);
  if (temporary->content >= 0) ::_close(temporary->content);
  if (!temporary->committed) ::DeleteFileW(temporary->name.c_str());
  forget(temporary->name);
  delete temporary;
}

std::optional<Target> targetOf(const std::string& name) {
  std::wstring path = wideOf(name);
  if (path.empty()) return std::nullopt;
  Target target;
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  target.exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (target.exists && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    path = finalPath(path);
    attributes = ::GetFileAttributesW(path.c_str());
  }
  if (target.exists) {
    target.type = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? FileType::directory
                  : isDevice(path)                             ? FileType::other
                                                               : FileType::regular;
    // A read-only file is not replaced behind its owner's back.
    target.writable = (attributes & FILE_ATTRIBUTE_READONLY) == 0;
    // The replacement keeps the target's attributes (hidden, archive, ...).
    target.mode = attributes & ~FILE_ATTRIBUTE_REPARSE_POINT;
  }
  target.path = path;
  target.device = path;
  return target;
}

Outcome writeInPlace(const std::filesystem::path& path, Opening opening, const ContentWriter& write, bool sync) {
  const DWORD disposition = opening == Opening::created ? OPEN_ALWAYS : OPEN_EXISTING;
  const HANDLE handle = ::CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return Outcome::fallback;
  if (::GetFileType(handle) == FILE_TYPE_DISK && !::SetEndOfFile(handle)) {
    ::CloseHandle(handle);
    return Outcome::failed;
  }
  return writeThrough(handle, write, sync) ? Outcome::done : Outcome::failed;
}

TemporaryFile createTemporary(const Target& target) {
  const std::wstring folder = folderOf(target.path.native());
  for (unsigned attempt = 0; attempt < kTemporaryNameTries; ++attempt) {
    const std::string leaf = temporaryName(attempt, ::GetCurrentProcessId());
    const std::wstring name = folder + std::wstring(leaf.begin(), leaf.end());
    const HANDLE handle = ::CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      remember(name);
      return TemporaryFile(new Temporary{handle, name});
    }
    if (::GetLastError() != ERROR_FILE_EXISTS) return nullptr;
  }
  return nullptr;
}

bool fillTemporary(Temporary& temporary, const Target& target, const ContentWriter& write) {
  const HANDLE handle = temporary.handle;
  temporary.handle = INVALID_HANDLE_VALUE;
  const bool ok = writeThrough(handle, write, true);
  if (ok && target.exists) ::SetFileAttributesW(temporary.name.c_str(), target.mode);
  return ok;
}

Outcome commitTemporary(Temporary& temporary, const Target& target) {
  temporary.committed = ::MoveFileExW(temporary.name.c_str(), target.path.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  if (temporary.committed) return Outcome::done;
  return target.exists && heldOpen(::GetLastError()) ? Outcome::fallback : Outcome::failed;
}

int contentOf(Temporary& temporary) {
  const HANDLE handle = ::CreateFileW(temporary.name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return -1;
  temporary.content = ::_open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY);
  if (temporary.content < 0) ::CloseHandle(handle);
  return temporary.content;
}

// Closed once written: what failed then showed in fillTemporary.
bool closeTemporary(Temporary& temporary) {
  if (temporary.content >= 0) ::_close(temporary.content);
  temporary.content = -1;
  return true;
}

}  // namespace replace_steps

void removeTemporariesOnSignals() { ::SetConsoleCtrlHandler(removePending, TRUE); }

}  // namespace morvel
