// The system's change notification for one file of the current folder, so
// that a reader learns of every rewrite at once instead of at its next
// poll (inotify on Linux, ReadDirectoryChangesW on Windows). Where the
// system gives none (no inotify, a network folder), active() is false and
// the caller polls alone.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace morvel {

// What happened to the name since the news were last taken.
struct ChangeNews {
  // Rewrites known to be finished: a writer closed the file after writing
  // it, or another file was renamed onto the name.
  unsigned completed = 0;
  // Written since its last finished rewrite: a writer may still be at it.
  // Where the system tells no closes (tellsCompletion() false), any write
  // leaves this set.
  bool writing = false;
  // Anything at all: also removal, attributes, lost news.
  bool any = false;
};

class ChangeNotice {
 public:
  // Watches `name` in the current folder. `wake` is called, on a thread of
  // the notice's own, once news wait; it must only ask the caller's thread
  // to take them. No wake comes before the news of the previous one were
  // taken.
  ChangeNotice(const std::string& name, std::function<void()> wake);
  // Stops the thread: no wake comes once this has returned.
  ~ChangeNotice();
  ChangeNotice(const ChangeNotice&) = delete;
  ChangeNotice& operator=(const ChangeNotice&) = delete;

  [[nodiscard]] bool active() const;
  // Whether a finished write is told apart from one under way (a close
  // after writing is seen).
  [[nodiscard]] bool tellsCompletion() const;
  // The news so far, without waiting; the next news wake again.
  ChangeNews take();

  struct Native;

 private:
  std::unique_ptr<Native> native_;
};

}  // namespace morvel
