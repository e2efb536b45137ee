#include "reporter.h"

#include <cstdio>
#include <string>

#include "console.h"
#include "report_files.h"
#include "text_file.h"

namespace morvel {

void Reporter::standardError(std::string_view line) { consoleWriteAsIs(stderr, std::string(line) + '\n'); }

void Reporter::errorFileLine(std::string_view line) { ReportError(line); }

void ReportFiles::error(std::string_view line) { ReportError(line); }

void ReportFiles::message(std::string_view subject, std::string_view note) { ReportMessage(subject, note); }

void ReportFiles::info(std::string_view line) { writeReportFile(kInfoFile, std::string(line) + '\n'); }

void ReportFiles::note(std::string_view sentence) { ReportNote(sentence); }

void ConsoleReports::error(std::string_view line) { consoleWriteAsIs(stderr, std::string(line) + '\n'); }

void ConsoleReports::message(std::string_view subject, std::string_view note) {
  consoleWriteAsIs(stdout, subject);
  consoleWrite(stdout, " " + std::string(note) + '\n');
}

void ConsoleReports::info(std::string_view line) { consoleWrite(stdout, std::string(line) + '\n'); }

void ConsoleReports::note(std::string_view sentence) { consoleWriteAsIs(stderr, std::string(sentence) + '\n'); }

}  // namespace morvel
