#include "common/TextFormatting.h"
