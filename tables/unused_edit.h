// Whether an edit just written is the table that will be read next. The
// search tries the fixed folder first while an editor writes under the
// table name, in the current folder as a rule: with a table installed, the
// next conversion loads the installed one, and the next edit starts again
// from it. The user is told so, and what to do.
#pragma once

#include <string>

#include "profile.h"

namespace morvel {

// The plain sentence after an edit written to `tableName`: which table is
// read instead and what to do; empty when the table written is the one read.
// What Morvel's conversions from the current folder load is found by
// Morvel's search with `tableName` as the given name (only the fixed folder
// under `no_searching` when Morvel edited); after a fenra edit, also the
// table fenra's next edit starts from, by fenra's own search. Tables are
// compared as files, not by name. Nothing is reported while looking.
std::string unusedEditNote(const ProgramProfile& profile, const std::string& tableName, bool no_searching,
                           bool acquire_from_text);

}  // namespace morvel
