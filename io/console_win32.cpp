#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <climits>

#include "code_page.h"
#include "console.h"

namespace morvel {

namespace {

constexpr UINT kShiftJis = 932;

HANDLE handleOf(std::FILE* stream) { return reinterpret_cast<HANDLE>(::_get_osfhandle(::_fileno(stream))); }

// UTF-16 from `bytes` in `codePage`; nothing when they are not valid there.
std::optional<std::wstring> wideFrom(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > INT_MAX) return std::nullopt;
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length);
  return wide;
}

// `wide` in `codePage`; nothing when a character has no exact code there.
std::optional<std::string> bytesIn(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  BOOL defaulted = FALSE;
  BOOL* const check = codePage == CP_UTF8 ? nullptr : &defaulted;  // UTF-8 takes no such check
  const DWORD flags = codePage == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
  const int length = ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, check);
  if (length <= 0 || defaulted) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr, nullptr);
  return bytes;
}

bool isLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

// Code page 932 text as UTF-16, character by character, so that a byte
// without a mapping becomes one '?' and the rest still reads.
std::wstring wideOfShiftJis(std::string_view bytes) {
  if (std::optional<std::wstring> whole = wideFrom(kShiftJis, bytes)) return *whole;
  std::wstring wide;
  while (!bytes.empty()) {
    const std::size_t length = isLeadByte(static_cast<unsigned char>(bytes[0])) && bytes.size() > 1 ? 2 : 1;
    const std::optional<std::wstring> character = wideFrom(kShiftJis, bytes.substr(0, length));
    if (character) {
      wide += *character;
      bytes.remove_prefix(length);
    } else {
      wide += L'?';
      bytes.remove_prefix(1);
    }
  }
  return wide;
}

}  // namespace

bool isTerminal(std::FILE* stream) {
  DWORD mode = 0;
  return ::GetConsoleMode(handleOf(stream), &mode) != 0;
}

std::optional<std::string> cp932OfUtf8(std::string_view utf8) {
  const std::optional<std::wstring> wide = wideFrom(CP_UTF8, utf8);
  if (!wide) return std::nullopt;
  return bytesIn(kShiftJis, *wide);
}

std::string sjisToUtf8(std::string_view bytes) {
  return bytesIn(CP_UTF8, wideOfShiftJis(bytes)).value_or(std::string(bytes));
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
  // Pipes and files get the exact bytes, without the C library's LF to CR LF.
  ::_setmode(::_fileno(stream), _O_BINARY);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace morvel
