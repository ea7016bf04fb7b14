#include "dsp/Phonetogram.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <numbers>
#include <ostream>
#include <string>
#include <vector>

#include "dsp/Fft.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

namespace
{

// A block format with the voice band and the background length worked out by hand for the default
// settings (60 .. 600 Hz, 4 s): bin width w = rate / count, lo = floor(60 / w), hi = ceil(600 / w),
// and the smallest number of blocks whose total duration count / rate exceeds 4 s.
struct Format
{
    double rate;
    int count;
    int lo;
    int hi;
    int backgroundBlocks;
};

// w = 11.71875 Hz, T = 85.333 ms: 60 / w = 5.12, 600 / w = 51.2, 4 / T = 46.875.
constexpr Format k48k{48000.0, 4096, 5, 52, 47};
// w = 5.3833 Hz, T = 185.76 ms: 60 / w = 11.15, 600 / w = 111.46, 4 / T = 21.53.
constexpr Format k44k{44100.0, 8192, 11, 112, 22};
// w = 7.8125 Hz, T = 128 ms: 60 / w = 7.68, 600 / w = 76.8, 4 / T = 31.25.
constexpr Format k16k{16000.0, 2048, 7, 77, 32};

double BlockDuration(const Format& format)
{
    return format.count / format.rate;
}

// Uniform noise in -1 .. 1 from a fixed linear congruential sequence.
class Noise
{
public:
    explicit Noise(std::uint32_t seed) : m_state(seed) {}
    double Next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return static_cast<double>(m_state) / 2147483648.0 - 1.0;
    }

private:
    std::uint32_t m_state;
};

// Feeds blocks cut from one continuous signal, so that the analysis filter sees no jumps between
// blocks. The input spectrum is the power spectrum of the block.
class Feeder
{
public:
    Feeder(CPhonetogram& phonetogram, const Format& format) : m_phonetogram(phonetogram), m_format(format) {}

    // Samples of signal(t) for the next block. With bandLevel > 0 the spectrum is scaled so that its
    // voice-band bins sum to it (the level the phonetogram sees) while the samples stay as they are.
    // Returns the voice-band level of the spectrum handed in, summed here over the hand-computed bins.
    double Block(const std::function<double(double)>& signal, double bandLevel = 0.0)
    {
        std::vector<float> samples(m_format.count);
        for (int i = 0; i < m_format.count; ++i)
            samples[i] = static_cast<float>(signal((m_sampleIndex + i) / m_format.rate));
        m_sampleIndex += m_format.count;
        std::vector<float> spectrum = samples;
        ComputePowerSpectrum(spectrum.data(), m_format.count);
        spectrum.resize(m_format.count / 2);
        if (bandLevel > 0.0)
        {
            const double scale = bandLevel / BandLevel(spectrum);
            for (float& bin : spectrum)
                bin = static_cast<float>(bin * scale);
        }
        return Feed(spectrum, samples);
    }

    double BandLevel(const std::vector<float>& spectrum) const
    {
        double level = 0.0;
        for (int k = m_format.lo; k < m_format.hi; ++k)
            level += spectrum[k];
        return level;
    }

    double Feed(const std::vector<float>& spectrum, const std::vector<float>& samples)
    {
        m_phonetogram.AddBlock(spectrum, m_format.count / 2, m_format.rate, samples, m_format.count);
        return BandLevel(spectrum);
    }

    // Quiet noise until the background measurement has ended; returns the mean level fed.
    double Background(double amplitude = 1e-4)
    {
        Noise noise(7);
        double sum = 0.0;
        for (int b = 0; b < m_format.backgroundBlocks; ++b)
            sum += Block([&](double) { return amplitude * noise.Next(); });
        return sum / m_format.backgroundBlocks;
    }

private:
    CPhonetogram& m_phonetogram;
    Format m_format;
    std::int64_t m_sampleIndex = 0;
};

std::function<double(double)> Sine(double frequency, double amplitude)
{
    return [=](double t) { return amplitude * std::sin(2.0 * std::numbers::pi * frequency * t); };
}

// Harmonics 1 .. 8 with amplitudes 1/h, a rough sawtooth.
std::function<double(double)> Harmonic(double frequency, double amplitude)
{
    return [=](double t)
    {
        double sum = 0.0;
        for (int h = 1; h <= 8; ++h)
            sum += std::sin(2.0 * std::numbers::pi * h * frequency * t) / h;
        return amplitude * sum;
    };
}

void Start(CPhonetogram& phonetogram)
{
    phonetogram.Clear();
    phonetogram.m_active = 1;
}

CPhonetogramPoint MakePoint(double time, double pitch, double level = 1.0)
{
    CPhonetogramPoint point;
    point.m_pitch = static_cast<float>(pitch);
    point.m_level = static_cast<float>(level);
    point.m_time = static_cast<float>(time);
    return point;
}

// Puts the background markers into slots 0 and 1 and the given points after them.
void SetPoints(CPhonetogram& phonetogram, double blockDuration, const std::vector<CPhonetogramPoint>& points)
{
    phonetogram.Clear();
    phonetogram.m_blockDuration = blockDuration;
    phonetogram.m_points[0] = MakePoint(0.0, 40.0, 1e-6);
    phonetogram.m_points[1] = MakePoint(0.0, 2000.0, 1e-6);
    for (std::size_t i = 0; i < points.size(); ++i)
        phonetogram.m_points[2 + i] = points[i];
    phonetogram.m_pointCount = static_cast<int>(points.size()) + 2;
    phonetogram.m_writeIndex = phonetogram.m_pointCount;
}

bool SamePoint(const CPhonetogramPoint& a, const CPhonetogramPoint& b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// ---------------------------------------------------------------------------------------------------
// Construction and the background measurement

TEST(PhonetogramTest, StartsWithThreeClearedPointsAndTheDefaultSettings)
{
    CPhonetogram phonetogram;
    EXPECT_EQ(phonetogram.m_active, 0);
    EXPECT_EQ(phonetogram.m_state, -1);
    EXPECT_EQ(phonetogram.m_pointCount, 3);
    EXPECT_EQ(phonetogram.m_writeIndex, 0);
    EXPECT_EQ(phonetogram.m_toneCount, 0);
    EXPECT_EQ(phonetogram.m_minPitch, 60.0);
    EXPECT_EQ(phonetogram.m_maxPitch, 600.0);
    EXPECT_EQ(phonetogram.m_upperCorner, 8000.0);
    EXPECT_EQ(phonetogram.m_toneSegmentLength, 1.0);
    EXPECT_EQ(phonetogram.m_maxPointGap, 0.2);
    EXPECT_EQ(phonetogram.m_levelMargin, 5.0);
    EXPECT_EQ(phonetogram.m_correlationThreshold, 0.55);
    EXPECT_EQ(phonetogram.m_backgroundTime, 4.0);
    for (int i : {0, 1, 2, CPhonetogram::kMaxPoints - 1})
    {
        EXPECT_EQ(phonetogram.m_points[i].m_pitch, 0.0f);
        EXPECT_EQ(phonetogram.m_points[i].m_duration, -1.0f);
    }
}

struct BackgroundCase
{
    const char* name;
    Format format;
};

void PrintTo(const BackgroundCase& c, std::ostream* os)
{
    *os << c.name;
}

class PhonetogramBackgroundTest : public ::testing::TestWithParam<BackgroundCase>
{
};

// The level of each block is the sum of its voice-band bins only: the bins outside the band carry a
// huge value that would dominate the mean if one of them were counted.
TEST_P(PhonetogramBackgroundTest, MeasuresTheMeanVoiceBandLevelAndAddsTwoMarkers)
{
    const Format format = GetParam().format;
    CPhonetogram phonetogram;
    Start(phonetogram);
    Feeder feeder(phonetogram, format);
    const std::vector<float> silence(format.count, 0.0f);
    double sum = 0.0;
    for (int b = 0; b < format.backgroundBlocks; ++b)
    {
        EXPECT_EQ(phonetogram.m_state, -1) << "block " << b;
        EXPECT_EQ(phonetogram.m_pointCount, 0) << "block " << b;
        std::vector<float> spectrum(format.count / 2, 1e6f);
        const float binValue = static_cast<float>(1e-6 * (1 + b % 5));
        for (int k = format.lo; k < format.hi; ++k)
            spectrum[k] = binValue;
        sum += feeder.Feed(spectrum, silence);
    }
    const double expected = 10.0 * std::log10(sum / format.backgroundBlocks);

    EXPECT_EQ(phonetogram.m_state, 0);
    EXPECT_EQ(phonetogram.m_backgroundCount, format.backgroundBlocks);
    EXPECT_NEAR(phonetogram.m_backgroundSum, expected, 1e-5);
    EXPECT_NEAR(phonetogram.m_time, format.backgroundBlocks * BlockDuration(format), 1e-9);
    ASSERT_EQ(phonetogram.m_pointCount, 2);
    EXPECT_EQ(phonetogram.m_writeIndex, 2);
    EXPECT_EQ(phonetogram.m_points[0].m_pitch, 40.0f);
    EXPECT_EQ(phonetogram.m_points[1].m_pitch, 2000.0f);
    for (int i : {0, 1})
    {
        EXPECT_NEAR(phonetogram.m_points[i].m_level, sum / format.backgroundBlocks,
                    1e-5 * sum / format.backgroundBlocks);
        EXPECT_EQ(phonetogram.m_points[i].m_duration, -1.0f);
    }
}

INSTANTIATE_TEST_SUITE_P(Formats, PhonetogramBackgroundTest,
                         ::testing::Values(BackgroundCase{"rate48k_4096", k48k},
                                           BackgroundCase{"rate44k_8192", k44k},
                                           BackgroundCase{"rate16k_2048", k16k}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------
// Pitch and level of the points

struct PitchCase
{
    const char* name;
    Format format;
    double frequency;
    bool harmonic;
};

void PrintTo(const PitchCase& c, std::ostream* os)
{
    *os << c.name;
}

class PhonetogramPitchTest : public ::testing::TestWithParam<PitchCase>
{
};

// The pitch comes from the largest circular autocorrelation value at whole lags. For a sine of
// period P samples in a block of n, r(l) ~ (n - l)·cos(al) + l·cos(a(l - n)) with a = 2π/P: the second
// term (the part of the sum that wraps around the block) moves the peak off P by at most
// ε = (2 + 2π)·P² / (4π²·(n - P)) lags (from r'(P + ε) = 0 with |sin|, |cos| <= 1). Harmonics move it
// less, since each harmonic h adds h² to the curvature but only about h to the slope. One more lag
// covers the whole-lag grid. The pitch must lie within rate / (P ± (ε + 1)).
struct PitchBounds
{
    double lowest;
    double highest;
};

PitchBounds BoundsFor(const Format& format, double frequency)
{
    const double period = format.rate / frequency;
    const double pi = std::numbers::pi;
    const double shift = (2.0 + 2.0 * pi) * period * period / (4.0 * pi * pi * (format.count - period)) + 1.0;
    // The pitch is stored as a float.
    return {format.rate / (period + shift) * (1.0 - 1e-6), format.rate / (period - shift) * (1.0 + 1e-6)};
}

void ExpectPitchNear(float pitch, const Format& format, double frequency)
{
    const PitchBounds bounds = BoundsFor(format, frequency);
    EXPECT_GE(pitch, bounds.lowest);
    EXPECT_LE(pitch, bounds.highest);
}

TEST_P(PhonetogramPitchTest, PointsCarryThePitchWithinTheLagResolutionAndTheFedLevel)
{
    const PitchCase& c = GetParam();
    CPhonetogram phonetogram;
    Start(phonetogram);
    Feeder feeder(phonetogram, c.format);
    feeder.Background();
    ASSERT_EQ(phonetogram.m_pointCount, 2);

    const auto signal = c.harmonic ? Harmonic(c.frequency, 0.2) : Sine(c.frequency, 0.3);
    constexpr int kBlocks = 8;
    std::vector<double> levels;
    for (int b = 0; b < kBlocks; ++b)
        levels.push_back(feeder.Block(signal));

    ASSERT_EQ(phonetogram.m_pointCount, 2 + kBlocks);
    for (int b = 0; b < kBlocks; ++b)
    {
        const CPhonetogramPoint& point = phonetogram.m_points[2 + b];
        SCOPED_TRACE(b);
        ExpectPitchNear(point.m_pitch, c.format, c.frequency);
        EXPECT_NEAR(point.m_level, levels[b], 1e-5 * levels[b]);
        EXPECT_NEAR(point.m_time, (c.format.backgroundBlocks + 1 + b) * BlockDuration(c.format), 1e-4);
        EXPECT_EQ(point.m_duration, -1.0f);
        EXPECT_EQ(point.m_reserved1, 0);
        EXPECT_EQ(point.m_reserved2, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, PhonetogramPitchTest,
                         ::testing::Values(PitchCase{"sine220_48k", k48k, 220.0, false},
                                           PitchCase{"harmonic220_48k", k48k, 220.0, true},
                                           PitchCase{"sine110_44k", k44k, 110.0, false},
                                           PitchCase{"harmonic330_44k", k44k, 330.0, true},
                                           PitchCase{"sine196_16k", k16k, 196.0, false},
                                           PitchCase{"harmonic82_16k", k16k, 82.4, true}),
                         [](const auto& info) { return std::string(info.param.name); });

struct GateCase
{
    const char* name;
    double margin;        // dB, the level margin setting
    double levelAboveDb;  // level of the block's spectrum above the background
    bool noise;           // white noise instead of a 220 Hz sine in the samples
    bool expectPoint;
};

void PrintTo(const GateCase& c, std::ostream* os)
{
    *os << c.name;
}

class PhonetogramGateTest : public ::testing::TestWithParam<GateCase>
{
};

// The spectrum is scaled so that its band level lies a chosen number of dB above the background,
// independent of the samples, which decide the pitch.
TEST_P(PhonetogramGateTest, AddsAPointOnlyAboveTheMarginWithACorrelatedSignal)
{
    const GateCase& c = GetParam();
    CPhonetogram phonetogram;
    Start(phonetogram);
    phonetogram.m_levelMargin = c.margin;
    Feeder feeder(phonetogram, k48k);
    const double background = feeder.Background();

    Noise noise(99);
    const auto signal = c.noise ? std::function<double(double)>([&](double) { return 0.5 * noise.Next(); })
                                : Sine(220.0, 0.3);
    const double level = background * std::pow(10.0, c.levelAboveDb / 10.0);
    for (int b = 0; b < 3; ++b)
        feeder.Block(signal, level);

    EXPECT_EQ(phonetogram.m_pointCount, c.expectPoint ? 5 : 2);
}

INSTANTIATE_TEST_SUITE_P(Cases, PhonetogramGateTest,
                         ::testing::Values(GateCase{"justBelowDefaultMargin", 5.0, 4.9, false, false},
                                           GateCase{"justAboveDefaultMargin", 5.0, 5.1, false, true},
                                           GateCase{"belowWiderMargin", 12.0, 11.9, false, false},
                                           GateCase{"aboveWiderMargin", 12.0, 12.1, false, true},
                                           GateCase{"atBackground", 5.0, 0.0, false, false},
                                           GateCase{"loudNoiseHasNoPitch", 5.0, 40.0, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

struct IgnoredCase
{
    const char* name;
    bool active;
    int count;  // samples handed in
};

void PrintTo(const IgnoredCase& c, std::ostream* os)
{
    *os << c.name;
}

class PhonetogramIgnoredBlockTest : public ::testing::TestWithParam<IgnoredCase>
{
};

TEST_P(PhonetogramIgnoredBlockTest, LeavesTimeAndBackgroundUntouched)
{
    const IgnoredCase& c = GetParam();
    CPhonetogram phonetogram;
    phonetogram.Clear();
    phonetogram.m_active = c.active ? 1 : 0;
    // At 48 kHz the lag of 60 Hz needs 2 · 800 samples; 1024 do not hold it.
    const std::vector<float> samples(c.count, 0.1f);
    const std::vector<float> spectrum(c.count / 2, 1.0f);
    phonetogram.AddBlock(spectrum, c.count / 2, 48000.0, samples, c.count);
    EXPECT_EQ(phonetogram.m_time, 0.0);
    EXPECT_EQ(phonetogram.m_backgroundCount, 0);
    EXPECT_EQ(phonetogram.m_backgroundSum, 0.0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PhonetogramIgnoredBlockTest,
                         ::testing::Values(IgnoredCase{"inactive", false, 4096},
                                           IgnoredCase{"longerThan32768", true, 65536},
                                           IgnoredCase{"shorterThanTheLagRange", true, 1024}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PhonetogramTest, IgnoresABlockWhoseSpansAreShorterThanTheCounts)
{
    CPhonetogram phonetogram;
    Start(phonetogram);
    const std::vector<float> samples(4096, 0.1f);
    const std::vector<float> spectrum(2048, 1.0f);
    phonetogram.AddBlock(std::span(spectrum).first(100), 2048, 48000.0, samples, 4096);
    phonetogram.AddBlock(spectrum, 2048, 48000.0, std::span(samples).first(2000), 4096);
    EXPECT_EQ(phonetogram.m_time, 0.0);
    EXPECT_EQ(phonetogram.m_backgroundCount, 0);
}

// The ring: after slot 32767 the next point goes to slot 0 and the count stays at 32768.
TEST(PhonetogramTest, WrapsTheWriteIndexAndKeepsTheCountAtTheLimit)
{
    CPhonetogram phonetogram;
    Start(phonetogram);
    Feeder feeder(phonetogram, k48k);
    feeder.Background();
    phonetogram.m_writeIndex = CPhonetogram::kMaxPoints - 1;
    phonetogram.m_pointCount = CPhonetogram::kMaxPoints - 1;
    feeder.Block(Sine(220.0, 0.3));
    EXPECT_EQ(phonetogram.m_writeIndex, 0);
    EXPECT_EQ(phonetogram.m_pointCount, CPhonetogram::kMaxPoints);
    ExpectPitchNear(phonetogram.m_points[CPhonetogram::kMaxPoints - 1].m_pitch, k48k, 220.0);
    feeder.Block(Sine(220.0, 0.3));
    EXPECT_EQ(phonetogram.m_writeIndex, 1);
    EXPECT_EQ(phonetogram.m_pointCount, CPhonetogram::kMaxPoints);
    ExpectPitchNear(phonetogram.m_points[0].m_pitch, k48k, 220.0);
}

// ---------------------------------------------------------------------------------------------------
// Tones

// 18 blocks of 85.333 ms after the background: the first point opens the run at 48 T, and the first
// point more than 1 s later is the 13th (12 T = 1.024 s), which closes the tone.
TEST(PhonetogramTest, ASustainedAnalysedNoteBecomesOneToneOfJustOverOneSecond)
{
    CPhonetogram phonetogram;
    Start(phonetogram);
    Feeder feeder(phonetogram, k48k);
    feeder.Background();
    for (int b = 0; b < 18; ++b)
        feeder.Block(Sine(220.0, 0.3));
    ASSERT_EQ(phonetogram.m_pointCount, 20);
    phonetogram.BuildToneList();

    ASSERT_EQ(phonetogram.m_toneCount, 1);
    const double t = BlockDuration(k48k);
    double pitchSum = 0.0;
    double levelSum = 0.0;
    for (int i = 2; i < 2 + 13; ++i)
    {
        pitchSum += phonetogram.m_points[i].m_pitch;
        levelSum += phonetogram.m_points[i].m_level;
    }
    const CPhonetogramPoint& tone = phonetogram.m_tones[0];
    EXPECT_NEAR(tone.m_pitch, pitchSum / 13, 1e-3);
    ExpectPitchNear(tone.m_pitch, k48k, 220.0);
    EXPECT_NEAR(tone.m_level, levelSum / 13, 1e-5 * levelSum / 13);
    EXPECT_NEAR(tone.m_time, 48 * t, 1e-4);
    EXPECT_NEAR(tone.m_duration, 12 * t, 1e-4);
    EXPECT_EQ(tone.m_reserved1, 0);
    EXPECT_EQ(tone.m_reserved2, 0);
}

struct ToneCase
{
    const char* name;
    double blockDuration;
    std::vector<CPhonetogramPoint> points;
    std::vector<CPhonetogramPoint> tones;  // time = start, m_duration = duration
};

void PrintTo(const ToneCase& c, std::ostream* os)
{
    *os << c.name;
}

CPhonetogramPoint Tone(double start, double duration, double pitch, double level)
{
    CPhonetogramPoint tone = MakePoint(start, pitch, level);
    tone.m_duration = static_cast<float>(duration);
    return tone;
}

// Points every 0.125 s at times k · 0.125, k = 1 .. 20; level k unless given.
std::vector<CPhonetogramPoint> Steady(
    const std::function<double(int)>& pitchOf,
    const std::function<double(int)>& timeOf = [](int k) { return k * 0.125; })
{
    std::vector<CPhonetogramPoint> points;
    for (int k = 1; k <= 20; ++k)
    {
        const double pitch = pitchOf(k);
        if (pitch != 0.0)
            points.push_back(MakePoint(timeOf(k), pitch, k));
    }
    return points;
}

std::vector<ToneCase> ToneCases()
{
    // With T = 0.125 s the allowed gap is max(0.2, 0.135) = 0.2 s and the second off-pitch point of a
    // segment (D = 0.25 s) ends a run. A tone closes at the first point more than 1 s after its start.
    return {
        // Pitches 201 .. 220: tones close at k = 10 (1.25 - 0.125 = 1.125 s) and k = 19; the second
        // tone's means cover points 1 .. 19 because the sums run on.
        {"sustainedNoteGivesConsecutiveTones",
         0.125,
         Steady([](int k) { return 200.0 + k; }),
         {Tone(0.125, 1.125, 205.5, 5.5), Tone(1.25, 1.125, 210.0, 10.0)}},
        // One point at 300 Hz (ratio 1.36) stays in the run and counts towards the mean.
        {"singleOutlierStaysInTheTone",
         0.125,
         Steady([](int k) { return k == 5 ? 300.0 : 220.0; }),
         {Tone(0.125, 1.125, 228.0, 5.5), Tone(1.25, 1.125, 224.2105263, 10.0)}},
        // 200 Hz, then 240 Hz from k = 6 (ratio 1.2): k = 6 is off-pitch but kept, k = 7 ends the run and
        // opens a new one at 240 Hz, which closes at k = 16.
        {"glideEndsTheRun",
         0.125,
         Steady([](int k) { return k <= 5 ? 200.0 : 240.0; }),
         {Tone(0.875, 1.125, 240.0, 11.5)}},
        // Outliers at k = 3 and 7 reach D = 0.25: k = 7 opens a run at 300 Hz, k = 8 is off-pitch to it,
        // k = 9 ends it and opens the run that closes at k = 18.
        {"offPitchTimeAddsUpWithinASegment",
         0.125,
         Steady([](int k) { return k == 3 || k == 7 ? 300.0 : 220.0; }),
         {Tone(1.125, 1.125, 220.0, 13.5)}},
        // Points 9 and 10 are missing: the gap of 0.375 s ends the first run (0.875 s, no tone).
        {"gapEndsTheRun",
         0.125,
         Steady([](int k) { return k == 9 || k == 10 ? 0.0 : 220.0; }),
         {Tone(1.375, 1.125, 220.0, 15.5)}},
        // A deleted point (negative pitch) at k = 6 ends the run; the next run starts at k = 7.
        {"deletedPointEndsTheRun",
         0.125,
         Steady([](int k) { return k == 6 ? -220.0 : 220.0; }),
         {Tone(0.875, 1.125, 220.0, 11.5)}},
        // 0.8 s of voice (k = 1 .. 7, 0.75 s from first to last point) is too short for a tone.
        {"shortBurstGivesNoTone", 0.125, Steady([](int k) { return k <= 7 ? 220.0 : 0.0; }), {}},
        // Blocks of 0.25 s: the allowed gap grows to 0.26 s, so points 0.25 s apart form a run that closes
        // at 1.5 s (1.25 s after its start).
        {"longBlocksWidenTheAllowedGap",
         0.25,
         Steady([](int k) { return k <= 6 ? 220.0 : 0.0; }, [](int k) { return k * 0.25; }),
         {Tone(0.25, 1.25, 220.0, 3.5)}},
        // Points 0.25 s apart with blocks of 0.125 s exceed the gap of 0.2 s every time.
        {"sparsePointsGiveNoTone",
         0.125,
         Steady([](int k) { return k <= 10 ? 220.0 : 0.0; }, [](int k) { return k * 0.25; }),
         {}},
        // Three points or fewer (markers included) give no list at all.
        {"twoMarkersAndOnePoint", 0.125, {MakePoint(0.125, 220.0)}, {}},
    };
}

class PhonetogramToneTest : public ::testing::TestWithParam<ToneCase>
{
};

TEST_P(PhonetogramToneTest, GroupsPointsIntoTones)
{
    const ToneCase& c = GetParam();
    CPhonetogram phonetogram;
    SetPoints(phonetogram, c.blockDuration, c.points);
    phonetogram.BuildToneList();
    ASSERT_EQ(phonetogram.m_toneCount, static_cast<int>(c.tones.size()));
    for (std::size_t i = 0; i < c.tones.size(); ++i)
    {
        SCOPED_TRACE(i);
        const CPhonetogramPoint& tone = phonetogram.m_tones[i];
        EXPECT_NEAR(tone.m_pitch, c.tones[i].m_pitch, 1e-4);
        EXPECT_NEAR(tone.m_level, c.tones[i].m_level, 1e-5);
        EXPECT_NEAR(tone.m_time, c.tones[i].m_time, 1e-6);
        EXPECT_NEAR(tone.m_duration, c.tones[i].m_duration, 1e-6);
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, PhonetogramToneTest, ::testing::ValuesIn(ToneCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------------
// Delete last tone and reset

// Two tones of a steady 220 Hz note (see sustainedNoteGivesConsecutiveTones): the last one spans
// 1.25 .. 2.375 s, i.e. the points k = 10 .. 19. The markers lie inside that window in time but are
// never touched.
TEST(PhonetogramTest, DeleteLastToneMarksThePointsOfTheLastToneAsDeleted)
{
    CPhonetogram phonetogram;
    SetPoints(phonetogram, 0.125, Steady([](int) { return 220.0; }));
    phonetogram.m_points[0].m_time = 1.5f;
    phonetogram.m_points[1].m_time = 1.5f;
    phonetogram.DeleteLastTone();

    EXPECT_EQ(phonetogram.m_toneCount, 1);
    EXPECT_EQ(phonetogram.m_points[0].m_pitch, 40.0f);
    EXPECT_EQ(phonetogram.m_points[1].m_pitch, 2000.0f);
    for (int k = 1; k <= 20; ++k)
    {
        const bool deleted = k >= 10 && k <= 19;
        EXPECT_EQ(phonetogram.m_points[1 + k].m_pitch, deleted ? -220.0f : 220.0f) << "k " << k;
        EXPECT_EQ(phonetogram.m_points[1 + k].m_level, static_cast<float>(k));
    }
}

// A point deleted before, lying in the window in time (it sits after the run in slot order), stays
// deleted rather than flipping back.
TEST(PhonetogramTest, DeleteLastToneKeepsDeletedPointsDeleted)
{
    CPhonetogram phonetogram;
    std::vector<CPhonetogramPoint> points = Steady([](int) { return 220.0; });
    points.push_back(MakePoint(1.5, -230.0));
    SetPoints(phonetogram, 0.125, points);
    phonetogram.DeleteLastTone();
    EXPECT_EQ(phonetogram.m_toneCount, 1);
    EXPECT_EQ(phonetogram.m_points[22].m_pitch, -230.0f);
    EXPECT_EQ(phonetogram.m_points[21].m_pitch, 220.0f);
}

TEST(PhonetogramTest, DeleteLastToneWithoutTonesChangesNothing)
{
    CPhonetogram phonetogram;
    SetPoints(phonetogram, 0.125, Steady([](int k) { return k <= 7 ? 220.0 : 0.0; }));
    std::vector<CPhonetogramPoint> before(phonetogram.m_points.get(), phonetogram.m_points.get() + 16);
    phonetogram.DeleteLastTone();
    EXPECT_EQ(phonetogram.m_toneCount, 0);
    EXPECT_EQ(phonetogram.m_pointCount, 9);
    for (int i = 0; i < 16; ++i)
        EXPECT_TRUE(SamePoint(phonetogram.m_points[i], before[i])) << i;
}

TEST(PhonetogramTest, ResetMeasurementsKeepsTheBackgroundAndRestartsThePoints)
{
    CPhonetogram phonetogram;
    Start(phonetogram);
    Feeder feeder(phonetogram, k48k);
    feeder.Background();
    for (int b = 0; b < 14; ++b)
        feeder.Block(Sine(220.0, 0.3));
    phonetogram.BuildToneList();
    ASSERT_EQ(phonetogram.m_pointCount, 16);
    ASSERT_EQ(phonetogram.m_toneCount, 1);
    const CPhonetogramPoint low = phonetogram.m_points[0];
    const CPhonetogramPoint high = phonetogram.m_points[1];
    const double background = phonetogram.m_backgroundSum;

    phonetogram.ResetMeasurements();
    EXPECT_EQ(phonetogram.m_time, 0.0);
    EXPECT_EQ(phonetogram.m_pointCount, 2);
    EXPECT_EQ(phonetogram.m_writeIndex, 2);
    EXPECT_EQ(phonetogram.m_toneCount, 0);
    EXPECT_EQ(phonetogram.m_state, 0);
    EXPECT_EQ(phonetogram.m_backgroundSum, background);
    EXPECT_TRUE(SamePoint(phonetogram.m_points[0], low));
    EXPECT_TRUE(SamePoint(phonetogram.m_points[1], high));
    for (int i : {2, 3, 15, CPhonetogram::kMaxPoints - 1})
        EXPECT_TRUE(SamePoint(phonetogram.m_points[i], CPhonetogramPoint{})) << i;

    // The analysis goes on without a new background measurement.
    feeder.Block(Sine(220.0, 0.3));
    ASSERT_EQ(phonetogram.m_pointCount, 3);
    ExpectPitchNear(phonetogram.m_points[2].m_pitch, k48k, 220.0);
    EXPECT_NEAR(phonetogram.m_points[2].m_time, BlockDuration(k48k), 1e-6);
}

TEST(PhonetogramTest, ResetMeasurementsWithOnlyTheMarkersChangesNothing)
{
    CPhonetogram phonetogram;
    Start(phonetogram);
    Feeder feeder(phonetogram, k48k);
    feeder.Background();
    ASSERT_EQ(phonetogram.m_pointCount, 2);
    const double time = phonetogram.m_time;
    phonetogram.ResetMeasurements();
    EXPECT_EQ(phonetogram.m_time, time);
    EXPECT_EQ(phonetogram.m_pointCount, 2);
}

// ---------------------------------------------------------------------------------------------------
// Files

std::int32_t Int32At(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    return static_cast<std::int32_t>(value);
}

double DoubleAt(const std::string& bytes, std::size_t offset)
{
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes.at(offset + i));
    return std::bit_cast<double>(value);
}

void PutInt32(std::string& bytes, std::size_t offset, std::int32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes.at(offset + i) = static_cast<char>((static_cast<std::uint32_t>(value) >> (8 * i)) & 0xff);
}

void PutDouble(std::string& bytes, std::size_t offset, double value)
{
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        bytes.at(offset + i) = static_cast<char>((bits >> (8 * i)) & 0xff);
}

void AppendInt32(std::string& bytes, std::int32_t value)
{
    bytes.append(4, '\0');
    PutInt32(bytes, bytes.size() - 4, value);
}

void AppendRecord(std::string& bytes, float pitch, float level, float time, float duration)
{
    AppendInt32(bytes, 6);
    for (const float field : {pitch, level})
        AppendInt32(bytes, std::bit_cast<std::int32_t>(field));
    AppendInt32(bytes, 0);
    AppendInt32(bytes, 0);
    for (const float field : {time, duration})
        AppendInt32(bytes, std::bit_cast<std::int32_t>(field));
}

// A file written here byte by byte: three points and one tone at 44.1 kHz with 1024 bins.
std::string HandMadeFile()
{
    std::string bytes;
    AppendInt32(bytes, 1024);
    bytes.append(1024, '\0');
    PutInt32(bytes, 8, 3);
    PutInt32(bytes, 12, 1);
    PutInt32(bytes, 16, 1024);
    PutDouble(bytes, 20, 44100.0);
    AppendInt32(bytes, 3 * 28 + 4);
    AppendInt32(bytes, 1);
    AppendRecord(bytes, 40.0f, 1e-6f, 0.0f, -1.0f);
    AppendRecord(bytes, 2000.0f, 1e-6f, 0.0f, -1.0f);
    AppendRecord(bytes, 220.5f, 0.25f, 4.5f, -1.0f);
    AppendInt32(bytes, 1 * 28 + 4);
    AppendInt32(bytes, 2);
    AppendRecord(bytes, 221.0f, 0.5f, 1.25f, 1.125f);
    return bytes;
}

class PhonetogramFileTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override { std::filesystem::create_directories(m_home.File("x").parent_path()); }
    std::filesystem::path Path(const std::string& name) const { return m_home.File(name); }
};

TEST_F(PhonetogramFileTest, SaveWritesTheHeaderAndSectionsAtTheirOffsets)
{
    CPhonetogram phonetogram;
    SetPoints(phonetogram, 0.125, Steady([](int k) { return k == 4 ? -230.0 : 200.0 + k; }));
    phonetogram.BuildToneList();
    // The deleted point ends the first run; the second (k = 5 .. 14) closes one tone at 0.625 s.
    ASSERT_EQ(phonetogram.m_toneCount, 1);
    phonetogram.m_bins = 2048;
    phonetogram.m_sampleRate = 48000.0;
    phonetogram.m_active = 1;
    const std::filesystem::path path = Path("layout.ptg");
    ASSERT_TRUE(phonetogram.Save(path));
    EXPECT_EQ(phonetogram.m_active, 0);

    const std::string bytes = testsupport::ReadBytes(path);
    const int n = 22;
    const int m = 1;
    ASSERT_EQ(bytes.size(), static_cast<std::size_t>(1044 + 28 * (n + m)));
    EXPECT_EQ(Int32At(bytes, 0), 1024);
    EXPECT_EQ(Int32At(bytes, 4), 0);
    EXPECT_EQ(Int32At(bytes, 8), n);
    EXPECT_EQ(Int32At(bytes, 12), m);
    EXPECT_EQ(Int32At(bytes, 16), 2048);
    EXPECT_EQ(DoubleAt(bytes, 20), 48000.0);
    EXPECT_EQ(Int32At(bytes, 1028), n * 28 + 4);
    EXPECT_EQ(Int32At(bytes, 1032), 1);
    EXPECT_EQ(Int32At(bytes, 1036 + 28 * n), m * 28 + 4);
    EXPECT_EQ(Int32At(bytes, 1040 + 28 * n), 2);
    // Slot 2 + 3 holds k = 4, the deleted point: its record is the fourth after the markers.
    const std::size_t record = 1036 + 28 * 5;
    EXPECT_EQ(Int32At(bytes, record), 6);
    EXPECT_EQ(std::bit_cast<float>(Int32At(bytes, record + 4)), -230.0f);
    EXPECT_EQ(std::bit_cast<float>(Int32At(bytes, record + 8)), 4.0f);
    EXPECT_EQ(Int32At(bytes, record + 12), 0);
    EXPECT_EQ(Int32At(bytes, record + 16), 0);
    EXPECT_EQ(std::bit_cast<float>(Int32At(bytes, record + 20)), 0.5f);
    EXPECT_EQ(std::bit_cast<float>(Int32At(bytes, record + 24)), -1.0f);
    const std::size_t tone = 1044 + 28 * n;
    EXPECT_EQ(Int32At(bytes, tone), 6);
    EXPECT_EQ(std::bit_cast<float>(Int32At(bytes, tone + 4)), 209.5f);
    EXPECT_EQ(std::bit_cast<float>(Int32At(bytes, tone + 20)), 0.625f);
    EXPECT_EQ(std::bit_cast<float>(Int32At(bytes, tone + 24)), 1.125f);
}

TEST_F(PhonetogramFileTest, SaveThenLoadRestoresPointsTonesBinsAndRate)
{
    CPhonetogram source;
    Start(source);
    Feeder feeder(source, k48k);
    feeder.Background();
    for (int b = 0; b < 30; ++b)
        feeder.Block(Sine(180.0 + b, 0.3));
    source.BuildToneList();
    ASSERT_GT(source.m_pointCount, 20);
    ASSERT_GE(source.m_toneCount, 1);
    const std::filesystem::path path = Path("round.ptg");
    ASSERT_TRUE(source.Save(path));

    CPhonetogram target;
    SetPoints(target, 0.5, Steady([](int) { return 300.0; }));
    target.m_active = 1;
    ASSERT_TRUE(target.Load(path));
    EXPECT_EQ(target.m_active, 0);
    EXPECT_EQ(target.m_pointCount, source.m_pointCount);
    EXPECT_EQ(target.m_toneCount, source.m_toneCount);
    EXPECT_EQ(target.m_bins, 2048);
    EXPECT_EQ(target.m_sampleRate, 48000.0);
    EXPECT_EQ(target.m_writeIndex, source.m_pointCount);
    EXPECT_NEAR(target.m_blockDuration, BlockDuration(k48k), 1e-12);
    for (int i = 0; i < CPhonetogram::kMaxPoints; ++i)
        ASSERT_TRUE(SamePoint(target.m_points[i], source.m_points[i])) << "point " << i;
    for (int i = 0; i < source.m_toneCount; ++i)
        EXPECT_TRUE(SamePoint(target.m_tones[i], source.m_tones[i])) << "tone " << i;
}

// A file made here byte by byte loads into the expected fields, and saving it again gives the same
// bytes.
TEST_F(PhonetogramFileTest, LoadsAHandMadeFileAndSavesItBackUnchanged)
{
    const std::string bytes = HandMadeFile();
    ASSERT_TRUE(testsupport::WriteBytes(Path("hand.ptg"), bytes));
    CPhonetogram phonetogram;
    ASSERT_TRUE(phonetogram.Load(Path("hand.ptg")));
    EXPECT_EQ(phonetogram.m_pointCount, 3);
    EXPECT_EQ(phonetogram.m_toneCount, 1);
    EXPECT_EQ(phonetogram.m_bins, 1024);
    EXPECT_EQ(phonetogram.m_sampleRate, 44100.0);
    EXPECT_EQ(phonetogram.m_points[2].m_pitch, 220.5f);
    EXPECT_EQ(phonetogram.m_points[2].m_level, 0.25f);
    EXPECT_EQ(phonetogram.m_points[2].m_time, 4.5f);
    EXPECT_EQ(phonetogram.m_points[2].m_duration, -1.0f);
    EXPECT_EQ(phonetogram.m_tones[0].m_pitch, 221.0f);
    EXPECT_EQ(phonetogram.m_tones[0].m_duration, 1.125f);

    ASSERT_TRUE(phonetogram.Save(Path("again.ptg")));
    EXPECT_EQ(testsupport::Hex(testsupport::ReadBytes(Path("again.ptg"))), testsupport::Hex(bytes));
}

TEST_F(PhonetogramFileTest, AHeaderWithZeroCountsLoadsAsEmpty)
{
    std::string bytes;
    AppendInt32(bytes, 1024);
    bytes.append(1024, '\0');
    AppendInt32(bytes, 4);
    AppendInt32(bytes, 1);
    AppendInt32(bytes, 4);
    AppendInt32(bytes, 2);
    ASSERT_TRUE(testsupport::WriteBytes(Path("empty.ptg"), bytes));
    CPhonetogram phonetogram;
    SetPoints(phonetogram, 0.125, Steady([](int) { return 220.0; }));
    phonetogram.BuildToneList();
    ASSERT_TRUE(phonetogram.Load(Path("empty.ptg")));
    EXPECT_EQ(phonetogram.m_pointCount, 0);
    EXPECT_EQ(phonetogram.m_toneCount, 0);
    EXPECT_EQ(phonetogram.m_writeIndex, 0);
}

struct CorruptCase
{
    const char* name;
    std::function<void(std::string&)> damage;
};

void PrintTo(const CorruptCase& c, std::ostream* os)
{
    *os << c.name;
}

// Offsets in the hand-made file: three points (1036 .. 1119), tone section at 1120, tone record 1128.
std::vector<CorruptCase> CorruptCases()
{
    const auto cut = [](std::size_t size) { return [size](std::string& b) { b.resize(size); }; };
    const auto putInt = [](std::size_t offset, std::int32_t value)
    { return [=](std::string& b) { PutInt32(b, offset, value); }; };
    return {
        {"emptyFile", cut(0)},
        {"onlyTheHeaderSize", cut(4)},
        {"headerBlockCut", cut(500)},
        {"noSections", cut(1028)},
        {"pointSectionWithoutTag", cut(1032)},
        {"pointRecordCut", cut(1036 + 28 + 10)},
        {"toneSectionMissing", cut(1120)},
        {"lastByteMissing", [](std::string& b) { b.pop_back(); }},
        {"headerBlockLargerThan1024", putInt(0, 2000)},
        {"headerBlockTooShortForTheFields", putInt(0, 16)},
        {"negativeHeaderSize", putInt(0, -4)},
        {"negativePointCount", putInt(8, -1)},
        {"tooManyPoints", putInt(8, 32769)},
        {"hugePointCount", putInt(8, 0x7fffffff)},
        {"morePointsThanStored", putInt(8, 4)},
        {"negativeToneCount", putInt(12, -1)},
        {"tooManyTones", putInt(12, 8193)},
        {"moreTonesThanStored", putInt(12, 2)},
        {"negativeBins", putInt(16, -1)},
        {"sampleRateNotANumber", [](std::string& b) { PutDouble(b, 20, std::nan("")); }},
        {"negativeSampleRate", [](std::string& b) { PutDouble(b, 20, -44100.0); }},
        {"pointWithFiveFields", putInt(1036, 5)},
        {"pointWithSevenFields", putInt(1036 + 56, 7)},
        {"toneWithNoFields", putInt(1128, 0)},
    };
}

class PhonetogramCorruptFileTest : public testsupport::TempHomeTest,
                                   public ::testing::WithParamInterface<CorruptCase>
{
};

TEST_P(PhonetogramCorruptFileTest, IsRefusedAndLeavesThePhonetogramUnchanged)
{
    std::string bytes = HandMadeFile();
    GetParam().damage(bytes);
    const std::filesystem::path path = m_home.File("bad.ptg");
    ASSERT_TRUE(testsupport::WriteBytes(path, bytes));

    CPhonetogram phonetogram;
    SetPoints(phonetogram, 0.125, Steady([](int k) { return 200.0 + k; }));
    phonetogram.BuildToneList();
    phonetogram.m_bins = 2048;
    phonetogram.m_sampleRate = 48000.0;
    const std::vector<CPhonetogramPoint> points(phonetogram.m_points.get(),
                                                phonetogram.m_points.get() + CPhonetogram::kMaxPoints);
    const std::vector<CPhonetogramPoint> tones(phonetogram.m_tones.get(),
                                               phonetogram.m_tones.get() + phonetogram.m_toneCount);

    EXPECT_FALSE(phonetogram.Load(path));
    EXPECT_EQ(phonetogram.m_pointCount, 22);
    EXPECT_EQ(phonetogram.m_writeIndex, 22);
    EXPECT_EQ(phonetogram.m_toneCount, 2);
    EXPECT_EQ(phonetogram.m_bins, 2048);
    EXPECT_EQ(phonetogram.m_sampleRate, 48000.0);
    EXPECT_EQ(phonetogram.m_blockDuration, 0.125);
    for (int i = 0; i < CPhonetogram::kMaxPoints; ++i)
        ASSERT_TRUE(SamePoint(phonetogram.m_points[i], points[i])) << "point " << i;
    for (std::size_t i = 0; i < tones.size(); ++i)
        EXPECT_TRUE(SamePoint(phonetogram.m_tones[i], tones[i])) << "tone " << i;
}

INSTANTIATE_TEST_SUITE_P(Files, PhonetogramCorruptFileTest, ::testing::ValuesIn(CorruptCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PhonetogramFileTest, AMissingFileAFolderOrAnOversizedFileIsRefused)
{
    CPhonetogram phonetogram;
    EXPECT_FALSE(phonetogram.Load(Path("absent.ptg")));
    std::filesystem::create_directories(Path("folder.ptg"));
    EXPECT_FALSE(phonetogram.Load(Path("folder.ptg")));
    // A valid file followed by more bytes than the largest phonetogram (1 147 924 bytes) can hold.
    std::string bytes = HandMadeFile();
    bytes.resize(1147925, '\0');
    ASSERT_TRUE(testsupport::WriteBytes(Path("big.ptg"), bytes));
    EXPECT_FALSE(phonetogram.Load(Path("big.ptg")));
    EXPECT_EQ(phonetogram.m_pointCount, 3);
    EXPECT_EQ(phonetogram.m_toneCount, 0);
}

TEST_F(PhonetogramFileTest, ASaveThatCannotWriteReportsFailureAndKeepsWhatWasThere)
{
    CPhonetogram phonetogram;
    EXPECT_FALSE(phonetogram.Save(Path("missing-folder") / "x.ptg"));
    EXPECT_FALSE(std::filesystem::exists(Path("missing-folder")));
    // A folder in the way cannot be replaced by the file; it stays as it was.
    const std::filesystem::path folder = Path("folder.ptg");
    std::filesystem::create_directories(folder / "inside");
    EXPECT_FALSE(phonetogram.Save(folder));
    EXPECT_TRUE(std::filesystem::is_directory(folder / "inside"));
    // No temporary file is left next to it.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder.parent_path()))
        ++entries;
    EXPECT_EQ(entries, 1);
}

}  // namespace
