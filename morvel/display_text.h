// What the window shows of Shift_JIS text: each character through the
// UTF-8 table, so the display is what a UTF-8 hand-off would write. A byte
// or pair without an entry shows as U+FFFD; line ends show as LF. Typed
// text goes back through the same table, so a character keeps the code it
// was shown with where the table gives it only one.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "profile.h"
#include "sparse_table.h"

namespace morvel {

class DisplayText {
 public:
  // Without a table only ASCII shows as itself.
  explicit DisplayText(std::unique_ptr<SparseUTF8> table = nullptr);

  // The UTF-8 table found by the program's usual search, unreported.
  static DisplayText load(const TableContext& context, bool no_searching);

  std::string utf8(std::string_view sjis) const;

  // The code page 932 bytes of UTF-8 text: each character's first code in
  // the table's order, ASCII as itself; nothing when a character has none.
  std::optional<std::string> shiftJis(std::string_view utf8) const;

 private:
  std::unique_ptr<SparseUTF8> table_;
  std::unordered_map<std::string, std::int32_t> codeOf_;  // the table read backwards
};

}  // namespace morvel
