#include "shell_services.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "morvel_texts.h"
#include "wide_text.h"

namespace morvel {

namespace {

constexpr const wchar_t* kNoteClass = L"MorvelNote";
constexpr WORD kNoteOk = 1;
constexpr int kNoteWidth = 360;
constexpr int kNoteHeight = 150;
constexpr int kNoteMargin = 10;
constexpr int kNoteButtonRoom = 46;  // below the text: the "OK" button and its margins

LRESULT CALLBACK noteProcedure(HWND note, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kNoteOk) DestroyWindow(note);
      return 0;
    case WM_CLOSE:
      DestroyWindow(note);
      return 0;
    default:
      return DefWindowProcW(note, message, wParam, lParam);
  }
}

// The height `text` takes, broken into lines `width` wide, in `font`.
int textHeight(HWND window, const std::wstring& text, HGDIOBJ font, int width) {
  HDC dc = GetDC(window);
  const HGDIOBJ before = SelectObject(dc, font);
  RECT box{0, 0, width, 0};
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &box, DT_CALCRECT | DT_WORDBREAK | DT_EDITCONTROL);
  SelectObject(dc, before);
  ReleaseDC(window, dc);
  return box.bottom;
}

}  // namespace

Size screenSizeOf(HWND window) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof(monitor);
  if (GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor) == 0) {
    return {GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  return {monitor.rcMonitor.right - monitor.rcMonitor.left, monitor.rcMonitor.bottom - monitor.rcMonitor.top};
}

void putOnClipboard(HWND owner, const std::wstring& text) {
  if (OpenClipboard(owner) == 0) return;
  EmptyClipboard();
  const std::size_t bytes = (text.size() + 1) * sizeof(wchar_t);
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (void* copy = GlobalLock(memory)) {
      std::memcpy(copy, text.c_str(), bytes);
      GlobalUnlock(memory);
      if (SetClipboardData(CF_UNICODETEXT, memory) == nullptr) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

std::wstring textOnClipboard(HWND owner) {
  std::wstring text;
  if (OpenClipboard(owner) == 0) return text;
  if (HANDLE memory = GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* held = static_cast<const wchar_t*>(GlobalLock(memory))) {
      // Bounded by the block's size: a clipboard owner may leave off the end mark.
      text.assign(held, wcsnlen(held, GlobalSize(memory) / sizeof(wchar_t)));
      GlobalUnlock(memory);
    }
  }
  CloseClipboard();
  return text;
}

void openWithShell(HWND owner, const std::string& path) {
  const std::wstring name = shownName(path);
  const auto result =
      reinterpret_cast<INT_PTR>(ShellExecuteW(owner, L"open", name.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result > 32) {
    // The shell only hands the file on; where the viewer then fails (Wine's
    // browser does, silently) the status bar has at least said what happened.
    HWND main = GetWindow(owner, GW_OWNER) != nullptr ? GetWindow(owner, GW_OWNER) : owner;
    const std::wstring said = kManualHandedOver + name;
    SendMessageW(FindWindowExW(main, nullptr, STATUSCLASSNAMEW, nullptr), SB_SETTEXTW, 0,
                 reinterpret_cast<LPARAM>(said.c_str()));
    return;
  }
  showNote(owner,
           L"The manual could not be shown: no program for PDF files was found, or the file is missing.\r\n\r\n" + name,
           false);
}

void registerNoteClass(HINSTANCE instance) {
  WNDCLASSEXW note{};
  note.cbSize = sizeof(note);
  note.lpfnWndProc = noteProcedure;
  note.hInstance = instance;
  note.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
  note.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  note.lpszClassName = kNoteClass;
  RegisterClassExW(&note);
}

void showNote(HWND owner, const std::wstring& text, bool failure) {
  const auto instance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(owner, GWLP_HINSTANCE));
  RECT around{};
  GetWindowRect(owner, &around);
  HWND note =
      CreateWindowExW(WS_EX_DLGMODALFRAME, kNoteClass, L"", WS_POPUP | WS_CAPTION | WS_SYSMENU, around.left + 40,
                      around.top + 40, kNoteWidth, kNoteHeight, owner, nullptr, instance, nullptr);
  if (note == nullptr) return;
  SetWindowTextW(note, shownName(std::string(kProductLabel) + (failure ? ": failure" : "")).c_str());
  RECT client{};
  GetClientRect(note, &client);
  const HGDIOBJ stockFont = GetStockObject(DEFAULT_GUI_FONT);
  const auto font = reinterpret_cast<WPARAM>(stockFont);
  // A longer text (a note naming paths) makes the window taller, up to half the screen.
  const int textWidth = client.right - 2 * kNoteMargin;
  const int wanted = textHeight(note, text, stockFont, textWidth) + kNoteMargin + kNoteButtonRoom;
  const int grown = std::min(wanted, screenSizeOf(note).height / 2) - client.bottom;
  if (grown > 0) {
    SetWindowPos(note, nullptr, 0, 0, kNoteWidth, kNoteHeight + grown, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    GetClientRect(note, &client);
  }
  HWND label = CreateWindowExW(0, L"STATIC", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT | SS_EDITCONTROL,
                               kNoteMargin, kNoteMargin, textWidth, client.bottom - kNoteMargin - kNoteButtonRoom, note,
                               nullptr, instance, nullptr);
  HWND ok = CreateWindowExW(0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
                            client.right - 90, client.bottom - 38, 80, 28, note,
                            reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kNoteOk)), instance, nullptr);
  SendMessageW(label, WM_SETFONT, font, TRUE);
  SendMessageW(ok, WM_SETFONT, font, TRUE);
  ShowWindow(note, SW_SHOWNORMAL);
  SetFocus(ok);
}

}  // namespace morvel
