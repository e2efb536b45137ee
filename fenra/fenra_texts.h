// fenra's fixed texts.
// Fixed texts: callers, stored files and scripts rely on them byte for byte,
// so they change only with the design (docs/design-names.md). Report lines
// built from values stand at their report calls, in files marked
// "Fixed texts".
#pragma once

namespace morvel {

// Its settings file in the current folder.
inline constexpr const char* kSettingFile = "setting.txt";

}  // namespace morvel
