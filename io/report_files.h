// Report files: one-line text files in the current directory. Each writer
// empties its file and writes a single line, the parts joined by single
// blanks and ended by CR LF, so a file holds only the latest report of its
// kind. A file that cannot be written is skipped silently. When standard
// error is a terminal, each line of "error.txt" and "messages.txt" also goes
// there (own texts converted for a UTF-8 terminal, names as they are).
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "io_texts.h"

namespace morvel {

// The messages line buffer: a line of "messages.txt" holds at most 3711
// bytes, blank included.
inline constexpr std::size_t kMessageRoom = 3711;

// The parts joined by single blanks; an empty part still gets its blank.
std::string joinedParts(std::initializer_list<std::string_view> parts);

// A number in upper-case hexadecimal without prefix or fill.
std::string upperHex(std::int32_t n);

// "error.txt"
// Empties `file` and writes `text` to it as text. A report that cannot be
// written has nowhere else to go, so nothing is returned.
void writeReportFile(const char* file, std::string_view text);

void ReportError(std::string_view a);
void ReportError(std::string_view a, std::string_view b);
void ReportError(std::string_view a, std::string_view b, std::string_view c, std::string_view d);
void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b);
void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c);
void ReportErrorHex(std::string_view a, std::int32_t n);

// "messages.txt": a cut to its first 3711 - length(b) bytes, then b; when b
// alone takes 3711 bytes or more the file is only emptied.
void ReportMessage(std::string_view a, std::string_view b);
void ReportMessageNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c);
// "messages.txt": a plain sentence as it is (ASCII words around names), cut
// to its first 3711 bytes.
void ReportNote(std::string_view sentence);

// "info.txt": n, a, m with both numbers in upper-case hexadecimal. Returns
// the line without its line end.
std::string ReportCodePair(std::int32_t n, std::string_view a, std::int32_t m);
// The line ReportCodePair writes, for a reporter that puts it elsewhere.
std::string codePairLine(std::int32_t n, std::string_view a, std::int32_t m);

}  // namespace morvel
