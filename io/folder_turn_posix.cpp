#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "folder_turn.h"

namespace morvel {

FolderTurn takeFolderTurn(const std::string& folder, TurnWait wait, void (*onWait)()) {
  FolderTurn turn;
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return turn;
  turn.handle = fd;
  int result = 0;
  while ((result = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (result != 0 && errno == EWOULDBLOCK && wait == TurnWait::untilFree) {
    if (onWait != nullptr) onWait();
    while ((result = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
  }
  turn.held = result == 0;
  return turn;
}

void giveBackFolderTurn(FolderTurn& turn) {
  if (turn.handle >= 0) ::close(static_cast<int>(turn.handle));  // closing releases the lock
  turn.handle = -1;
}

}  // namespace morvel
