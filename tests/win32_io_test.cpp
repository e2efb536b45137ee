// What the Windows build of io does its own way: file replacement with
// MoveFileExW and attributes, the console through code page 932 without
// iconv. Built for Windows only; the POSIX forms have their own tests.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "binary_file.h"
#include "console.h"
#include "typed_text.h"
#include "file_replace.h"
#include "native_file.h"
#include "support/temp_dir.h"

using namespace morvel;
using testing_support::readBytes;
using testing_support::TempDir;
using testing_support::writeBytes;
namespace fs = std::filesystem;

namespace {

ContentWriter bytesOf(const std::string& text) {
  return [text](int fd) { return writeFully(fd, text.data(), text.size()); };
}

std::size_t entries() {
  return static_cast<std::size_t>(std::distance(fs::directory_iterator("."), fs::directory_iterator()));
}

DWORD attributesOf(const char* name) { return ::GetFileAttributesW(wideOf(name).c_str()); }

}  // namespace

TEST(ReplaceFileOnWindows, ReplacesKeepingTheAttributesAndLeavesNoTemporaryFile) {
  TempDir dir;
  writeBytes("table.bin", "old content, longer than the new");
  ASSERT_TRUE(::SetFileAttributesW(L"table.bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_EQ(replaceFile("table.bin", bytesOf("new\n")), Replacement::done);
  EXPECT_EQ(readBytes("table.bin"), "new\n");  // binary: no CR added
  EXPECT_NE(attributesOf("table.bin") & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(entries(), 1u);

  const std::string japanese = "\x95\x5C.bin";  // the kanji for "table", whose trail byte is '\'
  ASSERT_EQ(replaceFile(japanese, bytesOf("fresh")), Replacement::done);
  EXPECT_EQ(readBytes(fs::path(L"\u8868.bin")), "fresh");
}

TEST(ReplaceFileOnWindows, RefusesReadOnlyFilesFoldersAndMissingFolders) {
  TempDir dir;
  writeBytes("table.bin", "old");
  ASSERT_TRUE(::SetFileAttributesW(L"table.bin", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(replaceFile("table.bin", bytesOf("new")), Replacement::unwritable);
  EXPECT_EQ(readBytes("table.bin"), "old");
  ::SetFileAttributesW(L"table.bin", FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(replaceFile("table.bin", [](int) { return false; }), Replacement::failed);
  EXPECT_EQ(readBytes("table.bin"), "old");
  EXPECT_EQ(entries(), 1u);
  EXPECT_EQ(replaceFile("no\\such\\folder\\t.bin", bytesOf("x")), Replacement::unwritable);
  fs::create_directory("folder.bin");
  EXPECT_EQ(replaceFile("folder.bin", bytesOf("x")), Replacement::unwritable);
  EXPECT_EQ(replaceFile("NUL", bytesOf("x")), Replacement::done);  // a device, written in place
  EXPECT_EQ(replaceFile("NUL", bytesOf("x"), InPlace::refused), Replacement::inPlace);
}

TEST(ConsoleOnWindows, PipesGetTheExactBytesThoughTheStreamIsText) {
  int fds[2];
  ASSERT_EQ(::_pipe(fds, 4096, _O_BINARY), 0);
  std::FILE* stream = ::_fdopen(fds[1], "w");  // text mode: LF would become CR LF
  ASSERT_NE(stream, nullptr);
  EXPECT_FALSE(isTerminal(stream));
  consoleWrite(stream, "\x87\x40\n");  // circled one
  consoleWriteAsIs(stream, "\x95\x5C.bin\n");
  std::fclose(stream);
  char buffer[32];
  const int n = ::_read(fds[0], buffer, sizeof buffer);
  ::_close(fds[0]);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), "\x87\x40\n\x95\x5C.bin\n");
}

TEST(ConsoleOnWindows, CodePage932ConversionsMatchTheOtherSystems) {
  EXPECT_EQ(sjisToUtf8("A\x82\xA0\xB6"), "A\xE3\x81\x82\xEF\xBD\xB6");  // A, hiragana a, half-width KA
  EXPECT_EQ(sjisToUtf8("a\x81"), "a?");                                 // a lead byte alone
  EXPECT_EQ(shiftJisOfTyped("\xE2\x91\xA0\xEF\xBC\x91N"), "\x87\x40\x82\x50N");
  EXPECT_EQ(shiftJisOfTyped("\x87\x40\x82\x50"), "\x87\x40\x82\x50");
  EXPECT_EQ(shiftJisOfTyped("\xC0\xAF"), "\xC0\xAF");                        // an overlong form is no UTF-8
  EXPECT_EQ(shiftJisOfTyped("\xED\xA0\x80"), "\xED\xA0\x80");                // nor is a surrogate
  EXPECT_EQ(shiftJisOfTyped("\xE2\x91\xA0\xF0\x9F\x98\x80"), std::nullopt);  // circled one, grinning face
  EXPECT_EQ(characterOption("\xE2\x91\xA0\xEF\xBC\x91", 2), "\x87\x40");
}
