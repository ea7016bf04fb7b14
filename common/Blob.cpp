#include "common/Blob.h"
