#include "common/FloatSort.h"
