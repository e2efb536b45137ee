#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <condition_variable>
#include <cstdint>
#include <cwchar>
#include <map>
#include <mutex>

#include "folder_turn.h"
#include "native_file.h"

namespace morvel {

namespace {

// The folder's final path: links and short names resolved, the volume named
// by its GUID where it has one (a share by its UNC name), upper-cased since
// names are the same whatever their letter case. Empty when it cannot be
// opened.
std::wstring finalPathOf(const std::string& folder) {
  const std::wstring wide = wideOf(folder);
  if (wide.empty()) return {};
  const HANDLE handle =
      ::CreateFileW(wide.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return {};
  std::wstring path;
  for (const DWORD volume : {DWORD{VOLUME_NAME_GUID}, DWORD{VOLUME_NAME_DOS}}) {
    const DWORD flags = FILE_NAME_NORMALIZED | volume;
    const DWORD length = ::GetFinalPathNameByHandleW(handle, nullptr, 0, flags);
    if (length == 0) continue;
    path.assign(length, L'\0');
    const DWORD written = ::GetFinalPathNameByHandleW(handle, path.data(), length, flags);
    if (written == 0 || written >= length) {
      path.clear();
      continue;
    }
    path.resize(written);
    break;
  }
  ::CloseHandle(handle);
  if (!path.empty()) ::CharUpperBuffW(path.data(), static_cast<DWORD>(path.size()));
  return path;
}

// Mutex names hold no '\' and are limited in length: the path's 128-bit
// hash (two FNV-1a of its UTF-16 units with different offsets) names it.
std::wstring mutexNameOf(const std::wstring& path) {
  std::uint64_t first = 0xcbf29ce484222325ULL;
  std::uint64_t second = 0x84222325cbf29ce4ULL;
  for (const wchar_t unit : path) {
    for (const unsigned byte : {static_cast<unsigned>(unit) & 0xFFu, (static_cast<unsigned>(unit) >> 8) & 0xFFu}) {
      first = (first ^ byte) * 0x100000001b3ULL;
      second = (second ^ byte) * 0x100000001b3ULL;
    }
  }
  wchar_t name[64];
  std::swprintf(name, 64, L"Global\\MorvelFolder-%016llx%016llx", static_cast<unsigned long long>(first),
                static_cast<unsigned long long>(second));
  return name;
}

// A named mutex belongs to a thread and lets that thread take it again. A
// turn belongs to its holder instead, as a lock on the folder does on POSIX:
// within the process the folders whose turn is taken are noted here, and a
// second taker waits for the first, or goes without.
struct TakenHere {
  std::mutex mutex;
  std::condition_variable freed;
  std::map<std::wstring, HANDLE> taken;  // folder's mutex name -> the holder's handle
};

TakenHere& takenHere() {
  static TakenHere taken;
  return taken;
}

bool takeHere(const std::wstring& name, TurnWait wait, void (*onWait)()) {
  TakenHere& here = takenHere();
  std::unique_lock<std::mutex> lock(here.mutex);
  if (here.taken.count(name) != 0) {
    if (wait == TurnWait::no) return false;
    if (onWait != nullptr) onWait();
    here.freed.wait(lock, [&] { return here.taken.count(name) == 0; });
  }
  here.taken.emplace(name, nullptr);
  return true;
}

void giveBackHere(const std::wstring& name) {
  TakenHere& here = takenHere();
  {
    const std::lock_guard<std::mutex> lock(here.mutex);
    here.taken.erase(name);
  }
  here.freed.notify_all();
}

void noteHandle(const std::wstring& name, HANDLE mutex) {
  const std::lock_guard<std::mutex> lock(takenHere().mutex);
  takenHere().taken[name] = mutex;
}

std::wstring nameOfHandle(HANDLE mutex) {
  const std::lock_guard<std::mutex> lock(takenHere().mutex);
  for (const auto& [name, handle] : takenHere().taken) {
    if (handle == mutex) return name;
  }
  return {};
}

}  // namespace

FolderTurn takeFolderTurn(const std::string& folder, TurnWait wait, void (*onWait)()) {
  FolderTurn turn;
  const std::wstring path = finalPathOf(folder);
  if (path.empty()) return turn;
  const std::wstring name = mutexNameOf(path);
  if (!takeHere(name, wait, onWait)) {
    turn.held = false;
    return turn;
  }
  const HANDLE mutex = ::CreateMutexW(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) {
    giveBackHere(name);
    return turn;
  }
  DWORD result = ::WaitForSingleObject(mutex, 0);
  if (result == WAIT_TIMEOUT && wait == TurnWait::untilFree) {
    if (onWait != nullptr) onWait();
    result = ::WaitForSingleObject(mutex, INFINITE);
  }
  // An abandoned mutex was left by a run that ended without giving it back:
  // the turn is ours.
  turn.held = result == WAIT_OBJECT_0 || result == WAIT_ABANDONED;
  if (!turn.held) {
    ::CloseHandle(mutex);
    giveBackHere(name);
    return turn;
  }
  noteHandle(name, mutex);
  turn.handle = reinterpret_cast<std::intptr_t>(mutex);
  return turn;
}

void giveBackFolderTurn(FolderTurn& turn) {
  if (turn.handle == -1) return;
  const HANDLE mutex = reinterpret_cast<HANDLE>(turn.handle);
  const std::wstring name = nameOfHandle(mutex);
  ::ReleaseMutex(mutex);
  ::CloseHandle(mutex);
  if (!name.empty()) giveBackHere(name);
  turn.handle = -1;
}

}  // namespace morvel
