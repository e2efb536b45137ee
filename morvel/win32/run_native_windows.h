// Morvel's windows on Win32: the main window, its dialogs and the message
// loop. Morvel.exe calls this directly once its start-up lets the windows
// open; nothing is loaded at run time.
#pragma once

#include "options.h"
#include "reporter.h"

namespace morvel {

// Runs the windows until the main window closes; its closing hands the
// collected lines back. An exception escaping the creation of the windows
// or the loop is reported ("error.txt") and shown in a message box.
// Returns the exit code: 0. `argc` and `argv` are not used on Windows;
// they keep the call the same as on Linux.
int runWindows(int& argc, char** argv, const FinalEffect& settings, Reporter& reporter);

}  // namespace morvel
