// The settings files ("parameters.txt" of Morvel, "setting.txt" of fenra):
// text files whose line numbers give each line its meaning.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace morvel {

// The values of the file's lines, counted from 1 at index 0. The file is
// read as text in pieces of at most 255 bytes (a longer line counts as
// several lines), and each value is cut at its first LF, "'", ",", "|" or
// tab: the rest is a comment. Nothing when the file cannot be opened.
std::optional<std::vector<std::string>> readNumberedLines(const std::string& path);

}  // namespace morvel
