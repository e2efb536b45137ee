// The plain form of the line conversion: every character looked up with
// entryText, one byte at a time. It is the reference the fast form
// (line_conversion.h) is tested and fuzzed against, so it stays as simple
// as the rules in line_rules.h.
#pragma once

#include <string>
#include <string_view>

#include "line_rules.h"
#include "sparse_table.h"

namespace morvel {

// Appends the conversion of `line` to `out`.
template <TableKind K>
void convertLineByteByByte(const SparseTable<K>& table, ControlRule rule, std::string_view line, LineState& state,
                           std::string& out);

// Text in the way the file-driven pass reads it: every CR is dropped, as
// reading in text mode drops it, and each LF ends a line. Each line
// converts as convertLine would convert it, followed by the line end (CR LF
// when `crlf`, else LF); the state carries across the lines as across
// separate lines, so a lead byte that ends one pairs with the first byte of
// the next. The text may stop anywhere, inside a line or inside a
// character: the next call goes on from the state.
template <TableKind K>
void convertTextByteByByte(const SparseTable<K>& table, ControlRule rule, bool crlf, std::string_view text,
                           LineState& state, std::string& out);

}  // namespace morvel
