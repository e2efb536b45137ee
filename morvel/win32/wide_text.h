// Text between Morvel's Shift_JIS bytes and the UTF-16 of Windows'
// controls. Shown text goes through the project's UTF-8 table (DisplayText),
// so a window shows what a UTF-8 hand-off would write; names of files are
// code page 932, as every file function of the program takes them.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "display_text.h"

namespace morvel {

std::wstring wideOfUtf8(std::string_view utf8);
std::string utf8OfWide(std::wstring_view wide);
// A file name; a byte sequence that is not code page 932 shows as U+FFFD.
std::wstring wideOfCodePage932(std::string_view name);

// Shift_JIS as a control shows it. An edit control breaks lines only at
// CR LF, so `forEdit` turns each line end into that.
std::wstring shownText(const DisplayText& display, std::string_view sjis, bool forEdit = false);

std::wstring windowText(HWND window);

}  // namespace morvel
