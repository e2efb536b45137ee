// What the window shows of Shift_JIS text: each character through the
// project's UTF-8 table, so the display is what a UTF-8 hand-off would
// write. A byte or pair without an entry shows as U+FFFD; line ends show as
// LF. Typed text goes back through the same table, each character to the
// code Windows gives it, as the Shift_JIS text of a Windows program holds it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace morvel {

class DisplayText {
 public:
  std::string utf8(std::string_view sjis) const;

  // The code page 932 bytes of UTF-8 text, ASCII as itself; nothing when a
  // character has no code.
  [[nodiscard]] std::optional<std::string> shiftJis(std::string_view utf8) const;
};

}  // namespace morvel
