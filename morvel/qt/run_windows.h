// Morvel's windows on Qt: the application object, the main window and the
// places of its dialogs, and the event loop.
#pragma once

#include "options.h"
#include "reporter.h"

namespace morvel {

// Runs the windows until the main window closes; its closing hands the
// collected lines back. Returns the exit code: 0, or 1 when the windows
// could not be built, after the reason went to "error.txt" (and, for an
// exception, to a message box). Where the toolkit itself gives up (no
// display it can reach, no platform plugin it can load), the reason is
// reported the same way and `endRun` ends the run with exit code 1.
int runWindows(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter, void (*endRun)(int code));

}  // namespace morvel
