#include "dsp/WeightingFilters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <vector>

namespace
{
// Steady-state gain of a stage for a sine at f, from the RMS of the second of two seconds.
double SineGainDb(CFilterStage& stage, double fs, double f)
{
    stage.m_nSampleRate = static_cast<int>(fs);
    const int n = static_cast<int>(fs) * 2;
    std::vector<float> x(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        x[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * f * i / fs));
    for (int start = 0; start < n; start += 512)
        stage.Process(x.data() + start, std::min(512, n - start));
    double energy = 0.0;
    for (int i = n / 2; i < n; ++i)
        energy += static_cast<double>(x[i]) * x[i];
    return 10.0 * std::log10(2.0 * energy / (n - n / 2));
}

// The weighting curves of the sound-level-meter standard (IEC 61672-1, Annex E), normalised to
// A1000 = -2.000 dB and C1000 = -0.062 dB, written independently of the stages.
double StandardWeightingDb(bool aWeighting, double f)
{
    const double f1 = 20.598997, f2 = 107.65265, f3 = 737.86223, f4 = 12194.217;
    const double s = f * f;
    if (aWeighting)
        return 20.0 * std::log10(
                          f4 * f4 * s * s /
                          ((s + f1 * f1) * std::sqrt(s + f2 * f2) * std::sqrt(s + f3 * f3) * (s + f4 * f4))) +
               2.000;
    return 20.0 * std::log10(f4 * f4 * s / ((s + f1 * f1) * (s + f4 * f4))) + 0.062;
}

// Class 1 acceptance limits (2013 edition) at the nominal frequencies; -99 stands for minus infinity.
struct Limit
{
    double nominal;
    double upper;
    double lower;
};
constexpr Limit kClass1[] = {
    {10, 3.0, -99},     {12.5, 2.5, -99},   {16, 2.0, -4.0},     {20, 2.0, -2.0},   {25, 2.0, -1.5},
    {31.5, 1.5, -1.5},  {40, 1.0, -1.0},    {50, 1.0, -1.0},     {63, 1.0, -1.0},   {80, 1.0, -1.0},
    {100, 1.0, -1.0},   {125, 1.0, -1.0},   {160, 1.0, -1.0},    {200, 1.0, -1.0},  {250, 1.0, -1.0},
    {315, 1.0, -1.0},   {400, 1.0, -1.0},   {500, 1.0, -1.0},    {630, 1.0, -1.0},  {800, 1.0, -1.0},
    {1000, 0.7, -0.7},  {1250, 1.0, -1.0},  {1600, 1.0, -1.0},   {2000, 1.0, -1.0}, {2500, 1.0, -1.0},
    {3150, 1.0, -1.0},  {4000, 1.0, -1.0},  {5000, 1.5, -1.5},   {6300, 1.5, -2.0}, {8000, 1.5, -2.5},
    {10000, 2.0, -3.0}, {12500, 2.0, -5.0}, {16000, 2.5, -16.0}, {20000, 3.0, -99}};

class WeightingStageMask : public ::testing::TestWithParam<bool>
{
};

// Every nominal frequency from 10 Hz up to 0.45 of the rate, at every rate the program offers; the
// worst margin to the limits is printed per rate.
TEST_P(WeightingStageMask, WithinAcceptanceLimitsUpToPoint45OfTheRate)
{
    const bool aWeighting = GetParam();
    std::printf("%s weighting: rate, worst margin (dB), at (Hz), deviation (dB)\n", aWeighting ? "A" : "C");
    for (const double fs : {32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0})
    {
        double worst = 1e9;
        double worstAt = 0.0;
        double worstDeviation = 0.0;
        for (const Limit& limit : kClass1)
        {
            if (limit.nominal >= 0.45 * fs)
                continue;
            const double exact =
                1000.0 * std::pow(10.0, std::round(10.0 * std::log10(limit.nominal / 1000.0)) / 10.0);
            CAWeightingFilter a;
            CCWeightingFilter cw;
            CFilterStage& stage = aWeighting ? static_cast<CFilterStage&>(a) : static_cast<CFilterStage&>(cw);
            const double deviation = SineGainDb(stage, fs, exact) - StandardWeightingDb(aWeighting, exact);
            EXPECT_LE(deviation, limit.upper) << limit.nominal << " Hz at " << fs;
            EXPECT_GE(deviation, limit.lower) << limit.nominal << " Hz at " << fs;
            const double margin = std::min(limit.upper - deviation, deviation - limit.lower);
            if (margin < worst)
            {
                worst = margin;
                worstAt = limit.nominal;
                worstDeviation = deviation;
            }
        }
        std::printf("  %6.0f Hz  %+7.3f  %7.1f  %+7.3f\n", fs, worst, worstAt, worstDeviation);
    }
}

INSTANTIATE_TEST_SUITE_P(Curves, WeightingStageMask, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) { return info.param ? "A" : "C"; });

TEST(WeightingStage, ReferenceFrequencyIsAccurate)
{
    // At 1 kHz the A and C stages read 0 dB well inside the +-0.7 dB limit.
    for (double fs : {32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0})
    {
        CAWeightingFilter a;
        CCWeightingFilter c;
        EXPECT_NEAR(SineGainDb(a, fs, 1000.0), 0.0, 0.05) << fs;
        EXPECT_NEAR(SineGainDb(c, fs, 1000.0), 0.0, 0.05) << fs;
    }
}

TEST(WeightingStage, RedesignsWhenTheRateChanges)
{
    // Kept at its 96 kHz design, the stage would read 12 kHz at 32 kHz as the 4 kHz it stands for at
    // 96 kHz (A: +1.0 dB instead of -4.3 dB).
    CAWeightingFilter a;
    SineGainDb(a, 96000.0, 1000.0);
    const double at32 = SineGainDb(a, 32000.0, 12000.0);
    CAWeightingFilter fresh;
    EXPECT_NEAR(at32, SineGainDb(fresh, 32000.0, 12000.0), 1e-3);
    EXPECT_NEAR(at32, StandardWeightingDb(true, 12000.0), 1.0);
}

struct ItuPoint
{
    double fs;
    double f;
    double expectedDb;
};

class Itu468Stage : public ::testing::TestWithParam<ItuPoint>
{
};

TEST_P(Itu468Stage, ApproximatesTheCurve)
{
    const ItuPoint p = GetParam();
    CItu468WeightingFilter stage;
    EXPECT_NEAR(SineGainDb(stage, p.fs, p.f), p.expectedDb, 0.6) << p.f << " Hz at " << p.fs;
}

INSTANTIATE_TEST_SUITE_P(Points, Itu468Stage,
                         ::testing::Values(ItuPoint{44100, 31.5, -29.9}, ItuPoint{44100, 100, -19.9},
                                           ItuPoint{44100, 1000, 0.0}, ItuPoint{44100, 6300, 12.2},
                                           ItuPoint{44100, 16000, -14.8}, ItuPoint{48000, 1000, 0.0},
                                           ItuPoint{48000, 6300, 12.1}));

TEST(Itu468Stage, RateClassBoundariesBelongToTheLowerClass)
{
    const struct
    {
        int fs;
        double peakFrequency;
    } cases[] = {{46050, 7000},  {46051, 8000},   {72000, 8000},
                 {72001, 10000}, {144000, 10000}, {144001, 9300}};
    for (const auto& c : cases)
    {
        CItu468WeightingFilter stage;
        stage.SelectParameters(c.fs);
        EXPECT_EQ(stage.m_dPeakFrequency, c.peakFrequency) << c.fs;
    }
}

TEST(UWeightingStage, CornerNearTwelveAndAHalfKilohertz)
{
    CUWeightingFilter u;
    EXPECT_NEAR(SineGainDb(u, 96000.0, 1000.0), 0.0, 0.01);
    EXPECT_NEAR(SineGainDb(u, 96000.0, 12594.217), -3.01, 0.1);
    CUS1WeightingFilter us1;
    EXPECT_LT(SineGainDb(us1, 96000.0, 1000.0), -80.0);
    EXPECT_NEAR(SineGainDb(us1, 96000.0, 30000.0), 0.0, 0.1);
}
}  // namespace
