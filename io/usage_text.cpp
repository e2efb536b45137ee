// Fixed texts: the quoted lines, names and captions here are the design's own;
// see docs/design-names.md before changing one.
#include "usage_text.h"

namespace morvel {

std::string usageText(std::string_view heading, std::string_view version, std::span<const UsageLine> lines,
                      bool commented) {
  std::string text = std::string(heading) + std::string(version) + "\n\n";
  for (const UsageLine& line : lines) {
    text += line.usage;
    if (commented) text += line.comment;
    text += '\n';
  }
  return text;
}

}  // namespace morvel
