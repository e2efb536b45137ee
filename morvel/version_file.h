// Morvel's answer to "-V" and "-VC": its version and usage in "version.txt".
#pragma once

#include <string>

#include "morvel_texts.h"

namespace morvel {

// The version line, an empty line and the 17 usage lines, plain or with
// their comments, each ending in LF (the file gets CR LF).
std::string versionText(bool commented);

// The version line alone, ending in LF ("--version").
std::string versionLine();

// Writes "version.txt"; the run then ends with exit code 1, whether or not
// the file could be written.
void WriteVersionFile(bool commented);

}  // namespace morvel
