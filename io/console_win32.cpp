#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>

#include "code_page.h"
#include "codes.h"
#include "console.h"
#include "utf16.h"

namespace morvel {

namespace {

HANDLE handleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream))); }

void appendUtf16(std::wstring& wide, char32_t c) {
  if (c < 0x10000) {
    wide += static_cast<wchar_t>(c);
    return;
  }
  c -= 0x10000;
  wide += static_cast<wchar_t>(0xD800 + (c >> 10));
  wide += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
}

// Code page 932 text as UTF-16, character by character through the
// project's table, so that a byte without a character becomes one '?' and
// the rest still reads.
std::wstring wideOfShiftJis(std::string_view bytes) {
  std::wstring wide;
  while (!bytes.empty()) {
    const auto lead = static_cast<unsigned char>(bytes[0]);
    const Cp932Character character = characterAt(bytes);
    if (lead < 0x80) {
      wide += static_cast<wchar_t>(lead);
    } else if (const std::optional<char32_t> known = unicodeOfCode(character.code)) {
      appendUtf16(wide, *known);
    } else if (const std::optional<std::wstring> other = utf16OfCp932(bytes.substr(0, character.length))) {
      wide += *other;  // a user-defined one, say
    } else {
      wide += L'?';
    }
    bytes.remove_prefix(character.length);
  }
  return wide;
}

// Text for a pipe or a file ends its lines with CR LF, as Windows programs'
// text does; a CR LF already there stays one.
std::string withCrLf(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 16);
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    if (bytes[at] == '\n' && (at == 0 || bytes[at - 1] != '\r')) text += '\r';
    text += bytes[at];
  }
  return text;
}

}  // namespace

bool isTerminal(std::FILE* stream) {
  DWORD mode = 0;
  return ::GetConsoleMode(handleOf(stream), &mode) != 0;
}

// A console shows its characters whatever its code page: both the
// program's text and the user's names are code page 932 here.
void consoleWrite(std::FILE* stream, std::string_view ownText) { consoleWriteAsIs(stream, ownText); }

void hintOnTerminal(std::string_view sentence) {
  if (isTerminal(stderr)) consoleWriteAsIs(stderr, std::string(sentence) + '\n');
}

void consoleWriteAsIs(std::FILE* stream, std::string_view bytes) {
  if (isTerminal(stream)) {
    std::fflush(stream);
    const std::wstring wide = wideOfShiftJis(bytes);
    DWORD written = 0;
    ::WriteConsoleW(handleOf(stream), wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
    return;
  }
  // Pipes and files get the bytes with CR LF line ends, whatever the C
  // library's mode of the stream.
  ::_setmode(::_fileno(stream), _O_BINARY);
  const std::string text = withCrLf(bytes);
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fflush(stream);
}

}  // namespace morvel
