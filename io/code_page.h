// Code page 932 and Unicode, both ways, through the project's UTF-8 table
// (the shipped MS932~UTF-8.bin, built into the programs): the one route
// between code page 932 and UTF-8 on every system, for the windows, the
// typed options, the list and settings files and the console. The table
// knows the 7882 characters of code page 932 outside its user-defined area.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace morvel {

// The Unicode character of a code page 932 code (a byte, or lead x 256 +
// trail); nothing when the table has none.
[[nodiscard]] std::optional<char32_t> unicodeOfCode(std::int32_t code);

// The code page 932 code of a Unicode character, as Windows' own
// conversion picks it where the table has several (the NEC and IBM
// duplicates): JIS X 0208 first, then NEC row 13 (0x87xx), then the IBM
// extensions 0xFA40-0xFC4B, then the NEC-selected 0xED40-0xEEFC. Nothing
// when the table has none.
[[nodiscard]] std::optional<std::int32_t> codeOfUnicode(char32_t character);

// The bytes of a code: one for a single-byte code, lead and trail otherwise.
std::string bytesOfCode(std::int32_t code);

// `utf8` in code page 932; nothing when it is not well-formed UTF-8 or one
// of its characters has no code.
[[nodiscard]] std::optional<std::string> cp932OfUtf8(std::string_view utf8);

// Code page 932 text in UTF-8, character by character: a lead byte takes
// the byte after it when that can trail; a byte or pair without a character
// becomes `missing`. CR LF stays CR LF.
std::string utf8OfCp932(std::string_view sjis, std::string_view missing);

// True when every character of `sjis` is ASCII or one the table knows.
[[nodiscard]] bool isKnownCp932(std::string_view sjis);

// Length of the well-formed UTF-8 sequence at the start of `text`, 0 when
// there is none: no overlong forms, no surrogates, nothing past U+10FFFF.
std::size_t utf8SequenceAt(std::string_view text);

// The character of a well-formed sequence utf8SequenceAt() measured.
char32_t decodedUtf8(std::string_view sequence);

// Well-formed UTF-8 with at least one non-ASCII character: what a UTF-8
// terminal or editor produces and code page 932 text practically never is.
[[nodiscard]] bool isUtf8BeyondAscii(std::string_view text);

}  // namespace morvel
