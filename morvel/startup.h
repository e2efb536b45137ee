// Morvel's start-up: the checks that must pass before anything else runs,
// the option reading and the work that may run before any window exists.
#pragma once

#include <functional>

#include "options.h"

namespace morvel {

// Start-up verdicts besides "go on to the window".
inline constexpr int kEditFailed = -4;               // exit code -4 (252 on POSIX)
inline constexpr int kDoneQuietly = -3;              // exit code 0, no window
inline constexpr int kConversionFailedQuietly = -5;  // exit code 1, no window

// Returns only when the EUC-JP and UTF-8 tables can be opened; otherwise
// writes the reasons and ends the process with exit code 1.
void CheckTablesPresent();

// Returns only when there is no non-empty "VEL" in the current directory;
// otherwise ends the process with exit code 1.
void CheckWatchedFileAbsent();

// What runs before a window, from the options: a table edit or a file
// conversion for the EUC-JP target. Returns the verdict.
int startupDispatch(const CommandLineOptions& options);

// Reads the options, publishes finalEffect and runs the start-up dispatch.
int ProcessCommandLine(int argc, const char* const* argv);

// The whole program: checks, options, dispatch, then `runWindows` unless the
// verdict ends the run. Returns the exit code.
int runMorvel(int argc, const char* const* argv, const std::function<int()>& runWindows);

}  // namespace morvel
