#include "common/CurveFit.h"
