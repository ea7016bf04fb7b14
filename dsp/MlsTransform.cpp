#include "dsp/MlsTransform.h"
