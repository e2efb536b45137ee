#include "dialog_windows.h"

#include <exception>

#include "key_preview.h"
#include "main_window.h"
#include "shell_services.h"
#include "utf16.h"
#include "wide_text.h"

namespace morvel {

namespace {

constexpr const wchar_t* kDialogClass = L"MorvelDialog";
constexpr WORD kButtonId = 1;
constexpr int kBannerResource = 2;

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

DialogWindow::DialogWindow(HWND owner, const wchar_t* caption, const DisplayText& display) : display_(display) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  // A fixed border with only the close box, and the program's icon.
  window_ =
      CreateWindowExW(WS_EX_CONTROLPARENT, kDialogClass, caption, WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN,
                      CW_USEDEFAULT, CW_USEDEFAULT, 100, 100, owner, nullptr, instance, nullptr);
  if (window_ == nullptr) throw std::runtime_error("CreateWindowExW() error: dialog");
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DialogWindow::procedure));
  fonts_[window_] = japaneseFont(12, false);
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
}

HWND DialogWindow::place(const char* name, const wchar_t* kind, const wchar_t* text, DWORD style, const RECT& at,
                         int pixels) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(window_, GWLP_HINSTANCE));
  const bool isEdit = lstrcmpiW(kind, L"EDIT") == 0;
  HWND made =
      CreateWindowExW(isEdit ? WS_EX_CLIENTEDGE : 0, kind, text, WS_CHILD | WS_VISIBLE | style, at.left, at.top,
                      at.right - at.left, at.bottom - at.top, window_,
                      reinterpret_cast<HMENU>(static_cast<UINT_PTR>(lstrcmpiW(kind, L"BUTTON") == 0 ? kButtonId : 0)),
                      instance, nullptr);
  controls_[name] = made;
  designedPixels_[made] = pixels;
  HFONT font = japaneseFont(pixels, false);
  fonts_[made] = font;
  SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return made;
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
    : DialogWindow(owner, L"Record", display) {
  place("Edit1", L"EDIT", L"\u2473", WS_TABSTOP | ES_AUTOHSCROLL, {0, 0, 57, 43}, 35);    // circled twenty, as designed
  place("Edit2", L"EDIT", L"\uFF3F", WS_TABSTOP | ES_AUTOHSCROLL, {57, 0, 114, 43}, 35);  // full-width low line
  place("Button1", L"BUTTON", L"Save", WS_TABSTOP | BS_PUSHBUTTON, {57, 43, 125, 77}, 16);
  place("Label1", L"STATIC", L"8753", SS_LEFT | SS_NOPREFIX, {0, 77, 127, 101}, 16);
  form_ = std::make_unique<TForm2>(*this, settings, reporter);
  form_->FormCreate();
}

void RecordDialog::showBeside() {
  ShowWindow(handle(), SW_SHOWNORMAL);
  SetForegroundWindow(handle());
  SetFocus(control("Button1"));
}

VersionDialog::VersionDialog(HWND owner, const ProgramProfile& profile, const DisplayText& display)
    : DialogWindow(owner, L"Version", display) {
  HWND image = place("Image1", L"STATIC", L"", SS_BITMAP, {0, 0, 160, 32}, 12);
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  banner_ = static_cast<HBITMAP>(LoadImageW(instance, MAKEINTRESOURCEW(kBannerResource), IMAGE_BITMAP, 0, 0, 0));
  if (banner_ != nullptr) SendMessageW(image, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(banner_));
  place("Label1", L"STATIC", L"", SS_LEFT | SS_NOPREFIX, {0, 32, 160, 52}, 16);
  place("Label2", L"STATIC", L"", SS_LEFT | SS_NOPREFIX, {0, 52, 160, 72}, 13);
  place("Button1", L"BUTTON", L"Help", WS_TABSTOP | BS_PUSHBUTTON, {0, 72, 68, 106}, 16);
  place("Label3", L"STATIC", L"", SS_LEFT | SS_NOPREFIX, {0, 106, 160, 126}, 16);
  setText("Label3", kDesignedVersion);
  form_ = std::make_unique<TForm3>(*this, profile);
  form_->FormCreate();
}

VersionDialog::~VersionDialog() {
  if (banner_ != nullptr) DeleteObject(banner_);
}

void VersionDialog::showModally(std::string_view version) {
  form_->SetVersionText(version);
  HWND owner = GetWindow(handle(), GW_OWNER);
  EnableWindow(owner, FALSE);
  ShowWindow(handle(), SW_SHOWNORMAL);
  SetForegroundWindow(handle());
  SetFocus(control("Button1"));
  runMessagesUntil([this] { return IsWindowVisible(handle()) == 0; });
  EnableWindow(owner, TRUE);
  SetForegroundWindow(owner);
}

}  // namespace morvel
