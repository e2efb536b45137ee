// The table layer's fixed texts. The table files' names are in TableTraits
// (table_kind.h), which the generator and the installation share.
// Fixed texts: callers, stored files and scripts rely on them byte for byte,
// so they change only with the design (docs/design-names.md). Report lines
// built from values stand at their report calls, in files marked
// "Fixed texts".
#pragma once

namespace morvel {

// Between the two codes of an edit's line in "info.txt".
inline constexpr const char* kArrow = "\x81\xCB";  // rightwards double arrow

}  // namespace morvel
