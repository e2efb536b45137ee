// The words of a raw command line as Windows hands it to a program: the
// program's path, found where Windows itself ends it, then the words split
// as every platform splits them (blanks only, quotes kept in the word).
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace morvel {

// Whether `name` is an existing file (not a folder).
using FileTest = std::function<bool(std::string_view name)>;

// Where the program's path at the start of `line` ends. Quoted, at its
// closing quote. Unquoted, at the first blank or tab that ends a prefix
// naming a file, tried shortest first with ".exe" added when the last part
// has no extension, as CreateProcess runs an unquoted path with blanks;
// at the first blank or tab when none does (a name found on Path).
std::size_t programPathEnd(std::string_view line, const FileTest& isFile);

// A word and where it starts in the line.
struct LineWord {
  std::string text;
  std::size_t start = 0;
};

// The program's path (as it stands in the line), then the words after it,
// cut as the field splitter cuts them: 524,287 bytes and 3072 words in all,
// the path counted as one whatever its blanks.
std::vector<LineWord> commandLineWords(std::string_view line, const FileTest& isFile);

// A word that names a file: Windows names hold no double quote, so every
// quote in the word only grouped it.
std::string unquotedName(std::string_view word);

}  // namespace morvel
