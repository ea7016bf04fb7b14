// The loudness line of the third-octave bar graph: loudness in sone and the A-weighted level of the
// displayed third-octave levels, and the text the plot writes above its bars.
#pragma once

#include <string>

struct LoudnessReadout
{
    float loudness = 0.0f;  // sone; kept only when 0 < N < 100, else 0
    float aLevel = 0.0f;    // dB(A) of the bands 100 Hz ... 10 kHz
    std::string text;       // "Loudness %3.1f Sone %3.1fdB(A)", or UI text 1000611 with the A level
};

// From the displayed levels in dB of the nominal third octaves 25 Hz ... 12.5 kHz (index 0 = 25 Hz;
// at least 28 values, only the first 28 read). A level that is not above 0 dB(A) means the display is
// not calibrated in dB SPL: the text says so and gives the level.
LoudnessReadout ReadLoudness(const float* bandLevels);
