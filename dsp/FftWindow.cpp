#include "dsp/FftWindow.h"
