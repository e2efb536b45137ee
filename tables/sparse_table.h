// In-memory conversion tables: one fixed-width slot per character code,
// filled from the records of a table file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>
#include <string_view>

#include "codes.h"
#include "table_kind.h"

namespace morvel {

// The code a record names: its first byte in the single-byte group (records
// 1-158), its first two bytes in the double-byte group. `ordinal` counts from 1.
constexpr std::int32_t recordCode(std::size_t ordinal, const unsigned char* record) {
  return ordinal <= kSingleByteRecords ? record[0] : pairCode(record[0], record[1]);
}

// A slot holds the target bytes of its code, zero-terminated; its last byte
// is never written, so an entry is at most width - 1 bytes long.
template <TableKind K>
class SparseTable {
 public:
  using Traits = TableTraits<K>;
  static constexpr TableKind kind = K;
  static constexpr std::size_t width = Traits::slotWidth;
  static constexpr std::size_t recordSize = Traits::recordSize;
  static constexpr std::int32_t size = static_cast<std::int32_t>(kSlotCount * width);
  static constexpr std::size_t imageSize = kRecordCount * recordSize;

  SparseTable() : slots_(std::make_unique<unsigned char[]>(size)) {}

  // The slot's bytes up to the first zero; empty for a code without a slot.
  std::string_view entryText(std::int32_t code) const {
    if (!hasSlot(code)) return {};
    const char* slot = reinterpret_cast<const char*>(&slots_[static_cast<std::size_t>(code) * width]);
    return {slot, ::strnlen(slot, width - 1)};
  }

  // Byte k (0 or 1) of the code's slot, even when it follows a zero byte;
  // 0 for a code without a slot.
  unsigned char entryByte(std::int32_t code, int k) const requires(width == 3) {
    if (!hasSlot(code) || k < 0 || k > 1) return 0;
    return slots_[static_cast<std::size_t>(code) * width + static_cast<std::size_t>(k)];
  }

  // Places record `ordinal` (from 1): its target bytes go to the start of its
  // code's slot, all of them in both groups, so that a single-byte character
  // may have a two-byte target (half-width katakana in EUC-JP). A later
  // record with the same code overwrites; a code without a slot is ignored.
  void placeRecord(std::size_t ordinal, const unsigned char* record) {
    const std::int32_t code = recordCode(ordinal, record);
    if (!hasSlot(code)) return;
    std::memcpy(&slots_[static_cast<std::size_t>(code) * width], record + 2, width - 1);
  }

  // Places the 7882 records of a table image. An image shorter than that
  // places nothing and gives false; bytes after the last record are ignored.
  [[nodiscard]] bool placeRecords(std::span<const unsigned char> image) {
    if (image.size() < imageSize) return false;
    for (std::size_t n = 1; n <= kRecordCount; ++n) placeRecord(n, image.data() + (n - 1) * recordSize);
    return true;
  }

  const unsigned char* slots() const { return slots_.get(); }

 private:
  std::unique_ptr<unsigned char[]> slots_;
};

using SparseEUC = SparseTable<TableKind::euc>;
using SparseSJIS = SparseTable<TableKind::sjis>;
using SparseUTF8 = SparseTable<TableKind::utf8>;

}  // namespace morvel
