#include "asked_text.h"

#include <windows.h>

#include <cstdio>
#include <string>

#include "code_page.h"
#include "console.h"
#include "morvel_texts.h"
#include "utf16.h"
#include "wide_text.h"

namespace morvel {

namespace {

bool hasStandardOutput() {
  const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  return out != nullptr && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN;
}

std::wstring wideText(std::string_view sjis) { return utf16OfUtf8(utf8OfCp932(sjis, "?")).value_or(L"\uFFFD"); }

// The console of the starting program (a command prompt), when it has one.
bool wroteToParentConsole(const std::wstring& text) {
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return false;
  const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                     nullptr, OPEN_EXISTING, 0, nullptr);
  DWORD written = 0;
  const bool wrote = console != INVALID_HANDLE_VALUE &&
                     WriteConsoleW(console, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
  if (console != INVALID_HANDLE_VALUE) CloseHandle(console);
  FreeConsole();
  return wrote;
}

}  // namespace

void showAskedText(std::string_view text) {
  if (hasStandardOutput()) {
    consoleWrite(stdout, text);
    return;
  }
  const std::wstring wide = wideText(text);
  if (wroteToParentConsole(wide)) return;
  MessageBoxW(nullptr, wide.c_str(), shownName(kProductLabel).c_str(), MB_OK);
}

}  // namespace morvel
