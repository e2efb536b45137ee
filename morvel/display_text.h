// What the window shows of Shift_JIS text: each character through the
// UTF-8 table, so the display is what a UTF-8 hand-off would write. A byte
// or pair without an entry shows as U+FFFD; line ends show as LF.
#pragma once

#include <memory>
#include <string>
#include <string_view>

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

 private:
  std::unique_ptr<SparseUTF8> table_;
};

}  // namespace morvel
