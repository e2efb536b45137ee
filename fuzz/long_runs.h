// Random inputs almost never hold 64 ASCII bytes in a row, which a whole
// block of the vector paths needs after a pair across a block edge. The
// fuzzers spell such runs short: 0x7F followed by a byte n below 0x80 stands
// for 64 + n letters; 0x7F followed by any other byte stands for both bytes.
#pragma once

#include <string>
#include <string_view>

inline std::string withLongAsciiRuns(std::string_view bytes) {
  std::string text;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto n = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0x80u;
    if (bytes[i] != '\x7F' || n >= 0x80) {
      text += bytes[i];
      continue;
    }
    for (unsigned k = 0; k < 64 + n; ++k) text += static_cast<char>('a' + k % 26);
    ++i;
  }
  return text;
}
