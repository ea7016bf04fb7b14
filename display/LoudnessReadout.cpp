#include "display/LoudnessReadout.h"

#include <array>
#include <cstdio>

#include "dsp/Loudness.h"
#include "texts/TextTable.h"

namespace
{
constexpr int kNotCalibratedText = 1000611;
constexpr float kLargestShownLoudness = 100.0f;
}  // namespace

LoudnessReadout ReadLoudness(const float* bandLevels)
{
    LoudnessReadout readout;
    const float n = ComputeLoudness(bandLevels);
    readout.loudness = n > 0.0f && n < kLargestShownLoudness ? n : 0.0f;
    readout.aLevel = ComputeThirdOctaveALevel(bandLevels);
    std::array<char, 256> line{};
    if (readout.aLevel > 0.0f)
        std::snprintf(line.data(), line.size(), "Loudness %3.1f Sone %3.1fdB(A)",
                      static_cast<double>(readout.loudness), static_cast<double>(readout.aLevel));
    else
        std::snprintf(line.data(), line.size(), GetText(kNotCalibratedText).c_str(),
                      static_cast<double>(readout.aLevel));
    readout.text = line.data();
    return readout;
}
