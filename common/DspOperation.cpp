#include "common/DspOperation.h"
