#include <iconv.h>

#include "code_page.h"

namespace morvel {

namespace {

// iconv_open's failure value is (iconv_t)-1.
bool opened(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }  // NOLINT(performance-no-int-to-ptr)

}  // namespace

std::optional<std::string> cp932OfUtf8(std::string_view utf8) {
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (!opened(cd)) return std::string(utf8);  // no converter: as typed
  std::string input(utf8);
  std::string out(input.size(), '\0');  // code page 932 never takes more bytes than UTF-8
  char* in = input.data();
  std::size_t inLeft = input.size();
  char* outPtr = out.data();
  std::size_t outLeft = out.size();
  const std::size_t r = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0) return std::nullopt;
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace morvel
