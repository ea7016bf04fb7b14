#include "common/BitFields.h"
