#include "platform/Ipc.h"
