// UTF-8 to code page 932 through the system's own converter: one
// implementation per system (iconv, or the Windows code page functions).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvel {

// `utf8` (valid UTF-8) in code page 932; nothing when a character has no
// exact code there. Where the system has no converter, the text as it is.
std::optional<std::string> cp932OfUtf8(std::string_view utf8);

}  // namespace morvel
