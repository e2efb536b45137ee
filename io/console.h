// fenra's console lines. They are Shift_JIS bytes; a terminal whose locale
// speaks UTF-8 gets them converted for display, while pipes and files always
// get the exact bytes.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace morvel {

// Writes `bytes` to `stream` as they are, or converted from code page 932 to
// UTF-8 when the stream is such a terminal. Flushes the stream.
void consoleWrite(std::FILE* stream, std::string_view bytes);

// The bytes of a character option ("-s", "-g" and the like): a value that is
// exactly one multi-byte UTF-8 character with a code page 932 code (typed at
// a UTF-8 terminal) becomes that code's bytes; any other value is taken as
// raw Shift_JIS bytes. Either way at most `byteCount` bytes are kept.
std::string characterOption(std::string_view value, std::size_t byteCount);

// Code page 932 bytes to UTF-8; characters without a mapping become '?'.
std::string sjisToUtf8(std::string_view bytes);

}  // namespace morvel
