#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>

#include "change_notice.h"
#include "native_file.h"

namespace morvel {

namespace {

// Names and writes only: the reader's own opens and reads change neither.
constexpr DWORD kWatchedChanges =
    FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE;

// Below 64 KiB, the most a network folder gives in one report.
constexpr DWORD kReportBytes = 32 * 1024;

bool sameName(const std::wstring& name, const wchar_t* given, DWORD bytes) {
  const auto length = static_cast<int>(bytes / sizeof(wchar_t));
  return ::CompareStringOrdinal(name.c_str(), static_cast<int>(name.size()), given, length, TRUE) == CSTR_EQUAL;
}

void addAction(ChangeNews& news, DWORD action) {
  news.any = true;
  if (action == FILE_ACTION_RENAMED_NEW_NAME) {
    ++news.completed;
    news.writing = false;
  } else if (action == FILE_ACTION_MODIFIED) {
    news.writing = true;  // no close is told: the writer may still be at it
  }
}

// Lost news: whatever happened may still be under way.
void addLost(ChangeNews& news) {
  news.any = true;
  news.writing = true;
}

}  // namespace

struct ChangeNotice::Native {
  std::wstring name;
  std::function<void()> wake;
  HANDLE folder = INVALID_HANDLE_VALUE;
  HANDLE stop = nullptr;
  HANDLE reported = nullptr;
  OVERLAPPED pending{};
  alignas(DWORD) char report[kReportBytes];
  bool watching = false;
  bool started = false;
  std::condition_variable answered;
  std::thread waiter;
  std::mutex lock;
  ChangeNews news;
  bool woken = false;

  ~Native() {
    for (const HANDLE handle : {stop, reported}) {
      if (handle != nullptr) ::CloseHandle(handle);
    }
    if (folder != INVALID_HANDLE_VALUE) ::CloseHandle(folder);
  }

  bool ask() {
    pending = {};
    pending.hEvent = reported;
    return ::ReadDirectoryChangesW(folder, report, sizeof report, FALSE, kWatchedChanges, nullptr, &pending, nullptr) !=
           FALSE;
  }

  // The first request is made here, on the thread that waits for its
  // answer, since a thread's requests end with it; whether it was taken
  // says whether the folder gives news at all.
  void watch() {
    const bool asked = ask();
    {
      const std::lock_guard<std::mutex> hold(lock);
      watching = asked;
      started = true;
    }
    answered.notify_all();
    if (!asked) return;
    for (;;) {
      const HANDLE events[] = {stop, reported};
      const DWORD which = ::WaitForMultipleObjects(2, events, FALSE, INFINITE);
      if (which != WAIT_OBJECT_0 + 1) break;
      ChangeNews got = collect();
      // Asked again before waking, so that nothing done meanwhile is lost.
      const bool again = ask();
      if (!again) addLost(got);
      tell(got);
      if (!again) return;
    }
    ::CancelIoEx(folder, &pending);
    DWORD ignored = 0;
    ::GetOverlappedResult(folder, &pending, &ignored, TRUE);
  }

  // What the report that came says of the name.
  ChangeNews collect() {
    ChangeNews got;
    DWORD bytes = 0;
    if (!::GetOverlappedResult(folder, &pending, &bytes, FALSE) || bytes == 0) {
      addLost(got);  // ERROR_NOTIFY_ENUM_DIR, or a report too big for the buffer
      return got;
    }
    for (DWORD at = 0;;) {
      const auto* entry = reinterpret_cast<const FILE_NOTIFY_INFORMATION*>(report + at);
      if (sameName(name, entry->FileName, entry->FileNameLength)) addAction(got, entry->Action);
      if (entry->NextEntryOffset == 0) break;
      at += entry->NextEntryOffset;
    }
    return got;
  }

  // Adds to the news not taken yet; wakes the caller only when it has taken
  // the previous ones.
  void tell(const ChangeNews& got) {
    if (!got.any) return;
    {
      const std::lock_guard<std::mutex> hold(lock);
      news.completed += got.completed;
      if (got.completed > 0) news.writing = false;
      news.writing = news.writing || got.writing;
      news.any = true;
      if (woken) return;
      woken = true;
    }
    wake();
  }
};

ChangeNotice::ChangeNotice(const std::string& name, std::function<void()> wake) : native_(new Native) {
  Native& native = *native_;
  native.name = wideOf(name);
  native.wake = std::move(wake);
  if (native.name.empty()) return;
  native.folder = ::CreateFileW(L".", FILE_LIST_DIRECTORY, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OVERLAPPED, nullptr);
  native.stop = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  native.reported = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
  if (native.folder == INVALID_HANDLE_VALUE || native.stop == nullptr || native.reported == nullptr) return;
  native.waiter = std::thread([&native] { native.watch(); });
  std::unique_lock<std::mutex> hold(native.lock);
  native.answered.wait(hold, [&native] { return native.started; });
}

ChangeNotice::~ChangeNotice() {
  if (native_->waiter.joinable()) {
    ::SetEvent(native_->stop);
    native_->waiter.join();
  }
}

bool ChangeNotice::active() const { return native_->watching; }

bool ChangeNotice::tellsCompletion() const { return false; }

ChangeNews ChangeNotice::take() {
  const std::lock_guard<std::mutex> hold(native_->lock);
  native_->woken = false;
  return std::exchange(native_->news, {});
}

}  // namespace morvel
