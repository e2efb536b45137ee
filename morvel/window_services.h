// What Morvel's window logic needs of a window system. The logic stays free
// of any toolkit: one implementation adapts Qt, a fake serves the tests.
// Texts are Shift_JIS bytes; sizes and positions are pixels of the outer
// (frame) rectangle unless the name says client.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvel {

struct Size {
  int width = 0;
  int height = 0;
};

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// The main window's timers, numbered as the window names them; the fourth
// retries work that waits for the folder's lock.
enum class TimerId { poll = 1, reload = 2, close = 3, wait = 4 };

// The keys the windows act on when they are released; a window layer maps
// its toolkit's keys to these.
enum class Key { end, pageUp, home, f3, f8, escape, other };

class WindowServices {
 public:
  virtual ~WindowServices() = default;

  virtual void setCaption(std::string_view text) = 0;
  // The whole text of the display area.
  virtual void setMemoText(std::string_view text) = 0;
  // Panel 0 of the status bar: a text, or a path shown as it is.
  virtual void setStatusText(std::string_view text) = 0;
  virtual void setStatusPath(std::string_view path) = 0;
  virtual void setKeyPreview(bool on) = 0;
  // Closes the main window, which ends the program once control returns to
  // the event loop.
  virtual void closeWindow() = 0;

  // A timer ticks every `intervalMs` while enabled; ticks arrive between
  // events, never during a handler.
  virtual void setTimer(TimerId timer, int intervalMs, bool enabled) = 0;

  virtual Bounds windowBounds() const = 0;
  virtual Size clientSize() const = 0;
  virtual void setWindowBounds(const Bounds& bounds) = 0;
  virtual Size screenSize() const = 0;
  // Back from maximised or minimised.
  virtual void restoreWindow() = 0;
  virtual int statusBarHeight() const = 0;
  // The "Large" button, in client coordinates.
  virtual void setButtonBounds(const Bounds& bounds) = 0;

  virtual void setClipboardText(std::string_view text) = 0;
  // The desktop's "open" of a document; the result is not used.
  virtual void openDocument(const std::string& path) = 0;

  // The dialogs: the Record dialog without waiting, with the focus on its
  // "Save" button; the Version dialog modally, showing `version`.
  virtual void showRecordDialog() = 0;
  virtual void showVersionDialog(std::string_view version) = 0;

  // Tells the user that a handler failed, without stopping the window (no
  // nested event loop).
  virtual void showFailure(std::string_view text) = 0;

  // Callable from any thread: has the window's own thread run
  // TForm1::WatchedFileChanged soon, between events.
  virtual void postFileChange() = 0;
};

// What a dialog's logic needs of its window. Controls are named as the
// dialog names them ("Edit1", "Label1").
class DialogServices {
 public:
  virtual ~DialogServices() = default;

  // The text of an edit as Shift_JIS bytes: those the logic put there while
  // the text is unchanged, else the typed text in code page 932; nothing
  // when a typed character has no code there.
  [[nodiscard]] virtual std::optional<std::string> typedText(std::string_view control) const = 0;
  // Shift_JIS bytes, shown as the characters they are.
  virtual void setText(std::string_view control, std::string_view text) = 0;
  virtual void setKeyPreview(bool on) = 0;
  // Closing a dialog only hides it.
  virtual void hideDialog() = 0;
  virtual Size screenSize() const = 0;
  virtual void setBounds(const Bounds& bounds) = 0;
  virtual void setClipboardText(std::string_view text) = 0;
  virtual void openDocument(const std::string& path) = 0;
  // A plain sentence beside the dialog, its names shown as they are; it
  // does not wait (no nested event loop).
  virtual void showNote(std::string_view sentence) = 0;
};

}  // namespace morvel
