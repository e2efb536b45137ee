// Console text: what the programs write to a terminal and what the user types
// at one. The programs' own texts are Shift_JIS bytes; a terminal whose
// locale speaks UTF-8 gets them converted for display, while pipes and files
// always get the exact bytes. Names (files, paths, typed values) are the
// user's own bytes and are never converted for display.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>

#include "code_page.h"

namespace morvel {

// True when `stream` is a terminal.
[[nodiscard]] bool isTerminal(std::FILE* stream);

// Writes the program's own text to `stream`: as it is, or converted from
// code page 932 to UTF-8 when the stream is a terminal and the locale of the
// environment (LC_ALL, LC_CTYPE, LANG) speaks UTF-8. Flushes the stream.
void consoleWrite(std::FILE* stream, std::string_view ownText);

// Writes bytes that are not the program's own words (file names, paths,
// values the user typed, and lines of ASCII words around them) exactly as
// they are, terminal or not: they are in the user's encoding already, and
// converting them would garble a UTF-8 name. Flushes the stream.
void consoleWriteAsIs(std::FILE* stream, std::string_view bytes);

// A plain sentence for a person at a terminal, after a report line that
// says the same in the system's own words: written, with a line end, to
// standard error when that is a terminal, and nowhere else. The sentence is
// ASCII words around names, which pass as they are.
void hintOnTerminal(std::string_view sentence);

// Code page 932 bytes to UTF-8 through the project's table; characters
// without a mapping become '?'.
inline std::string sjisToUtf8(std::string_view bytes) { return utf8OfCp932(bytes, "?"); }

}  // namespace morvel
