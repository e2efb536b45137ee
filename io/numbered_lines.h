// The settings files ("parameters.txt" of Morvel, "setting.txt" of fenra):
// text files whose line numbers give each line its meaning.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "typed_text.h"

namespace morvel {

struct NumberedLines {
  std::vector<std::string> values;            // line 1 at index 0
  TypedCoding coding = TypedCoding::guessed;  // how the character lines are read
};

// The values of the file's lines. The file is read as text in pieces of at
// most 255 bytes (a longer line counts as several lines), and each value is
// cut at its first LF, "'", ",", "|" or tab: the rest is a comment. A byte
// order mark at the start is no part of line 1; `coding` is fileCoding() of
// the text. Nothing when the file cannot be opened.
[[nodiscard]] std::optional<NumberedLines> readNumberedLines(const std::string& path);

}  // namespace morvel
