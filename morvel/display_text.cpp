#include "display_text.h"

#include "code_page.h"

namespace morvel {

namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";  // U+FFFD

}  // namespace

std::string DisplayText::utf8(std::string_view sjis) const {
  std::string shown = utf8OfCp932(sjis, kReplacement);
  // CR LF shows as LF; the table leaves the ASCII bytes as they are.
  std::size_t kept = 0;
  for (std::size_t k = 0; k < shown.size(); ++k) {
    if (shown[k] == '\r' && k + 1 < shown.size() && shown[k + 1] == '\n') continue;
    shown[kept++] = shown[k];
  }
  shown.resize(kept);
  return shown;
}

std::optional<std::string> DisplayText::shiftJis(std::string_view utf8) const { return cp932OfUtf8(utf8); }

}  // namespace morvel
