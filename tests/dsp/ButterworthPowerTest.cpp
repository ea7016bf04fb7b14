#include "dsp/ButterworthPower.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{

TEST(ButterworthPowerTest, HandComputedValues)
{
    struct Case
    {
        bool lowPass;
        double f, fc;
        int order;
        double expected;
    };
    const Case cases[] = {
        {true, 12500.0, 12500.0, 6, 0.5},        // half power at the corner
        {true, 25000.0, 12500.0, 1, 1.0 / 5.0},  // 1/(1 + 2²)
        {true, 6250.0, 12500.0, 2, 1.0 / (1.0 + 1.0 / 16.0)},
        {true, 0.0, 12500.0, 6, 1.0},
        {false, 12500.0, 12500.0, 6, 0.5},
        {false, 6250.0, 12500.0, 2, 1.0 / 17.0},  // 1/(1 + 2⁴)
        {false, 25000.0, 12500.0, 1, 1.0 / (1.0 + 0.25)},
        {false, 0.0, 12500.0, 6, 0.0},  // nothing passes at DC
        // A negative corner gives the inverse response.
        {true, 25000.0, -12500.0, 1, 5.0},
        {false, 6250.0, -12500.0, 2, 17.0},
        {true, 12500.0, -12500.0, 6, 2.0},
    };
    for (const Case& c : cases)
    {
        const double power = c.lowPass ? ButterworthLowPassPower(c.f, c.fc, c.order)
                                       : ButterworthHighPassPower(c.f, c.fc, c.order);
        EXPECT_NEAR(power, c.expected, 1e-12 * std::max(1.0, c.expected))
            << (c.lowPass ? "low" : "high") << " f " << c.f << " fc " << c.fc << " order " << c.order;
    }
}

TEST(ButterworthPowerTest, DegenerateCornersStayFinite)
{
    // No corner: no filter.
    EXPECT_EQ(ButterworthLowPassPower(1000.0, 0.0, 4), 1.0);
    EXPECT_EQ(ButterworthHighPassPower(1000.0, 0.0, 4), 1.0);
    EXPECT_EQ(ButterworthHighPassPower(0.0, 0.0, 4), 1.0);
    // The inverse high-pass at DC and an inverse low-pass far above its corner are held at the top.
    const double top = std::numeric_limits<double>::max();
    EXPECT_EQ(ButterworthHighPassPower(0.0, -12500.0, 6), top);
    EXPECT_EQ(ButterworthLowPassPower(1e300, -1.0, 6), top);
    EXPECT_EQ(ButterworthLowPassPower(1e300, 1.0, 6), 0.0);
}

}  // namespace
