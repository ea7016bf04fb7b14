#include "dsp/Fft.h"
