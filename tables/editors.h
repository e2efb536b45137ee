// Editing the EUC-JP table: a character takes over the target bytes of
// another, one at a time or from a substitution list file, and the edited
// table is written under the table name.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "locator.h"
#include "profile.h"
#include "table_texts.h"

namespace morvel {

// One line of a substitution list.
struct NORMAL_SUBSTITUTE {
  bool pending = true;  // cleared once applied to a record
  std::string from;     // the character to substitute
  std::string to;       // its substitute
};

// Lines of a list that are used.
inline constexpr std::size_t kListLines = 906;
// The list line buffer: a line holds at most 2559 bytes; a longer one ends the list.
inline constexpr std::size_t kListLineBufferSize = 2560;

// A list file as read: its entries, or the line to report when it cannot
// be used.
struct SubstitutionList {
  std::vector<NORMAL_SUBSTITUTE> entries;
  std::string refusal;  // empty when the list can be used

  [[nodiscard]] bool usable() const { return refusal.empty(); }
};

// The entries of a list file: up to 906 lines, a 4-byte line as two
// double-byte characters, any other line as two single bytes; an empty line
// gives nothing. Lines written in UTF-8 are converted to code page 932
// before they are split (fileCoding() of the lines used decides; a byte
// order mark is no part of line 1). The list cannot be used when the file cannot be
// opened or read, or a line has a character that code page 932 cannot
// write.
SubstitutionList readSubstitutionList(const std::string& listName);

// Both return false after reporting why. The table is found by the usual
// search (only the given name under acquire_from_text) and written whole to
// `tableName`, replacing it only once the new table is completely on disk.
[[nodiscard]] bool editRecord(const TableContext& context, std::string_view substituted, std::string_view substitute,
                              const std::string& tableName, SearchSwitches& switches);
[[nodiscard]] bool editManyRecords(const TableContext& context, const std::string& listName,
                                   const std::string& tableName, SearchSwitches& switches);

}  // namespace morvel
