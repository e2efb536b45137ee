// Morvel's fixed texts: the files it shares with other programs and runs, and
// the windows' own texts.
// Fixed texts: callers, stored files and scripts rely on them byte for byte,
// so they change only with the design (docs/design-names.md). Report lines
// built from values stand at their report calls, in files marked
// "Fixed texts".
#pragma once

namespace morvel {

// Files in the current folder: the hand-off, the working file, the settings,
// the "-V" answer and the manual.
inline constexpr const char* kWatchedFile = "VEL";
inline constexpr const char* kWorkFile = "binary.tmp";
inline constexpr const char* kParameterFile = "parameters.txt";
inline constexpr const char* kVersionFile = "version.txt";
inline constexpr const char* kHelpFile = "MorvelVCL.pdf";

// The Record dialog's label for a text without a complete character, and
// for a character that code page 932 cannot write.
inline constexpr const char* kNoCharacter = "----";
inline constexpr const char* kNotInCodePage = "not 932";

// The Version dialog.
inline constexpr const char* kProductLabel = "Morvel VCL";
inline constexpr const char* kCopyrightLine = "(C) 2026 the Morvel authors";
inline constexpr const char* kVersionPrefix = "Version ";
inline constexpr const char* kDesignedVersion = "Version 1.0";  // until a version is set

// Shown in status panel 0 while Home or Leave waits for the folder's lock.
inline constexpr const char* kWaitingForLockText = "Waiting: another Morvel in this folder is using binary.tmp";

// Said once, in status panel 0 and messages.txt, when a writer replaced
// "VEL" again before the text it held could be read.
inline constexpr const char* kMissedRewriteStatus = "VEL was rewritten faster than it could be read: see messages.txt";
inline constexpr const char* kMissedRewriteNote =
    "was rewritten before the text it held could be read: at least one text was not collected";

// The start-up's line when no display is set.
inline constexpr const char* kNoDisplayLine =
    "Morvel needs a display for its window: neither DISPLAY nor WAYLAND_DISPLAY is set. Runs with -q need none, "
    "and xvfb-run Morvel gives it a virtual one.";

}  // namespace morvel
