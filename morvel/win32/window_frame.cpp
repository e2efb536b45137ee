#include "window_frame.h"

#include <climits>

namespace morvel {

namespace {

bool underWine() {
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace

void keepOwnFrame(HWND window) {
  if (!underWine()) return;
  // The window owns the region from here on; it clips nothing.
  if (HRGN everything = CreateRectRgn(0, 0, SHRT_MAX, SHRT_MAX)) {
    if (SetWindowRgn(window, everything, FALSE) == 0) DeleteObject(everything);
  }
}

}  // namespace morvel
