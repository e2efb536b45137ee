// Morvel: watches "VEL" and hands its text back converted; edits the EUC-JP
// table or converts a named file from the command line.
#include "reporter.h"
#include "startup.h"

int main(int argc, char** argv) {
  morvel::ReportFiles reports;  // Morvel has no console
  return morvel::runMorvel(argc, argv, reports, [](const morvel::FinalEffect&) { return 0; });
}
