#include "common/ObjectCheck.h"
