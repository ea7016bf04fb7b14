#include "texts/ui/MenuTranslation.h"
