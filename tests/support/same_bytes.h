// Compares outputs that may be megabytes long without printing them: a
// failure names the sizes and the first differing offset with a few bytes
// around it, never the whole text.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>

namespace testing_support {

// Up to 16 bytes from `at`, printable ASCII as is and the rest as \xNN.
inline std::string bytesAt(std::string_view text, std::size_t at) {
  std::string shown;
  for (std::size_t i = at; i < text.size() && i < at + 16; ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      shown += static_cast<char>(c);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
      shown += escaped;
    }
  }
  return shown;
}

// Empty when the two are equal, else their sizes and where they first differ.
inline std::string byteDifference(std::string_view actual, std::string_view expected) {
  if (actual == expected) return "";
  const std::size_t common = std::min(actual.size(), expected.size());
  const std::size_t at = static_cast<std::size_t>(
      std::mismatch(actual.begin(), actual.begin() + static_cast<std::ptrdiff_t>(common), expected.begin()).first -
      actual.begin());
  return "size " + std::to_string(actual.size()) + " (expected " + std::to_string(expected.size()) +
         "), first difference at offset " + std::to_string(at) + ": \"" + bytesAt(actual, at) + "\" instead of \"" +
         bytesAt(expected, at) + "\"";
}

// EXPECT_TRUE(sameBytes(actual, expected)) in place of EXPECT_EQ for large
// texts and files.
inline testing::AssertionResult sameBytes(std::string_view actual, std::string_view expected) {
  const std::string difference = byteDifference(actual, expected);
  if (difference.empty()) return testing::AssertionSuccess();
  return testing::AssertionFailure() << difference;
}

}  // namespace testing_support
