#include "report_files.h"

#include <cstdio>

#include "console.h"
#include "text_file.h"

namespace morvel {

void writeReportFile(const char* file, std::string_view text) { static_cast<void>(writeTextFile(file, text)); }

namespace {

void writeLine(const char* file, const std::string& line) { writeReportFile(file, line + '\n'); }

// A run started by hand at a terminal shows its errors and notices there
// too; the files stay the record. `asIs` holds names (and ASCII words),
// `ownText` the program's own text, which a UTF-8 terminal gets converted.
void showOnTerminal(std::string_view asIs, std::string_view ownText) {
  if (!isTerminal(stderr)) return;
  consoleWriteAsIs(stderr, asIs);
  consoleWrite(stderr, ownText);
}

void writeErrorLine(const std::string& line) {
  writeLine(kErrorFile, line);
  showOnTerminal(line, "\n");
}

std::string decimal(std::int32_t n) { return std::to_string(n); }

}  // namespace

std::string joinedParts(std::initializer_list<std::string_view> parts) {
  std::string line;
  bool first = true;
  for (std::string_view part : parts) {
    if (!first) line += ' ';
    line.append(part);
    first = false;
  }
  return line;
}

std::string upperHex(std::int32_t n) {
  char text[16];
  std::snprintf(text, sizeof text, "%X", static_cast<std::uint32_t>(n));
  return text;
}

void ReportError(std::string_view a) { writeErrorLine(joinedParts({a})); }

void ReportError(std::string_view a, std::string_view b) { writeErrorLine(joinedParts({a, b})); }

void ReportError(std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
  writeErrorLine(joinedParts({a, b, c, d}));
}

void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b) {
  writeErrorLine(joinedParts({a, decimal(n), b}));
}

void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c) {
  writeErrorLine(joinedParts({a, decimal(n), b, c}));
}

void ReportErrorHex(std::string_view a, std::int32_t n) { writeErrorLine(joinedParts({a, upperHex(n)})); }

void ReportMessage(std::string_view a, std::string_view b) {
  if (b.size() >= kMessageRoom) {
    writeReportFile(kMessagesFile, "");
    return;
  }
  const std::string_view subject = a.substr(0, kMessageRoom - b.size());
  writeLine(kMessagesFile, joinedParts({subject, b}));
  showOnTerminal(subject, " " + std::string(b) + "\n");
}

void ReportMessageNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c) {
  const std::string line = joinedParts({a, decimal(n), b, c});
  writeLine(kMessagesFile, line);
  showOnTerminal(line, "\n");
}

void ReportNote(std::string_view sentence) {
  const std::string_view line = sentence.substr(0, kMessageRoom);
  writeLine(kMessagesFile, std::string(line));
  showOnTerminal(line, "\n");
}

std::string codePairLine(std::int32_t n, std::string_view a, std::int32_t m) {
  return joinedParts({upperHex(n), a, upperHex(m)});
}

std::string ReportCodePair(std::int32_t n, std::string_view a, std::int32_t m) {
  std::string line = codePairLine(n, a, m);
  writeLine(kInfoFile, line);
  return line;
}

}  // namespace morvel
