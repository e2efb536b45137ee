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

// Code page 932 bytes to UTF-8; characters without a mapping become '?'.
std::string sjisToUtf8(std::string_view bytes);

}  // namespace morvel
