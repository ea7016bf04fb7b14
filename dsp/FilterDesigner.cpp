#include "dsp/FilterDesigner.h"
