#include "report_files.h"

#include <cstdio>

#include "text_file.h"

namespace morvel {

namespace {

void writeLine(const char* file, const std::string& line) { writeTextFile(file, line + '\n'); }

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

void ReportError(std::string_view a) { writeLine(kErrorFile, joinedParts({a})); }

void ReportError(std::string_view a, std::string_view b) { writeLine(kErrorFile, joinedParts({a, b})); }

void ReportError(std::string_view a, std::string_view b, std::string_view c, std::string_view d) {
  writeLine(kErrorFile, joinedParts({a, b, c, d}));
}

void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b) {
  writeLine(kErrorFile, joinedParts({a, decimal(n), b}));
}

void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c) {
  writeLine(kErrorFile, joinedParts({a, decimal(n), b, c}));
}

void ReportErrorHex(std::string_view a, std::int32_t n) { writeLine(kErrorFile, joinedParts({a, upperHex(n)})); }

void ReportMessage(std::string_view a, std::string_view b) {
  if (b.size() >= kMessageRoom) {
    writeTextFile(kMessagesFile, "");
    return;
  }
  writeLine(kMessagesFile, joinedParts({a.substr(0, kMessageRoom - b.size()), b}));
}

void ReportMessageNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c) {
  writeLine(kMessagesFile, joinedParts({a, decimal(n), b, c}));
}

std::string ReportCodePair(std::int32_t n, std::string_view a, std::int32_t m) {
  std::string line = joinedParts({upperHex(n), a, upperHex(m)});
  writeLine(kInfoFile, line);
  return line;
}

}  // namespace morvel
