#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <climits>

#include "utf16.h"

namespace morvel {

namespace {

constexpr UINT kShiftJis = 932;

std::optional<std::wstring> wideOf(UINT codePage, std::string_view bytes) {
  if (bytes.empty()) return std::wstring();
  if (bytes.size() > INT_MAX) return std::nullopt;
  const int size = static_cast<int>(bytes.size());
  const int length = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, wide.data(), length) != length) {
    return std::nullopt;
  }
  return wide;
}

// `flags` refuse what does not convert where the code page allows that
// (UTF-8); elsewhere the system's default character tells.
std::optional<std::string> bytesOf(UINT codePage, DWORD flags, std::wstring_view wide) {
  if (wide.empty()) return std::string();
  if (wide.size() > INT_MAX) return std::nullopt;
  const int size = static_cast<int>(wide.size());
  BOOL usedDefault = FALSE;
  BOOL* const defaulted = codePage == CP_UTF8 ? nullptr : &usedDefault;
  const int length = ::WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, defaulted);
  if (length <= 0 || usedDefault) return std::nullopt;
  std::string bytes(static_cast<std::size_t>(length), '\0');
  if (::WideCharToMultiByte(codePage, flags, wide.data(), size, bytes.data(), length, nullptr, nullptr) != length) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace

std::optional<std::wstring> utf16OfCp932(std::string_view cp932) { return wideOf(kShiftJis, cp932); }

std::optional<std::string> cp932OfUtf16(std::wstring_view utf16) {
  return bytesOf(kShiftJis, WC_NO_BEST_FIT_CHARS, utf16);
}

std::optional<std::wstring> utf16OfUtf8(std::string_view utf8) { return wideOf(CP_UTF8, utf8); }

std::optional<std::string> utf8OfUtf16(std::wstring_view utf16) {
  return bytesOf(CP_UTF8, WC_ERR_INVALID_CHARS, utf16);
}

}  // namespace morvel
