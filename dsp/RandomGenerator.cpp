#include "dsp/RandomGenerator.h"
