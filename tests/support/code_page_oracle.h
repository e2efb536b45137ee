// The system's own code page 932 as the oracle of conversion tests: the C
// library's iconv on Linux, MultiByteToWideChar with code page 932 on
// Windows (Wine's tables under Wine).
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string>

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>
#endif

namespace testing_support {

// Code page 932 text as UTF-8; a test failure when the system stops on it.
inline std::string systemUtf8OfCp932(const std::string& cp932) {
  if (cp932.empty()) return {};
#ifdef _WIN32
  const int size = static_cast<int>(cp932.size());
  const int length = ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932.data(), size, nullptr, 0);
  if (length <= 0) {
    ADD_FAILURE() << "code page 932 cannot read the text";
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, cp932.data(), size, wide.data(), length);
  const int bytes = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, out.data(), bytes, nullptr, nullptr);
  return out;
#else
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "iconv cannot convert CP932";
    return {};
  }
  std::string in = cp932;
  std::string out(in.size() * 3 + 16, '\0');
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  if (::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    ADD_FAILURE() << "iconv stopped " << in.size() - inLeft << " bytes in";
  }
  ::iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
#endif
}

// UTF-8 text in code page 932 as the system writes it, each character to
// the code the system picks; nothing when a character has no exact code
// (no best fit).
inline std::optional<std::string> systemCp932OfUtf8(const std::string& utf8) {
  if (utf8.empty()) return std::string();
#ifdef _WIN32
  const int size = static_cast<int>(utf8.size());
  const int length = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), length);
  BOOL defaulted = FALSE;
  const int bytes =
      ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, nullptr, &defaulted);
  if (bytes <= 0 || defaulted) return std::nullopt;
  std::string out(static_cast<std::size_t>(bytes), '\0');
  ::WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), length, out.data(), bytes, nullptr, nullptr);
  return out;
#else
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "iconv cannot convert to CP932";
    return std::nullopt;
  }
  std::string in = utf8;
  std::string out(in.size() + 16, '\0');
  char* inPtr = in.data();
  std::size_t inLeft = in.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const bool converted = ::iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1);
  ::iconv_close(cd);
  if (!converted) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
#endif
}

}  // namespace testing_support
