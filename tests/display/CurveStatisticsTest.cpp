#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>
#include <numeric>
#include <vector>

#include "display/Plot.h"
#include "dsp/Fft.h"

namespace
{

// Stand-ins for the signal-processing library's figures, simple enough to check by eye: lines sit
// exactly on their bins. They record what the plot hands them.
struct FigureCalls
{
    int bins = 0;
    double sampleRate = 0.0;
    double maxFrequency = 0.0;
    double fundamental = -1.0;
    int harmonics = 0;
    int windowType = -1;
    bool lockHeld = false;
    double thdNRatio = 0.0;
    double peakFactor = 1.0;
    double peakOffset = 0.0;
};
FigureCalls g_calls;
std::mutex* g_lock = nullptr;

void ReferencePeak(const float* p, int bin, int /*bins*/, double* level, double* offset, int /*window*/)
{
    *level = p[bin] * g_calls.peakFactor;
    *offset = g_calls.peakOffset;
}

double ReferenceThd(const float* p, int bins, double fs, double maxFreq, double fundFreq, double* fundLevel,
                    int harmonics, float* levels, float* freqs, int windowType)
{
    g_calls.bins = bins;
    g_calls.sampleRate = fs;
    g_calls.maxFrequency = maxFreq;
    g_calls.fundamental = fundFreq;
    g_calls.harmonics = harmonics;
    g_calls.windowType = windowType;
    const double binWidth = fs * 0.5 / bins;
    int fundamentalBin = 0;
    if (fundFreq > 0)
        fundamentalBin = static_cast<int>(fundFreq / binWidth);
    else
        fundamentalBin = static_cast<int>(std::max_element(p, p + bins) - p);
    *fundLevel = p[fundamentalBin];
    double sum = 0;
    for (int i = 0; i < harmonics; ++i)
    {
        const int bin = fundamentalBin * (i + 2);
        levels[i] = bin < bins ? p[bin] : 1e-20f;
        freqs[i] = bin < bins ? static_cast<float>(bin * binWidth) : 0.0f;
        sum += levels[i];
    }
    return std::sqrt(sum / *fundLevel);
}

double ReferenceSum(const float* levels, double reference, unsigned mask, int count)
{
    double sum = 0;
    for (int i = 0; i < count; ++i)
        if (((mask & 1) && (i % 2 == 1)) || ((mask & 2) && (i % 2 == 0)))
            sum += levels[i];
    return std::sqrt(sum / reference);
}

double ReferenceThdN(const float* /*p*/, int bins, double fs, double /*start*/, int /*windowType*/)
{
    g_calls.bins = bins;
    g_calls.sampleRate = fs;
    if (g_lock != nullptr)
    {
        g_calls.lockHeld = !g_lock->try_lock();
        if (!g_calls.lockHeld)
            g_lock->unlock();
    }
    return g_calls.thdNRatio;
}

const SpectrumFigureFunctions kReferenceFigures{ReferencePeak, ReferenceThd, ReferenceSum, ReferenceThdN};

// One channel of `points` values, bin width 10 Hz, the whole curve in view. The array has a tail
// past the point count holding a value larger than any real one: the plot must never read it.
class CurveStatistics : public testing::Test
{
protected:
    static constexpr float kTail = 1e6f;

    CurveStatistics() : m_plot(std::make_unique<CPlot>()) { g_calls = FigureCalls{}; }

    void Load(const std::vector<float>& values, double binWidth = 10.0)
    {
        m_data = values;
        m_data.resize(values.size() + 16, kTail);
        CPlot& p = *m_plot;
        p.m_pData = m_data.data();
        p.m_nChannels = 1;
        p.m_dataRange.m_nPoints = static_cast<int>(values.size());
        p.m_dBinWidth = binWidth;
        p.m_dataRange.m_dXMax = binWidth * (values.size() - 1);
        p.m_viewRange.m_dXMin = -binWidth;  // index 0 is the first right of x min
        p.m_viewRange.m_dXMax = p.m_dataRange.m_dXMax;
        p.ApplySettings();
    }

    const CCurveStatistics& Stats(int curve = 0)
    {
        m_plot->ComputeCurveStats(curve);
        return *m_plot->GetCurveStats(curve);
    }

    std::unique_ptr<CPlot> m_plot;
    std::vector<float> m_data;
};

TEST_F(CurveStatistics, ExtremesSumsMeanAndRmsOverTheVisibleRange)
{
    struct Case
    {
        const char* name;
        std::vector<float> values;
        double xMin, xMax;  // visible window in Hz (bin width 10)
    };
    std::vector<float> sine(256);
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<float>(0.25 + 0.5 * std::sin(2 * std::numbers::pi * i / 32.0));
    std::vector<float> ramp(100);
    std::iota(ramp.begin(), ramp.end(), -30.0f);
    const Case cases[] = {
        {"sine with offset, all", sine, -10, 2550},
        {"sine zoomed", sine, 105, 402},
        {"ramp", ramp, -10, 990},
        {"ties keep the first index", {1, 3, 3, 0, 0, 3, 2, 1}, -10, 70},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        Load(c.values);
        m_plot->SetSpectrumFigures(SpectrumFigureFunctions{});  // figures are checked elsewhere
        m_plot->m_viewRange.m_dXMin = c.xMin;
        m_plot->m_viewRange.m_dXMax = c.xMax;
        // Independently: indices strictly right of x min up to the last strictly left of the first
        // index right of x max.
        const int first = static_cast<int>(std::floor(c.xMin / 10.0)) + 1;
        const int last =
            std::min(static_cast<int>(std::floor(c.xMax / 10.0)) + 1, static_cast<int>(c.values.size()) - 1);
        double maximum = -1e38, minimum = 1e38, sum = 0, squares = 0;
        int maximumIndex = -1, minimumIndex = -1;
        for (int i = std::max(first, 0); i < last; ++i)
        {
            const double v = c.values[static_cast<std::size_t>(i)];
            if (v > maximum)
                maximum = v, maximumIndex = i;
            if (v < minimum)
                minimum = v, minimumIndex = i;
            sum += v;
            squares += v * v;
        }
        const int count = last - std::max(first, 0);
        const CCurveStatistics& s = Stats();
        EXPECT_EQ(s.m_nFirst, std::max(first, 0));
        EXPECT_EQ(s.m_nLast, last);
        EXPECT_EQ(s.m_nCount, count);
        EXPECT_EQ(s.m_dMaximum, static_cast<float>(maximum));
        EXPECT_EQ(s.m_nMaximumIndex, maximumIndex);
        EXPECT_EQ(s.m_dMinimum, static_cast<float>(minimum));
        EXPECT_EQ(s.m_nMinimumIndex, minimumIndex);
        EXPECT_NEAR(s.m_dSum / s.m_nCount, sum / count, 1e-9);
        EXPECT_NEAR(std::sqrt(s.m_dSumOfSquares / s.m_nCount), std::sqrt(squares / count), 1e-9);
        EXPECT_DOUBLE_EQ(s.m_dXOfMaximum, maximumIndex * 10.0);
        EXPECT_DOUBLE_EQ(s.m_dXOfMinimum, minimumIndex * 10.0);
        // Without the library's figures the peak is the maximum itself.
        EXPECT_EQ(s.m_dPeak, s.m_dMaximum);
        EXPECT_EQ(s.m_dThdN, 0.0);
    }
}

TEST_F(CurveStatistics, FullPeriodsOfASineGiveItsMeanAndRms)
{
    // 8 periods of 64 points in view (indices 0..511 of 513): mean 0.25, RMS sqrt(0.25^2 + 0.5^2 / 2).
    std::vector<float> sine(513);
    for (std::size_t i = 0; i < sine.size(); ++i)
        sine[i] = static_cast<float>(0.25 + 0.5 * std::sin(2 * std::numbers::pi * i / 64.0));
    Load(sine);
    const CCurveStatistics& s = Stats();
    ASSERT_EQ(s.m_nCount, 512);
    EXPECT_NEAR(s.m_dSum / s.m_nCount, 0.25, 1e-6);
    EXPECT_NEAR(std::sqrt(s.m_dSumOfSquares / s.m_nCount), std::sqrt(0.0625 + 0.125), 1e-6);
    EXPECT_NEAR(s.m_dMaximum, 0.75, 1e-6);
    EXPECT_EQ(s.m_nMaximumIndex, 16);
    EXPECT_NEAR(s.m_dMinimum, -0.25, 1e-6);
    EXPECT_EQ(s.m_nMinimumIndex, 48);
}

TEST_F(CurveStatistics, DisplayUnitsApplyToTheExtremes)
{
    Load({1e-4f, 1.0f, 1e-2f, 1e-6f});
    m_plot->m_dataRange.m_bDecibel = 1;
    const CCurveStatistics& s = Stats();
    EXPECT_NEAR(s.m_dMaximum, 0.0, 1e-5);
    EXPECT_NEAR(s.m_dMinimum, -40.0, 1e-5);  // index 3 is the last, outside the sums
    EXPECT_NEAR(s.m_dSumDisplay, 10 * std::log10(1.0101), 1e-5);
}

// A power spectrum of 1024 bins, 10 Hz apart: fundamental 1 kHz with power 1 and known harmonics.
class Distortion : public CurveStatistics
{
protected:
    void SetUp() override
    {
        std::vector<float> spectrum(1024, 0.0f);
        spectrum[100] = 1.0f;
        spectrum[200] = 1e-4f;  // 2nd
        spectrum[300] = 4e-4f;  // 3rd
        spectrum[400] = 1e-6f;  // 4th
        spectrum[500] = 9e-6f;  // 5th
        Load(spectrum);
        m_plot->SetSpectrumFigures(kReferenceFigures);
        m_plot->m_bHarmonics = 1;
    }
};

TEST_F(Distortion, HarmonicListAndDistortionFigure)
{
    const struct
    {
        unsigned mask;
        int count;
        double distortion;
    } cases[] = {
        {3, 20, std::sqrt(1e-4 + 4e-4 + 1e-6 + 9e-6)},
        {1, 20, std::sqrt(4e-4 + 9e-6)},  // odd list positions: 3rd, 5th
        {2, 20, std::sqrt(1e-4 + 1e-6)},  // even list positions: 2nd, 4th
        {3, 2, std::sqrt(1e-4 + 4e-4)},
        {3, 500, std::sqrt(1e-4 + 4e-4 + 1e-6 + 9e-6)},  // a count past the list is limited to it
        {3, -4, 0.0},
    };
    for (const auto& c : cases)
    {
        m_plot->m_nHarmonicMask = c.mask;
        m_plot->m_nHarmonicCount = c.count;
        const CCurveStatistics& s = Stats();
        EXPECT_NEAR(s.m_dDistortion, c.distortion, c.distortion * 1e-6) << c.mask << "/" << c.count;
    }
    const CCurveStatistics& s = Stats();
    EXPECT_EQ(g_calls.bins, 1024);
    EXPECT_EQ(g_calls.sampleRate, 2 * 1024 * 10.0);  // 2 x point count x bin width
    EXPECT_EQ(g_calls.fundamental, 0.0);             // the strongest bin
    EXPECT_EQ(g_calls.harmonics, 20);
    EXPECT_EQ(s.m_arrHarmonics[0].m_fBin, 200.0f);
    EXPECT_EQ(s.m_arrHarmonics[1].m_dFrequency, 3000.0);
    EXPECT_EQ(s.m_arrHarmonics[1].m_dRawLevel, 4e-4f);
    EXPECT_EQ(s.m_arrHarmonics[1].m_dDisplayLevel, 4e-4f);
}

TEST_F(Distortion, DecibelLevelsConfiguredFundamentalAndWindow)
{
    m_plot->m_dataRange.m_bDecibel = 1;
    m_plot->m_dFundamental = 1000.0;
    m_plot->m_nWindowType = 3;
    const CCurveStatistics& s = Stats();
    EXPECT_EQ(g_calls.fundamental, 1000.0);
    EXPECT_EQ(g_calls.windowType, 3);
    EXPECT_NEAR(s.m_arrHarmonics[0].m_dDisplayLevel, -40.0, 1e-4);
    EXPECT_NEAR(s.m_arrHarmonics[1].m_dDisplayLevel, 10 * std::log10(4e-4), 1e-4);
    EXPECT_NEAR(s.m_dMaximum, 0.0, 1e-6);
}

TEST_F(Distortion, ZoomedOnTheHarmonicsTheFundamentalStillSetsThePeak)
{
    m_plot->m_viewRange.m_dXMin = 1500;
    m_plot->m_viewRange.m_dXMax = 5500;
    g_calls.peakFactor = 1.5;
    g_calls.peakOffset = 0.25;
    const CCurveStatistics& s = Stats();
    EXPECT_EQ(s.m_nMaximumIndex, 100);
    EXPECT_EQ(s.m_dMaximum, 1.0);
    EXPECT_EQ(s.m_dPeak, 1.5);
    EXPECT_EQ(s.m_dPeakOffset, 0.25);
    EXPECT_DOUBLE_EQ(s.m_dXOfMaximum, 100.25 * 10.0);
    // Outside distortion and intermodulation modes the maximum is the window's own.
    m_plot->m_bHarmonics = 0;
    const CCurveStatistics& plain = Stats();
    EXPECT_EQ(plain.m_nMaximumIndex, 300);
    EXPECT_EQ(plain.m_dMaximum, 4e-4f);
}

TEST_F(Distortion, NegativeInterpolatedPeakFallsBackToTheMaximum)
{
    g_calls.peakFactor = -1.0;
    g_calls.peakOffset = 0.4;
    const CCurveStatistics& s = Stats();
    EXPECT_EQ(s.m_dPeak, 1.0);
    EXPECT_EQ(s.m_dPeakOffset, 0.0);
}

TEST_F(Distortion, ThdNIsTheRootOfTheLibrarysRatioAndReadsUnderTheDisplayLock)
{
    std::mutex lock;
    g_lock = &lock;
    m_plot->m_pDisplayLock = &lock;
    g_calls.thdNRatio = 0.0004;
    const CCurveStatistics& s = Stats();
    g_lock = nullptr;
    EXPECT_NEAR(s.m_dThdN, 0.02, 1e-12);
    EXPECT_TRUE(g_calls.lockHeld);
    EXPECT_TRUE(lock.try_lock());  // released afterwards
    lock.unlock();
}

// Two tones at 18 and 19 kHz (powers 1 and 0.25) in 2048 bins of 10 Hz with three products.
class Intermodulation : public CurveStatistics
{
protected:
    void SetUp() override
    {
        std::vector<float> spectrum(2048, 0.0f);
        spectrum[1800] = 1.0f;
        spectrum[1900] = 0.25f;
        spectrum[100] = 1e-4f;   // f2 - f1 (product 4, order 2)
        spectrum[1701] = 4e-6f;  // 2f1 - f2 (product 8, order 3), one bin off
        spectrum[2000] = 9e-6f;  // 2f2 - f1 (product 12, order 3)
        Load(spectrum);
        m_plot->m_bIntermodulation = 1;
    }
};

TEST_F(Intermodulation, ProductsTonesAndRatio)
{
    const struct
    {
        const char* name;
        double tone1, tone2;
        int orderThree;
        double products;
    } cases[] = {
        {"configured tones", 18000, 19000, 1, 1e-4 + 4e-6 + 9e-6},
        {"tones found in the spectrum", 0, 0, 1, 1e-4 + 4e-6 + 9e-6},
        {"third order off", 18000, 19000, 0, 1e-4},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_plot->m_dTone1 = c.tone1;
        m_plot->m_dTone2 = c.tone2;
        m_plot->m_abProductOrders[1] = c.orderThree;
        const CCurveStatistics& s = Stats();
        EXPECT_NEAR(s.m_dToneSum, 1.25, 1e-9);
        EXPECT_NEAR(s.m_dProductSum, c.products, 1e-10);  // float levels
        EXPECT_NEAR(s.m_dProductRatio, c.products / 1.25, 1e-10);
        EXPECT_EQ(s.m_arrProducts[0].m_fBin, 1800.0f);
        EXPECT_EQ(s.m_arrProducts[1].m_dFrequency, 19000.0);
        EXPECT_EQ(s.m_arrProducts[4].m_fBin, 100.0f);
        EXPECT_EQ(s.m_arrProducts[4].m_dRawLevel, 1e-4f);
        EXPECT_EQ(s.m_arrProducts[2].m_fBin, -1.0f);  // f1 + f2 lies past the spectrum
        EXPECT_EQ(s.m_arrProducts[2].m_dRawLevel, 1e-9);
        if (c.orderThree)
        {
            EXPECT_EQ(s.m_arrProducts[8].m_fBin, 1701.0f);
            EXPECT_EQ(s.m_arrProducts[8].m_dFrequency, 17010.0);
        }
        else
        {
            EXPECT_EQ(s.m_arrProducts[8].m_fBin, -1.0f);
        }
    }
}

TEST_F(Intermodulation, ProductCountIsLimitedToTheList)
{
    m_plot->m_nProductCount = 5;  // products 0..4
    EXPECT_NEAR(Stats().m_dProductSum, 1e-4, 1e-10);
    m_plot->m_nProductCount = 1000;
    EXPECT_NEAR(Stats().m_dProductSum, 1e-4 + 4e-6 + 9e-6, 1e-10);
    m_plot->m_nProductCount = -1;
    EXPECT_EQ(Stats().m_dToneSum, 0.0);
}

TEST_F(Intermodulation, SearchesNeverReadPastThePoints)
{
    // A data description that claims far more than the points, and a tone at the last bin.
    m_plot->m_dataRange.m_dXMax = 1e9;
    m_plot->m_dTone1 = 18000;
    m_plot->m_dTone2 = 20470;
    m_data[2047] = 0.5f;
    m_plot->m_bHarmonics = 1;
    m_plot->SetSpectrumFigures(kReferenceFigures);
    const CCurveStatistics& s = Stats();
    EXPECT_EQ(s.m_dMaximum, 1.0);
    EXPECT_EQ(s.m_arrProducts[1].m_fBin, 2047.0f);
    EXPECT_EQ(s.m_arrProducts[1].m_dRawLevel, 0.5f);
    EXPECT_NEAR(s.m_dToneSum, 1.5, 1e-9);
    for (const CSpectralLine& line : s.m_arrProducts)
        EXPECT_LT(line.m_dRawLevel, kTail);
}

TEST(MarkerSizeClassTest, OrderClasses)
{
    const struct
    {
        int n, order;
    } cases[] = {{-3, 1}, {0, 1},  {1, 1},  {2, 2},  {6, 2},  {7, 3},
                 {14, 3}, {15, 4}, {25, 4}, {26, 5}, {39, 5}, {40, 6}};
    for (const auto& c : cases)
        EXPECT_EQ(MarkerSizeClass(c.n), c.order) << c.n;
}

TEST_F(CurveStatistics, CurvesWithoutDataOrOutOfRangeLeaveTheRecords)
{
    Load({1, 2, 3});
    m_plot->m_arrStats[0].m_dSum = 77.0;
    m_plot->ComputeCurveStats(1);  // no such curve
    m_plot->ComputeCurveStats(-1);
    EXPECT_EQ(m_plot->GetCurveStats(1), nullptr);
    m_plot->m_pData = nullptr;
    m_plot->ComputeCurveStats(0);
    EXPECT_EQ(m_plot->m_arrStats[0].m_dSum, 77.0);
}

TEST_F(CurveStatistics, MathCurveHasItsOwnRecord)
{
    Load({1, 2, 3, 4});
    m_plot->m_nMathMode = CPlot::kMathWithChannels;
    m_plot->m_nMathFunction = CPlot::kMathMaximum;
    m_plot->m_afMathCurve[1] = 9.0f;
    m_plot->m_afMathCurve[0] = m_plot->m_afMathCurve[2] = 0.0f;
    const CCurveStatistics& s = Stats(1);
    EXPECT_EQ(&s, &m_plot->m_arrStats[CPlot::kMathSlot]);
    EXPECT_EQ(s.m_dMaximum, 9.0);
    EXPECT_EQ(s.m_nMaximumIndex, 1);
}

}  // namespace

namespace
{

// A plot as the program makes it computes its figures with the signal-processing library: the
// power spectrum of a Hanning-windowed sine with two harmonics gives their THD+N and distortion.
TEST(CurveStatisticsWithLibrary, DistortionOfASineWithKnownHarmonics)
{
    constexpr int kSize = 4096;
    constexpr double kRate = 48000.0;
    constexpr int kBin = 100;  // exactly on a bin
    constexpr double kSecond = 0.01, kThird = 0.003;
    std::vector<float> signal(kSize);
    for (int i = 0; i < kSize; ++i)
    {
        const double phase = 2 * std::numbers::pi * kBin * i / kSize;
        const double window = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * i / kSize);
        signal[i] = static_cast<float>(window * (0.5 * std::sin(phase) + 0.5 * kSecond * std::sin(2 * phase) +
                                                 0.5 * kThird * std::sin(3 * phase)));
    }
    ComputePowerSpectrum(signal.data(), kSize);
    std::vector<float> power(signal.begin(), signal.begin() + kSize / 2);
    power.resize(kSize / 2 + 16, 0.0f);

    CPlot plot;
    plot.m_pData = power.data();
    plot.m_nChannels = 1;
    plot.m_dataRange.m_nPoints = kSize / 2;
    plot.m_dBinWidth = kRate / kSize;
    plot.m_dataRange.m_dXMax = plot.m_dBinWidth * (kSize / 2 - 1);
    plot.m_viewRange.m_dXMin = -plot.m_dBinWidth;
    plot.m_viewRange.m_dXMax = plot.m_dataRange.m_dXMax;
    plot.m_nWindowType = 3;  // Hanning
    plot.m_bHarmonics = 1;
    plot.m_nHarmonicMask = 3;
    plot.m_nHarmonicCount = 20;
    plot.ApplySettings();
    plot.ComputeCurveStats(0);
    const CCurveStatistics& stats = *plot.GetCurveStats(0);

    const double expected = std::hypot(kSecond, kThird);
    const auto db = [](double ratio) { return 20 * std::log10(ratio); };
    EXPECT_NEAR(db(stats.m_dThdN), db(expected), 0.01);
    EXPECT_NEAR(db(stats.m_dDistortion), db(expected), 0.01);
    EXPECT_NEAR(stats.m_dPeakOffset, 0.0, 0.01);
}

}  // namespace
