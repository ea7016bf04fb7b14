#include "common/NumberTexts.h"
