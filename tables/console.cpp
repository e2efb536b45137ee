#include "console.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cstring>

namespace morvel {

namespace {

bool isUtf8Terminal(std::FILE* stream) {
  if (::isatty(::fileno(stream)) == 0) return false;
  const char* codeset = ::nl_langinfo(CODESET);
  return codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

std::string sjisToUtf8(std::string_view bytes) {
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(bytes);
  std::string input(bytes);
  std::string out;
  char* in = input.data();
  std::size_t inLeft = input.size();
  char chunk[1024];
  while (inLeft > 0) {
    char* outPtr = chunk;
    std::size_t outLeft = sizeof chunk;
    const std::size_t r = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(chunk, sizeof chunk - outLeft);
    if (r == static_cast<std::size_t>(-1) && errno != E2BIG) {
      out += '?';  // an unmapped or incomplete character
      ++in;
      --inLeft;
    }
  }
  ::iconv_close(cd);
  return out;
}

void consoleWrite(std::FILE* stream, std::string_view bytes) {
  if (isUtf8Terminal(stream)) {
    const std::string shown = sjisToUtf8(bytes);
    std::fwrite(shown.data(), 1, shown.size(), stream);
  } else {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
  }
  std::fflush(stream);
}

}  // namespace morvel
