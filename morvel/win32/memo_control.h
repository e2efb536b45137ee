// Morvel's display area on Win32: an editable text the program draws
// itself, so that its lines keep a pitch of their own. The system's edit
// control spaces lines by the font's full height, which for many Japanese
// fonts is far more than the design's rows allow. It answers the edit
// control's messages for its text, selection and geometry (WM_SETTEXT,
// WM_GETTEXT, EM_SETSEL, EM_GETRECT, EM_POSFROMCHAR and the like).
#pragma once

#include <windows.h>

namespace morvel {

inline constexpr const wchar_t* kMemoClass = L"MorvelMemo";

void registerMemoClass(HINSTANCE instance);

// The distance from one line's top to the next; the font comes with
// WM_SETFONT. Without a pitch the lines take the font's own height.
void setLinePitch(HWND memo, int pixels);

}  // namespace morvel
