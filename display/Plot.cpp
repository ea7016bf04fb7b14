#include "display/Plot.h"
