// The three table kinds: file names, record layout and slot width.
#pragma once

#include <cstddef>
#include <cstdint>

namespace morvel {

// The kind code equals the target-encoding number of the "-e" option.
enum class TableKind { euc = 1, sjis = 2, utf8 = 3 };

// Morvel's target encoding, numbered as "-eN", line 6 of "parameters.txt"
// and the Encoding menu number it: the same numbers as the table kinds.
// Other numbers are kept as they were given; such a target hands back UTF-8
// with CR LF and reports no table, as the numbers always did.
enum class TargetEncoding : std::int32_t {
  eucJp = static_cast<std::int32_t>(TableKind::euc),
  shiftJis = static_cast<std::int32_t>(TableKind::sjis),
  utf8 = static_cast<std::int32_t>(TableKind::utf8),
};

// The number where options and settings meet the target, and back.
constexpr TargetEncoding encodingFromNumber(std::int32_t number) { return static_cast<TargetEncoding>(number); }
constexpr std::int32_t encodingNumber(TargetEncoding encoding) { return static_cast<std::int32_t>(encoding); }

// True when a table of `kind` converts to `encoding`.
constexpr bool convertsTo(TableKind kind, TargetEncoding encoding) {
  return static_cast<std::int32_t>(kind) == encodingNumber(encoding);
}

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
