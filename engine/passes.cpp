#include "passes.h"
