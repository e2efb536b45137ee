// Morvel has no console: it reports through one-line files in the current
// directory. Each writer empties its file and writes a single line, the
// parts joined by single blanks and ended by CR LF, so a file holds only the
// latest report of its kind. A file that cannot be written is skipped
// silently.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace morvel {

inline constexpr const char* kErrorFile = "error.txt";
inline constexpr const char* kMessagesFile = "messages.txt";
inline constexpr const char* kInfoFile = "info.txt";
inline constexpr const char* kVersionFile = "version.txt";

// Longest line "messages.txt" takes, blank included.
inline constexpr std::size_t kMessageRoom = 3711;

// "error.txt"
void ReportError(std::string_view a);
void ReportError(std::string_view a, std::string_view b);
void ReportError(std::string_view a, std::string_view b, std::string_view c, std::string_view d);
void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b);
void ReportErrorNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c);
// n in upper-case hexadecimal without prefix or fill.
void ReportErrorHex(std::string_view a, std::int32_t n);

// "messages.txt": a cut to its first 3711 - length(b) bytes, then b; when b
// alone takes 3711 bytes or more the file is only emptied.
void ReportMessage(std::string_view a, std::string_view b);
void ReportMessageNumber(std::string_view a, std::int32_t n, std::string_view b, std::string_view c);

// "info.txt": n, a, m with both numbers in upper-case hexadecimal. Returns
// the line without its line end.
std::string ReportCodePair(std::int32_t n, std::string_view a, std::int32_t m);

// The version line, an empty line and the 17 usage lines, plain or with
// their comments, each ending in LF (the file gets CR LF).
std::string versionText(bool commented);

// Writes "version.txt" and ends the process with exit code 1.
[[noreturn]] void WriteVersionFile(bool commented);

}  // namespace morvel
