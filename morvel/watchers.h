// Whether another Morvel watches the current folder through its window.
#pragma once

namespace morvel {

// Another process of a program named Morvel works in this folder (as far
// as this user may see other processes); false where the system cannot
// tell.
[[nodiscard]] bool anotherMorvelWatchesHere();

}  // namespace morvel
