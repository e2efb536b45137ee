#include "line_conversion.h"
