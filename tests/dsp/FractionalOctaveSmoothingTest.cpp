// Fractional-octave smoothing against a plain evaluation of its definition.
#include "dsp/FractionalOctaveSmoothing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

namespace
{

// The mean of input[lo..hi] for every bin, summed afresh for each.
std::vector<float> DirectBinMeans(const std::vector<float>& input, double fraction)
{
    const double r = std::sqrt(std::pow(2.0, 1.0 / fraction));
    const int count = static_cast<int>(input.size());
    std::vector<float> output(input.size());
    for (int i = 0; i < count; ++i)
    {
        const int lo = static_cast<int>(i / r + 0.5);
        const int hi = std::min(static_cast<int>(i * r + 0.5), count - 1);
        double sum = 0.0;
        for (int k = lo; k <= hi; ++k)
            sum += input[static_cast<std::size_t>(k)];
        output[static_cast<std::size_t>(i)] = static_cast<float>(sum / (hi - lo + 1));
    }
    return output;
}

TEST(FractionalOctaveSmoothing, BinsAreTheMeanOfTheirBand)
{
    // A power spectrum with a wide range: a floor near 1e-12 and a few strong lines.
    std::mt19937 random(7);
    std::uniform_real_distribution<float> floor(1e-12f, 1e-10f);
    std::vector<float> spectrum(8192);
    for (float& value : spectrum)
        value = floor(random);
    for (int line : {3, 40, 427, 1000, 8191})
        spectrum[static_cast<std::size_t>(line)] = 0.5f;
    for (double fraction : {1.0, 3.0, 6.0, 24.0, 32.0})
    {
        const std::vector<float> expected = DirectBinMeans(spectrum, fraction);
        std::vector<float> smoothed(spectrum.size());
        SmoothFractionalOctaveBins(spectrum.data(), smoothed.data(), static_cast<int>(spectrum.size()),
                                   fraction);
        for (std::size_t i = 0; i < spectrum.size(); ++i)
            ASSERT_NEAR(smoothed[i], expected[i], 1e-4 * expected[i] + 1e-15)
                << "fraction " << fraction << " bin " << i;
        std::vector<float> inPlace = spectrum;
        SmoothFractionalOctaveBinsInPlace(inPlace.data(), static_cast<int>(inPlace.size()), fraction);
        EXPECT_EQ(inPlace, smoothed) << fraction;
    }
}

TEST(FractionalOctaveSmoothing, ConstantStaysAndNoFractionChangesNothing)
{
    std::vector<float> flat(100, 2.5f);
    std::vector<float> out(100);
    SmoothFractionalOctaveBins(flat.data(), out.data(), 100, 3.0);
    for (float v : out)
        EXPECT_FLOAT_EQ(v, 2.5f);
    std::vector<float> values = {1, 2, 3, 4};
    for (double fraction : {0.0, -3.0, std::nan("")})
    {
        std::vector<float> copy = values;
        SmoothFractionalOctaveBinsInPlace(copy.data(), 4, fraction);
        EXPECT_EQ(copy, values) << fraction;
        SmoothFractionalOctave(std::vector<float>{100, 200, 400, 800}, copy, fraction);
        EXPECT_EQ(copy, values) << fraction;
    }
}

TEST(FractionalOctaveSmoothing, OverAFrequencyAxisTheCentreCountsTwice)
{
    // Octave smoothing (r = 1.414): 1000 Hz sees 800 and 1200 Hz, not 500 or 2000 Hz.
    const std::vector<float> frequencies = {500, 800, 1000, 1200, 2000};
    std::vector<float> values = {100, 2, 4, 6, 100};
    SmoothFractionalOctave(frequencies, values, 1.0);
    // 1000 Hz: 4 (down), 2, then 4 (up), 6: (4 + 2 + 4 + 6) / 4.
    EXPECT_FLOAT_EQ(values[2], 4.0f);
    // 500 Hz sees only itself (800 Hz lies above 707 Hz): twice 100.
    EXPECT_FLOAT_EQ(values[0], 100.0f);
    // 800 Hz: only itself down (500 Hz lies below 566 Hz), itself and 1000 Hz up: (2 + 2 + 4) / 3.
    EXPECT_FLOAT_EQ(values[1], 8.0f / 3.0f);
}

}  // namespace
