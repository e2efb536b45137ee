// The tables the fast form of the line conversion reads: a sparse table's
// entries flattened into one lookup for every byte and the byte after it,
// so that the block paths never branch on what a character is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "line_rules.h"
#include "sparse_table.h"

namespace morvel {

// An entry for every byte and the byte after it, indexed by the two bytes
// read as one 16-bit number: for a lead byte the pair's entry, or nothing
// when the byte after cannot trail; for any other byte its own entry
// whatever follows. Each holds its output packed into
// four bytes: up to three target bytes in memory order, then their count
// (flat_entry.h).
inline constexpr std::size_t kFlatEntries = 0x10000;

struct FlatTable {
  ControlRule rule = ControlRule::copy;
  std::vector<std::uint32_t> entries;  // kFlatEntries of them
};

// The table's entries flattened for `rule`: single bytes carry the rule's
// verdict; codes without a slot are empty.
template <TableKind K>
FlatTable flattenTable(const SparseTable<K>& table, ControlRule rule);

// A table flattened for text as a file holds it: a CR gives nothing and an
// LF gives the line end, CR LF or LF, whatever follows them.
struct FlatTextTable {
  FlatTable flat;
  bool crlf = true;
};

template <TableKind K>
FlatTextTable flattenTextTable(const SparseTable<K>& table, ControlRule rule, bool crlf);

}  // namespace morvel
