#include "dsp/Itu468Network.h"

#include <gtest/gtest.h>

namespace
{
// The network sits 18.2387 dB below the ITU-R 468 curve's 0 dB point at 1 kHz.
constexpr double kOffsetTo468 = 18.2387;

struct CurvePoint
{
    double f;
    double weightingDb;  // ITU-R BS.468-4 table of the weighting curve
};

class Itu468NetworkCurve : public ::testing::TestWithParam<CurvePoint>
{
};

TEST_P(Itu468NetworkCurve, FollowsTheRecommendationsTable)
{
    const CurvePoint p = GetParam();
    EXPECT_NEAR(Itu468NetworkDb(p.f) + kOffsetTo468, p.weightingDb, 0.06) << p.f << " Hz";
}

INSTANTIATE_TEST_SUITE_P(
    Table, Itu468NetworkCurve,
    ::testing::Values(CurvePoint{31.5, -29.9}, CurvePoint{63, -23.9}, CurvePoint{100, -19.8},
                      CurvePoint{200, -13.8}, CurvePoint{400, -7.8}, CurvePoint{800, -1.9},
                      CurvePoint{1000, 0.0}, CurvePoint{2000, 5.6}, CurvePoint{3150, 9.0},
                      CurvePoint{4000, 10.5}, CurvePoint{5000, 11.7}, CurvePoint{6300, 12.2},
                      CurvePoint{7100, 12.0}, CurvePoint{8000, 11.4}, CurvePoint{9000, 10.1},
                      CurvePoint{10000, 8.1}, CurvePoint{12500, 0.0}, CurvePoint{14000, -5.3},
                      CurvePoint{16000, -11.7}, CurvePoint{20000, -22.2}, CurvePoint{31500, -42.7}));

TEST(Itu468Network, AbsoluteLevelsAtTheNormalisationPoints)
{
    // 1 kHz is the 468 curve's reference, 2 kHz the ARM curve's.
    EXPECT_NEAR(Itu468NetworkDb(1000.0), -18.2387, 0.001);
    EXPECT_NEAR(Itu468NetworkDb(2000.0), -12.609, 0.001);
}

TEST(Itu468Network, FallsTowardsDcAtSixDbPerOctave)
{
    EXPECT_NEAR(Itu468NetworkDb(10.0) - Itu468NetworkDb(20.0), -6.02, 0.02);
    EXPECT_NEAR(Itu468NetworkDb(1e-10), -278.09, 0.01);  // 20 log10(1.2463e-4 · 1e-10)
}
}  // namespace
