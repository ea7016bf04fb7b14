#include "dsp/SweepSynthesis.h"
