// Morvel on Windows: its raw command line is read as UTF-16, turned into
// code page 932 and split as on every platform. Its Win32 windows are linked
// in: nothing is loaded at run time.
#include <string>
#include <vector>

#include "asked_text.h"
#include "file_replace.h"
#include "report_files.h"
#include "reporter.h"
#include "run_native_windows.h"
#include "startup.h"
#include "version_file.h"
#include "windows_command_line.h"

int main() {
  morvel::removeTemporariesOnSignals();
  morvel::ReportFiles reports;  // Morvel has no console
  const std::vector<morvel::CommandWord> words = morvel::rawCommandWords();
  // Before anything else, as runMorvel would, but shown where a GUI
  // program's text can be seen.
  switch (morvel::consoleRequest(morvel::typedWordsOf(words))) {
    case morvel::ConsoleRequest::usage:
      morvel::showAskedText(morvel::versionText(true));
      return 0;
    case morvel::ConsoleRequest::versionLine:
      morvel::showAskedText(morvel::versionLine());
      return 0;
    case morvel::ConsoleRequest::none:
      break;
  }
  if (const auto refusal = morvel::unwritableWordLine(words, {"-a", "-g", "-k", "-s"})) {
    reports.error(*refusal);
    return 1;
  }
  return morvel::runMorvel(morvel::typedWordsOf(words), reports, [&reports](const morvel::FinalEffect& settings) {
    int argc = 0;  // the windows take nothing more from the command line
    return morvel::runWindows(argc, nullptr, settings, reports);
  });
}
