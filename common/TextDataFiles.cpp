#include "common/TextDataFiles.h"
