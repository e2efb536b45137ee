// Finding a table file and loading it: the fixed installation folder, the
// current directory, the directories of PATH and, for the EUC-JP table, the
// table name given by the user, tried in that order.
#pragma once

#include <string>
#include <string_view>

#include "profile.h"
#include "sparse_table.h"

namespace morvel {

// Ways of the search, numbered as the error lines number them.
enum SearchWay { tryFixedFolder = 0, tryCurrentDirectory = 1, tryPathDirectories = 2, tryGivenName = 3 };

// The buffer a found table path goes to: at most 2559 bytes.
constexpr std::size_t kPathBufferSize = 2560;

// The words of the two error lines: error A when way 0 failed under
// no_searching, error B when the last way failed.
struct ErrorWords {
  std::string_view wayZero;
  std::string_view lastWay;
};

// The switches of a search, held by the caller for as long as the flag
// matters to it: one pass, one dialog, one edit.
struct SearchSwitches {
  bool no_searching = false;       // only way 0 may succeed
  bool acquire_from_text = false;  // fenra: only way 3 is tried
  bool whichTable = false;         // report the found path once; the search clears it then
};

struct SearchRequest {
  TableKind kind = TableKind::euc;
  SearchSwitches& switches;
  ErrorWords words;
};

// The path that search way `way` of the program finds for the table file of
// `kind`, or empty. A found path is a file that opens for reading and fits
// the path buffer.
std::string findByWay(const ProgramProfile& profile, int way, TableKind kind);

// A table file as the search takes it, and the way that found it.
struct FoundTable {
  std::string path;  // empty when no way found one
  int way = -1;
};

// What searchTable would find for `kind`, with no report of any kind: no
// error line and no whichTable line.
FoundTable locateTable(const ProgramProfile& profile, TableKind kind, bool no_searching, bool acquire_from_text);

// The error words that `setting` uses for a table of `kind` in the program.
ErrorWords settingWords(const ProgramProfile& profile, TableKind kind);

// The plain sentence a person at a terminal gets when the table of `kind`
// was not found: which table, and where it was looked for.
std::string missingTableSentence(const ProgramProfile& profile, TableKind kind, bool no_searching,
                                 bool acquire_from_text);

// Runs the search; the found path, or empty after the error line has been
// reported. Reports the found path when the request's whichTable asks for
// it, and clears that flag.
[[nodiscard]] std::string searchTable(const TableContext& context, const SearchRequest& request);

// Loads a whole table file into `table`; false when it cannot be read or
// holds fewer than 7882 records.
template <TableKind K>
[[nodiscard]] bool loadTableFile(SparseTable<K>& table, const std::string& path);

// Finds the table file of the table's kind and loads it. False when the
// table was not found (the search has reported it) or was too short to load
// (the caller reports that).
template <TableKind K>
[[nodiscard]] bool setting(const TableContext& context, SparseTable<K>& table, SearchSwitches& switches);

}  // namespace morvel
