// The route between code page 932 and UTF-8 on arbitrary bytes, taken both
// ways: what one direction writes, the other reads back unchanged.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "code_page.h"
#include "typed_text.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);

  // Read as code page 932: always UTF-8; text of known characters goes back
  // to code page 932 and reads as the same characters again.
  const std::string utf8 = morvel::utf8OfCp932(bytes, "\xEF\xBF\xBD");
  if (utf8.size() > 3 * size || (!utf8.empty() && !morvel::isUtf8BeyondAscii(utf8 + "\xC2\xA0"))) std::abort();
  if (morvel::isKnownCp932(bytes)) {
    const auto back = morvel::cp932OfUtf8(utf8);
    if (!back || morvel::utf8OfCp932(*back, "?") != utf8) std::abort();
  }

  // Read as UTF-8: what converts reads back as exactly that text.
  if (const auto sjis = morvel::cp932OfUtf8(bytes)) {
    if (sjis->size() > size || morvel::utf8OfCp932(*sjis, "?") != bytes) std::abort();
  }

  // A character option keeps at most its byte count; a settings line one character.
  for (const auto coding :
       {morvel::TypedCoding::guessed, morvel::TypedCoding::utf8, morvel::TypedCoding::codePage932UnlessUtf8}) {
    if (const auto option = morvel::characterOption(bytes, 2, coding); option && option->size() > 2) std::abort();
    if (const auto line = morvel::settingCharacter(bytes, coding); line && line->size() > 2) std::abort();
  }
  return 0;
}
