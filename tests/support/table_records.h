// The table files as bytes: the shipped ones in data/, and their records
// found by code.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "support/temp_dir.h"

namespace testing_support {

// A table file holds 7882 records of four bytes: the code page 932 code,
// then its target. The first 158 name single-byte codes (the code's second
// byte is 0), the rest double-byte codes.
inline constexpr std::size_t kRecordCount = 7882;
inline constexpr std::size_t kSingleByteRecords = 158;

// The bytes of the shipped table file `name`.
inline std::string shippedBytes(std::string_view name) {
  return readBytes(std::string(MORVEL_DATA_DIR) + "/" + std::string(name));
}

// The ordinal (from 0) of the record that names `code` (a byte, or lead byte
// * 256 + trail byte) in a table file's bytes; kRecordCount when none does.
inline std::size_t recordIndex(std::string_view table, int code) {
  for (std::size_t n = 0; n < kRecordCount; ++n) {
    const auto b0 = static_cast<unsigned char>(table[n * 4]);
    const auto b1 = static_cast<unsigned char>(table[n * 4 + 1]);
    const int c = n < kSingleByteRecords ? b0 : b0 * 256 + b1;
    if (c == code) return n;
  }
  return kRecordCount;
}

// The ordinal of the double-byte record whose code is the two bytes `code`;
// kRecordCount when none is.
inline std::size_t doubleByteRecord(std::string_view table, std::string_view code) {
  for (std::size_t n = kSingleByteRecords; n < kRecordCount; ++n) {
    if (table.substr(n * 4, 2) == code) return n;
  }
  return kRecordCount;
}

// The two target bytes of record `record`.
inline std::string targetOf(std::string_view table, std::size_t record) {
  return std::string(table.substr(record * 4 + 2, 2));
}

}  // namespace testing_support
