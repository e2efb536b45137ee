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
inline constexpr const char* kWindowsStampEntry = "morvelWindowsStamp";

// The stamp of the build, compiled into the program and the module alike:
// the program runs only a module built with it.
inline constexpr const char* kBuildStamp = MORVEL_BUILD_STAMP;

// Ends the run at once with the exit code: the program's own, handed to
// the windows for the toolkit's fatal failures, after which nothing of the
// windows may run on.
using EndRun = void (*)(int code);

// The module's entry: runWindows of run_windows.h.
using WindowsEntry = int (*)(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter, EndRun endRun);
using WindowsStampEntry = const char* (*)();

}  // namespace morvel
