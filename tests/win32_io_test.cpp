// What the Windows build of io does its own way: file replacement with
// MoveFileExW and attributes, the change notice through
// ReadDirectoryChangesW, the console through code page 932 without iconv,
// the conversions with UTF-16. Built for Windows only; the POSIX forms have
// their own tests.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "binary_file.h"
#include "change_notice.h"
#include "console.h"
#include "file_replace.h"
#include "native_file.h"
#include "support/temp_dir.h"
#include "typed_text.h"
#include "utf16.h"

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

// Counts the notice's wakes, which come on its own thread.
class Wakes {
 public:
  std::function<void()> callback() {
    return [this] {
      const std::lock_guard<std::mutex> hold(lock_);
      ++count_;
      changed_.notify_all();
    };
  }
  // True once there were `count` wakes; the limit only ends a broken run.
  bool reach(unsigned count) {
    std::unique_lock<std::mutex> hold(lock_);
    return changed_.wait_for(hold, std::chrono::seconds(30), [&] { return count_ >= count; });
  }
  unsigned count() {
    const std::lock_guard<std::mutex> hold(lock_);
    return count_;
  }

 private:
  std::mutex lock_;
  std::condition_variable changed_;
  unsigned count_ = 0;
};

// Another program's finished rewrite: a complete file renamed onto the name.
void renameOnto(const wchar_t* name, const std::string& content) {
  writeBytes("new.tmp", content);
  ASSERT_TRUE(::MoveFileExW(L"new.tmp", name, MOVEFILE_REPLACE_EXISTING));
}

void appendTo(const wchar_t* name, const std::string& content) {
  const HANDLE file =
      ::CreateFileW(name, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  EXPECT_TRUE(::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr));
  ::CloseHandle(file);
}

}  // namespace

TEST(ReplaceFileOnWindows, ReplacesKeepingTheAttributesAndLeavesNoTemporaryFile) {
  TempDir dir;
  writeBytes("table.bin", "old content, longer than the new");
  ASSERT_TRUE(::SetFileAttributesW(L"table.bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  ASSERT_EQ(replaceFile("table.bin", bytesOf("new\n")), Outcome::done);
  EXPECT_EQ(readBytes("table.bin"), "new\n");  // binary: no CR added
  EXPECT_NE(attributesOf("table.bin") & FILE_ATTRIBUTE_HIDDEN, 0u);
  EXPECT_EQ(entries(), 1u);

  const std::string japanese = "\x95\x5C.bin";  // the kanji for "table", whose trail byte is '\'
  ASSERT_EQ(replaceFile(japanese, bytesOf("fresh")), Outcome::done);
  EXPECT_EQ(readBytes(fs::path(L"\u8868.bin")), "fresh");
}

TEST(ReplaceFileOnWindows, RefusesReadOnlyFilesFoldersAndMissingFolders) {
  TempDir dir;
  writeBytes("table.bin", "old");
  ASSERT_TRUE(::SetFileAttributesW(L"table.bin", FILE_ATTRIBUTE_READONLY));
  EXPECT_EQ(replaceFile("table.bin", bytesOf("new")), Outcome::fallback);
  EXPECT_EQ(readBytes("table.bin"), "old");
  ::SetFileAttributesW(L"table.bin", FILE_ATTRIBUTE_NORMAL);

  EXPECT_EQ(replaceFile("table.bin", [](int) { return false; }), Outcome::failed);
  EXPECT_EQ(readBytes("table.bin"), "old");
  EXPECT_EQ(entries(), 1u);
  EXPECT_EQ(replaceFile("no\\such\\folder\\t.bin", bytesOf("x")), Outcome::fallback);
  fs::create_directory("folder.bin");
  EXPECT_EQ(replaceFile("folder.bin", bytesOf("x")), Outcome::fallback);
  EXPECT_EQ(replaceFile("NUL", bytesOf("x")), Outcome::done);  // a device, written in place
  EXPECT_EQ(replaceFile("NUL", bytesOf("x"), InPlace::refused), Outcome::fallback);
}

// As a program that read it with fopen holds it: deleting it is not shared.
HANDLE holdOpen(const wchar_t* name, DWORD sharing) {
  return ::CreateFileW(name, GENERIC_READ, sharing, nullptr, OPEN_EXISTING, 0, nullptr);
}

std::string readHeld(HANDLE held) {
  char buffer[64];
  DWORD got = 0;
  if (::SetFilePointer(held, 0, nullptr, FILE_BEGIN) != 0 || !::ReadFile(held, buffer, sizeof buffer, &got, nullptr)) {
    return "(unread)";
  }
  return {buffer, got};
}

TEST(ReplaceFileOnWindows, WritesInPlaceAFileAnotherProgramHoldsOpen) {
  TempDir dir;
  writeBytes("VEL", "the writer's text, longer than the new");
  const HANDLE held = holdOpen(L"VEL", FILE_SHARE_READ | FILE_SHARE_WRITE);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(replaceFile("VEL", bytesOf("new\r\n")), Outcome::done);
  EXPECT_EQ(readBytes("VEL"), "new\r\n");
  EXPECT_EQ(readHeld(held), "new\r\n");  // the holder's handle is still the file's
  EXPECT_EQ(entries(), 1u);              // the temporary file is gone
  EXPECT_EQ(replaceFile("VEL", bytesOf("other"), InPlace::refused), Outcome::fallback);
  EXPECT_EQ(readBytes("VEL"), "new\r\n");
  EXPECT_EQ(entries(), 1u);
  ::CloseHandle(held);

  // A holder that shares no writing keeps the file as it is.
  const HANDLE reader = holdOpen(L"VEL", FILE_SHARE_READ);
  ASSERT_NE(reader, INVALID_HANDLE_VALUE);
  EXPECT_EQ(replaceFile("VEL", bytesOf("other"), InPlace::allowed), Outcome::fallback);
  EXPECT_EQ(readHeld(reader), "new\r\n");
  EXPECT_EQ(entries(), 1u);
  ::CloseHandle(reader);
}

TEST(ChangeNoticeOnWindows, TellsRewritesOfTheNameAndIgnoresOtherNames) {
  TempDir dir;
  writeBytes("VEL", " ");
  Wakes wakes;
  ChangeNotice notice("VEL", wakes.callback());
  ASSERT_TRUE(notice.active());
  EXPECT_FALSE(notice.tellsCompletion());

  renameOnto(L"VEL", "first\r\n");
  ASSERT_TRUE(wakes.reach(1));
  ChangeNews news = notice.take();
  EXPECT_EQ(news.completed, 1u);
  EXPECT_FALSE(news.writing);
  EXPECT_TRUE(news.any);

  // Other names tell nothing; the write where it is comes after them.
  writeBytes("VEL.bak", "another name");
  renameOnto(L"VEL2", "a rewrite of another name");
  appendTo(L"VEL", "more\r\n");
  ASSERT_TRUE(wakes.reach(2));
  news = notice.take();
  EXPECT_EQ(news.completed, 0u);
  EXPECT_TRUE(news.writing);  // no close is told: the writer may be at it still
  EXPECT_TRUE(news.any);
}

TEST(ChangeNoticeOnWindows, WakesOnceUntilTakenAndNeverOnceDestroyed) {
  TempDir dir;
  writeBytes("VEL", " ");
  Wakes first;
  auto notice = std::make_unique<ChangeNotice>("VEL", first.callback());
  ASSERT_TRUE(notice->active());
  renameOnto(L"VEL", "one\r\n");
  ASSERT_TRUE(first.reach(1));
  renameOnto(L"VEL", "two\r\n");
  // A third, which a second notice is seen to get: the first gets it too.
  {
    Wakes second;
    const ChangeNotice witness("VEL", second.callback());
    renameOnto(L"VEL", "three\r\n");
    ASSERT_TRUE(second.reach(1));
  }
  EXPECT_EQ(first.count(), 1u);  // the news wait to be taken
  unsigned completed = notice->take().completed;
  for (unsigned wanted = 2; completed < 3 && first.reach(wanted); ++wanted) completed += notice->take().completed;
  EXPECT_EQ(completed, 3u);

  const unsigned before = first.count();
  notice.reset();
  Wakes later;
  const ChangeNotice witness("VEL", later.callback());
  renameOnto(L"VEL", "four\r\n");
  ASSERT_TRUE(later.reach(1));
  EXPECT_EQ(first.count(), before);
}

// The bytes as they are, each line ending with one CR LF (never CR CR LF),
// whatever the stream's mode.
TEST(ConsoleOnWindows, PipesGetTheBytesWithCrLfThoughTheStreamIsText) {
  int fds[2];
  ASSERT_EQ(::_pipe(fds, 4096, _O_BINARY), 0);
  std::FILE* stream = ::_fdopen(fds[1], "w");  // text mode: LF would become CR LF
  ASSERT_NE(stream, nullptr);
  EXPECT_FALSE(isTerminal(stream));
  consoleWrite(stream, "\x87\x40\n");  // circled one
  consoleWriteAsIs(stream, "\x95\x5C.bin\r\n\n");
  std::fclose(stream);
  char buffer[32];
  const int n = ::_read(fds[0], buffer, sizeof buffer);
  ::_close(fds[0]);
  ASSERT_GT(n, 0);
  EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(n)), "\x87\x40\r\n\x95\x5C.bin\r\n\r\n");
}

TEST(ConsoleOnWindows, CodePage932ConversionsMatchTheOtherSystems) {
  EXPECT_EQ(sjisToUtf8("A\x82\xA0\xB6"), "A\xE3\x81\x82\xEF\xBD\xB6");  // A, hiragana a, half-width KA
  EXPECT_EQ(sjisToUtf8("a\x81"), "a?");                                 // a lead byte alone
  EXPECT_EQ(shiftJisOfTyped("\xE2\x91\xA0\xEF\xBC\x91N"), "\x87\x40\x82\x50N");
  EXPECT_EQ(shiftJisOfTyped("\x87\x40\x82\x50"), "\x87\x40\x82\x50");
  EXPECT_EQ(shiftJisOfTyped("\xC0\xAF"), "\xC0\xAF");                        // an overlong form is no UTF-8
  EXPECT_EQ(shiftJisOfTyped("\xED\xA0\x80"), "\xED\xA0\x80");                // nor is a surrogate
  EXPECT_EQ(shiftJisOfTyped("\xE2\x91\xA0\xF0\x9F\x98\x80"), std::nullopt);  // circled one, grinning face
  // Windows' words are code page 932 already: never read again as UTF-8.
  EXPECT_EQ(characterOption("\xC2\xA7", 2), "\xC2\xA7");  // half-width TSU and small A, the bytes of §
  EXPECT_EQ(characterOption("\xE2\x91\xA0\xEF\xBC\x91", 2, TypedCoding::utf8), "\x87\x40");
}

// Each conversion with the system is exact or gives nothing: a name that
// does not convert reaches no file, and no look-alike stands in.
TEST(Utf16OnWindows, ConvertsExactlyOrGivesNothing) {
  EXPECT_EQ(utf16OfCp932("\x83\x65\x83\x58\x83\x67"), std::wstring(L"\u30C6\u30B9\u30C8"));  // te, su, to
  EXPECT_EQ(utf16OfCp932("\xF0\x40"), std::wstring(L"\uE000"));                              // a user-defined character
  EXPECT_EQ(utf16OfCp932(""), std::wstring());
  EXPECT_EQ(utf16OfCp932("a\x81"), std::nullopt);  // a lead byte alone
  EXPECT_EQ(cp932OfUtf16(L"\u2460\u30C6"), std::string("\x87\x40\x83\x65"));
  EXPECT_EQ(cp932OfUtf16(L"\u00E9"), std::nullopt);  // no best fit to e
  EXPECT_EQ(cp932OfUtf16(L"a\xD800"), std::nullopt);
  EXPECT_EQ(utf16OfUtf8("\xE2\x91\xA0\xF0\x9F\x98\x80"), std::wstring(L"\u2460\U0001F600"));
  EXPECT_EQ(utf16OfUtf8("\xC3"), std::nullopt);
  EXPECT_EQ(utf8OfUtf16(L"\u2460\U0001F600"), std::string("\xE2\x91\xA0\xF0\x9F\x98\x80"));
  EXPECT_EQ(utf8OfUtf16(L"\xDC00"), std::nullopt);
}
