// The base layer's fixed texts: the report files' names.
// Fixed texts: callers, stored files and scripts rely on them byte for byte,
// so they change only with the design (docs/design-names.md). Report lines
// built from values stand at their report calls, in files marked
// "Fixed texts".
#pragma once

namespace morvel {

// The report files, one line each.
inline constexpr const char* kErrorFile = "error.txt";
inline constexpr const char* kMessagesFile = "messages.txt";
inline constexpr const char* kInfoFile = "info.txt";

}  // namespace morvel
