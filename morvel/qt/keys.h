// The keys Morvel's windows act on, from Qt's key codes.
#pragma once

#include "morvelform.h"

namespace morvel {

Key keyOf(int qtKey);

}  // namespace morvel
