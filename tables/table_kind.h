// The three table kinds: file names, record layout and slot width.
#pragma once

#include <cstddef>

namespace morvel {

// The kind code equals the target-encoding number of the "-e" option.
enum class TableKind { euc = 1, sjis = 2, utf8 = 3 };

constexpr std::size_t kRecordCount = 7882;
constexpr std::size_t kSingleByteRecords = 158;  // records 1-158; the rest are double-byte

template <TableKind K>
struct TableTraits;

template <>
struct TableTraits<TableKind::euc> {
  static constexpr const char* fileName = "MS932~EUC-JP.bin";
  static constexpr const char* variable = "euc";
  static constexpr std::size_t recordSize = 4;
  static constexpr std::size_t slotWidth = 3;
};

template <>
struct TableTraits<TableKind::sjis> {
  static constexpr const char* fileName = "MS932~Shift_JIS.bin";
  static constexpr const char* variable = "sjis";
  static constexpr std::size_t recordSize = 4;
  static constexpr std::size_t slotWidth = 3;
};

template <>
struct TableTraits<TableKind::utf8> {
  static constexpr const char* fileName = "MS932~UTF-8.bin";
  static constexpr const char* variable = "utf8";
  static constexpr std::size_t recordSize = 5;
  static constexpr std::size_t slotWidth = 4;
};

// The file name of a table of `kind`.
constexpr const char* tableFileName(TableKind kind) {
  switch (kind) {
    case TableKind::euc:
      return TableTraits<TableKind::euc>::fileName;
    case TableKind::sjis:
      return TableTraits<TableKind::sjis>::fileName;
    case TableKind::utf8:
      return TableTraits<TableKind::utf8>::fileName;
  }
  return "";
}

}  // namespace morvel
