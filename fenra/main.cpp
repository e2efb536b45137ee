// fenra: one edit of the EUC-JP conversion table per run.
#include <string>
#include <vector>

#include "command_line.h"
#include "reporter.h"

int main(int argc, char** argv) {
  morvel::ConsoleReports console;
  return morvel::runFenra(std::vector<std::string>(argv + 1, argv + argc), console);
}
