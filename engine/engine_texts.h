// The engine's fixed texts.
// Fixed texts: callers, stored files and scripts rely on them byte for byte,
// so they change only with the design (docs/design-names.md). Report lines
// built from values stand at their report calls, in files marked
// "Fixed texts".
#pragma once

namespace morvel {

// Where a result goes when its own output cannot be written.
inline constexpr const char* kFallbackOutput = "Morvel.txt";

}  // namespace morvel
