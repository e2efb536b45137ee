// What Morvel's windows on Win32 share beside their controls: the screen,
// the clipboard, the shell's "open" and a note that does not stop them.
#pragma once

#include <windows.h>

#include <string>

#include "window_services.h"

namespace morvel {

// The size of the monitor that holds `window`, in pixels.
Size screenSizeOf(HWND window);

// Puts text on the clipboard as CF_UNICODETEXT.
void putOnClipboard(HWND owner, const std::wstring& text);
// The clipboard's text, empty when it holds none.
std::wstring textOnClipboard(HWND owner);

// What the main window's status bar says once the shell took the manual.
inline constexpr const wchar_t* kManualHandedOver = L"The manual was handed to the system's PDF viewer: ";

// The shell's "open" of a document named in code page 932, relative to the
// current folder: the main window's status bar names the document handed
// on; where nothing opens it, a note names it.
void openWithShell(HWND owner, const std::string& path);

// A small window beside `owner` with a text and an "OK" button; it does not
// wait (no nested loop), so the windows and their timers go on.
void showNote(HWND owner, const std::wstring& text, bool failure);

void registerNoteClass(HINSTANCE instance);

}  // namespace morvel
