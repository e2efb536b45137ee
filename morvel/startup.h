// Morvel's start-up: the checks that must pass before anything else runs,
// the option reading and the work that may run before any window exists.
#pragma once

#include <functional>
#include <vector>

#include "options.h"
#include "profile.h"
#include "reporter.h"

#include "morvel_texts.h"

namespace morvel {

// What the entry does once the start-up is over.
enum class [[nodiscard]] Verdict{
    goOn,         // not an outcome but the next step: create the windows; exit code 0 when they close
    doneQuietly,  // exit code 0, no window
    stop,         // exit code 1, no window
    editFailed,   // exit code -4 (252 on POSIX), no window
};

// The exit code of a verdict that ends the run before any window.
int exitCodeOf(Verdict verdict);

// True when the EUC-JP and UTF-8 tables can be opened; otherwise reports
// the reasons and returns false (the run ends with exit code 1).
[[nodiscard]] bool CheckTablesPresent(const TableContext& context);

// True when there is no non-empty "VEL" in the current directory; otherwise
// reports it and returns false (the run ends with exit code 1).
[[nodiscard]] bool CheckWatchedFileAbsent(Reporter& reporter);

// True when "VEL" can be created in the current directory, which the window
// needs; otherwise reports it and returns false (exit code 1). Leaves the
// folder as it found it.
[[nodiscard]] bool CheckWatchedFileCreatable(Reporter& reporter);

// Where the window can show. Without a display of its own (a platform
// chosen in QT_QPA_PLATFORM such as offscreen needs none) there is no
// window; an X display is preferred to Wayland, where a client cannot
// place its windows, unless the user chose the platform.
struct DisplayChoice {
  bool available = false;
  const char* platform = nullptr;  // to choose for the toolkit; none: leave it
};
DisplayChoice chooseDisplay(const char* chosenPlatform, const char* x11Display, const char* waylandDisplay);

// What runs before a window, from the options: a table edit or a file
// conversion for the EUC-JP target.
Verdict startupDispatch(const TableContext& context, const CommandLineOptions& options);

// The verdict of the command line and the settings that the rest of the run
// works with.
struct StartupOutcome {
  Verdict verdict = Verdict::goOn;
  FinalEffect settings;
};

// Reads the options ("-V" and "-VC" write "version.txt" and stop the run)
// and runs the start-up dispatch.
// `words` are the command line's words after the program's path.
StartupOutcome ProcessCommandLine(const std::vector<TypedWord>& words, Reporter& reporter);
// The same for argv, read as this system's words are (commandWords).
StartupOutcome ProcessCommandLine(int argc, const char* const* argv, Reporter& reporter);

// The windows: they receive the settings and return the exit code.
using WindowRunner = std::function<int(const FinalEffect& settings)>;

// The whole program: checks, options, dispatch, then `runWindows` unless the
// verdict ends the run. Returns the exit code. "--help" and "-h" only show
// the usage (exit code 0), before the checks.
int runMorvel(const std::vector<TypedWord>& words, Reporter& reporter, const WindowRunner& runWindows);
int runMorvel(int argc, const char* const* argv, Reporter& reporter, const WindowRunner& runWindows);

}  // namespace morvel
