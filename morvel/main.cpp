// Morvel: watches "VEL" and hands its text back converted; edits the EUC-JP
// table or converts a named file from the command line.
#include <csignal>

#include "reporter.h"
#include "run_windows.h"
#include "startup.h"

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write, reported, instead of killing the run
#endif
  morvel::ReportFiles reports;  // Morvel has no console
  return morvel::runMorvel(argc, argv, reports, [&argc, argv, &reports](const morvel::FinalEffect& settings) {
    return morvel::runWindows(argc, argv, settings, reports);
  });
}
