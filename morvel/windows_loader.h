// Morvel's windows where they are a module of their own (windows_module.h):
// the program finds the module, checks that it was built with it, and runs
// its windows only when a run opens them.
#pragma once

#include "options.h"
#include "reporter.h"

namespace morvel {

// Whether a display is there, told to the toolkit where the environment
// leaves the choice open; checked before the toolkit loads, which would
// abort without one. Reported when there is none.
bool displayChosen(Reporter& reporter);

// Runs the windows of the module beside the program (a build), else of the
// installed one: their exit code, or 1, reported, when the module is missing
// or of another build. An exit handler registered before this call runs
// after the module's own; `endRun` ends the run where the toolkit gives up.
int runWindowsModule(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter, void (*endRun)(int code));

// True while the module's windows run, an exit from inside them included.
bool windowsModuleRunning();

}  // namespace morvel
