// Text between Morvel's Shift_JIS bytes and the UTF-16 of Windows'
// controls. Shown text goes through the project's UTF-8 table (DisplayText),
// so a window shows what a UTF-8 hand-off would write; names of files are
// code page 932, as every file function of the program takes them, and
// convert as the system converts them (utf16.h).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "display_text.h"

namespace morvel {

// A file name as shown; a byte sequence that is not code page 932 shows as
// U+FFFD.
std::wstring shownName(std::string_view name);

// Shift_JIS as a control shows it. An edit control breaks lines only at
// CR LF, so `forEdit` turns each line end into that.
std::wstring shownText(const DisplayText& display, std::string_view sjis, bool forEdit = false);

std::wstring windowText(HWND window);

}  // namespace morvel
