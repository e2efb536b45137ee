#include "console.h"
#include "typed_text.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <locale.h>
#include <pty.h>
#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace morvel;

namespace {

using Writer = void (*)(std::FILE*, std::string_view);

// What a terminal receives when `bytes` are written to it by `write` while
// the environment names `locale`.
std::string throughTerminal(const char* locale, const std::string& bytes, Writer write = consoleWrite) {
  int master = -1, slave = -1;
  if (::openpty(&master, &slave, nullptr, nullptr, nullptr) != 0) return "<no pty>";
  termios raw{};
  ::tcgetattr(slave, &raw);
  ::cfmakeraw(&raw);
  ::tcsetattr(slave, TCSANOW, &raw);
  const char* saved = std::getenv("LC_ALL");
  const std::string savedValue = saved != nullptr ? saved : "";
  ::setenv("LC_ALL", locale, 1);
  std::FILE* stream = ::fdopen(slave, "w");
  write(stream, bytes);
  std::fclose(stream);
  if (saved != nullptr) {
    ::setenv("LC_ALL", savedValue.c_str(), 1);
  } else {
    ::unsetenv("LC_ALL");
  }
  std::string got;
  char buffer[256];
  ssize_t n;
  while ((n = ::read(master, buffer, sizeof buffer)) > 0) got.append(buffer, static_cast<std::size_t>(n));
  ::close(master);
  return got;
}

}  // namespace

TEST(Console, UtfEightTerminalSeesConvertedText) {
  const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
  if (utf8 == static_cast<locale_t>(nullptr)) GTEST_SKIP() << "no C.UTF-8 locale";
  ::freelocale(utf8);
  // "8753 => 93f9" with the arrow as Shift_JIS, then a lone lead byte.
  EXPECT_EQ(throughTerminal("C.UTF-8", "8753 \x81\xCB 93f9\n"), "8753 \xE2\x87\x92 93f9\n");
  EXPECT_EQ(throughTerminal("C.UTF-8", "a\x81"), "a?");
}

TEST(Console, NamesReachEveryTerminalAsTheyAre) {
  // "\xE8\xA1\xA8" is the kanji for table in UTF-8, "\x95\x5C" in Shift_JIS.
  EXPECT_EQ(throughTerminal("C.UTF-8", "\xE8\xA1\xA8.bin \x95\x5C.bin\n", consoleWriteAsIs),
            "\xE8\xA1\xA8.bin \x95\x5C.bin\n");
}

TEST(Console, OtherTerminalsAndPipesGetTheExactBytes) {
  EXPECT_EQ(throughTerminal("C", "8753 \x81\xCB 93f9\n"), "8753 \x81\xCB 93f9\n");
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  std::FILE* stream = ::fdopen(fds[1], "w");
  consoleWrite(stream, "\x87\x40\n");  // circled one
  std::fclose(stream);
  char buffer[16];
  const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
  ::close(fds[0]);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), "\x87\x40\n");
}

TEST(Console, Utf8ConversionOfShiftJis) {
  EXPECT_EQ(sjisToUtf8("A\x82\xA0\xB6"), "A\xE3\x81\x82\xEF\xBD\xB6");  // A, hiragana a, half-width KA
  EXPECT_EQ(sjisToUtf8(""), "");
}

TEST(TypedText, UtfEightBeyondAsciiIsConverted) {
  // circled one, full-width one, N: UTF-8 in, code page 932 out
  EXPECT_EQ(shiftJisOfTyped("\xE2\x91\xA0\xEF\xBC\x91N"), "\x87\x40\x82\x50N");
  EXPECT_EQ(shiftJisOfTyped("\xEF\xBE\x85N"), "\xC5N");  // half-width NA
}

TEST(TypedText, AnythingElseIsShiftJisAlready) {
  EXPECT_EQ(shiftJisOfTyped("plain ASCII"), "plain ASCII");
  EXPECT_EQ(shiftJisOfTyped(""), "");
  EXPECT_EQ(shiftJisOfTyped("\x87\x40\x82\x50"), "\x87\x40\x82\x50");  // circled one, full-width one
  EXPECT_EQ(shiftJisOfTyped("\xC5N"), "\xC5N");                        // half-width NA
  EXPECT_EQ(shiftJisOfTyped("\xC0\xAF"), "\xC0\xAF");                  // an overlong form is no UTF-8
  EXPECT_EQ(shiftJisOfTyped("\xED\xA0\x80"), "\xED\xA0\x80");          // nor is a surrogate
}

TEST(TypedText, CharacterWithoutACodePage932CodeIsRefused) {
  EXPECT_EQ(shiftJisOfTyped("\xE2\x91\xA0\xF0\x9F\x98\x80"), std::nullopt);  // circled one, grinning face
}
