#include "common/controls/Clipboard.h"
