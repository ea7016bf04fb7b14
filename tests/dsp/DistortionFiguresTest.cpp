#include "dsp/DistortionFigures.h"

#include "dsp/Fft.h"
#include "dsp/FftWindow.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace
{

constexpr double kPi = std::numbers::pi;

double Db(double ratio)
{
    return 20.0 * std::log10(ratio);
}

// A test signal: a fundamental at `bin` (in bins of an N-point FFT, possibly fractional), harmonics 2, 3, ...
// with the given amplitudes, and white Gaussian noise of RMS `noise`.
struct Signal
{
    int n = 8192;
    double fs = 48000.0;
    double bin = 100.0;
    double amplitude = 1.0;
    std::vector<double> harmonics;
    double noise = 0.0;
};

std::vector<float> Synthesize(const Signal& s)
{
    std::vector<float> x(s.n);
    std::mt19937 generator(11);
    std::normal_distribution<double> normal(0.0, 1.0);
    for (int i = 0; i < s.n; ++i)
    {
        const double phase = 2.0 * kPi * s.bin * i / s.n;
        double v = s.amplitude * std::sin(phase + 0.3);
        for (std::size_t h = 0; h < s.harmonics.size(); ++h)
            v += s.harmonics[h] * std::sin(static_cast<double>(h + 2) * phase + 0.7 * static_cast<double>(h));
        if (s.noise > 0.0)
            v += s.noise * normal(generator);
        x[i] = static_cast<float>(v);
    }
    return x;
}

// The engine's spectrum path: window, FFT, power spectrum; the lower half holds the bins.
std::vector<float> PowerSpectrum(std::vector<float> x, int windowType)
{
    const int n = static_cast<int>(x.size());
    CFftWindow window;
    window.Set(n, windowType);
    window.Apply(x.data());
    ComputePowerSpectrum(x.data(), n);
    x.resize(n / 2);
    return x;
}

std::vector<float> PowerSpectrum(const Signal& s, int windowType)
{
    return PowerSpectrum(Synthesize(s), windowType);
}

double ConstructedThd(const Signal& s)
{
    double sum = 0.0;
    for (double a : s.harmonics)
        sum += a * a;
    return std::sqrt(sum) / s.amplitude;
}

TEST(DistortionFiguresTest, InterpolatePeakReferenceValues)
{
    struct Case
    {
        double left, centre, right;
        int windowType;
        double level, offset;
    };
    const Case cases[] = {
        {0.2, 1.0, 0.5, kFftWindowRectangular, 1.806591, 0.411637},
        {0.6, 1.0, 0.1, kFftWindowRectangular, 1.0 / 0.5161464, -0.433515},
        // Centre alone: t = 0.
        {0.0, 2.0, 0.0, kFftWindowRectangular, 2.0 / 0.99246, 0.0018333},
        {0.0, 1.0, 0.0, kFftWindowHanning, 1.0 / (0.928738 * 0.90911), 0.0},
        // FlatTop and above: the largest of the three as it stands.
        {0.2, 1.0, 1.5, kFftWindowFlatTop, 1.5, 0.0},
        {0.2, 1.0, 0.5, kFftWindowGauss, 1.0, 0.0},
    };
    for (const Case& c : cases)
    {
        double level = -1.0;
        double offset = -1.0;
        InterpolatePeak(c.left, c.centre, c.right, &level, &offset, c.windowType);
        EXPECT_NEAR(level, c.level, 2e-6 * c.level) << c.windowType << " " << c.left;
        EXPECT_NEAR(offset, c.offset, 2e-6) << c.windowType << " " << c.left;
    }
}

TEST(DistortionFiguresTest, InterpolatePeakWritesNothingForAZeroCentre)
{
    for (int type : {0, 1, 2, 3})
    {
        double level = 7.0;
        double offset = 8.0;
        InterpolatePeak(0.5, 0.0, 0.25, &level, &offset, type);
        EXPECT_EQ(level, 7.0);
        EXPECT_EQ(offset, 8.0);
    }
}

TEST(DistortionFiguresTest, InterpolatePeakAtHandlesTheEdgesOfTheArray)
{
    const float p[] = {1.0f, 0.5f, 0.0f, 1.0f, 3.0f, 1.0f, 2.0f};
    // At either end the missing neighbour is the centre itself: t = 1, where the rectangular fit gives
    // level centre / 0.41486 and offset ±0.5005533 (towards the larger side; a tie counts as right).
    const double edgeLevel = 1.0 / 0.41486;
    const double edgeOffset = 0.5005533;
    struct Case
    {
        std::string name;
        int bin;
        int windowType;
        double level, offset;
    };
    const Case cases[] = {
        {"first bin", 0, kFftWindowRectangular, edgeLevel, -edgeOffset},
        {"last bin", 6, kFftWindowRectangular, 2.0 * edgeLevel, edgeOffset},
        // A silent bin keeps its raw value 0.
        {"silent centre", 2, kFftWindowRectangular, 0.0, 0.0},
        // Not a peak: the Hanning correction turns negative at t = 3 and the raw bin is reported.
        {"negative correction", 3, kFftWindowHanning, 1.0, 0.0},
        {"bin below the array", -1, kFftWindowHanning, 0.0, 0.0},
        {"bin beyond the array", 7, kFftWindowHanning, 0.0, 0.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        double level = -1.0;
        double offset = -1.0;
        InterpolatePeakAt(p, c.bin, 7, &level, &offset, c.windowType);
        EXPECT_NEAR(level, c.level, 1e-5 * std::max(1.0, c.level));
        EXPECT_NEAR(offset, c.offset, 1e-6);
    }
}

// A tone between bins through window, FFT and power spectrum: the interpolated position of the strongest
// bin lands within the accuracy the routine states, and the level within its tolerance.
TEST(DistortionFiguresTest, InterpolationRecoversToneBetweenBins)
{
    struct Case
    {
        int windowType;
        double binAccuracy;
        double levelAccuracyDb;
    };
    const Case cases[] = {
        {kFftWindowRectangular, 0.005, 0.15},
        {kFftWindowHamming, 0.002, 0.02},
        {kFftWindowBlackman, 0.002, 0.02},
        {kFftWindowHanning, 0.002, 0.02},
    };
    const double positions[] = {300.0, 300.1, 300.25, 300.4, 300.5, 300.6, 300.75, 300.9, 1234.33};
    for (const Case& c : cases)
        for (double position : positions)
        {
            SCOPED_TRACE(testing::Message() << "window " << c.windowType << " at bin " << position);
            Signal s;
            s.bin = position;
            s.amplitude = 0.5;
            const std::vector<float> p = PowerSpectrum(s, c.windowType);
            int peak = 0;
            for (int i = 1; i < static_cast<int>(p.size()); ++i)
                if (p[i] > p[peak])
                    peak = i;
            double level = 0.0;
            double offset = 0.0;
            InterpolatePeakAt(p.data(), peak, static_cast<int>(p.size()), &level, &offset, c.windowType);
            EXPECT_NEAR(peak + offset, position, c.binAccuracy);
            EXPECT_NEAR(10.0 * std::log10(level / (0.5 * 0.5 / 2.0)), 0.0, c.levelAccuracyDb);
        }
}

struct ThdCase
{
    std::string name;
    int windowType;
    Signal signal;
    bool givenFundamental;
    double toleranceDb;
    bool eachHarmonic = true;  // also check every harmonic's level and frequency
};

std::vector<ThdCase> ThdCases()
{
    std::vector<ThdCase> cases;
    const std::vector<double> harmonics = {0.01, 0.003, 0.001, 0.0005, 0.0002};
    // On a bin every window measures the harmonics exactly alike, the rectangular one included.
    for (int type : {kFftWindowRectangular, kFftWindowHamming, kFftWindowBlackman, kFftWindowHanning})
        for (bool given : {true, false})
            cases.push_back({"on a bin", type, {8192, 48000.0, 100.0, 1.0, harmonics, 0.0}, given, 0.01});
    // Between bins the Hanning and Blackman corrections hold the figure within 0.01 dB wherever the tone
    // falls, also in the upper half of a bin and with noise 100 dB down.
    for (int type : {kFftWindowBlackman, kFftWindowHanning})
        for (double bin : {100.1, 100.25, 100.5, 100.6, 100.75, 100.9, 341.37})
            for (bool given : {true, false})
                cases.push_back(
                    {"between bins", type, {8192, 48000.0, bin, 0.8, harmonics, 1e-5}, given, 0.01});
    cases.push_back({"strong distortion",
                     kFftWindowHanning,
                     {4096, 44100.0, 37.7, 1.0, {0.3, 0.2, 0.1}, 0.0},
                     true,
                     0.01});
    // The Hamming window's far skirts leak into the harmonics: THD within 0.15 dB between bins, while the
    // weakest harmonics read the fundamental's skirt.
    for (double bin : {100.25, 100.5, 100.75})
        cases.push_back({"Hamming between bins",
                         kFftWindowHamming,
                         {8192, 48000.0, bin, 1.0, harmonics, 0.0},
                         true,
                         0.15,
                         false});
    return cases;
}

TEST(DistortionFiguresTest, ThdOfSynthesizedHarmonics)
{
    for (const ThdCase& c : ThdCases())
    {
        const Signal& s = c.signal;
        SCOPED_TRACE(testing::Message() << c.name << ", window " << c.windowType << ", bin " << s.bin
                                        << (c.givenFundamental ? ", given" : ", strongest bin"));
        const std::vector<float> p = PowerSpectrum(s, c.windowType);
        const int bins = s.n / 2;
        const double binWidth = s.fs / s.n;
        const double f0 = s.bin * binWidth;
        constexpr int kHarmonics = 20;
        float levels[kHarmonics];
        float freqs[kHarmonics];
        double fundLevel = -1.0;
        const double thd = ComputeThd(p.data(), bins, s.fs, -1.0, c.givenFundamental ? f0 : 0.0, &fundLevel,
                                      kHarmonics, levels, freqs, c.windowType);
        EXPECT_NEAR(Db(thd), Db(ConstructedThd(s)), c.toleranceDb);
        EXPECT_NEAR(10.0 * std::log10(fundLevel / (0.5 * s.amplitude * s.amplitude)), 0.0,
                    c.windowType == kFftWindowRectangular ? 0.15 : 0.02);
        for (std::size_t h = 0; c.eachHarmonic && h < s.harmonics.size(); ++h)
        {
            // Each harmonic is reported where it lies, not whole bins away.
            EXPECT_NEAR(freqs[h], static_cast<double>(h + 2) * f0, 0.05 * binWidth) << "harmonic " << h + 2;
            EXPECT_NEAR(10.0 * std::log10(levels[h] / (0.5 * s.harmonics[h] * s.harmonics[h])), 0.0, 0.05)
                << "harmonic " << h + 2;
        }
    }
}

TEST(DistortionFiguresTest, ThdStopsAtTheFrequencyLimit)
{
    Signal s;
    s.harmonics = {0.01, 0.003, 0.001};
    const std::vector<float> p = PowerSpectrum(s, kFftWindowHanning);
    const double binWidth = s.fs / s.n;
    const double f0 = s.bin * binWidth;
    float levels[6];
    float freqs[6];
    double fundLevel = 0.0;
    // The limit lies between the 2nd and the 3rd harmonic.
    const double thd =
        ComputeThd(p.data(), s.n / 2, s.fs, 2.5 * f0, f0, &fundLevel, 6, levels, freqs, kFftWindowHanning);
    EXPECT_NEAR(Db(thd), Db(0.01), 0.01);
    EXPECT_NEAR(freqs[0], 2.0 * f0, 1e-3);
    for (int i = 1; i < 6; ++i)
    {
        EXPECT_EQ(levels[i], 1e-20f) << i;
        EXPECT_EQ(freqs[i], 0.0f) << i;
    }
}

TEST(DistortionFiguresTest, ThdOfDegenerateSpectraIsZero)
{
    const std::vector<float> silent(1024, 0.0f);
    std::vector<float> dc(1024, 0.0f);
    dc[0] = 1.0f;
    Signal s;
    s.harmonics = {0.01};
    const std::vector<float> tone = PowerSpectrum(s, kFftWindowHanning);
    struct Case
    {
        std::string name;
        const std::vector<float>* p;
        int bins;
        double fs;
        double fundFreq;
    };
    const Case cases[] = {
        {"silent, strongest bin", &silent, 1024, 48000.0, 0.0},
        {"silent, given fundamental", &silent, 1024, 48000.0, 1000.0},
        {"only DC", &dc, 1024, 48000.0, 0.0},
        {"fundamental above half the rate", &tone, 4096, 48000.0, 30000.0},
        {"fundamental below one bin", &tone, 4096, 48000.0, 1.0},
        {"no sample rate", &tone, 4096, 0.0, 1000.0},
        {"no bins", &tone, 0, 48000.0, 0.0},
        {"one bin", &tone, 1, 48000.0, 0.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        float levels[4];
        float freqs[4];
        double fundLevel = -1.0;
        const double thd = ComputeThd(c.p->data(), c.bins, c.fs, -1.0, c.fundFreq, &fundLevel, 4, levels,
                                      freqs, kFftWindowHanning);
        EXPECT_TRUE(std::isfinite(thd));
        EXPECT_TRUE(std::isfinite(fundLevel));
        for (int i = 0; i < 4; ++i)
        {
            EXPECT_TRUE(std::isfinite(levels[i]));
            EXPECT_TRUE(std::isfinite(freqs[i]));
        }
        if (c.p == &silent || c.bins <= 0 || c.fs <= 0.0 || c.fundFreq > c.fs / 2)
        {
            EXPECT_EQ(thd, 0.0);
        }
    }
}

TEST(DistortionFiguresTest, SumHarmonicPowersSelectsOddAndEvenHarmonics)
{
    const float levels[] = {1, 2, 3, 4, 5, 6};  // 2nd .. 7th harmonic
    struct Case
    {
        unsigned mask;
        double reference;
        double expected;
    };
    const Case cases[] = {
        {1, 1.0, std::sqrt(12.0)},  // 3rd, 5th, 7th
        {2, 1.0, std::sqrt(9.0)},   // 2nd, 4th, 6th
        {3, 1.0, std::sqrt(21.0)},
        {0, 1.0, 0.0},
        {3, 4.0, std::sqrt(21.0 / 4.0)},
        {3, 0.0, 0.0},
        {3, -1.0, 0.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(SumHarmonicPowers(levels, c.reference, c.mask, 6), c.expected, 1e-12)
            << c.mask << " " << c.reference;
    EXPECT_EQ(SumHarmonicPowers(levels, 1.0, 3, 0), 0.0);
}

// THD+N through the engine's spectrum path against the constructed ratio: harmonic power plus the share
// of white noise outside the notch, over the fundamental (the window's power gain cancels).
TEST(DistortionFiguresTest, ThdNOfSynthesizedSignals)
{
    struct Case
    {
        std::string name;
        Signal signal;
        double toleranceDb;
    };
    const Case cases[] = {
        {"harmonics only, on a bin", {8192, 48000.0, 100.0, 1.0, {0.01, 0.003, 0.001}, 0.0}, 0.01},
        {"harmonics only, between bins", {8192, 48000.0, 100.37, 1.0, {0.01, 0.003, 0.001}, 0.0}, 0.01},
        {"harmonics and noise", {8192, 48000.0, 150.5, 1.0, {0.01, 0.003}, 1e-3}, 0.05},
        {"noise only", {16384, 44100.0, 400.2, 0.5, {}, 3e-3}, 0.1},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        const Signal& s = c.signal;
        const std::vector<float> p = PowerSpectrum(s, kFftWindowHanning);
        const int bins = s.n / 2;
        const double startFreq = 20.0;
        const int start = static_cast<int>(std::floor(startFreq / (s.fs / s.n) + 1.0));
        const int halfWidth = bins >= 8192 ? 40 : bins >= 4096 ? 35 : 30;
        // White noise spreads evenly over the bins; the notch holds 2·halfWidth of them.
        const double noisePerBin = s.noise * s.noise / bins;
        double harmonicPower = 0.0;
        for (double a : s.harmonics)
            harmonicPower += 0.5 * a * a;
        const double outside = harmonicPower + noisePerBin * (bins - start - 2 * halfWidth);
        const double inside = 0.5 * s.amplitude * s.amplitude + noisePerBin * 2 * halfWidth;
        const double thdn = ComputeThdN(p.data(), bins, s.fs, startFreq);
        EXPECT_NEAR(10.0 * std::log10(thdn), 10.0 * std::log10(outside / inside), 2.0 * c.toleranceDb);
        EXPECT_NEAR(Db(std::sqrt(thdn)), Db(std::sqrt(outside / inside)), c.toleranceDb);
    }
}

TEST(DistortionFiguresTest, ThdNNotchWidthFollowsTheNumberOfBins)
{
    struct Case
    {
        int bins;
        int halfWidth;
    };
    const Case cases[] = {{256, 25}, {512, 20}, {1024, 25}, {2048, 30}, {4096, 35}, {8192, 40}, {16384, 40}};
    for (const Case& c : cases)
    {
        // 1 Hz bins, every bin 1 except a peak of 1000 in the middle; start at 0 Hz (first bin 1).
        std::vector<float> p(c.bins, 1.0f);
        p[c.bins / 2] = 1000.0f;
        const double inside = 2 * c.halfWidth - 1 + 1000.0;
        const double outside = c.bins - 1 - 2 * c.halfWidth;
        EXPECT_NEAR(ComputeThdN(p.data(), c.bins, 2.0 * c.bins, 0.0), outside / inside, 1e-9) << c.bins;
    }
}

TEST(DistortionFiguresTest, ThdNEdgeCases)
{
    std::vector<float> flat(512, 1.0f);
    flat[25] = 1000.0f;
    flat[5] = 1e6f;  // below the start frequency: counts for neither side
    // 1 Hz bins; start 9.5 Hz gives first bin 10; the notch 5..44 is cut to 10..44.
    EXPECT_NEAR(ComputeThdN(flat.data(), 512, 1024.0, 9.5), 467.0 / 1034.0, 1e-9);

    std::vector<float> silent(512, 0.0f);
    std::vector<float> lastBinOnly(512, 0.0f);
    lastBinOnly[511] = 1.0f;
    struct Case
    {
        std::string name;
        const std::vector<float>* p;
        int bins;
        double fs;
        double startFreq;
    };
    const Case cases[] = {
        {"start at half the rate", &flat, 512, 1024.0, 512.0},
        {"start above half the rate", &flat, 512, 1024.0, 600.0},
        {"start far below zero", &flat, 512, 1024.0, -10.0},
        {"silent", &silent, 512, 1024.0, 20.0},
        {"peak in the last bin, outside its own notch", &lastBinOnly, 512, 1024.0, 20.0},
        {"no sample rate", &flat, 512, 0.0, 20.0},
        {"no bins", &flat, 0, 1024.0, 20.0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ComputeThdN(c.p->data(), c.bins, c.fs, c.startFreq), 0.0) << c.name;
}

TEST(DistortionFiguresTest, SuppressSpectralLinesFlattensEachLine)
{
    // 1 Hz bins; p[i] = i².
    const auto squares = [](int bins)
    {
        std::vector<float> p(bins);
        for (int i = 0; i < bins; ++i)
            p[i] = static_cast<float>(i * i);
        return p;
    };
    struct Case
    {
        std::string name;
        double step;
        double maxFreq;
        std::vector<std::pair<int, float>> flattened;  // first of five bins and their value
    };
    const Case cases[] = {
        // 30 Hz lies within three bins of the end and stays.
        {"lines at 10 and 20 Hz", 10.0, 40.0, {{8, (49 + 169) / 2.0f}, {18, (289 + 529) / 2.0f}}},
        {"limit below the second line", 10.0, 19.0, {{8, (49 + 169) / 2.0f}}},
        // 4 Hz: the line at 8 Hz reads bin 5, already flattened by the line at 4 Hz; 2 Hz is too low.
        {"overlapping lines", 4.0, 8.0, {{2, (1 + 49) / 2.0f}, {6, (25 + 121) / 2.0f}}},
        {"step above the limit", 50.0, 40.0, {}},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.name);
        std::vector<float> expected = squares(32);
        for (const auto& [first, value] : c.flattened)
            for (int j = first; j < first + 5; ++j)
                expected[j] = value;
        std::vector<float> p = squares(32);
        SuppressSpectralLines(p.data(), 32, 64.0, c.step, c.maxFreq);
        EXPECT_EQ(p, expected);
    }
}

TEST(DistortionFiguresTest, SuppressSpectralLinesWithDegenerateStepsEnds)
{
    std::vector<float> p(64);
    for (int i = 0; i < 64; ++i)
        p[i] = static_cast<float>(i % 7);
    const std::vector<float> original = p;
    SuppressSpectralLines(p.data(), 64, 128.0, 0.0, 50.0);
    EXPECT_EQ(p, original);
    SuppressSpectralLines(p.data(), 64, 128.0, -5.0, 50.0);
    EXPECT_EQ(p, original);

    // A step far below one bin touches every bin once, as a step of exactly one bin does.
    std::vector<float> perBin = original;
    SuppressSpectralLines(perBin.data(), 64, 128.0, 1.0, 60.5);
    SuppressSpectralLines(p.data(), 64, 128.0, 1e-9, 60.5);
    EXPECT_EQ(p, perBin);
    EXPECT_NE(p, original);
}

}  // namespace
