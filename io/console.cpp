#include "console.h"

#include <iconv.h>
#include <langinfo.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace morvel {

namespace {

bool isUtf8Terminal(std::FILE* stream) {
  if (::isatty(::fileno(stream)) == 0) return false;
  const char* codeset = ::nl_langinfo(CODESET);
  return codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

}  // namespace

namespace {

// iconv_open's failure value is (iconv_t)-1.
bool opened(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }  // NOLINT(performance-no-int-to-ptr)

// Length of the UTF-8 sequence that `lead` starts; 0 for ASCII or a byte that
// starts none.
std::size_t utf8SequenceLength(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return 2;
  if (lead >= 0xE0 && lead <= 0xEF) return 3;
  if (lead >= 0xF0 && lead <= 0xF4) return 4;
  return 0;
}

// The code page 932 bytes of one whole UTF-8 character, or empty.
std::string sjisOfUtf8Character(std::string_view value) {
  if (value.empty() || utf8SequenceLength(static_cast<unsigned char>(value[0])) != value.size()) return {};
  iconv_t cd = ::iconv_open("CP932", "UTF-8");
  if (!opened(cd)) return {};
  std::string input(value);
  char* in = input.data();
  std::size_t inLeft = input.size();
  char out[8];
  char* outPtr = out;
  std::size_t outLeft = sizeof out;
  const std::size_t r = ::iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  ::iconv_close(cd);
  if (r == static_cast<std::size_t>(-1) || inLeft != 0) return {};
  return std::string(out, sizeof out - outLeft);
}

}  // namespace

std::string characterOption(std::string_view value, std::size_t byteCount) {
  std::string bytes = sjisOfUtf8Character(value);
  if (bytes.empty()) bytes = value;
  return bytes.substr(0, byteCount);
}

std::string sjisToUtf8(std::string_view bytes) {
  iconv_t cd = ::iconv_open("UTF-8", "CP932");
  if (!opened(cd)) return std::string(bytes);
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
