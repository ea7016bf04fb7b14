#include "texts/LanguageChoice.h"
