#include "texts/TextTable.h"
