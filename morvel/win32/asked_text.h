// The text a run of Morvel.exe was asked for ("--help", "-h", "--version").
// A GUI program has no console of its own, so the text goes where the user
// can see it.
#pragma once

#include <string_view>

namespace morvel {

// Shift_JIS `text` to the standard output the program was given (a pipe or
// a file); else to the console of the program that started it; else in a
// message box titled with the product label.
void showAskedText(std::string_view text);

}  // namespace morvel
