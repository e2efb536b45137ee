// Morvel on Windows: its raw command line is read as UTF-16, turned into
// code page 932 and split as on every platform. Its Win32 windows are linked
// in: nothing is loaded at run time.
#include <string>
#include <vector>

#include "file_replace.h"
#include "report_files.h"
#include "reporter.h"
#include "run_native_windows.h"
#include "startup.h"
#include "windows_command_line.h"

int main() {
  morvel::removeTemporariesOnSignals();
  morvel::ReportFiles reports;  // Morvel has no console
  const std::vector<morvel::CommandWord> words = morvel::rawCommandWords();
  if (const auto refusal = morvel::unwritableWordLine(words, {"-a", "-g", "-k", "-s"})) {
    reports.error(*refusal);
    return 1;
  }
  return morvel::runMorvel(morvel::typedWordsOf(words), reports, [&reports](const morvel::FinalEffect& settings) {
    int argc = 0;  // the windows take nothing more from the command line
    return morvel::runWindows(argc, nullptr, settings, reports);
  });
}
