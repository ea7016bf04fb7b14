#include "platform/Debug.h"
