#include "common/Log10.h"
