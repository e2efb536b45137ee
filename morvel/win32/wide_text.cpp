#include "wide_text.h"

#include <optional>

#include "codes.h"
#include "utf16.h"

namespace morvel {

std::wstring shownName(std::string_view name) {
  if (std::optional<std::wstring> exact = utf16OfCp932(name)) return std::move(*exact);
  std::wstring wide;
  while (!name.empty()) {
    const std::size_t length = characterAt(name).length;
    wide += utf16OfCp932(name.substr(0, length)).value_or(L"\uFFFD");
    name.remove_prefix(length);
  }
  return wide;
}

std::wstring shownText(const DisplayText& display, std::string_view sjis, bool forEdit) {
  const std::wstring wide = utf16OfUtf8(display.utf8(sjis)).value_or(std::wstring());
  if (!forEdit) return wide;
  std::wstring lines;
  lines.reserve(wide.size() + wide.size() / 16);
  for (const wchar_t c : wide) {
    if (c == L'\n') lines += L'\r';
    lines += c;
  }
  return lines;
}

std::wstring windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

}  // namespace morvel
