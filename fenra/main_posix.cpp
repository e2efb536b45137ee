// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
// fenra: one edit of the EUC-JP conversion table per run.
#include <csignal>
#include <string>
#include <vector>

#include "command_line.h"
#include "file_replace.h"
#include "reporter.h"
#include "typed_text.h"

int main(int argc, char** argv) {
#ifdef SIGXFSZ
  std::signal(SIGXFSZ, SIG_IGN);  // a file size limit fails the write, reported, instead of killing the run
#endif
  // An interrupted run leaves no temporary file behind.
  morvel::removeTemporariesOnSignals();
  morvel::ConsoleReports console;
  std::vector<morvel::TypedWord> arguments;
  for (int k = 1; k < argc; ++k) arguments.push_back({argv[k], morvel::kWordCoding});
  return morvel::runFenra(arguments, console);
}
