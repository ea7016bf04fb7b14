#include "generator_app/GeneratorProgramRules.h"

#include "dsp/DesignedFilter.h"
#include "engine/AudioFileReader.h"

void UseGeneratorProgramRules()
{
    CAudioFileReader::SetGeneratorProgramRules(true);
    CDesignedFilter::SetFullRateResponse(true);
}
