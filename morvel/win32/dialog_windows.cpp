#include "dialog_windows.h"

#include <exception>
#include <vector>

#include "fonts.h"
#include "key_preview.h"
#include "shell_services.h"
#include "utf16.h"
#include "wide_text.h"
#include "window_frame.h"

namespace morvel {

namespace {

constexpr const wchar_t* kDialogClass = L"MorvelDialog";
constexpr WORD kButtonId = 1;
constexpr int kBannerResource = 2;

bool isOwnClass(HWND window) {
  wchar_t kind[32] = {};
  GetClassNameW(window, kind, 32);
  for (const wchar_t* own : {L"MorvelForm1", kDialogClass, L"MorvelNote"}) {
    if (lstrcmpW(kind, own) == 0) return true;
  }
  return false;
}

BOOL CALLBACK collectEnabled(HWND window, LPARAM found) {
  if (isOwnClass(window) && IsWindowEnabled(window) != 0)
    reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

// Every window of ours but `dialog`, disabled while it waits, as a modal
// dialog blocks the program's other windows; the system's own windows of
// the thread (the input method's) are left alone.
std::vector<HWND> disableAllBut(HWND dialog) {
  std::vector<HWND> enabled;
  EnumThreadWindows(GetCurrentThreadId(), collectEnabled, reinterpret_cast<LPARAM>(&enabled));
  std::erase(enabled, dialog);
  for (HWND window : enabled) EnableWindow(window, FALSE);
  return enabled;
}

// The design's font, or a smaller one where its lines are taller than the
// edit (a Japanese font's are, at the design's size): a glyph is shown whole.
HFONT fontFittingHeight(HWND edit, const FontDesign& design) {
  RECT box{};
  GetClientRect(edit, &box);
  HFONT font = japaneseFont(design);
  for (int pixels = design.pixels; pixels > 6 && fontHeight(font) > box.bottom;) {
    DeleteObject(font);
    font = japaneseFont({--pixels, design.pitch});
  }
  return font;
}

}  // namespace

void registerDialogClass(HINSTANCE instance, HICON icon, HICON smallIcon) {
  WNDCLASSEXW dialog{};
  dialog.cbSize = sizeof(dialog);
  dialog.lpfnWndProc = DefWindowProcW;  // replaced per window
  dialog.hInstance = instance;
  dialog.hIcon = icon;
  dialog.hIconSm = smallIcon;
  dialog.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  dialog.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  dialog.lpszClassName = kDialogClass;
  RegisterClassExW(&dialog);
  registerNoteClass(instance);
}

DialogWindow::DialogWindow(HWND owner, std::string_view caption, const FontDesign& font, const DisplayText& display)
    : display_(display) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  // A fixed border with only the close box, and the program's icon.
  window_ = CreateWindowExW(WS_EX_CONTROLPARENT, kDialogClass, shownText(display_, caption).c_str(),
                            WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 100,
                            100, owner, nullptr, instance, nullptr);
  if (window_ == nullptr) throw std::runtime_error("CreateWindowExW() error: dialog");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogWindow::procedure));
  keepOwnFrame(window_);
  fonts_[window_] = japaneseFont(font);
  SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[window_]), FALSE);
  watchKeys(
      window_, [this](Key key) { keyReleased(key); }, true);
}

DialogWindow::~DialogWindow() {
  forgetKeys(window_);
  if (IsWindow(window_)) {
    SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
    if (!keptUntilExit_) DestroyWindow(window_);
  }
  for (const auto& [control, font] : fonts_) DeleteObject(font);
  for (HBITMAP picture : pictures_) DeleteObject(picture);
}

// The controls as designed; the push button is the dialog's one command.
void DialogWindow::build(std::span<const ControlDesign> controls) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  for (const ControlDesign& design : controls) {
    const wchar_t* kind = L"STATIC";
    DWORD style = SS_LEFT | SS_NOPREFIX;
    DWORD extended = 0;
    WORD id = 0;
    switch (design.kind) {
      case ControlKind::edit:
        kind = L"EDIT";
        style = WS_TABSTOP | ES_AUTOHSCROLL;
        extended = WS_EX_CLIENTEDGE;
        break;
      case ControlKind::button:
        kind = L"BUTTON";
        style = WS_TABSTOP | BS_PUSHBUTTON;
        id = kButtonId;
        break;
      case ControlKind::label:
        break;
      case ControlKind::picture:
        style = SS_BITMAP;
        break;
    }
    const Bounds& at = design.bounds;
    HWND made =
        CreateWindowExW(extended, kind, L"", WS_CHILD | WS_VISIBLE | style, at.left, at.top, at.width, at.height,
                        window_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), instance, nullptr);
    const std::string name(design.name);
    controls_[name] = made;
    designedPixels_[made] = design.font.pixels;
    fonts_[made] = design.kind == ControlKind::edit ? fontFittingHeight(made, design.font) : japaneseFont(design.font);
    SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_[made]), FALSE);
    if (design.kind == ControlKind::picture) {
      auto* banner =
          static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(kBannerResource), IMAGE_BITMAP, 0, 0, 0));
      if (banner != nullptr) {
        pictures_.push_back(banner);
        SendMessageW(made, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner));
      }
    } else if (design.kind == ControlKind::button) {
      SetWindowTextW(made, shownText(display_, design.text).c_str());
    } else if (!design.text.empty()) {
      setText(name, design.text);
    }
  }
}

HWND DialogWindow::control(const std::string& name) const {
  const auto found = controls_.find(name);
  return found == controls_.end() ? nullptr : found->second;
}

void DialogWindow::fitLabel(HWND label) {
  RECT box{};
  GetClientRect(label, &box);
  const std::wstring text = windowText(label);
  HDC dc = GetDC(label);
  HFONT font = nullptr;
  for (int pixels = designedPixels_[label]; pixels >= 6; --pixels) {
    if (font != nullptr) DeleteObject(font);
    font = japaneseFont(pixels, false);
    const HGDIOBJ old = SelectObject(dc, font);
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, old);
    if (extent.cx <= box.right && extent.cy <= box.bottom) break;
  }
  ReleaseDC(label, dc);
  SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  DeleteObject(fonts_[label]);
  fonts_[label] = font;
}

LRESULT CALLBACK DialogWindow::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = reinterpret_cast<DialogWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
  try {
    switch (message) {
      case WM_COMMAND:
        if (LOWORD(wParam) == kButtonId && HIWORD(wParam) == BN_CLICKED && lParam != 0) self->buttonClicked();
        return 0;
      case WM_CLOSE:
        self->hideDialog();  // closing a dialog only hides it
        return 0;
      default:
        break;
    }
  } catch (const std::exception& failure) {
    morvel::showNote(window, utf16OfUtf8(failure.what()).value_or(L"\uFFFD"), true);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// DialogServices -----------------------------------------------------------

// Several codes show as one character (the NEC and IBM duplicates): while
// an edit shows what it was given, its bytes are the ones given.
std::optional<std::string> DialogWindow::typedText(std::string_view name) const {
  HWND edit = control(std::string(name));
  if (edit == nullptr) return std::string();
  const std::wstring text = windowText(edit);
  const auto given = given_.find(std::string(name));
  if (given != given_.end() && given->second.shown == text) return given->second.sjis;
  const std::optional<std::string> utf8 = utf8OfUtf16(text);
  return utf8 ? display_.shiftJis(*utf8) : std::nullopt;
}

void DialogWindow::setText(std::string_view name, std::string_view text) {
  HWND shown = control(std::string(name));
  if (shown == nullptr) return;
  SetWindowTextW(shown, shownText(display_, text).c_str());
  wchar_t kind[16] = {};
  GetClassNameW(shown, kind, 16);
  if (lstrcmpiW(kind, L"EDIT") == 0) {
    given_[std::string(name)] = {windowText(shown), std::string(text)};
  } else {
    fitLabel(shown);
  }
}

void DialogWindow::setKeyPreview(bool on) { setKeyPreviewOf(window_, on); }

void DialogWindow::hideDialog() { ShowWindow(window_, SW_HIDE); }

Size DialogWindow::screenSize() const { return screenSizeOf(window_); }

void DialogWindow::setBounds(const Bounds& bounds) {
  SetWindowPos(window_, nullptr, bounds.left, bounds.top, bounds.width, bounds.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void DialogWindow::setClipboardText(std::string_view text) { putOnClipboard(window_, shownText(display_, text)); }

void DialogWindow::openDocument(const std::string& path) { openWithShell(window_, path); }

// ASCII words around names: converted as the names are.
void DialogWindow::showNote(std::string_view sentence) { morvel::showNote(window_, shownName(sentence), false); }

// The dialogs -------------------------------------------------------------

RecordDialog::RecordDialog(HWND owner, const FinalEffect& settings, Reporter& reporter, const DisplayText& display)
    : DialogWindow(owner, kRecordDialog.caption, kRecordDialog.font, display) {
  build(kRecordDialog.controls);
  form_ = std::make_unique<TForm2>(*this, settings, reporter);
  form_->FormCreate();
}

void RecordDialog::showBeside() {
  ShowWindow(handle(), SW_SHOWNORMAL);
  SetForegroundWindow(handle());
  SetFocus(control("Button1"));
}

VersionDialog::VersionDialog(HWND owner, const ProgramProfile& profile, const DisplayText& display)
    : DialogWindow(owner, kVersionDialog.caption, kVersionDialog.font, display) {
  build(kVersionDialog.controls);
  form_ = std::make_unique<TForm3>(*this, profile);
  form_->FormCreate();
}

void VersionDialog::showModally(std::string_view version) {
  form_->SetVersionText(version);
  HWND owner = GetWindow(handle(), GW_OWNER);
  const std::vector<HWND> blocked = disableAllBut(handle());
  ShowWindow(handle(), SW_SHOWNORMAL);
  SetForegroundWindow(handle());
  SetFocus(control("Button1"));
  // Asked to quit, the dialog ends as well; the outer loop takes the quit.
  static_cast<void>(runMessagesUntil([this] { return IsWindowVisible(handle()) == 0; }));
  for (HWND window : blocked) {
    if (IsWindow(window) != 0) EnableWindow(window, TRUE);
  }
  SetForegroundWindow(owner);
}

}  // namespace morvel
