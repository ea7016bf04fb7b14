#include "dsp/Loudness.h"

#include <gtest/gtest.h>

#include <fftw3.h>

#include <array>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "dsp/BandAnalyzer.h"
#include "dsp/LevelMeter.h"

namespace
{

using Levels = std::array<float, kLoudnessBandCount>;

constexpr double kReferencePressure = 20e-6;  // Pa

Levels AllAt(float level)
{
    Levels l;
    l.fill(level);
    return l;
}

// One band at `level`, the others far below the threshold in quiet.
Levels OneBand(int index, float level)
{
    Levels l = AllAt(-100.0f);
    l[static_cast<std::size_t>(index)] = level;
    return l;
}

// ISO 532-1 accepts a loudness within 5 % or 0.1 sone of the reference.
void ExpectWithinAcceptance(double n, double reference, const char* what)
{
    const double tolerance = std::max(0.05 * reference, 0.1);
    EXPECT_NEAR(n, reference, tolerance) << what;
}

// IEC 61672-1 A weighting from its analytic poles, normalised at 1 kHz.
double AWeightingDb(double f)
{
    const double f1 = 20.598997, f2 = 107.65265, f3 = 737.86223, f4 = 12194.217;
    const double f2sq = f * f;
    const double r = f4 * f4 * f2sq * f2sq /
                     ((f2sq + f1 * f1) * std::sqrt((f2sq + f2 * f2) * (f2sq + f3 * f3)) * (f2sq + f4 * f4));
    return 20.0 * std::log10(r) + 2.0;
}

TEST(Loudness, AnnexB2TestSignalOne)
{
    const Levels levels = {-60, -60, 78, 79, 89, 72, 80, 89, 75, 87, 85, 79, 86, 80,
                           71,  70,  72, 71, 72, 74, 69, 65, 67, 77, 68, 58, 45, 30};
    ExpectWithinAcceptance(ComputeLoudness(levels.data()), 83.296, "ISO 532-1 B.2 test signal 1");
}

TEST(Loudness, EdgeCases)
{
    const struct
    {
        const char* what;
        Levels levels;
        double loudness;
        double loudnessTolerance;
        double aLevel;  // NaN: not checked
    } cases[] = {
        {"all bands at -100 dB", AllAt(-100.0f), 0.0, 0.0, std::nan("")},
        {"all bands at 0 dB", AllAt(0.0f), 0.0035, 0.00005, std::nan("")},
        {"all bands at 60 dB", AllAt(60.0f), 31.94, 0.005, 71.73},
        {"1 kHz at 80 dB", OneBand(16, 80.0f), 13.96, 0.005, 80.0},
    };
    for (const auto& c : cases)
    {
        std::array<float, kLoudnessPatternLength + 8> pattern;
        pattern.fill(-7.0f);
        const float n = ComputeLoudnessPattern(c.levels.data(), pattern.data());
        EXPECT_NEAR(n, c.loudness, c.loudnessTolerance) << c.what;
        EXPECT_EQ(ComputeLoudness(c.levels.data()), n) << c.what;
        for (int i = 0; i < kLoudnessPatternLength; ++i)
        {
            ASSERT_GE(pattern[static_cast<std::size_t>(i)], 0.0f) << c.what << " at " << i;
        }
        for (std::size_t i = kLoudnessPatternLength; i < pattern.size(); ++i)
        {
            EXPECT_EQ(pattern[i], -7.0f) << c.what << ": written past the pattern";
        }
        if (c.loudness == 0.0)
        {
            EXPECT_EQ(n, 0.0f);
            for (int i = 0; i < kLoudnessPatternLength; ++i)
            {
                EXPECT_EQ(pattern[static_cast<std::size_t>(i)], 0.0f) << c.what;
            }
        }
        if (!std::isnan(c.aLevel))
        {
            EXPECT_NEAR(ComputeThirdOctaveALevel(c.levels.data()), c.aLevel, 0.005) << c.what;
        }
    }
}

// Only the first 28 values are read: a longer array (the engine's 30 bands) gives the same results.
TEST(Loudness, ReadsOnlyTheFirst28Bands)
{
    std::array<float, 30> longer;
    longer.fill(70.0f);
    longer[28] = 120.0f;
    longer[29] = 120.0f;
    const Levels levels = AllAt(70.0f);
    EXPECT_EQ(ComputeLoudness(longer.data()), ComputeLoudness(levels.data()));
    EXPECT_EQ(ComputeThirdOctaveALevel(longer.data()), ComputeThirdOctaveALevel(levels.data()));
}

// The total is the integral of the pattern: the sum of the pattern times its 0.1 Bark step is N within
// 1 % for broad spectra. The pattern holds the value at the upper end of each step, so every falling
// slope is summed short by half a step of its drop: for a lone tone, whose pattern falls from its
// peak to zero, up to 0.05 x the peak more.
TEST(Loudness, PatternIntegratesToTotal)
{
    const Levels b2 = {-60, -60, 78, 79, 89, 72, 80, 89, 75, 87, 85, 79, 86, 80,
                       71,  70,  72, 71, 72, 74, 69, 65, 67, 77, 68, 58, 45, 30};
    Levels falling;
    for (int i = 0; i < kLoudnessBandCount; ++i)
    {
        falling[static_cast<std::size_t>(i)] = 90.0f - 2.0f * static_cast<float>(i);
    }
    const struct
    {
        Levels levels;
        bool tone;
    } cases[] = {{b2, false},
                 {AllAt(40.0f), false},
                 {AllAt(60.0f), false},
                 {AllAt(100.0f), false},
                 {falling, false},
                 {OneBand(10, 80.0f), true},
                 {OneBand(16, 60.0f), true},
                 {OneBand(22, 40.0f), true},
                 {OneBand(27, 90.0f), true}};
    for (const auto& c : cases)
    {
        std::array<float, kLoudnessPatternLength> pattern{};
        const float n = ComputeLoudnessPattern(c.levels.data(), pattern.data());
        double sum = 0;
        float peak = 0;
        for (float v : pattern)
        {
            sum += v * kLoudnessPatternStep;
            peak = std::max(peak, v);
        }
        const double tolerance = 0.01 * n + (c.tone ? 0.05 * peak : 0.0);
        EXPECT_NEAR(sum, n, tolerance) << "N = " << n;
    }
}

// N rises strictly with the level, for one band anywhere and for all bands together.
TEST(Loudness, RisesMonotonicallyWithLevel)
{
    for (int band : {-1, 0, 5, 10, 16, 22, 27})
    {
        float previous = -1.0f;
        for (float level = 0.0f; level <= 120.0f; level += 1.0f)
        {
            const Levels levels = band < 0 ? AllAt(level) : OneBand(band, level);
            const float n = ComputeLoudness(levels.data());
            EXPECT_GE(n, previous) << "band " << band << " at " << level << " dB";
            if (previous > 0.0f)
            {
                EXPECT_GT(n, previous) << "band " << band << " at " << level << " dB";
            }
            previous = n;
        }
    }
}

// One band alone gives L + A(f) from the analytic weighting, within the 0.05 dB of its rounding; the
// bands below 100 Hz and the 12.5 kHz band do not count.
TEST(Loudness, ThirdOctaveALevelOfOneBand)
{
    for (int i = 0; i < kLoudnessBandCount; ++i)
    {
        const double f = 1000.0 * std::pow(10.0, (i - 16) / 10.0);
        Levels levels = AllAt(-400.0f);
        levels[static_cast<std::size_t>(i)] = 73.0f;
        const float a = ComputeThirdOctaveALevel(levels.data());
        if (i >= 6 && i <= 26)
        {
            EXPECT_NEAR(a, 73.0 + AWeightingDb(f), 0.05) << f << " Hz";
        }
        else
        {
            EXPECT_LT(a, -300.0f) << f << " Hz";
        }
    }
    Levels levels = AllAt(60.0f);
    const float a = ComputeThirdOctaveALevel(levels.data());
    for (int i : {0, 1, 2, 3, 4, 5, 27})
    {
        levels[static_cast<std::size_t>(i)] = 110.0f;
    }
    EXPECT_EQ(ComputeThirdOctaveALevel(levels.data()), a);
}

// The stationary signals of ISO 532-1 B.3, synthesised in pascals (the calibration: one sample unit is
// one pascal), split into third octaves by the band analyser and evaluated from its equivalent levels.
class LoudnessOfSignals : public ::testing::Test
{
protected:
    static constexpr double kRate = 48000.0;

    static Levels ThirdOctaveLevels(const std::vector<float>& x)
    {
        CBandAnalyzer analyzer;
        analyzer.m_sampleRate = kRate;
        analyzer.m_bandsPerOctave = 3;
        analyzer.Configure();
        const std::size_t settle = static_cast<std::size_t>(kRate);
        Feed(analyzer, x.data(), settle);
        analyzer.ResetLevels();
        Feed(analyzer, x.data() + settle, x.size() - settle);
        Levels levels = AllAt(-100.0f);
        for (int i = 0; i < analyzer.m_bandCount; ++i)
        {
            const double centre = analyzer.m_bandCenters[static_cast<std::size_t>(i)];
            const int index = static_cast<int>(std::lround(10.0 * std::log10(centre / 1000.0))) + 16;
            if (index >= 0 && index < kLoudnessBandCount)
            {
                const double rms =
                    analyzer.m_bandMeters[static_cast<std::size_t>(i)]->GetLevel(kLevelEquivalent);
                levels[static_cast<std::size_t>(index)] =
                    rms > 0 ? static_cast<float>(20.0 * std::log10(rms / kReferencePressure)) : -100.0f;
            }
        }
        return levels;
    }

    static void Feed(CBandAnalyzer& analyzer, const float* x, std::size_t n)
    {
        for (std::size_t start = 0; start < n; start += 1024)
        {
            analyzer.ProcessBlock(x + start, static_cast<int>(std::min<std::size_t>(1024, n - start)));
        }
    }

    static std::vector<float> Sine(double f, double levelDb, double seconds)
    {
        const double amplitude = std::sqrt(2.0) * kReferencePressure * std::pow(10.0, levelDb / 20.0);
        std::vector<float> x(static_cast<std::size_t>(seconds * kRate));
        for (std::size_t i = 0; i < x.size(); ++i)
        {
            x[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * f * i / kRate));
        }
        return x;
    }

    // Pink noise of the given overall level between 20 Hz and 20 kHz: random phases, a power density
    // falling as 1/f, one period of 2^18 samples repeated.
    static std::vector<float> PinkNoise(double levelDb, int periods)
    {
        const int n = 1 << 18;
        std::vector<double> time(static_cast<std::size_t>(n));
        fftw_complex* spectrum = fftw_alloc_complex(static_cast<std::size_t>(n / 2 + 1));
        std::mt19937 random(532);
        std::uniform_real_distribution<double> phase(0.0, 2.0 * std::numbers::pi);
        for (int k = 0; k <= n / 2; ++k)
        {
            const double f = k * kRate / n;
            const double magnitude = (f >= 20.0 && f <= 20000.0) ? 1.0 / std::sqrt(f) : 0.0;
            const double p = phase(random);
            spectrum[k][0] = magnitude * std::cos(p);
            spectrum[k][1] = magnitude * std::sin(p);
        }
        fftw_plan plan = fftw_plan_dft_c2r_1d(n, spectrum, time.data(), FFTW_ESTIMATE);
        fftw_execute(plan);
        fftw_destroy_plan(plan);
        fftw_free(spectrum);
        double power = 0;
        for (double v : time)
        {
            power += v * v;
        }
        const double scale = kReferencePressure * std::pow(10.0, levelDb / 20.0) / std::sqrt(power / n);
        std::vector<float> x(static_cast<std::size_t>(n) * static_cast<std::size_t>(periods));
        for (std::size_t i = 0; i < x.size(); ++i)
        {
            x[i] = static_cast<float>(time[i % static_cast<std::size_t>(n)] * scale);
        }
        return x;
    }
};

// The band analyser's class-1 band-passes let far less of a tone into the neighbouring bands than the
// filter bank behind the published values, and those neighbours carry loudness: the pure tones at
// 1 and 4 kHz come out 9 to 12 % below their references (the single-band values of the procedure
// are lower still). The pink noise (60 dB from 20 Hz to 20 kHz, 45.2 dB per band) comes out 18 %
// above. Those three are held to the figures measured here, so that a change shows. The engine's
// loudness therefore measures its bands with a bank of the procedure's kind (CLoudnessFilterBank).
TEST_F(LoudnessOfSignals, AnnexB3StationarySignals)
{
    const struct
    {
        const char* what;
        std::vector<float> signal;
        double reference;
        double measured;  // 0: within the acceptance of the standard
    } cases[] = {
        {"250 Hz at 80 dB", Sine(250.0, 80.0, 3.0), 14.655, 0.0},
        {"1 kHz at 60 dB", Sine(1000.0, 60.0, 3.0), 4.019, 3.545},
        {"4 kHz at 40 dB", Sine(4000.0, 40.0, 3.0), 1.549, 1.411},
        {"pink noise at 60 dB", PinkNoise(60.0, 3), 10.498, 12.40},
    };
    for (const auto& c : cases)
    {
        const Levels levels = ThirdOctaveLevels(c.signal);
        const float n = ComputeLoudness(levels.data());
        if (c.measured == 0.0)
        {
            ExpectWithinAcceptance(n, c.reference, c.what);
        }
        else
        {
            EXPECT_NEAR(n, c.measured, 0.01 * c.measured) << c.what;
        }
    }
}

}  // namespace
