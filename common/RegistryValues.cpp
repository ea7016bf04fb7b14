#include "common/RegistryValues.h"
