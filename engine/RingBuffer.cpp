#include "engine/RingBuffer.h"
