// Morvel's windows are a module of their own (libmorvel_windows.so, beside
// the program), which the program loads only when a run opens the windows:
// a conversion from the command line then starts without loading the
// toolkit at all, and stays small. This is what the two share.
#pragma once

#include "options.h"
#include "reporter.h"

namespace morvel {

inline constexpr const char* kWindowsModule = "libmorvel_windows.so";
inline constexpr const char* kWindowsEntry = "morvelRunWindows";

// The module's entry: runWindows of run_windows.h.
using WindowsEntry = int (*)(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter);

}  // namespace morvel
