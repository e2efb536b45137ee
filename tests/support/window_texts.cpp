// window_texts: what another program's window shows, and a press of one of
// its buttons, for the installer test's walk through the setup pages.
//
//   window_texts TITLE SHOWN [BUTTON]
//
// Waits until a shown top-level window whose title begins with TITLE (setup
// programs add the step to it) shows a control whose text contains SHOWN, writes each shown control of it as a "Class:
// text" line (UTF-8, line breaks in a text as blanks), then presses the shown button whose text is BUTTON, when given,
// as a click would (the window's own notification, so no focus or pointer is needed). Exit code 0 when found (and
// pressed), 1 for a wrong command line, 2 when it did not appear in 30 seconds (what the window showed last is written)
// or BUTTON is not there.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

namespace {

struct Control {
  HWND window;
  std::wstring kind;
  std::wstring text;
};

constexpr auto kPatience = std::chrono::seconds(30);
constexpr auto kPoll = std::chrono::milliseconds(100);

// Asked of the control's own thread, as WM_GETTEXT is marshalled between processes.
std::wstring textOf(HWND window) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 1000, &length)) return {};
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                           1000, &copied)) {
    return {};
  }
  text.resize(copied);
  for (wchar_t& c : text) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  return text;
}

// A picture's "text" is its resource's number: left empty.
bool isPicture(HWND window, const std::wstring& kind) {
  const auto type = GetWindowLongW(window, GWL_STYLE) & SS_TYPEMASK;
  return kind == L"Static" && (type == SS_ICON || type == SS_BITMAP);
}

BOOL CALLBACK collect(HWND window, LPARAM into) {
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  const std::wstring kind = name;
  reinterpret_cast<std::vector<Control>*>(into)->push_back(
      {window, kind, isPicture(window, kind) ? std::wstring() : textOf(window)});
  return TRUE;
}

struct Search {
  std::wstring title;
  HWND found = nullptr;
};

BOOL CALLBACK findTop(HWND window, LPARAM into) {
  auto* search = reinterpret_cast<Search*>(into);
  if (!IsWindowVisible(window)) return TRUE;
  wchar_t title[256] = {};
  GetWindowTextW(window, title, 256);
  if (std::wstring(title).rfind(search->title, 0) != 0) return TRUE;
  search->found = window;
  return FALSE;
}

HWND topWindow(const std::wstring& title) {
  Search search{title};
  EnumWindows(findTop, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<Control> shownControls(HWND top) {
  std::vector<Control> controls;
  EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&controls));
  return controls;
}

bool shows(const std::vector<Control>& controls, const std::wstring& shown) {
  for (const Control& control : controls) {
    if (control.text.find(shown) != std::wstring::npos) return true;
  }
  return false;
}

std::string utf8(const std::wstring& text) {
  if (text.empty()) return {};
  const int length =
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
  return bytes;
}

void write(const std::vector<Control>& controls) {
  for (const Control& control : controls) {
    std::printf("%s: %s\n", utf8(control.kind).c_str(), utf8(control.text).c_str());
  }
  std::fflush(stdout);
}

// The button's parent hears of the press as from a click.
bool press(const std::vector<Control>& controls, const std::wstring& label) {
  for (const Control& control : controls) {
    if (control.kind != L"Button" || control.text != label) continue;
    const auto id = static_cast<WORD>(GetDlgCtrlID(control.window));
    return PostMessageW(GetParent(control.window), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                        reinterpret_cast<LPARAM>(control.window)) != 0;
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: window_texts TITLE SHOWN [BUTTON]\n");
    return 1;
  }
  const std::wstring title = argv[1];
  const std::wstring shown = argv[2];
  std::vector<Control> controls;
  const auto until = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    const HWND top = topWindow(title);
    controls = top ? shownControls(top) : std::vector<Control>{};
    if (shows(controls, shown)) break;
    if (std::chrono::steady_clock::now() > until) {
      std::printf("no window \"%s\" showing \"%s\"; it showed:\n", utf8(title).c_str(), utf8(shown).c_str());
      write(controls);
      return 2;
    }
    std::this_thread::sleep_for(kPoll);
  }
  write(controls);
  if (argc == 4 && !press(controls, argv[3])) {
    std::printf("no button \"%s\"\n", utf8(argv[3]).c_str());
    return 2;
  }
  return 0;
}
