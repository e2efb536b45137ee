// Morvel's message loop on Windows and what it does before a message reaches
// its window: key preview (every key released anywhere in one of Morvel's
// windows reaches that window's handler once, whichever control has the
// focus, and the control still gets the key), Enter on a focused push
// button presses it, the main window's shortcuts (F5) and Tab between a
// dialog's controls.
#pragma once

#include <windows.h>

#include <functional>

#include "window_services.h"

namespace morvel {

Key keyOf(WPARAM virtualKey);

// A top-level window whose handler previews its keys while enabled; it
// forgets the window when it goes.
void watchKeys(HWND window, std::function<void(Key)> onRelease, bool isDialog);
void forgetKeys(HWND window);
void setKeyPreviewOf(HWND window, bool on);
void setShortcuts(HWND window, HACCEL shortcuts);

// One message through the steps above.
void dispatchMessage(MSG& message);

// Runs the loop until `done` is true or the program is asked to quit; false
// when it was (the quit message is left for the outer loop).
[[nodiscard]] bool runMessagesUntil(const std::function<bool()>& done);

}  // namespace morvel
