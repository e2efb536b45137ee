// The command line of a Windows program in code page 932, whatever the
// system's ANSI code page: Windows keeps it as UTF-16, and each word is
// turned into code page 932 with the system's own conversion.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "typed_text.h"

namespace morvel {

struct CommandWord {
  std::string text;   // code page 932; UTF-8 throughout when `exact` is false
  bool exact = true;  // false: a character has no code page 932 code
};

// The raw command line (GetCommandLineW) split as on every platform:
// blanks between words, double quotes grouping a word and kept in it, at
// most 524,287 bytes and 3072 words. The program's path comes first, ended
// where Windows ends it (command_words.h).
std::vector<CommandWord> rawCommandWords();

// The words as Windows splits them (CommandLineToArgvW), the program's path
// first.
std::vector<CommandWord> argumentWords();

// A word that code page 932 cannot write reaches the option reading in
// UTF-8 only when it starts with one of `characterOptions`, whose reading
// refuses it as a typed character; any other such word would name a file
// that no name here can reach. The line that refuses the first of those,
// nothing when there is none.
[[nodiscard]] std::optional<std::string> unwritableWordLine(const std::vector<CommandWord>& words,
                                                            std::initializer_list<std::string_view> characterOptions);

// The words as the option readings take them, the program's path left out:
// code page 932 as they are, a word holding a character code page 932 cannot
// write in UTF-8, which a character option then refuses.
std::vector<TypedWord> typedWordsOf(const std::vector<CommandWord>& words);

}  // namespace morvel
