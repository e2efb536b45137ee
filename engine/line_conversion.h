// The line conversion shared by every pass, as line_rules.h describes it.
// Two forms of one routine, which must agree byte for byte: the plain one
// (reference_conversion.h), which looks up every character with entryText,
// and the fast one declared here, over a table flattened beforehand
// (flat_table.h), which finds the bytes it must look up 64 at a time along
// one of the block paths (block_path.h). A text form converts many lines at
// once, as a file holds them. The passes include this header for all of it.
#pragma once

#include <cstddef>
#include <string_view>

#include "block_path.h"
#include "flat_table.h"
#include "line_rules.h"
#include "reference_conversion.h"

namespace morvel {

// Room the fast form needs in its output for `n` input bytes: a character
// grows to at most three bytes (a half-width katakana byte in UTF-8), and
// each lookup stores four.
constexpr std::size_t convertedRoom(std::size_t n) { return 3 * n + 8; }

// The fast form: converts `line` into `out`, which has
// convertedRoom(line.size()) bytes of room. Returns the end of what it wrote.
char* convertLine(const FlatTable& table, std::string_view line, LineState& state, char* out);
// The same along a given path, which must be available.
char* convertLine(BlockPath path, const FlatTable& table, std::string_view line, LineState& state, char* out);

// The fast form of the text conversion (convertTextByteByByte): `out` has
// convertedRoom(text.size()) bytes of room. Returns the end of what it wrote.
char* convertText(const FlatTextTable& table, std::string_view text, LineState& state, char* out);
char* convertText(BlockPath path, const FlatTextTable& table, std::string_view text, LineState& state, char* out);

}  // namespace morvel
