// Morvel's windows on Qt: the application object, the main window and the
// places of its dialogs, and the event loop.
#pragma once

#include "options.h"
#include "reporter.h"

namespace morvel {

// Runs the windows until the main window closes; its closing hands the
// collected lines back. An exception escaping the
// creation of the windows or the loop is shown in a message box. Returns
// the exit code: 0.
int runWindows(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter);

}  // namespace morvel
