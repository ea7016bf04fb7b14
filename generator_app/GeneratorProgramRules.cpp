#include "generator_app/GeneratorProgramRules.h"

void UseGeneratorProgramRules() {}
