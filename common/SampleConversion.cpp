#include "common/SampleConversion.h"
