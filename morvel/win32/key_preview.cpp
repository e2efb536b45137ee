#include "key_preview.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace morvel {

namespace {

struct Watched {
  HWND window = nullptr;
  std::function<void(Key)> onRelease;
  bool isDialog = false;
  bool enabled = false;
  HACCEL shortcuts = nullptr;
};

std::vector<Watched>& watchedWindows() {
  static std::vector<Watched> windows;
  return windows;
}

Watched* watchedOf(HWND window) {
  auto& windows = watchedWindows();
  const auto found =
      std::find_if(windows.begin(), windows.end(), [window](const Watched& w) { return w.window == window; });
  return found == windows.end() ? nullptr : &*found;
}

bool isPushButton(HWND control) {
  wchar_t kind[16] = {};
  if (control == nullptr || GetClassNameW(control, kind, 16) == 0 || lstrcmpiW(kind, L"Button") != 0) return false;
  const auto style = static_cast<LONG_PTR>(GetWindowLongPtrW(control, GWL_STYLE)) & BS_TYPEMASK;
  return style == BS_PUSHBUTTON || style == BS_DEFPUSHBUTTON;
}

}  // namespace

Key keyOf(WPARAM virtualKey) {
  switch (virtualKey) {
    case VK_END:
      return Key::end;
    case VK_PRIOR:
      return Key::pageUp;
    case VK_HOME:
      return Key::home;
    case VK_F3:
      return Key::f3;
    case VK_F8:
      return Key::f8;
    case VK_ESCAPE:
      return Key::escape;
    default:
      return Key::other;
  }
}

void watchKeys(HWND window, std::function<void(Key)> onRelease, bool isDialog) {
  forgetKeys(window);
  watchedWindows().push_back({window, std::move(onRelease), isDialog, false, nullptr});
}

void forgetKeys(HWND window) {
  auto& windows = watchedWindows();
  windows.erase(
      std::remove_if(windows.begin(), windows.end(), [window](const Watched& w) { return w.window == window; }),
      windows.end());
}

void setKeyPreviewOf(HWND window, bool on) {
  if (Watched* watched = watchedOf(window)) watched->enabled = on;
}

void setShortcuts(HWND window, HACCEL shortcuts) {
  if (Watched* watched = watchedOf(window)) watched->shortcuts = shortcuts;
}

void dispatchMessage(MSG& message) {
  const HWND top = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
  // Copied: the handler may close the window and so forget it.
  Watched target;
  if (const Watched* watched = top != nullptr ? watchedOf(top) : nullptr) target = *watched;
  if (target.window != nullptr) {
    if ((message.message == WM_KEYUP || message.message == WM_SYSKEYUP) && target.enabled && target.onRelease) {
      target.onRelease(keyOf(message.wParam));
      if (!IsWindow(message.hwnd)) return;
    }
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN && isPushButton(GetFocus()) &&
        GetAncestor(GetFocus(), GA_ROOT) == top && (GetKeyState(VK_SHIFT) | GetKeyState(VK_CONTROL)) >= 0) {
      // As a click does; BM_CLICK would need the mouse's capture.
      HWND button = GetFocus();
      SendMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
      return;
    }
    if (target.shortcuts != nullptr && TranslateAcceleratorW(top, target.shortcuts, &message) != 0) return;
    // The dialogs' own handlers take Esc and Enter; Tab moves between controls.
    if (target.isDialog && message.message == WM_KEYDOWN && message.wParam == VK_TAB &&
        IsDialogMessageW(top, &message) != 0) {
      return;
    }
  }
  TranslateMessage(&message);
  DispatchMessageW(&message);
}

bool runMessagesUntil(const std::function<bool()>& done) {
  MSG message{};
  while (!done()) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (got < 0) return false;
    dispatchMessage(message);
  }
  return true;
}

}  // namespace morvel
