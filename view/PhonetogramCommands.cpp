#include "view/PhonetogramCommands.h"

#include "dsp/Phonetogram.h"

namespace phonetogram_commands
{

PhonetogramSettingsValues FromPhonetogram(const CPhonetogram& phonetogram)
{
    PhonetogramSettingsValues values;
    values.toneDuration = phonetogram.m_toneSegmentLength;
    values.sensitivity = phonetogram.m_correlationThreshold;
    values.lowerFrequency = phonetogram.m_minPitch;
    values.upperSearchFrequency = phonetogram.m_maxPitch;
    values.upperFilterFrequency = phonetogram.m_upperCorner;
    values.maxInterruptionMs = phonetogram.m_maxPointGap * 1000.0;
    return values;
}

void ToPhonetogram(const PhonetogramSettingsValues& values, CPhonetogram& phonetogram)
{
    phonetogram.m_toneSegmentLength = values.toneDuration;
    phonetogram.m_correlationThreshold = values.sensitivity;
    phonetogram.m_minPitch = values.lowerFrequency;
    phonetogram.m_maxPitch = values.upperSearchFrequency;
    phonetogram.m_upperCorner = values.upperFilterFrequency;
    phonetogram.m_maxPointGap = values.maxInterruptionMs * 0.001;
}

int ChooseMicrophone(const std::vector<std::string>& names)
{
    int chosen = 0;
    for (std::size_t i = 0; i < names.size(); ++i)
        for (const char* preferred : kPreferredMicrophones)
            if (names[i] == preferred)
                chosen = static_cast<int>(i);
    return chosen;
}

}  // namespace phonetogram_commands
