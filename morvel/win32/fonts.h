// The windows' fonts on Win32: the design's sizes and pitches in the
// Japanese fonts the system has.
#pragma once

#include <windows.h>

#include "window_design.h"

namespace morvel {

// A new font, which the caller deletes: the first of the design's faces
// and the common Japanese ones that the system knows, else whatever
// Japanese font it maps the design's first to.
HFONT japaneseFont(int pixels, bool fixedPitch);
HFONT japaneseFont(const FontDesign& design);

// The height of a line in `font`, in pixels.
int fontHeight(HFONT font);

// The width of one column in `font`: half a full-width character's, rounded
// up, so that a double-byte character takes two.
int halfWidthAdvance(HFONT font);

}  // namespace morvel
