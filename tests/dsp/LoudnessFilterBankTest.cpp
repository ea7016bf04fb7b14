#include "dsp/LoudnessFilterBank.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <memory>
#include <numbers>
#include <vector>

#include "tests/dsp/AllocationCount.h"

namespace
{

using Levels = std::array<float, kLoudnessBandCount>;

// The analog Butterworth band-pass of third order between c 10^(-1/20) and c 10^(1/20):
// |H|^2 = 1 / (1 + W^6) with W = (f^2 - f_l f_u) / (f (f_u - f_l)).
double AnalogThirdResponse(double f, double centre)
{
    const double fl = centre * std::pow(10.0, -0.05), fu = centre * std::pow(10.0, 0.05);
    const double w = (f * f - fl * fu) / (f * (fu - fl));
    return 1.0 / (1.0 + std::pow(w, 6.0));
}

std::vector<float> Sine(double f, double amplitude, double rate, int count)
{
    std::vector<float> x(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i)
    {
        x[static_cast<std::size_t>(i)] =
            static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * f * i / rate));
    }
    return x;
}

// The designed bands follow their analog prototype at every rate, down their skirts to 40 dB (the
// bilinear mapping bends the skirts by a little, and much only near half the rate), and a band is centred on
// its exact base-10 frequency with its edges 3 dB down.
TEST(LoudnessFilterBank, BandsFollowTheirAnalogPrototype)
{
    for (double rate : {16000.0, 44100.0, 48000.0, 96000.0, 192000.0})
    {
        auto bank = std::make_unique<CLoudnessFilterBank>();
        bank->Configure(rate, 1024);
        for (int band = 0; band < kLoudnessBandCount; ++band)
        {
            const double centre = LoudnessBandCentre(band);
            if (centre * std::pow(10.0, 0.05) >= 0.475 * rate)
            {
                EXPECT_EQ(bank->Response(band, centre), 0.0) << rate << " Hz, band " << band;
                continue;
            }
            if (centre > rate / 20.0)
            {
                continue;  // near half the rate the bilinear mapping squeezes the upper skirt
            }
            EXPECT_NEAR(bank->Response(band, centre), 1.0, 1e-6) << rate << " Hz, band " << band;
            EXPECT_NEAR(10.0 * std::log10(bank->Response(band, centre * std::pow(10.0, 0.05))), -3.0103,
                        0.01);
            for (double ratio = 0.5; ratio <= 2.0; ratio *= std::pow(2.0, 1.0 / 12.0))
            {
                const double analog = 10.0 * std::log10(AnalogThirdResponse(centre * ratio, centre));
                if (analog > -40.0)
                {
                    EXPECT_NEAR(10.0 * std::log10(bank->Response(band, centre * ratio)), analog,
                                0.05 - 0.01 * analog)
                        << rate << " Hz, band " << band << " at " << centre * ratio << " Hz";
                }
            }
        }
    }
}

// A steady tone measured over whole intervals gives each band the tone's level plus the band's
// response; nothing is published before the first interval is complete, and processing allocates
// nothing.
TEST(LoudnessFilterBank, MeasuresEachIntervalOfAStreamedTone)
{
    constexpr double kRate = 48000.0;
    constexpr int kInterval = 4800;  // 100 whole periods of the 1 kHz tone
    auto bank = std::make_unique<CLoudnessFilterBank>();
    bank->Configure(kRate, kInterval);
    const std::vector<float> x = Sine(1000.0, std::sqrt(2.0), kRate, 5 * kInterval);  // RMS 1: 0 dB
    Levels levels;
    levels.fill(7.0f);
    bank->Process(x.data(), kInterval - 1);
    EXPECT_FALSE(bank->Levels(levels.data()));
    EXPECT_EQ(levels[0], 7.0f);
    // The rest in odd chunks that cross the interval ends.
    int allocations = 0;
    for (int at = kInterval - 1; at < static_cast<int>(x.size()); at += 333)
    {
        const int n = std::min(333, static_cast<int>(x.size()) - at);
        allocations += allocationcount::Count([&] { bank->Process(x.data() + at, n); });
    }
    EXPECT_EQ(allocations, 0);
    ASSERT_TRUE(bank->Levels(levels.data()));
    for (int band = 0; band < kLoudnessBandCount; ++band)
    {
        const double expected = 10.0 * std::log10(bank->Response(band, 1000.0));
        if (expected > -60.0)
        {
            EXPECT_NEAR(levels[static_cast<std::size_t>(band)], expected, 0.02) << "band " << band;
        }
    }
    EXPECT_NEAR(levels[16], 0.0, 0.01);
    EXPECT_NEAR(levels[15], 10.0 * std::log10(AnalogThirdResponse(1000.0, LoudnessBandCentre(15))), 0.05);
    // A new configuration forgets the levels.
    bank->Configure(kRate, kInterval);
    EXPECT_FALSE(bank->Levels(levels.data()));
}

// Bands that do not fit below 0.475 x the rate stay silent; the others measure.
TEST(LoudnessFilterBank, BandsAboveTheRateStaySilent)
{
    constexpr double kRate = 16000.0;
    auto bank = std::make_unique<CLoudnessFilterBank>();
    bank->Configure(kRate, 1600);
    const std::vector<float> x = Sine(6300.0, 1.0, kRate, 3200);
    bank->Process(x.data(), static_cast<int>(x.size()));
    Levels levels;
    ASSERT_TRUE(bank->Levels(levels.data()));
    for (int band = 0; band < kLoudnessBandCount; ++band)
    {
        const bool fits = LoudnessBandCentre(band) * std::pow(10.0, 0.05) < 0.475 * kRate;
        if (fits)
        {
            EXPECT_GT(levels[static_cast<std::size_t>(band)], -300.0f) << band;
        }
        else
        {
            EXPECT_EQ(levels[static_cast<std::size_t>(band)], -300.0f) << band;
        }
    }
    EXPECT_FALSE(LoudnessBandCentre(25) * std::pow(10.0, 0.05) < 0.475 * kRate);  // 8 kHz is left out
}

}  // namespace
