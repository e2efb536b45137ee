// What the user typed (an option value, a line of a list file) as code page
// 932 bytes, and the line that refuses a character option.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace morvel {

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

}  // namespace morvel
