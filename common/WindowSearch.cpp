#include "common/WindowSearch.h"
