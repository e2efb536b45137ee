// Morvel's Win32 windows as Morvel.exe will open them, for the end-to-end
// test under Wine driven by xdotool: the options of the command line and
// "parameters.txt", the report files, then the windows until they close.
// Stands in for Morvel.exe until its Windows entry is there.
#include "options.h"
#include "reporter.h"
#include "run_native_windows.h"

int main(int argc, char** argv) {
  morvel::ReportFiles reporter;
  const morvel::CommandLineOptions options = morvel::readOptions(morvel::commandWords(argc, argv));
  return morvel::runWindows(argc, argv, options.effect, reporter);
}
