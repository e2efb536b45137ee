#include "flat_table.h"

#include "flat_entry.h"

namespace morvel {

using blocks::packedEntry;
using blocks::pairIndex;

template <TableKind K>
FlatTable flattenTable(const SparseTable<K>& table, ControlRule rule) {
  FlatTable flat{rule, std::vector<std::uint32_t>(kFlatEntries, 0)};
  for (unsigned first = 0; first < 0x100; ++first) {
    const auto byte = static_cast<unsigned char>(first);
    std::uint32_t entry = 0;  // a byte the rule drops gives nothing
    if (isKatakanaByte(byte)) {
      entry = packedEntry(table.entryText(byte));
    } else if (!isLeadByte(byte) && (rule == ControlRule::copy || !skipDrops(byte))) {
      const char c = static_cast<char>(byte);
      entry = packedEntry(std::string_view(&c, 1));
    }
    for (unsigned next = 0; next < 0x100; ++next) {
      const auto after = static_cast<unsigned char>(next);
      std::uint32_t& slot = flat.entries[pairIndex(byte, after)];
      slot = entry;
      // A lead byte before a byte that cannot trail yields nothing.
      if (isLeadByte(byte)) slot = isTrailByte(after) ? packedEntry(table.entryText(pairCode(byte, after))) : 0u;
    }
  }
  return flat;
}

template FlatTable flattenTable(const SparseEUC&, ControlRule);
template FlatTable flattenTable(const SparseSJIS&, ControlRule);
template FlatTable flattenTable(const SparseUTF8&, ControlRule);

template <TableKind K>
FlatTextTable flattenTextTable(const SparseTable<K>& table, ControlRule rule, bool crlf) {
  FlatTextTable text{flattenTable(table, rule), crlf};
  const std::uint32_t lineEnd = packedEntry(crlf ? "\r\n" : "\n");
  for (unsigned next = 0; next < 0x100; ++next) {
    const auto after = static_cast<unsigned char>(next);
    text.flat.entries[pairIndex('\r', after)] = 0;
    text.flat.entries[pairIndex('\n', after)] = lineEnd;
  }
  return text;
}

template FlatTextTable flattenTextTable(const SparseEUC&, ControlRule, bool);
template FlatTextTable flattenTextTable(const SparseSJIS&, ControlRule, bool);
template FlatTextTable flattenTextTable(const SparseUTF8&, ControlRule, bool);

}  // namespace morvel
