#include "display/ColorScheme.h"
