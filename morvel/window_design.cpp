#include "window_design.h"

#include <algorithm>

namespace morvel {

int LinesInDisplay(int visibleRows) { return std::max(1, visibleRows) + 1; }

int FittedLineHeight(int areaHeight, int visibleRows, int natural) {
  return std::clamp(areaHeight / LinesInDisplay(visibleRows), 1, std::max(1, natural));
}

}  // namespace morvel
