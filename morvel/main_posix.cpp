// Morvel: watches "VEL" and hands its text back converted; edits the EUC-JP
// table or converts a named file from the command line.
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "file_replace.h"
#include "reporter.h"
#include "startup.h"
#include "windows_loader.h"

namespace {

// The toolkit ends the process itself when the display goes away under the
// window; the windows have closed as their close box does by then (their
// own handler ran first), so the run ends as after a close.
extern "C" void endWhileWindowsRun() {
  if (morvel::windowsModuleRunning()) ::_exit(0);
}

// For the windows, where the toolkit gives up: the run ends here, with
// what was reported already in its files.
void endRunNow(int code) { ::_exit(code); }

}  // namespace

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write, reported, instead of killing the run
#endif
  // An interrupted run leaves no temporary file behind.
  morvel::removeTemporariesOnSignals();
  morvel::ReportFiles reports;  // Morvel has no console
  return morvel::runMorvel(argc, argv, reports, [&argc, argv, &reports](const morvel::FinalEffect& settings) {
    if (!morvel::displayChosen(reports)) return 1;
    std::atexit(endWhileWindowsRun);  // before the module loads and adds its own, so it runs after them
    return morvel::runWindowsModule(argc, argv, settings, reports, endRunNow);
  });
}
