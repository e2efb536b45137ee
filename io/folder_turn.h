// Runs in one folder take turns on the folder's working files, with no file
// of their own in the folder: an advisory lock on the folder itself (POSIX),
// or a named mutex derived from the folder's final path (Windows).
#pragma once

#include <cstdint>
#include <string>

namespace morvel {

enum class TurnWait { untilFree, no };

struct FolderTurn {
  std::intptr_t handle = -1;
  bool held = true;  // a folder that cannot be opened cannot be shared either
};

// Takes the turn of `folder`: waits while another run holds it, or with
// TurnWait::no goes without it (held is false then). `onWait` is called
// once before a wait.
FolderTurn takeFolderTurn(const std::string& folder, TurnWait wait, void (*onWait)());

// Gives the turn back; the run may take it again.
void giveBackFolderTurn(FolderTurn& turn);

}  // namespace morvel
