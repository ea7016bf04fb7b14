// Every band of the band analyser against the class 1 acceptance limits of the fractional-octave
// filter standard (IEC 61260-1:2014, Table 1), at every rate the program offers: steady sines at the
// standard's breakpoints go through the whole analyser (its decimation chain included) and the band's
// own level meter reads them. The worst margin per rate is printed.
#include "dsp/BandAnalyzer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "tests/dsp/FilterMath.h"

namespace
{
constexpr double kInfinity = std::numeric_limits<double>::infinity();
const double kG = std::pow(10.0, 0.3);

struct Result
{
    double margin = kInfinity;
    double band = 0.0;
    double omega = 0.0;
    double attenuation = 0.0;
    int decimation = 1;
    int failures = 0;
    int bands = 0;
    int tones = 0;
};

// Feeds a sine of RMS 1/sqrt(2) at f to the analyser: a raised-cosine onset over the first half of
// `settle` seconds, the meters reset at `settle`, then `measure` seconds; returns band i's
// attenuation in dB.
double ToneAttenuation(CBandAnalyzer& analyzer, int band, double f, double settle, double measure)
{
    const double fs = analyzer.m_sampleRate;
    analyzer.Configure();
    const int settleSamples = static_cast<int>(settle * fs);
    const int onset = settleSamples / 2;
    const int total = settleSamples + static_cast<int>(measure * fs);
    constexpr int kBlock = 512;
    std::vector<float> block(kBlock);
    const double w = 2.0 * std::numbers::pi * f / fs;
    for (int start = 0; start < total; start += kBlock)
    {
        if (start == settleSamples - settleSamples % kBlock)
            analyzer.ResetLevels();
        const int n = std::min(kBlock, total - start);
        for (int k = 0; k < n; ++k)
        {
            const int i = start + k;
            const double ramp = i < onset ? 0.5 - 0.5 * std::cos(std::numbers::pi * i / onset) : 1.0;
            block[k] = static_cast<float>(ramp * std::sin(w * i));
        }
        analyzer.ProcessBlock(block.data(), n);
    }
    const double rms = analyzer.m_bandMeters[band]->GetLevel(kLevelEquivalent);
    return -20.0 * std::log10(std::max(rms, 1e-30) * std::sqrt(2.0));
}

Result SweepRate(double fs, int b)
{
    CBandAnalyzer analyzer;
    analyzer.m_sampleRate = fs;
    analyzer.m_minFrequency = 20.0;
    analyzer.m_maxFrequency = 0.45 * fs;
    analyzer.m_bandsPerOctave = b;
    analyzer.m_widebandSet = -1;  // bands only
    analyzer.m_energyTrace.m_enabled = 0;
    analyzer.Configure();
    Result result;
    result.bands = analyzer.m_bandCount;
    const double edge = std::pow(kG, 0.5 / b);
    for (int i = 0; i < analyzer.m_bandCount; ++i)
    {
        // The exact base-ten mid-band frequency that the nominal centre stands for.
        const double fm =
            1000.0 * std::pow(10.0, std::round(10.0 * std::log10(analyzer.m_bandCenters[i] / 1000.0)) / 10.0);
        EXPECT_NEAR(analyzer.m_bandMidFrequencies[i], fm, 1e-9 * fm);
        // The slowest pole of the band-pass decays by about 80 dB in 8 / bandwidth seconds.
        const double bandwidth = fm * (edge - 1.0 / edge);
        const double settle = std::max(0.05, 8.0 / bandwidth);
        for (const filtertest::AttenuationLimit& point : filtertest::kClassOneLimits)
        {
            const double above = filtertest::BreakpointAbove(point.exponent, b);
            for (const double omega : {above, 1.0 / above})
            {
                if (point.exponent == 0.0 && omega != above)
                    continue;
                const double f = omega * fm;
                if (f >= 0.499 * fs)
                    continue;
                const double measure = std::max({0.05, 20.0 / f, 20.0 / fm});
                const double a = ToneAttenuation(analyzer, i, f, settle, measure);
                ++result.tones;
                const double margin = std::min(a - point.minimum, point.maximum - a);
                if (margin < 0.0)
                    ++result.failures;
                if (margin < result.margin)
                {
                    result.margin = margin;
                    result.band = fm;
                    result.omega = omega;
                    result.attenuation = a;
                    result.decimation = analyzer.m_bandDecimation[i];
                }
            }
        }
    }
    return result;
}

class BandMask : public ::testing::TestWithParam<int>
{
};

TEST_P(BandMask, EveryBandMeetsClassOneAtEveryRate)
{
    const int b = GetParam();
    const double rates[] = {32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0};
    std::vector<Result> results(std::size(rates));
    std::vector<std::thread> threads;
    for (std::size_t r = 0; r < std::size(rates); ++r)
        threads.emplace_back([&, r] { results[r] = SweepRate(rates[r], b); });
    for (std::thread& t : threads)
        t.join();
    std::printf(
        "1/%d octave: rate, bands, tones, worst margin (dB), at band (Hz), Omega, attenuation, "
        "decimation\n",
        b);
    for (std::size_t r = 0; r < std::size(rates); ++r)
    {
        const Result& x = results[r];
        std::printf("  %6.0f Hz  %3d  %4d  %+7.3f  %9.2f  %.5f  %8.3f  %d\n", rates[r], x.bands, x.tones,
                    x.margin, x.band, x.omega, x.attenuation, x.decimation);
        EXPECT_EQ(x.failures, 0) << rates[r] << " Hz: worst " << x.margin << " dB at " << x.band
                                 << " Hz, Omega " << x.omega;
        EXPECT_GT(x.bands, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(BandsPerOctave, BandMask, ::testing::Values(1, 3),
                         [](const ::testing::TestParamInfo<int>& info)
                         { return "OneOver" + std::to_string(info.param); });
}  // namespace
