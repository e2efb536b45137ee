// A window's frame drawn by the program's side, so that its outer rectangle
// on screen is the one the logic sets and reads.
#pragma once

#include <windows.h>

namespace morvel {

// Under Wine a captioned window is left to the X window manager to frame:
// Wine takes the caption and borders off the X window and asks the manager
// for its own, whose size the program never learns, and with no manager
// running there is no frame at all. A window with a region is one Wine
// frames itself, so the window gets one as large as any window can be.
// Windows itself frames every window as set: nothing to do there.
void keepOwnFrame(HWND window);

}  // namespace morvel
