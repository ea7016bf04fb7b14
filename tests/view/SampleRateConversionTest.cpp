// The conversion dialog's arithmetic: the six steps and the ratio a slider position gives.
#include "view/SampleRateConversion.h"

#include <gtest/gtest.h>

namespace
{

using namespace sample_rate_conversion;

TEST(SampleRateConversionTest, StepsAndRatios)
{
    const double steps[kSteps] = {0.1, 0.01, 0.001, 1e-4, 1e-5, 1e-6};
    for (int k = 0; k < kSteps; ++k)
        EXPECT_NEAR(StepOf(k) / steps[k], 1.0, 1e-12) << k;

    struct Case
    {
        int position, step;
        double centre, rate, ratio;
    };
    const Case cases[] = {
        // 1 ppm and the slider at +100: centre / rate · (1 + 100 · 1e-6 · 0.01).
        {100, 5, 48000.0, 48000.0, 1.0 + 1e-6},
        {100, 5, 48010.0, 48000.0, 48010.0 / 48000.0 * (1.0 + 1e-6)},
        {-100, 0, 48000.0, 48000.0, 0.9},
        {0, 3, 44100.0, 48000.0, 44100.0 / 48000.0},
        {50, 1, 48000.0, 0.0, 1.0},  // no sample rate: no conversion
    };
    for (const Case& c : cases)
        EXPECT_NEAR(RatioOf(c.position, StepOf(c.step), c.centre, c.rate), c.ratio, 1e-13)
            << c.position << " " << c.step;
    EXPECT_NEAR(FrequencyOf(100, StepOf(0), 1000.0), 1100.0, 1e-9);
}

}  // namespace
