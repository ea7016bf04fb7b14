#include "dsp/DesignedFilter.h"
