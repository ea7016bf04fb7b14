#include "dsp/FilterStage.h"
