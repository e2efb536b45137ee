#include "usage_text.h"

#include <cstdio>

namespace morvel {

std::string usageText(std::string_view heading, double version, std::span<const UsageLine> lines, bool commented) {
  char number[32];
  std::snprintf(number, sizeof number, "%g", version);
  std::string text = std::string(heading) + number + "\n\n";
  for (const UsageLine& line : lines) {
    text += line.usage;
    if (commented) text += line.comment;
    text += '\n';
  }
  return text;
}

}  // namespace morvel
