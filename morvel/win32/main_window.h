// Morvel's main window on Win32: thin adapters between the window's
// controls and the window logic TForm1, which does everything that matters.
#pragma once

#include <windows.h>

#include <array>
#include <memory>
#include <vector>

#include "display_text.h"
#include "morvelform.h"
#include "window_design.h"
#include "window_services.h"

namespace morvel {

class RecordDialog;
class VersionDialog;

// The menu items take command ids from here on, in the design's order; the
// button has its own.
inline constexpr WORD kFirstMenuCommand = 101;
inline constexpr WORD kButtonCommand = 201;

// A menu item's command, or a submenu that runs `click` as it opens.
struct CommandItem {
  WORD id = 0;
  void (TForm1::*click)() = nullptr;
  HMENU opening = nullptr;
  Shortcut shortcut = Shortcut::none;
};

class MainWindow final : public WindowServices {
 public:
  MainWindow(HINSTANCE instance, const FinalEffect& settings, Reporter& reporter, const DisplayText& display);
  // The hand-off runs as the window closes; only a window that never
  // closed still has it done here.
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void setDialogs(RecordDialog* recordDialog, VersionDialog* versionDialog);
  void show();
  // The window is left to the end of the process, which takes it down at
  // once, instead of being destroyed with the object: see runWindows.
  void keepUntilExit() { keptUntilExit_ = true; }

  HWND handle() const { return Form1; }
  HWND memo() const { return Memo1; }
  TForm1& logic() { return *form_; }
  // The command id of the menu item that runs `click`; 0 for none.
  WORD commandOf(void (TForm1::*click)()) const;
  // The distance between the display area's rows now, in pixels.
  int rowHeight() const { return rowHeight_; }

  // WindowServices: the only place where the logic's calls arrive.
  void setCaption(std::string_view text) override;
  void setMemoText(std::string_view text) override;
  void setStatusText(std::string_view text) override;
  void setStatusPath(std::string_view path) override;
  void setKeyPreview(bool on) override;
  void closeWindow() override;
  void setTimer(TimerId timer, int intervalMs, bool enabled) override;
  Bounds windowBounds() const override;
  Size clientSize() const override;
  void setWindowBounds(const Bounds& bounds) override;
  Size screenSize() const override;
  void restoreWindow() override;
  int statusBarHeight() const override;
  void setButtonBounds(const Bounds& bounds) override;
  void setClipboardText(std::string_view text) override;
  void openDocument(const std::string& path) override;
  void showRecordDialog() override;
  void showVersionDialog(std::string_view version) override;
  void showFailure(std::string_view text) override;
  void postFileChange() override;

 private:
  static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT handle(UINT message, WPARAM wParam, LPARAM lParam);
  void createControls();
  HMENU createMenus();
  void command(WORD id);
  void layOut();
  // Every row the window shows fits the display area without scrolling.
  void fitRows();

  HINSTANCE instance_;
  const DisplayText& display_;
  HWND Form1 = nullptr;
  HWND Memo1 = nullptr;
  HWND StatusBar1 = nullptr;
  HWND Button1 = nullptr;
  std::vector<CommandItem> commands_;
  HACCEL shortcuts_ = nullptr;
  HFONT formFont_ = nullptr;
  HFONT buttonFont_ = nullptr;
  HFONT memoFont_ = nullptr;
  int memoPixels_ = 0;
  int rowHeight_ = 0;
  std::array<bool, 5> timerOn_{};
  std::array<int, 5> timerInterval_{};
  RecordDialog* Form2 = nullptr;
  VersionDialog* Form3 = nullptr;
  bool keptUntilExit_ = false;
  std::unique_ptr<TForm1> form_;
};

// Registers the window classes of Morvel's windows once.
void registerWindowClasses(HINSTANCE instance);

}  // namespace morvel
