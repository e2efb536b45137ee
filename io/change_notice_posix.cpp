#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>

#include "change_notice.h"

namespace morvel {

namespace {

// Only what a writer does to a file; the reader's own opens and reads are
// left out.
constexpr std::uint32_t kWatchedEvents =
    IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_CREATE | IN_DELETE | IN_ATTRIB;

void addEvent(ChangeNews& news, std::uint32_t mask) {
  news.any = true;
  if ((mask & (IN_CLOSE_WRITE | IN_MOVED_TO)) != 0) {
    ++news.completed;
    news.writing = false;
  } else if ((mask & IN_MODIFY) != 0) {
    news.writing = true;  // a new name alone is no write: links, or a file yet to be written
  }
}

}  // namespace

struct ChangeNotice::Native {
  std::string name;
  std::function<void()> wake;
  pid_t owner = ::getpid();
  int notify = -1;
  int stop[2] = {-1, -1};
  std::thread waiter;
  std::mutex lock;
  std::condition_variable taken;
  bool woken = false;
  bool stopping = false;

  // Wakes the caller once news wait, then lets it take them first.
  void watch() {
    for (;;) {
      pollfd ready[2] = {{notify, POLLIN, 0}, {stop[0], POLLIN, 0}};
      if (::poll(ready, 2, -1) < 0) {
        if (errno == EINTR) continue;
        return;
      }
      if ((ready[1].revents & POLLIN) != 0) return;
      if ((ready[0].revents & POLLIN) == 0) continue;
      std::unique_lock<std::mutex> hold(lock);
      woken = true;
      hold.unlock();
      wake();
      hold.lock();
      taken.wait(hold, [this] { return !woken || stopping; });
      if (stopping) return;
    }
  }

  ChangeNews drain() {
    ChangeNews news;
    alignas(inotify_event) char buffer[16 * 1024];
    for (;;) {
      const ssize_t got = ::read(notify, buffer, sizeof buffer);
      if (got <= 0) break;
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if ((event->mask & IN_Q_OVERFLOW) != 0) {
          // Lost news: whatever happened may still be under way.
          news.any = true;
          news.writing = true;
        } else if (event->len > 0 && name == event->name) {
          addEvent(news, event->mask);
        }
      }
    }
    return news;
  }
};

ChangeNotice::ChangeNotice(const std::string& name, std::function<void()> wake) : native_(new Native) {
  native_->name = name;
  native_->wake = std::move(wake);
  native_->notify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
  if (native_->notify < 0) return;
  if (::inotify_add_watch(native_->notify, ".", kWatchedEvents) < 0 || ::pipe2(native_->stop, O_CLOEXEC) != 0) {
    ::close(native_->notify);
    native_->notify = -1;
    return;
  }
  native_->waiter = std::thread([native = native_.get()] { native->watch(); });
}

ChangeNotice::~ChangeNotice() {
  // A forked child has no waiter thread, and its copies of the locks may be
  // held: it leaves everything alone.
  if (native_->owner != ::getpid()) {
    static_cast<void>(native_.release());
    return;
  }
  if (native_->waiter.joinable()) {
    {
      const std::lock_guard<std::mutex> hold(native_->lock);
      native_->stopping = true;
    }
    native_->taken.notify_all();
    const char stop = 1;
    [[maybe_unused]] const ssize_t sent = ::write(native_->stop[1], &stop, 1);
    native_->waiter.join();
  }
  for (const int fd : {native_->notify, native_->stop[0], native_->stop[1]}) {
    if (fd >= 0) ::close(fd);
  }
}

bool ChangeNotice::active() const { return native_->notify >= 0; }

bool ChangeNotice::tellsCompletion() const { return true; }

ChangeNews ChangeNotice::take() {
  if (!active()) return {};
  ChangeNews news = native_->drain();
  {
    const std::lock_guard<std::mutex> hold(native_->lock);
    native_->woken = false;
  }
  native_->taken.notify_all();
  return news;
}

}  // namespace morvel
