// Windows only: text between the bytes the programs hold and the UTF-16 the
// system takes, by the system's own conversion. Code page 932 is the one
// the names of files and the command line are read in, whatever the
// system's ANSI code page; UTF-8 is what the windows show. Each conversion
// gives nothing when the text does not convert exactly, so that a name the
// system would read as another never reaches it; empty text converts to
// empty text. The table-based route between code page 932 and UTF-8 is
// code_page.h.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvel {

// Nothing for bytes that are not code page 932 text (a lone lead byte, say).
[[nodiscard]] std::optional<std::wstring> utf16OfCp932(std::string_view cp932);
// No best fit: nothing when a character has no code page 932 code, since a
// look-alike would name another file.
[[nodiscard]] std::optional<std::string> cp932OfUtf16(std::wstring_view utf16);

// Nothing for bytes that are not UTF-8, or for a lone surrogate.
[[nodiscard]] std::optional<std::wstring> utf16OfUtf8(std::string_view utf8);
[[nodiscard]] std::optional<std::string> utf8OfUtf16(std::wstring_view utf16);

}  // namespace morvel
