// fenra on Windows: the words of its command line are read as UTF-16 and
// turned into code page 932, so that what is typed reads the same whatever
// the system's ANSI code page.
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>
#include <vector>

#include "command_line.h"
#include "file_replace.h"
#include "reporter.h"
#include "windows_command_line.h"

int main() {
  // Pipes and files get the exact bytes, without LF turned into CR LF.
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  morvel::removeTemporariesOnSignals();
  morvel::ConsoleReports console;
  const std::vector<morvel::CommandWord> words = morvel::argumentWords();
  if (const auto refusal = morvel::unwritableWordLine(words, {"-a", "-e", "-k", "-s"})) {
    console.error(*refusal);
    return 1;
  }
  return morvel::runFenra(morvel::typedWordsOf(words), console);
}
