// Morvel: watches "VEL" and hands its text back converted; edits the EUC-JP
// table or converts a named file from the command line.
#include "startup.h"

int main(int argc, char** argv) {
  return morvel::runMorvel(argc, argv, [] { return 0; });
}
