#include "help_document.h"

#include "path_search.h"

namespace morvel {

std::string helpDocumentPath(const ProgramProfile& profile) {
  if (canOpenForReading(kHelpFile)) return kHelpFile;
  const std::string installed = profile.fixedFolder + kHelpFile;
  return canOpenForReading(installed) ? installed : kHelpFile;
}

}  // namespace morvel
