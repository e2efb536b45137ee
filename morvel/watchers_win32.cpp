#include "watchers.h"

namespace morvel {

// Another process's current folder is not readable without debugging
// rights; the window, once Windows has one, marks its folder itself.
bool anotherMorvelWatchesHere() { return false; }

}  // namespace morvel
