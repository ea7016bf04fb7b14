#include "display/LoudnessReadout.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>

#include "dsp/Loudness.h"
#include "tests/display/ScopedLanguage.h"

namespace
{

using Levels = std::array<float, kLoudnessBandCount>;

Levels AllAt(float level)
{
    Levels l;
    l.fill(level);
    return l;
}

std::string Format(const char* format, double a, double b)
{
    std::array<char, 128> text{};
    std::snprintf(text.data(), text.size(), format, a, b);
    return text.data();
}

// The pink noise of ISO 532-1 B.3 (60 dB from 20 Hz to 20 kHz, 45.2 dB in each of its 30 third
// octaves) shown as bars gives the line with its loudness and A-weighted level; an uncalibrated
// display (levels re full scale, the A level not above 0) says so with its level; a loudness of 100
// sone or more is not shown.
TEST(LoudnessReadout, LineOfTheDisplayedBands)
{
    displaytest::ScopedLanguage english(LANGUAGE_ENGLISH);
    const float pinkBand = static_cast<float>(60.0 - 10.0 * std::log10(30.0));
    const Levels pink = AllAt(pinkBand);
    const LoudnessReadout readout = ReadLoudness(pink.data());
    EXPECT_EQ(readout.loudness, ComputeLoudness(pink.data()));
    EXPECT_NEAR(readout.loudness, 12.4, 0.1);
    // 21 bands at 45.2 dB with their A corrections.
    double sum = 0.0;
    for (int i = 6; i <= 26; ++i)
    {
        const double f = 1000.0 * std::pow(10.0, (i - 16) / 10.0);
        const double f2 = f * f;
        const double a =
            20.0 * std::log10(12194.217 * 12194.217 * f2 * f2 /
                              ((f2 + 20.598997 * 20.598997) *
                               std::sqrt((f2 + 107.65265 * 107.65265) * (f2 + 737.86223 * 737.86223)) *
                               (f2 + 12194.217 * 12194.217))) +
            2.0;
        sum += std::pow(10.0, (pinkBand + a) / 10.0);
    }
    EXPECT_NEAR(readout.aLevel, 10.0 * std::log10(sum), 0.05);
    EXPECT_EQ(readout.text, Format("Loudness %3.1f Sone %3.1fdB(A)", readout.loudness, readout.aLevel));
    EXPECT_EQ(readout.text.rfind("Loudness 12.", 0), 0u) << readout.text;

    const Levels fullScale = AllAt(-20.0f);
    const LoudnessReadout uncalibrated = ReadLoudness(fullScale.data());
    EXPECT_LE(uncalibrated.aLevel, 0.0f);
    EXPECT_EQ(uncalibrated.loudness, 0.0f);
    EXPECT_EQ(uncalibrated.text, Format("Error: not calibrated for sone measurement. Level is %3.1fdB(A)",
                                        uncalibrated.aLevel, 0.0));

    const Levels loud = AllAt(100.0f);
    EXPECT_GT(ComputeLoudness(loud.data()), 100.0f);
    const LoudnessReadout tooLoud = ReadLoudness(loud.data());
    EXPECT_EQ(tooLoud.loudness, 0.0f);
    EXPECT_EQ(tooLoud.text, Format("Loudness %3.1f Sone %3.1fdB(A)", 0.0, tooLoud.aLevel));
}

}  // namespace
