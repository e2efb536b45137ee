// fenra's command line: each argument examined once, in order, the first
// matching rule deciding.
#pragma once

#include <string>
#include <vector>

#include "edit_settings.h"
#include "reporter.h"
#include "typed_text.h"

namespace morvel {

enum class FenraAction { edit, printVersion, printVersionWithComments, printUsage, printVersionLine };

// Applies `arguments` (argv[1..]) to `settings`. Stops at "-V", "-VC",
// "--help", "-h" or "--version", leaving the arguments after it unexamined.
FenraAction applyArguments(const std::vector<TypedWord>& arguments, EditSettings& settings);

// The version line, an empty line and the usage lines, each ending in LF.
std::string fenraVersionText(bool commented);

// Runs fenra: settings, arguments, then exactly one edit, reporting to
// `reporter`. Returns the exit status: 0 after a successful edit, 1
// otherwise and after "-V" or "-VC". "--help" and "-h" print the usage with
// its comments on standard output instead and return 0, "--version" the
// version line alone.
int runFenra(const std::vector<TypedWord>& arguments, Reporter& reporter);

}  // namespace morvel
