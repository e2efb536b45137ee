#include "main_window.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <exception>
#include <span>
#include <string>
#include <vector>

#include "dialog_windows.h"
#include "fonts.h"
#include "key_preview.h"
#include "memo_control.h"
#include "shell_services.h"
#include "wide_text.h"
#include "window_frame.h"

namespace morvel {

namespace {

constexpr const wchar_t* kMainClass = L"MorvelForm1";
constexpr UINT kFileChangeMessage = WM_APP + 1;  // "VEL" changed: the notice's thread posts it

void setFont(HWND control, HFONT font) { SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE); }

Bounds boundsOf(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }

// The menu items get their command ids in the design's order.
void appendItems(HMENU menu, std::span<const MenuItem> items, WORD& nextId, std::vector<CommandItem>& commands) {
  for (const MenuItem& item : items) {
    std::wstring caption = shownName(item.caption);
    if (!item.items.empty()) {
      HMENU submenu = CreatePopupMenu();
      appendItems(submenu, item.items, nextId, commands);
      AppendMenuW(menu, MF_POPUP, reinterpret_cast<UINT_PTR>(submenu), caption.c_str());
      if (item.click != nullptr) commands.push_back({0, item.click, submenu, item.shortcut});
      continue;
    }
    if (item.shortcut == Shortcut::f5) caption += L"\tF5";
    AppendMenuW(menu, MF_STRING, nextId, caption.c_str());
    commands.push_back({nextId++, item.click, nullptr, item.shortcut});
  }
}

}  // namespace

void registerWindowClasses(HINSTANCE instance) {
  static bool registered = false;
  if (registered) return;
  registered = true;
  INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW main{};
  main.cbSize = sizeof(main);
  main.style = CS_HREDRAW | CS_VREDRAW;
  main.lpfnWndProc = DefWindowProcW;  // replaced per window
  main.hInstance = instance;
  main.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
  main.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                               GetSystemMetrics(SM_CYSMICON), 0));
  main.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  main.lpszClassName = kMainClass;
  RegisterClassExW(&main);
  registerMemoClass(instance);
  registerDialogClass(instance, main.hIcon, main.hIconSm);
}

MainWindow::MainWindow(HINSTANCE instance, const FinalEffect& settings, Reporter& reporter, const DisplayText& display)
    : instance_(instance), display_(display) {
  registerWindowClasses(instance);
  Form1 = CreateWindowExW(0, kMainClass, shownName(kMainWindow.caption).c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN,
                          CW_USEDEFAULT, CW_USEDEFAULT, kMainWindow.outer.width, kMainWindow.outer.height, nullptr,
                          createMenus(), instance, nullptr);
  if (Form1 == nullptr) throw std::runtime_error("CreateWindowExW() error: Form1");
  SetWindowLongPtrW(Form1, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(Form1, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MainWindow::procedure));
  keepOwnFrame(Form1);
  createControls();
  std::vector<ACCEL> keys;
  for (const CommandItem& item : commands_) {
    if (item.id != 0 && item.shortcut == Shortcut::f5) keys.push_back({FVIRTKEY, VK_F5, item.id});
  }
  shortcuts_ = CreateAcceleratorTableW(keys.data(), static_cast<int>(keys.size()));
  watchKeys(
      Form1, [this](Key key) { form_->FormKeyUp(key); }, false);
  setShortcuts(Form1, shortcuts_);
  layOut();
  form_ = std::make_unique<TForm1>(*this, settings, reporter);
  form_->FormCreate();
}

MainWindow::~MainWindow() {
  forgetKeys(Form1);
  form_->FormClose(LockWait::untilFree);  // nothing left to do once the window closed
  if (IsWindow(Form1)) {
    SetWindowLongPtrW(Form1, GWLP_USERDATA, 0);
    if (!keptUntilExit_) DestroyWindow(Form1);
  }
  DestroyAcceleratorTable(shortcuts_);
  for (HGDIOBJ object :
       {static_cast<HGDIOBJ>(formFont_), static_cast<HGDIOBJ>(buttonFont_), static_cast<HGDIOBJ>(memoFont_)}) {
    if (object != nullptr) DeleteObject(object);
  }
}

void MainWindow::setDialogs(RecordDialog* recordDialog, VersionDialog* versionDialog) {
  Form2 = recordDialog;
  Form3 = versionDialog;
}

void MainWindow::show() {
  ShowWindow(Form1, SW_SHOWNORMAL);
  UpdateWindow(Form1);
  SetFocus(Memo1);
}

HMENU MainWindow::createMenus() {
  HMENU bar = CreateMenu();
  WORD nextId = kFirstMenuCommand;
  for (const MenuItem& menu : kMainWindow.menus) {
    HMENU popup = CreatePopupMenu();
    appendItems(popup, menu.items, nextId, commands_);
    AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(popup), shownName(menu.caption).c_str());
  }
  return bar;
}

void MainWindow::createControls() {
  formFont_ = japaneseFont(kMainWindow.font);
  buttonFont_ = japaneseFont(kMainWindow.buttonFont);
  setFont(Form1, formFont_);
  // Editable, as the design has it: typing changes only what is shown,
  // nothing reads it back. Never wrapped: a shown line is cut by the logic,
  // and the display area holds the rows the logic counts.
  Memo1 = CreateWindowExW(WS_EX_CLIENTEDGE, kMemoClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP, 0, 0,
                          10, 10, Form1, nullptr, instance_, nullptr);
  StatusBar1 =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, Form1, nullptr, instance_, nullptr);
  setFont(StatusBar1, formFont_);
  Button1 = CreateWindowExW(0, L"BUTTON", shownName(kMainWindow.buttonCaption).c_str(),
                            WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, 0, kMainWindow.buttonSize.width,
                            kMainWindow.buttonSize.height, Form1,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kButtonCommand)), instance_, nullptr);
  setFont(Button1, buttonFont_);
  SetWindowPos(Button1, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  fitRows();
}

// The status bar takes the bottom, the display area the rest; the button
// stands over the display area's bottom-right corner (the logic places it).
void MainWindow::layOut() {
  if (StatusBar1 == nullptr) return;
  SendMessageW(StatusBar1, WM_SIZE, 0, 0);
  RECT client{};
  GetClientRect(Form1, &client);
  const int bar = statusBarHeight();
  int parts[2] = {std::max(1, static_cast<int>(client.right) - kMainWindow.statusPanel1Width), -1};
  SendMessageW(StatusBar1, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  MoveWindow(Memo1, 0, 0, client.right, std::max(0, static_cast<int>(client.bottom) - bar), TRUE);
  if (form_) form_->FormResize();
  fitRows();
}

// The lines get their share of the display area's height (the design
// font's own line height at most), and the font is the design's, no larger
// than a line and shrunk until the columns the logic cuts lines at,
// measured in this very font, fit the area's width.
void MainWindow::fitRows() {
  RECT area{};
  SendMessageW(Memo1, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&area));
  const FontDesign designed = kMainWindow.memoFont;
  HFONT font = japaneseFont(designed);
  const int pitch = FittedLineHeight(area.bottom - area.top, form_ ? form_->visibleRows() : 1, fontHeight(font));
  // The logic's limit, a double-byte character past it and the "+".
  const int columns = (form_ ? form_->visibleColumns() : ColumnsForWidth(kMainWindow.outer.width)) + 1;
  int pixels = designed.pixels;
  while (pixels > 6 && (pixels > pitch || columns * halfWidthAdvance(font) > area.right - area.left)) {
    DeleteObject(font);
    font = japaneseFont({--pixels, designed.pitch});
  }
  setLinePitch(Memo1, pitch);
  rowHeight_ = pitch;
  if (memoFont_ != nullptr && pixels == memoPixels_) {
    DeleteObject(font);
    return;
  }
  setFont(Memo1, font);
  if (memoFont_ != nullptr) DeleteObject(memoFont_);
  memoFont_ = font;
  memoPixels_ = pixels;
}

WORD MainWindow::commandOf(void (TForm1::*click)()) const {
  for (const CommandItem& item : commands_) {
    if (item.id != 0 && item.click == click) return item.id;
  }
  return 0;
}

void MainWindow::command(WORD id) {
  if (id == kButtonCommand) return (form_.get()->*kMainWindow.buttonClick)();
  for (const CommandItem& item : commands_) {
    if (item.id == id) return (form_.get()->*item.click)();
  }
}

LRESULT CALLBACK MainWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  // No exception may cross the system's frames: the logic's handlers report
  // their own; anything else is shown and the window runs on.
  try {
    return self->handle(message, wParam, lParam);
  } catch (const std::exception& failure) {
    self->showFailure(failure.what());
  } catch (...) {
    self->showFailure("unknown exception");
  }
  return 0;
}

LRESULT MainWindow::handle(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      layOut();
      return 0;
    case WM_COMMAND:
      if (lParam == 0 || reinterpret_cast<HWND>(lParam) == Button1) {
        if (lParam == 0 || HIWORD(wParam) == BN_CLICKED) command(LOWORD(wParam));
        return 0;
      }
      break;
    case WM_INITMENUPOPUP:
      // A submenu with a handler runs it each time it opens.
      for (const CommandItem& item : commands_) {
        if (item.opening != nullptr && item.opening == reinterpret_cast<HMENU>(wParam)) (form_.get()->*item.click)();
      }
      return 0;
    case WM_NOTIFY: {
      const auto* note = reinterpret_cast<const NMHDR*>(lParam);
      if (note->hwndFrom == StatusBar1 && (note->code == NM_CLICK || note->code == NM_RCLICK)) {
        (form_.get()->*kMainWindow.statusBarClick)();
      }
      return 0;
    }
    case WM_TIMER:
      for (const TimerDesign& timer : kMainWindow.timers) {
        if (static_cast<WPARAM>(timer.id) == wParam) (form_.get()->*timer.tick)();
      }
      return 0;
    case kFileChangeMessage:
      form_->WatchedFileChanged();
      return 0;
    case WM_CLOSE:
      // The hand-off, while the window still runs: waiting for the folder's
      // lock keeps it open until the lock comes free.
      if (!form_->FormClose()) return 0;
      // The loop ends; the window goes with it (runWindows), and its timers
      // tick no more.
      for (const TimerDesign& timer : kMainWindow.timers) setTimer(timer.id, 0, false);
      PostQuitMessage(0);
      return 0;
    case WM_ENDSESSION:
      if (wParam != 0) form_->FormClose(LockWait::untilFree);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);  // closing the main window ends the program, open dialogs or not
      return 0;
    default:
      break;
  }
  return DefWindowProcW(Form1, message, wParam, lParam);
}

// WindowServices ----------------------------------------------------------

void MainWindow::setCaption(std::string_view text) { SetWindowTextW(Form1, shownText(display_, text).c_str()); }

void MainWindow::setMemoText(std::string_view text) { SetWindowTextW(Memo1, shownText(display_, text, true).c_str()); }

void MainWindow::setStatusText(std::string_view text) {
  SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(shownText(display_, text).c_str()));
}

void MainWindow::setStatusPath(std::string_view path) {
  SendMessageW(StatusBar1, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(shownName(path).c_str()));
}

void MainWindow::setKeyPreview(bool on) { setKeyPreviewOf(Form1, on); }

// Once control is back in the loop, as the logic expects.
void MainWindow::closeWindow() { PostMessageW(Form1, WM_CLOSE, 0, 0); }

void MainWindow::setTimer(TimerId timer, int intervalMs, bool enabled) {
  const auto id = static_cast<std::size_t>(timer);
  if (!enabled) {
    if (timerOn_[id]) KillTimer(Form1, id);
    timerOn_[id] = false;
  } else if (!timerOn_[id] || timerInterval_[id] != intervalMs) {
    SetTimer(Form1, id, static_cast<UINT>(intervalMs), nullptr);
    timerOn_[id] = true;
  }
  timerInterval_[id] = intervalMs;
}

Bounds MainWindow::windowBounds() const {
  RECT outer{};
  GetWindowRect(Form1, &outer);
  return boundsOf(outer);
}

Size MainWindow::clientSize() const {
  RECT client{};
  GetClientRect(Form1, &client);  // below the menu bar
  return {client.right, client.bottom};
}

void MainWindow::setWindowBounds(const Bounds& bounds) {
  SetWindowPos(Form1, nullptr, bounds.left, bounds.top, bounds.width, bounds.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

Size MainWindow::screenSize() const { return screenSizeOf(Form1); }

void MainWindow::restoreWindow() {
  if (IsZoomed(Form1) || IsIconic(Form1)) ShowWindow(Form1, SW_RESTORE);
}

int MainWindow::statusBarHeight() const {
  RECT bar{};
  GetWindowRect(StatusBar1, &bar);
  return bar.bottom - bar.top;
}

void MainWindow::setButtonBounds(const Bounds& bounds) {
  SetWindowPos(Button1, HWND_TOP, bounds.left, bounds.top, bounds.width, bounds.height, SWP_NOACTIVATE);
}

void MainWindow::setClipboardText(std::string_view text) { putOnClipboard(Form1, shownText(display_, text)); }

void MainWindow::openDocument(const std::string& path) { openWithShell(Form1, path); }

void MainWindow::showRecordDialog() {
  if (Form2 != nullptr) Form2->showBeside();
}

void MainWindow::showVersionDialog(std::string_view version) {
  if (Form3 != nullptr) Form3->showModally(version);
}

void MainWindow::showFailure(std::string_view text) { showNote(Form1, shownText(display_, text), true); }

// PostMessageW may be called from any thread; a window gone takes nothing.
void MainWindow::postFileChange() { PostMessageW(Form1, kFileChangeMessage, 0, 0); }

}  // namespace morvel
