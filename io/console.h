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

namespace morvel {

// True when `stream` is a terminal.
bool isTerminal(std::FILE* stream);

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

// A text the user typed (an option value, a line of a list file) as code
// page 932 bytes. A text that is valid UTF-8 and holds a non-ASCII character
// was typed in UTF-8 and is converted; any other text is Shift_JIS already
// and stays as it is. The decision rests on the bytes alone, never on the
// locale. Empty when a UTF-8 character has no code page 932 code.
std::optional<std::string> shiftJisOfTyped(std::string_view typed);

// The bytes of a character option ("-s", "-g" and the like): the value read
// by shiftJisOfTyped, of which at most `byteCount` bytes (its first
// character) are kept. Empty when the value is refused.
std::optional<std::string> characterOption(std::string_view value, std::size_t byteCount);

// The line that reports a refused character option: `option` ("-s") and
// the value as typed.
std::string refusedOptionLine(std::string_view option, std::string_view value);

// Code page 932 bytes to UTF-8; characters without a mapping become '?'.
std::string sjisToUtf8(std::string_view bytes);

}  // namespace morvel
