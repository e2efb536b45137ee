#include "session_end.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>

namespace morvel {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

int signalPipe[2] = {-1, -1};
std::function<void()>* lastWords = nullptr;

// A handler may only write: the event loop reads the pipe.
extern "C" void onSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
  errno = saved;
}

// The toolkit ends the process at once when its display connection breaks:
// the window's last words run on the way out, and the program's entry then
// ends the run as a closed window does.
extern "C" void onExit() {
  if (lastWords == nullptr) return;
  std::function<void()> words = std::move(*lastWords);
  lastWords = nullptr;
  words();
}

}  // namespace

SessionEnd::SessionEnd() {
  if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction action {};
  action.sa_handler = onSignal;
  action.sa_flags = SA_RESTART;
  sigemptyset(&action.sa_mask);
  for (const int signal : kSignals) ::sigaction(signal, &action, nullptr);
  static const bool registered = std::atexit(onExit) == 0;
  (void)registered;
}

SessionEnd::~SessionEnd() {
  stop();
  for (const int signal : kSignals) std::signal(signal, SIG_DFL);
}

void SessionEnd::watch(QWidget* window, std::function<void()> words) {
  static std::function<void()> kept;
  kept = std::move(words);
  lastWords = &kept;
  if (signalPipe[0] < 0) return;
  notifier_ = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, window, [window] {
    char bytes[16];
    while (::read(signalPipe[0], bytes, sizeof bytes) > 0) {
    }
    window->close();
  });
}

void SessionEnd::stop() {
  lastWords = nullptr;
  notifier_.reset();
}

}  // namespace morvel
