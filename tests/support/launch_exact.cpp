// Starts a program with an exact command line, which Wine would otherwise
// build from separate words and quote itself: CreateProcessW with no
// application name, so that Windows finds the program's path in the line
// as it does for any caller. Returns the program's exit code.
//
//   launch_exact LINE_FILE                 the line (UTF-8) from the file; the
//                                          program gets this program's
//                                          standard handles
//   launch_exact --box TITLE LINE_FILE     the program gets no console and no
//                                          standard handles; the message box
//                                          titled TITLE it shows is read (its
//                                          text to standard output, UTF-8)
//                                          and closed with its OK button
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::wstring wideOf(const std::string& utf8) {
  std::wstring wide(utf8.size(), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                                         static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length));
  return wide;
}

void writeOut(const std::wstring& text) {
  std::string utf8(text.size() * 3 + 1, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(),
                                         static_cast<int>(utf8.size()), nullptr, nullptr);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), utf8.data(), static_cast<DWORD>(length), &written, nullptr);
}

// Waits up to 30 s for the box, then shows its text and presses OK.
bool closedBox(const std::wstring& title, HANDLE child) {
  for (int tries = 0; tries < 300; ++tries) {
    if (HWND box = FindWindowW(L"#32770", title.c_str())) {
      wchar_t text[8192] = {};
      GetDlgItemTextW(box, 0xFFFF, text, static_cast<int>(std::size(text)));
      writeOut(text);
      PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
      return true;
    }
    if (WaitForSingleObject(child, 100) == WAIT_OBJECT_0) return false;
  }
  return false;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const bool box = argc == 4 && std::wstring(argv[1]) == L"--box";
  if (argc != 2 && !box) return 125;
  std::ifstream file(argv[argc - 1], std::ios::binary);
  std::wstring line = wideOf(std::string(std::istreambuf_iterator<char>(file), {}));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  if (!box) {
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  }
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, box ? FALSE : TRUE, box ? DETACHED_PROCESS : 0, nullptr,
                      nullptr, &startup, &process)) {
    return 126;
  }
  if (box && !closedBox(argv[2], process.hProcess)) {
    TerminateProcess(process.hProcess, 124);
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}
