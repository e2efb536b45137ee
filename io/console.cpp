#include "console.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace morvel {

namespace {

// The locale the user chose in the environment (LC_ALL, LC_CTYPE, LANG),
// looked up without touching the process's own locale, so that neither
// program has to set it.
bool environmentSpeaksUtf8() {
  const locale_t chosen = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr));
  if (chosen == static_cast<locale_t>(nullptr)) return false;
  const char* codeset = ::nl_langinfo_l(CODESET, chosen);
  const bool utf8 = codeset != nullptr && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
  ::freelocale(chosen);
  return utf8;
}

bool isUtf8Terminal(std::FILE* stream) { return isTerminal(stream) && environmentSpeaksUtf8(); }

// iconv_open's failure value is (iconv_t)-1.
bool opened(iconv_t cd) { return cd != reinterpret_cast<iconv_t>(-1); }  // NOLINT(performance-no-int-to-ptr)

}  // namespace

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

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

void consoleWrite(std::FILE* stream, std::string_view ownText) {
  if (isUtf8Terminal(stream)) {
    consoleWriteAsIs(stream, sjisToUtf8(ownText));
  } else {
    consoleWriteAsIs(stream, ownText);
  }
}

void hintOnTerminal(std::string_view sentence) {
  if (isTerminal(stderr)) consoleWriteAsIs(stderr, std::string(sentence) + '\n');
}

void consoleWriteAsIs(std::FILE* stream, std::string_view bytes) {
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}

}  // namespace morvel
