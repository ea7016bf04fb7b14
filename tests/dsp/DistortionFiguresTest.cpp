#include "dsp/DistortionFigures.h"

#include "dsp/Fft.h"
#include "dsp/FftWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
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
        // FlatTop and above, from three bins alone: the largest of the three as it stands.
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
        // The other windows from the power of their main lobe.
        {kFftWindowFlatTop, 0.1, 0.02},
        {kFftWindowBlackmanHarris, 0.1, 0.02},
        {kFftWindowBartlett, 0.1, 0.02},
        {kFftWindowKaiserBessel, 0.1, 0.02},
        {kFftWindowGauss, 0.1, 0.02},
        {kFftWindowRifeVincent3, 0.1, 0.02},
        {kFftWindowLastType, 0.1, 0.02},
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
        // The Hanning window's notch: 35 bins on either side of the peak bin.
        const int notch = 2 * 35 + 1;
        // White noise spreads evenly over the bins.
        const double noisePerBin = s.noise * s.noise / bins;
        double harmonicPower = 0.0;
        for (double a : s.harmonics)
            harmonicPower += 0.5 * a * a;
        const double outside = harmonicPower + noisePerBin * (bins - start - notch);
        const double inside = 0.5 * s.amplitude * s.amplitude + noisePerBin * notch;
        const double thdn = ComputeThdN(p.data(), bins, s.fs, startFreq, kFftWindowHanning);
        EXPECT_NEAR(10.0 * std::log10(thdn), 10.0 * std::log10(outside / inside), 2.0 * c.toleranceDb);
        EXPECT_NEAR(Db(std::sqrt(thdn)), Db(std::sqrt(outside / inside)), c.toleranceDb);
    }
}

// The notch spans the window's skirt, whatever the number of bins, and stops short of the second
// harmonic's lobe for a low fundamental.
TEST(DistortionFiguresTest, ThdNNotchFollowsTheWindow)
{
    struct Case
    {
        int windowType;
        int bins;
        int peak;
        int halfWidth;
    };
    const Case cases[] = {
        {kFftWindowHanning, 1024, 512, 35},
        {kFftWindowHanning, 16384, 8192, 35},
        {kFftWindowBlackmanHarris, 4096, 2048, 8},
        {kFftWindowRectangular, 4096, 2048, 40},
        {kFftWindowBlackman, 4096, 2048, 12},
        {kFftWindowRifeVincent3 + 8, 4096, 2048, 28},
        // Second harmonic at bin 20 with a main lobe of 2 bins: the notch ends at bin 17.
        {kFftWindowHanning, 4096, 10, 7},
        // Too low to leave room: the notch keeps the main lobe.
        {kFftWindowBlackmanHarris, 4096, 6, 4},
    };
    for (const Case& c : cases)
    {
        // 1 Hz bins, every bin 1 except the peak of 1000; start at 0 Hz (first bin 1).
        std::vector<float> p(c.bins, 1.0f);
        p[c.peak] = 1000.0f;
        const double inside = 2 * c.halfWidth + 1000.0;
        const double outside = c.bins - 1 - (2 * c.halfWidth + 1);
        EXPECT_NEAR(ComputeThdN(p.data(), c.bins, 2.0 * c.bins, 0.0, c.windowType), outside / inside, 1e-9)
            << c.windowType << " " << c.bins << " " << c.peak;
    }
}

TEST(DistortionFiguresTest, ThdNEdgeCases)
{
    std::vector<float> flat(512, 1.0f);
    flat[25] = 1000.0f;
    flat[5] = 1e6f;  // below the start frequency: counts for neither side
    // 1 Hz bins; start 9.5 Hz gives first bin 10; the Hanning notch 3..47 (22 bins either side, short
    // of the second harmonic's lobe) is cut to 10..47.
    EXPECT_NEAR(ComputeThdN(flat.data(), 512, 1024.0, 9.5, kFftWindowHanning), 464.0 / 1037.0, 1e-9);

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
        EXPECT_EQ(ComputeThdN(c.p->data(), c.bins, c.fs, c.startFreq, kFftWindowHanning), 0.0) << c.name;
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

// THD and THD+N of sines with known harmonics against the closed form, for every window type at three
// rates, fundamentals from 20 Hz to 10 kHz between bins and THD from -20 to -80 dB. Each case is
// held to 0.1 dB where the window's own floor (the figures of the pure sine in the same place) lies
// at least 40 dB below the constructed THD: the fundamental's skirt adds to a harmonic coherently, so
// a skirt 40 dB down moves it by up to 0.09 dB. The worst error and the floor per window are printed.
TEST(DistortionFiguresTest, ThdAndThdNMatchTheClosedFormForEveryWindow)
{
    constexpr int kN = 32768;
    constexpr int kHarmonics = 10;
    const double rates[] = {44100.0, 48000.0, 96000.0};
    const double fundamentals[] = {20.0, 63.0, 200.0, 1000.0, 3150.0, 10000.0};
    const double thdDb[] = {-20.0, -40.0, -60.0, -80.0};
    // A fundamental closer than three main-lobe half-widths to 0 Hz leaves its harmonics' lobes
    // overlapping: the window cannot resolve them (cosine-sum windows of m terms have a main lobe of m
    // bins on either side).
    const int lobe[] = {1, 2, 3, 2, 3, 4, 2, 4, 4, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    std::printf("window: THD worst error (dB), cases checked, worst floor (dB); the same for THD+N\n");
    for (int type = 0; type <= kFftWindowLastType; ++type)
    {
        struct Figure
        {
            double worst = 0.0;
            double floor = -400.0;
            int checked = 0;
        };
        Figure figures[2];  // THD, THD+N
        for (const double fs : rates)
            for (const double nominal : fundamentals)
            {
                // Between bins: 0.37 of a bin above the nearest bin.
                const double bin = std::floor(nominal / (fs / kN)) + 0.37;
                const bool resolved = bin >= 3.0 * lobe[type];
                const auto measure = [&](const Signal& s, double* values)
                {
                    const std::vector<float> p = PowerSpectrum(s, type);
                    float levels[kHarmonics];
                    float freqs[kHarmonics];
                    double fundLevel = 0.0;
                    values[0] = ComputeThd(p.data(), kN / 2, fs, -1.0, 0.0, &fundLevel, kHarmonics, levels,
                                           freqs, type);
                    values[1] = std::sqrt(ComputeThdN(p.data(), kN / 2, fs, 0.0, type));
                };
                double floors[2];
                measure(Signal{kN, fs, bin, 0.9, {}, 0.0}, floors);
                for (const double target : thdDb)
                {
                    // Second, third and fifth harmonic in the ratio 1 : 0.5 : 0.25, up to 0.45 of the rate.
                    Signal s{kN, fs, bin, 0.9, {}, 0.0};
                    const double shape[] = {1.0, 0.5, 0.0, 0.25};
                    double sum = 0.0;
                    for (int h = 0; h < 4; ++h)
                        if ((h + 2) * bin * fs / kN < 0.45 * fs)
                            sum += shape[h] * shape[h];
                    if (sum == 0.0 || !resolved)
                        continue;  // no harmonic below 0.45 of the rate, or not resolved
                    const double scale = 0.9 * std::pow(10.0, target / 20.0) / std::sqrt(sum);
                    for (int h = 0; h < 4; ++h)
                        s.harmonics.push_back((h + 2) * bin * fs / kN < 0.45 * fs ? shape[h] * scale : 0.0);
                    double values[2];
                    measure(s, values);
                    for (int k = 0; k < 2; ++k)
                    {
                        const double floorDb = Db(std::max(floors[k], 1e-12));
                        figures[k].floor = std::max(figures[k].floor, floorDb);
                        if (target < floorDb + 40.0)
                            continue;
                        const double error = Db(values[k]) - target;
                        EXPECT_NEAR(error, 0.0, 0.1)
                            << (k == 0 ? "THD" : "THD+N") << ", window " << type << ", " << fs << " Hz, f "
                            << nominal << ", THD " << target;
                        ++figures[k].checked;
                        figures[k].worst = std::max(figures[k].worst, std::fabs(error));
                    }
                }
            }
        std::printf("  %2d: %.3f %2d %6.1f;  %.3f %2d %6.1f\n", type, figures[0].worst, figures[0].checked,
                    figures[0].floor, figures[1].worst, figures[1].checked, figures[1].floor);
    }
}

// For the same spectrum THD never exceeds THD+N: random tones, harmonics and noise through every window.
TEST(DistortionFiguresTest, ThdNeverExceedsThdN)
{
    std::mt19937 random(2027);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    constexpr int kHarmonics = 12;
    for (int round = 0; round < 300; ++round)
    {
        const int type = round % (kFftWindowLastType + 1);
        Signal s;
        s.n = 4096 << (round % 3);
        s.fs = round % 2 ? 48000.0 : 96000.0;
        s.bin = 3.0 + unit(random) * (s.n / 8.0);
        s.amplitude = unit(random);
        for (int h = 0; h < 5; ++h)
            s.harmonics.push_back(unit(random) < 0.5 ? 0.0
                                                     : s.amplitude * std::pow(10.0, -4.0 * unit(random)));
        s.noise = unit(random) < 0.3 ? 0.0 : std::pow(10.0, -6.0 * unit(random));
        if (round % 10 == 0)
            s.amplitude = 0.0;  // noise alone
        std::vector<float> p = PowerSpectrum(s, type);
        const int bins = s.n / 2;
        float levels[kHarmonics];
        float freqs[kHarmonics];
        double fundLevel = 0.0;
        const double thd =
            ComputeThd(p.data(), bins, s.fs, -1.0, 0.0, &fundLevel, kHarmonics, levels, freqs, type);
        const double thdN = std::sqrt(ComputeThdN(p.data(), bins, s.fs, 0.0, type));
        EXPECT_LE(thd, thdN * (1.0 + 1e-9)) << "round " << round << ", window " << type;
    }
}
