#include "console.h"

#include <langinfo.h>
#include <locale.h>
#include <unistd.h>

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

}  // namespace

bool isTerminal(std::FILE* stream) { return ::isatty(::fileno(stream)) != 0; }

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
