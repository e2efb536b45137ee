// The end of the session closes Morvel's window as its close box does:
// Ctrl+C (SIGINT), SIGTERM and SIGHUP close it through the event loop, and
// when the display goes away (the toolkit then ends the process at once)
// the window's last words still run (the program's entry then ends the
// run with exit code 0).
#pragma once

#include <QSocketNotifier>
#include <QWidget>
#include <functional>
#include <memory>

namespace morvel {

class SessionEnd {
 public:
  // Catches the signals from now on; one that arrives before `watch` waits.
  SessionEnd();
  ~SessionEnd();
  SessionEnd(const SessionEnd&) = delete;
  SessionEnd& operator=(const SessionEnd&) = delete;

  // A signal closes `window`; a lost display runs `lastWords` instead.
  void watch(QWidget* window, std::function<void()> lastWords);
  // The window's own end from here on.
  void stop();

 private:
  std::unique_ptr<QSocketNotifier> notifier_;
};

}  // namespace morvel
