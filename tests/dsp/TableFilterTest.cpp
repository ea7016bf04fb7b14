#include "dsp/TableFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <cstdio>
#include <numbers>
#include <vector>

#include "dsp/BandFilterTables.h"
#include "dsp/BandPassTableFilter.h"
#include "dsp/BiquadFilter.h"
#include "dsp/DemodWeightingFilter.h"
#include "dsp/FixedEqualizer.h"
#include "dsp/FixedFilterTables.h"
#include "dsp/LowPassTableFilter.h"
#include "dsp/Notch1kHzFilter.h"
#include "dsp/OctaveBandFilter.h"
#include "dsp/RateTableFilter.h"
#include "dsp/RiaaFilter.h"
#include "dsp/ThirdOctaveBandFilter.h"
#include "tests/dsp/FilterMath.h"

namespace
{

using filtertest::Db;
using filtertest::kPi;
using filtertest::PolynomialResponse;

std::vector<float> Sine(double f, double fs, int count, double amplitude = 0.5)
{
    std::vector<float> x(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        x[static_cast<std::size_t>(n)] = static_cast<float>(amplitude * std::sin(2.0 * kPi * f * n / fs));
    return x;
}

double Rms(const std::vector<float>& x, std::size_t from)
{
    double sum = 0.0;
    for (std::size_t n = from; n < x.size(); ++n)
        sum += static_cast<double>(x[n]) * x[n];
    return std::sqrt(sum / static_cast<double>(x.size() - from));
}

std::vector<float> Ramp(int count)
{
    std::vector<float> x(static_cast<std::size_t>(count));
    for (int n = 0; n < count; ++n)
        x[static_cast<std::size_t>(n)] = static_cast<float>(std::sin(0.37 * n) + 0.001 * n);
    return x;
}

// The response of one band-table entry (its sections in series) at f.
std::complex<double> EntryResponse(const double* entry, double f, double fs)
{
    std::complex<double> h = 1.0;
    for (int s = 0; s < kBandSections; ++s)
    {
        const double* section = entry + s * kBandSectionSize;
        h *= PolynomialResponse(std::span<const double>(section, 3), std::span<const double>(section + 3, 3),
                                f, fs);
    }
    return h;
}

using filtertest::AttenuationLimit;
using filtertest::BreakpointAbove;
using filtertest::kClassOneLimits;
constexpr double kInf = filtertest::kNoLimit;

struct BandCase
{
    const char* name;
    double bandsPerOctave;
    const BandTable* table;
    int firstIndex;
};

class BandFilterClassOne : public ::testing::TestWithParam<BandCase>
{
};

// Every band whose upper edge lies below 0.45 of the rate, at every rate the program offers; the
// worst margin per rate is printed.
TEST_P(BandFilterClassOne, MeetsTheRelativeAttenuationLimitsAtEveryRate)
{
    const BandCase& c = GetParam();
    const double g = std::pow(10.0, 0.3);
    int checked = 0;
    std::printf("%s table: rate, worst margin (dB), at band (Hz), Omega\n", c.name);
    for (double fs : {32000.0, 44100.0, 48000.0, 88200.0, 96000.0, 192000.0})
    {
        const int r = FindLastRateIndex(c.table->rates, fs);
        ASSERT_GE(r, 0) << fs;
        const int bands = static_cast<int>(c.table->centres.size());
        double worst = kInf;
        double worstBand = 0.0;
        double worstOmega = 0.0;
        for (int k = 0; k < bands; ++k)
        {
            const double fm = 1000.0 * std::pow(g, (c.firstIndex + k) / c.bandsPerOctave);
            if (fm * std::pow(g, 0.5 / c.bandsPerOctave) >= 0.45 * fs)
                continue;
            const double* entry = c.table->sets[0] + kBandEntrySize * (r * bands + k);
            ASSERT_NE(entry[3], 0.0) << fs << " " << fm;
            for (const AttenuationLimit& limit : kClassOneLimits)
            {
                const double omega = BreakpointAbove(limit.exponent, c.bandsPerOctave);
                for (double f : {fm * omega, fm / omega})
                {
                    if (f >= 0.5 * fs)
                        continue;
                    const double attenuation = -Db(std::abs(EntryResponse(entry, f, fs)));
                    EXPECT_GE(attenuation, limit.minimum)
                        << attenuation << " " << c.name << " fs " << fs << " fm " << fm << " f " << f;
                    EXPECT_LE(attenuation, limit.maximum)
                        << c.name << " fs " << fs << " fm " << fm << " f " << f;
                    const double margin = std::min(attenuation - limit.minimum, limit.maximum - attenuation);
                    if (margin < worst)
                    {
                        worst = margin;
                        worstBand = fm;
                        worstOmega = f / fm;
                    }
                }
            }
            ++checked;
        }
        std::printf("  %6.0f Hz  %+7.3f  %9.2f  %.5f\n", fs, worst, worstBand, worstOmega);
    }
    EXPECT_GT(checked, 0);
}

INSTANTIATE_TEST_SUITE_P(Tables, BandFilterClassOne,
                         ::testing::Values(BandCase{"octave", 1.0, &g_octaveTable, kOctaveFirstIndex},
                                           BandCase{"third-octave", 3.0, &g_thirdOctaveTable,
                                                    kThirdOctaveFirstIndex}),
                         [](const auto& info)
                         { return info.param.bandsPerOctave == 1.0 ? "Octave" : "ThirdOctave"; });

// The running filter does what its table entry says: a tone at the band centre passes, one two
// bands away is stopped, and the band-stop set does the opposite.
TEST(BandTableFilter, RunsTheLoadedEntryAsBandPassAndBandStop)
{
    struct Case
    {
        int set;
        double f;
        double expectedDb;
        double tolerance;
    };
    // Two octaves off the centre the band-pass is down by more than 40 dB; the band-stop's centre
    // is a zero of its transfer function.
    const Case cases[] = {
        {0, 1000.0, 0.0, 0.1}, {0, 4000.0, -70.0, 30.0}, {1, 1000.0, -120.0, 80.0}, {1, 4000.0, 0.0, 0.1}};
    for (const Case& c : cases)
    {
        COctaveBandFilter filter;
        filter.m_nSampleRate = 48000;
        filter.m_nBand = 4;  // 1 kHz
        filter.m_nTableSet = c.set;
        std::vector<float> x = Sine(c.f, 48000, 48000);
        filter.Process(x.data(), static_cast<int>(x.size()));
        EXPECT_NEAR(Db(Rms(x, 24000) * std::sqrt(2.0) / 0.5), c.expectedDb, c.tolerance)
            << c.set << " " << c.f;
    }
}

// The lowest band at a high rate: its poles lie within 1e-4 of z = 1, which only a cascade of
// sections keeps in place.
TEST(BandTableFilter, LowestThirdOctaveAt96kHzPassesItsCentre)
{
    CThirdOctaveBandFilter filter;
    filter.m_nSampleRate = 96000;
    filter.m_nBand = 0;  // 10 Hz
    std::vector<float> x = Sine(10.0, 96000, 6 * 96000);
    filter.Process(x.data(), static_cast<int>(x.size()));
    EXPECT_NEAR(Db(Rms(x, 3 * 96000) * std::sqrt(2.0) / 0.5), 0.0, 0.1);
}

TEST(BandTableFilter, TablePresenceFollowsTheUpperEdgeAndUnknownRatesPass)
{
    struct Case
    {
        int rate;
        int band;
        bool filtered;
    };
    // Third-octave band 31 (12.5 kHz) exists at 32000 Hz, band 32 (16 kHz) does not; 44100 holds up to
    // 16 kHz; 11025 Hz has no table at all.
    const Case cases[] = {{32000, 31, true},  {32000, 32, false}, {44100, 32, true},
                          {44100, 33, false}, {192000, 39, true}, {11025, 10, false}};
    for (const Case& c : cases)
    {
        CThirdOctaveBandFilter filter;
        filter.m_nSampleRate = c.rate;
        filter.m_nBand = c.band;
        const std::vector<float> input = Ramp(512);
        std::vector<float> x = input;
        filter.Process(x.data(), static_cast<int>(x.size()));
        EXPECT_EQ(x != input, c.filtered) << c.rate << " " << c.band;
        EXPECT_EQ(filter.m_nIndexRejects, 0);
    }
}

// A band or set index outside the table passes the block and is counted, instead of reading
// beyond the table.
TEST(BandTableFilter, IndexOutsideTheTablePassesAndIsReported)
{
    struct Case
    {
        int band;
        int set;
    };
    const Case cases[] = {{-1, 0}, {8, 0}, {40, 0}, {3, 2}, {3, -1}};
    for (const Case& c : cases)
    {
        COctaveBandFilter filter;
        filter.m_nSampleRate = 44100;
        filter.m_nBand = c.band;
        filter.m_nTableSet = c.set;
        const std::vector<float> input = Ramp(256);
        std::vector<float> x = input;
        filter.Process(x.data(), static_cast<int>(x.size()));
        filter.Process(x.data(), static_cast<int>(x.size()));
        EXPECT_EQ(x, input) << c.band << " " << c.set;
        EXPECT_EQ(filter.m_nIndexRejects, 1) << c.band << " " << c.set;
    }
}

TEST(SeriesTableFilter, NotchAndBandPassRunTheirSetTwiceAndPassOtherRates)
{
    {
        CNotch1kHzFilter notch;
        notch.m_nSampleRate = 48000;
        std::vector<float> x = Sine(1000.0, 48000, 48000);
        notch.Process(x.data(), static_cast<int>(x.size()));
        EXPECT_LT(Db(Rms(x, 24000) * std::sqrt(2.0) / 0.5), -60.0);
        std::vector<float> y = Sine(5000.0, 48000, 48000);
        notch.Process(y.data(), static_cast<int>(y.size()));
        EXPECT_NEAR(Db(Rms(y, 24000) * std::sqrt(2.0) / 0.5), 0.0, 0.5);
    }
    {
        // Tenth-order Butterworth run twice: -6 dB at the edges, 0 dB in the middle.
        CBandPassTableFilter bandPass;
        bandPass.m_nSampleRate = 44100;
        const std::span<const double> b(bandPass.m_first.GetB(), 0);
        std::vector<float> x = Sine(1000.0, 44100, 44100);
        bandPass.Process(x.data(), static_cast<int>(x.size()));
        EXPECT_NEAR(Db(Rms(x, 22050) * std::sqrt(2.0) / 0.5), 0.0, 0.1);
        const std::span<const double> nb(bandPass.m_first.GetB(), 11), na(bandPass.m_first.GetA(), 11);
        EXPECT_NEAR(2.0 * Db(std::abs(PolynomialResponse(nb, na, 200.0, 44100))), -6.0, 0.3);
        EXPECT_NEAR(2.0 * Db(std::abs(PolynomialResponse(nb, na, 4000.0, 44100))), -6.0, 0.3);
    }
    for (int rate : {22050, 8000})
    {
        CNotch1kHzFilter notch;
        CBandPassTableFilter bandPass;
        notch.m_nSampleRate = bandPass.m_nSampleRate = rate;
        const std::vector<float> input = Ramp(300);
        std::vector<float> x = input;
        notch.Process(x.data(), 300);
        bandPass.Process(x.data(), 300);
        EXPECT_EQ(x, input) << rate;
        EXPECT_EQ(notch.m_nBuiltRate, -1);
    }
}

// The RIAA playback curve, (1 + s T2) / ((1 + s T1)(1 + s T3)), relative to 1 kHz.
double RiaaPlaybackDb(double f)
{
    const std::complex<double> s(0.0, 2.0 * kPi * f);
    return Db(std::abs((1.0 + s * 318e-6) / ((1.0 + s * 3180e-6) * (1.0 + s * 75e-6))));
}

TEST(RiaaFilter, FollowsThePlaybackCurveWithinATenthOfADb)
{
    for (int rate : {44100, 48000, 96000, 192000})
        for (int inverse : {1, 0})
        {
            CRiaaFilter riaa;
            riaa.m_dSampleRate = rate;
            riaa.m_filter.m_nOption = inverse;
            float dummy = 0.0f;
            riaa.Process(&dummy, 1);
            const std::span<const double> b(riaa.m_filter.GetB(),
                                            static_cast<std::size_t>(riaa.m_filter.GetNumB()));
            const std::span<const double> a(riaa.m_filter.GetA(),
                                            static_cast<std::size_t>(riaa.m_filter.GetNumA()));
            ASSERT_EQ(a[0], 1.0);
            const double sign = inverse ? 1.0 : -1.0;  // the stored direction is the recording curve
            for (double f = 20.0; f <= 20000.0; f *= 1.02)
                EXPECT_NEAR(Db(std::abs(PolynomialResponse(b, a, f, rate))),
                            sign * (RiaaPlaybackDb(f) - RiaaPlaybackDb(1000.0)), 0.1)
                    << rate << " " << f << " inverse " << inverse;
        }
}

TEST(RiaaFilter, PlaybackOfATwentyHertzToneAndRatesWithoutASet)
{
    CRiaaFilter riaa;
    riaa.m_dSampleRate = 48000;
    riaa.m_filter.m_nOption = 1;
    std::vector<float> x = Sine(100.0, 48000, 96000, 0.01);
    riaa.Process(x.data(), static_cast<int>(x.size()));
    EXPECT_NEAR(Db(Rms(x, 48000) * std::sqrt(2.0) / 0.01), RiaaPlaybackDb(100.0) - RiaaPlaybackDb(1000.0),
                0.1);
    EXPECT_EQ(riaa.m_bReload, 0);

    CRiaaFilter other;
    other.m_dSampleRate = 32000;
    const std::vector<float> input = Ramp(200);
    std::vector<float> y = input;
    other.Process(y.data(), 200);
    EXPECT_EQ(y, input);
    EXPECT_EQ(other.m_dBuiltRate, -1.0);
}

TEST(RiaaFilter, InverseSwitchTakesEffectOnReload)
{
    CRiaaFilter riaa;
    riaa.m_dSampleRate = 44100;
    float dummy = 0.0f;
    riaa.Process(&dummy, 1);
    const double rising =
        std::abs(PolynomialResponse(std::span<const double>(riaa.m_filter.GetB(), 4),
                                    std::span<const double>(riaa.m_filter.GetA(), 4), 10000.0, 44100));
    riaa.m_filter.m_nOption = 1;
    riaa.Process(&dummy, 1);
    EXPECT_EQ(riaa.m_filter.GetB()[0], riaa.m_filter.GetB()[0]);
    const auto gainAt10k = [&]
    {
        return std::abs(PolynomialResponse(std::span<const double>(riaa.m_filter.GetB(), 4),
                                           std::span<const double>(riaa.m_filter.GetA(), 4), 10000.0, 44100));
    };
    EXPECT_DOUBLE_EQ(gainAt10k(), rising);  // not yet
    riaa.m_bReload = 1;
    riaa.Process(&dummy, 1);
    EXPECT_NEAR(gainAt10k() * rising, 1.0, 1e-9);
}

// Closed forms of the shelves and the peak: the bilinear transform puts f exactly where the
// prewarped K says, so the gain at f (peak), at 0 Hz (low shelf) and at half the rate (high shelf)
// is 10^(gain/20).
TEST(BiquadFilter, DesignsMeetTheirGainsAtTheirDefiningFrequencies)
{
    struct Case
    {
        int type;
        double gainDb;
        double at;  // where the gain applies, as a fraction of the rate
    };
    const Case cases[] = {{kBiquadPeaking, 6.0, -1},    {kBiquadPeaking, -9.0, -1},
                          {kBiquadLowShelf, 8.0, 0.0},  {kBiquadLowShelf, -8.0, 0.0},
                          {kBiquadHighShelf, 5.0, 0.5}, {kBiquadHighShelf, -5.0, 0.5}};
    for (const Case& c : cases)
    {
        CBiquadFilter biquad;
        biquad.m_nType = c.type;
        biquad.m_dSampleRate = 48000;
        biquad.m_dFrequency = 2000;
        biquad.m_dGainDb = c.gainDb;
        biquad.m_dQ = 1.5;
        biquad.Design();
        const double f = c.at < 0 ? 2000.0 : c.at * 48000;
        EXPECT_NEAR(Db(std::abs(PolynomialResponse(biquad.m_b, biquad.m_a, f, 48000))), c.gainDb, 1e-6)
            << c.type << " " << c.gainDb;
    }
    CBiquadFilter lowPass;
    lowPass.m_dSampleRate = 48000;
    lowPass.m_dFrequency = 1000;
    lowPass.Design();
    EXPECT_NEAR(Db(std::abs(PolynomialResponse(lowPass.m_b, lowPass.m_a, 1000.0, 48000))), -3.0103, 1e-3);
    lowPass.m_nType = kBiquadHighPass;
    lowPass.Design();
    EXPECT_NEAR(Db(std::abs(PolynomialResponse(lowPass.m_b, lowPass.m_a, 1000.0, 48000))), -3.0103, 1e-3);
    EXPECT_NEAR(std::abs(PolynomialResponse(lowPass.m_b, lowPass.m_a, 24000.0, 48000)), 1.0, 1e-9);
}

TEST(BiquadFilter, ZeroGainPeakIsAPassThroughAndDisabledOrRatelessDoesNothing)
{
    CBiquadFilter peak;
    peak.m_nType = kBiquadPeaking;
    peak.m_dSampleRate = 44100;
    peak.m_dFrequency = 1000;
    peak.Design();
    for (int i = 0; i < 3; ++i)
        EXPECT_DOUBLE_EQ(peak.m_b[i], peak.m_a[i]);

    CBiquadFilter lowPass;
    lowPass.m_dSampleRate = 44100;
    lowPass.m_dFrequency = 100;
    lowPass.Design();
    const std::vector<float> input = Ramp(300);
    std::vector<float> x = input;
    lowPass.Process(x.data(), 300);  // not enabled
    EXPECT_EQ(x, input);
    lowPass.m_bEnabled = 1;
    lowPass.m_dSampleRate = 0.0;
    lowPass.Process(x.data(), 300);
    EXPECT_EQ(x, input);
}

TEST(BiquadFilter, TwiceRunsTheSecondSectionToo)
{
    std::vector<float> once = Sine(1000.0, 48000, 4800);
    std::vector<float> twice = once;
    for (int applyTwice : {0, 1})
    {
        CBiquadFilter biquad;
        biquad.m_bEnabled = 1;
        biquad.m_dSampleRate = 48000;
        biquad.m_dFrequency = 1000;
        biquad.m_bTwice = applyTwice;
        std::vector<float>& x = applyTwice ? twice : once;
        biquad.Process(x.data(), static_cast<int>(x.size()));
    }
    EXPECT_NEAR(Db(Rms(once, 2400) * std::sqrt(2.0) / 0.5), -3.01, 0.05);
    EXPECT_NEAR(Db(Rms(twice, 2400) * std::sqrt(2.0) / 0.5), -6.02, 0.05);
}

// Each rate-table filter at every table rate: its telling points.
TEST(RateTableFilter, EveryRateHasTheDescribedResponse)
{
    struct Point
    {
        double f;
        double db;
        double tolerance;
    };
    struct Case
    {
        const double* table;
        int perSide;
        std::vector<Point> points;
        double reference;  // dB re this frequency
    };
    const Case cases[] = {
        {g_rateTable2, 3, {{5.0, 2.0, 0.1}, {10.0, 0.6, 0.1}, {200.0, 0.0, 0.01}, {10000.0, 0.0, 0.01}}, -1},
        {g_rateTable4, 5, {{85.0, -3.0, 0.3}, {2900.0, -3.0, 0.5}, {20.0, -15.5, 1.0}}, 500.0},
        {g_rateTable8, 9, {{59.0, -3.0, 0.5}, {3600.0, -3.0, 1.0}, {20.0, -12.6, 1.0}}, 490.0},
    };
    for (const Case& c : cases)
        for (int r = 0; r < kRateTableRateCount; ++r)
        {
            const double rate = kRateTableRates[r];
            const double* set = c.table + 3 + kRateTableRateCount + r * 2 * c.perSide;
            const std::span<const double> b(set, static_cast<std::size_t>(c.perSide));
            const std::span<const double> a(set + c.perSide, static_cast<std::size_t>(c.perSide));
            const double reference =
                c.reference < 0 ? 0.0 : Db(std::abs(PolynomialResponse(b, a, c.reference, rate)));
            for (const Point& p : c.points)
                EXPECT_NEAR(Db(std::abs(PolynomialResponse(b, a, p.f, rate))) - reference, p.db, p.tolerance)
                    << "order " << c.perSide - 1 << " rate " << rate << " f " << p.f;
        }
}

TEST(RateTableFilter, LooksUpTheLastRateWithinTolerance)
{
    // 88200 Hz is the third set in the table (it is listed before 48000).
    CRateTableFilter4 four;
    four.m_nSampleRate = 88200;
    float dummy = 0.0f;
    four.Process(&dummy, 1);
    EXPECT_EQ(four.m_filter.GetB(), g_rateTable4 + 3 + kRateTableRateCount + 2 * 10);
    EXPECT_EQ(four.m_nBuiltRate, 88200);

    CRateTableFilter8 eight;
    eight.m_nSampleRate = 44100;
    eight.Process(&dummy, 1);
    EXPECT_EQ(eight.m_table.m_filter.GetB(), g_rateTable8 + 3 + kRateTableRateCount + 1 * 18);

    CRateTableFilter2 two;
    two.m_nSampleRate = 22050;
    const std::vector<float> input = Ramp(100);
    std::vector<float> x = input;
    two.Process(x.data(), 100);
    EXPECT_EQ(x, input);
    EXPECT_EQ(two.m_nBuiltRate, -1);
}

TEST(FixedEqualizer, RunsItsFourPeaksOnlyWhenEnabled)
{
    CFixedEqualizer equalizer;
    equalizer.m_nSampleRate = 48000;
    const std::vector<float> input = Sine(4025.0, 48000, 48000);
    std::vector<float> x = input;
    equalizer.Process(x.data(), static_cast<int>(x.size()));
    EXPECT_EQ(x, input);
    equalizer.m_bEnabled = 1;
    equalizer.Process(x.data(), static_cast<int>(x.size()));
    // At 4025 Hz the -16.4 dB peak dominates; the others add little there.
    double expected = 0.0;
    for (const CBiquadFilter& peak : equalizer.m_peaks)
        expected += Db(std::abs(PolynomialResponse(peak.m_b, peak.m_a, 4025.0, 48000)));
    EXPECT_NEAR(expected, -16.4, 2.0);
    EXPECT_NEAR(Db(Rms(x, 24000) * std::sqrt(2.0) / 0.5), expected, 0.05);
}

TEST(LowPassTableFilter, RunsTheLibrarySetAndPassesWhatHasNone)
{
    CLowPassTableFilter filter;
    EXPECT_EQ(filter.m_nCutoffCount, 50);
    filter.m_nSampleRate = 44100;
    filter.m_nCutoff = 30;  // 1000 Hz
    filter.m_nOrder = 4;
    std::vector<float> x = Sine(1000.0, 44100, 44100);
    filter.Process(x.data(), static_cast<int>(x.size()));
    EXPECT_NEAR(Db(Rms(x, 22050) * std::sqrt(2.0) / 0.5), -3.01, 0.05);

    struct Case
    {
        int rate;
        int cutoff;
        int order;
        int rejects;
    };
    const Case cases[] = {{44100, 30, 10, 0}, {44100, 30, 0, 0}, {22050, 30, 3, 0}, {44100, 43, 3, 0},
                          {44100, 50, 3, 1},  {44100, -1, 3, 1}, {8000, 49, 2, 0}};
    for (const Case& c : cases)
    {
        CLowPassTableFilter other;
        other.m_nSampleRate = c.rate;
        other.m_nCutoff = c.cutoff;
        other.m_nOrder = c.order;
        const std::vector<float> input = Ramp(256);
        std::vector<float> y = input;
        other.Process(y.data(), 256);
        other.Process(y.data(), 256);
        EXPECT_EQ(y, input) << c.rate << " " << c.cutoff << " " << c.order;
        EXPECT_EQ(other.m_nIndexRejects, c.rejects) << c.rate << " " << c.cutoff << " " << c.order;
    }
}

TEST(DemodWeightingFilter, TableRowsAndWeightingCurve)
{
    const double* table = GetDemodWeightingTable();
    const double row44[] = {0.0008541251986, 0.0008541251986, 1, -0.9982917496, 0.9998891859,
                            -1.999778372,    0.9998891859,    1, -1.99977836,   0.9997783841};
    const double row48[] = {0.0007847819585, 0.0007847819585, 1, -0.9984304361, 0.9998981891,
                            -1.999796378,    0.9998981891,    1, -1.999796368,  0.9997963886};
    for (int i = 0; i < kDemodWeightingSetSize; ++i)
    {
        EXPECT_NEAR(table[4 * kDemodWeightingSetSize + i], row44[i], 1e-9) << i;
        EXPECT_NEAR(table[5 * kDemodWeightingSetSize + i], row48[i], 1e-9) << i;
    }
    const double rates[] = {8000, 10000, 16000, 32000, 44100, 48000, 56000, 96000, 192000};
    for (int r = 0; r < 9; ++r)
    {
        const double* set = table + r * kDemodWeightingSetSize;
        auto weighting = [&](double f)
        {
            return Db(std::abs(PolynomialResponse(std::span<const double>(set, 2),
                                                  std::span<const double>(set + 2, 2), f, rates[r]) *
                               PolynomialResponse(std::span<const double>(set + 4, 3),
                                                  std::span<const double>(set + 7, 3), f, rates[r])));
        };
        EXPECT_NEAR(weighting(2.0), -0.5, 0.1) << rates[r];
        EXPECT_NEAR(weighting(4.0), -0.5, 0.1) << rates[r];
        EXPECT_NEAR(weighting(1.0), -3.95, 0.1) << rates[r];
        EXPECT_NEAR(weighting(16.0), -4.44, 0.1) << rates[r];
    }
    CDemodWeightingFilter filter;
    filter.m_nSampleRate = 22050;
    const std::vector<float> input = Ramp(100);
    std::vector<float> x = input;
    filter.Process(x.data(), 100);
    EXPECT_EQ(x, input);
}

}  // namespace
