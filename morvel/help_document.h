// The manual the windows open: the main window's help and the Version
// dialog's button.
#pragma once

#include <string>

#include "profile.h"

#include "morvel_texts.h"

namespace morvel {

// The manual: "MorvelVCL.pdf" in the current folder, or else the copy in
// the fixed folder, where an installed Morvel keeps it.
std::string helpDocumentPath(const ProgramProfile& profile);

}  // namespace morvel
