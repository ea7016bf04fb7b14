// The conditioning filters of the engine's per-channel chain, fed through ConditionChannels and
// checked against closed-form responses and exact sample shifts.
#include "engine/SoundIn.h"

#include "dsp/FixedEqualizer.h"
#include "dsp/OctaveBandFilter.h"
#include "dsp/WeightingFilters.h"
#include "engine/ChannelConditioning.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <random>
#include <vector>

namespace
{

constexpr double kRate = 48000.0;

class Engine : public CSoundIn
{
public:
    using CSoundIn::ConditionChannels;

    void Open(int channels = 1)
    {
        m_nInputMode = kInputNone;
        m_nSampleRate = static_cast<int>(kRate);
        m_nChannelMode = channels == 2 ? 3 : 0;
        SetFftSize(512);
        ASSERT_EQ(OpenInput(), 0);
    }
    ~Engine() override { StopInput(); }
};

std::vector<float> Sine(int frames, double frequency, double amplitude)
{
    std::vector<float> x(static_cast<std::size_t>(frames));
    for (int i = 0; i < frames; ++i)
        x[static_cast<std::size_t>(i)] =
            static_cast<float>(amplitude * std::sin(2.0 * M_PI * frequency * i / kRate));
    return x;
}

// RMS of the second half (the filters have settled; whole periods for the test frequencies).
double TailRms(const std::vector<float>& x)
{
    double sum = 0.0;
    const std::size_t from = x.size() / 2;
    for (std::size_t i = from; i < x.size(); ++i)
        sum += static_cast<double>(x[i]) * x[i];
    return std::sqrt(sum / static_cast<double>(x.size() - from));
}

CDesignedFilterSettings Designed(double low, double high, int order, int kind = 1)
{
    CDesignedFilterSettings s;
    s.m_bEnabled = 1;
    s.m_dLowCorner = low;
    s.m_dHighCorner = high;
    s.m_nOrder = order;
    s.m_nDesignKind = kind;
    return s;
}

// A channel's designed filters (one or a cascade of two) pass a sine with the gain of their own
// frequency response; a filter that is not enabled does nothing.
TEST(ConditioningFilters, DesignedFiltersFollowTheirResponse)
{
    struct Case
    {
        const char* name;
        CDesignedFilterSettings first, second;
        int secondEnabled;
    };
    const Case cases[] = {
        {"low-pass 1 kHz order 4", Designed(0.0, 1000.0, 4), {}, 0},
        {"high-pass 500 Hz order 2", Designed(500.0, 20000.0, 2), {}, 0},
        {"band-pass 300-3000 Hz", Designed(300.0, 3000.0, 2), {}, 0},
        {"low-pass then high-pass", Designed(0.0, 4000.0, 3), Designed(200.0, 20000.0, 2), 1},
        {"Chebyshev low-pass", Designed(0.0, 2000.0, 4, 2), {}, 0},
    };
    const double frequencies[] = {100.0, 500.0, 1000.0, 2000.0, 4000.0, 8000.0};
    for (const Case& c : cases)
        for (const double f : frequencies)
        {
            Engine engine;
            engine.m_conditioning.m_settings[0].designed[3] = c.first;
            CDesignedFilterSettings second = c.second;
            second.m_bEnabled = c.secondEnabled;
            engine.m_conditioning.m_settings[0].designed[7] = second;
            engine.Open();
            double expected = engine.m_conditioning.GetDesignedFilter(0, 3)->GetResponse(f);
            if (c.secondEnabled)
                expected *= engine.m_conditioning.GetDesignedFilter(0, 7)->GetResponse(f);
            std::vector<float> row = Sine(48000, f, 0.5);
            const double in = TailRms(row);
            // In pieces, as the intake delivers it: the states carry across.
            for (int at = 0; at < 48000; at += 4800)
                engine.ConditionChannels(row.data() + at, 48000, 4800);
            const double gain = TailRms(row) / in;
            EXPECT_NEAR(20.0 * std::log10(gain), 20.0 * std::log10(std::max(expected, 1e-6)), 0.05)
                << c.name << " at " << f;
        }
}

// The channel's biquad at its corner or centre: the closed-form gains of the bilinear designs
// (-3.01 dB at a Butterworth corner, the set gain at a peak's centre, 0 dB far from a peak).
TEST(ConditioningFilters, BiquadGainsAtTheirCorners)
{
    struct Case
    {
        int type;
        double frequency, gainDb, probe, expectedDb;
    };
    const double corner = 10.0 * std::log10(0.5);
    const Case cases[] = {
        {kBiquadLowPass, 2000.0, 0.0, 2000.0, corner}, {kBiquadHighPass, 500.0, 0.0, 500.0, corner},
        {kBiquadPeaking, 1000.0, 6.0, 1000.0, 6.0},    {kBiquadPeaking, 4000.0, -9.0, 4000.0, -9.0},
        {kBiquadPeaking, 8000.0, 6.0, 100.0, 0.0},
    };
    for (const Case& c : cases)
    {
        Engine engine;
        auto& biquad = engine.m_conditioning.m_settings[0].biquad;
        biquad.enabled = 1;
        biquad.type = c.type;
        biquad.frequency = c.frequency;
        biquad.gainDb = c.gainDb;
        engine.Open();
        std::vector<float> row = Sine(48000, c.probe, 0.25);
        const double in = TailRms(row);
        engine.ConditionChannels(row.data(), 48000, 48000);
        EXPECT_NEAR(20.0 * std::log10(TailRms(row) / in), c.expectedDb, 0.02) << c.type << " " << c.frequency;
    }
}

// The fixed equaliser runs on every channel when "equaliser filters" is on, and on none when off.
TEST(ConditioningFilters, FixedEqualizerFollowsItsSwitch)
{
    for (const int on : {0, 1})
    {
        Engine engine;
        engine.m_bEqualizerFilters = on;
        engine.Open(2);
        std::mt19937 random(9);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        std::vector<float> rows(2 * 2048);
        for (float& x : rows)
            x = noise(random);
        std::vector<float> expected = rows;
        if (on)
            for (int c = 0; c < 2; ++c)
            {
                CFixedEqualizer equalizer;
                equalizer.m_bEnabled = 1;
                equalizer.m_nSampleRate = static_cast<int>(kRate);
                equalizer.Process(expected.data() + c * 2048, 2048);
            }
        const std::vector<float> in = rows;
        engine.ConditionChannels(rows.data(), 2048, 2048);
        EXPECT_EQ(rows, expected) << on;
        EXPECT_EQ(rows != in, on == 1);
    }
}

// The delay line shifts the row by exactly its samples, also across pieces and beyond its chunk.
TEST(ConditioningFilters, DelayShiftsByItsSamples)
{
    std::mt19937 random(7);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (const int delay : {1, 37, 1024, 1500, 5000})
    {
        Engine engine;
        engine.m_conditioning.m_settings[0].delaySamples = delay;
        engine.Open();
        std::vector<float> in(12000);
        for (float& x : in)
            x = noise(random);
        std::vector<float> out = in;
        const int pieces[] = {1, 700, 3000, 2299, 6000};
        int at = 0;
        for (const int piece : pieces)
        {
            engine.ConditionChannels(out.data() + at, piece, piece);
            at += piece;
        }
        ASSERT_EQ(at, 12000);
        for (int i = 0; i < 12000; ++i)
            ASSERT_EQ(out[static_cast<std::size_t>(i)],
                      i < delay ? 0.0f : in[static_cast<std::size_t>(i - delay)])
                << delay << " at " << i;
    }
}

// The C-weighted peak follows the closed-form C curve and leaves the row as it is.
TEST(ConditioningFilters, CWeightedPeakFollowsTheCCurve)
{
    const auto cDb = [](double f)
    {
        const double f2 = f * f;
        const double r = 12194.0 * 12194.0 * f2 / ((f2 + 20.6 * 20.6) * (f2 + 12194.0 * 12194.0));
        return 20.0 * std::log10(r) + 0.06;
    };
    // Frequencies with many samples per period, so the sampled peak is near the true one.
    for (const double f : {50.0, 100.0, 1000.0, 2000.0})
    {
        Engine engine;
        engine.Open();
        std::vector<float> row = Sine(48000, f, 0.5);
        const std::vector<float> in = row;
        engine.ConditionChannels(row.data(), 48000, 24000);
        engine.ResetStatistics();  // drop the settling of the filter
        engine.ConditionChannels(row.data() + 24000, 48000, 24000);
        EXPECT_EQ(row, in) << f;
        EXPECT_NEAR(20.0 * std::log10(engine.m_conditioning.m_dCPeak[0] / 0.5), cDb(f), 0.3) << f;
    }
}

// The C-weighted peaks of many channels measured side by side are bit for bit those of a C weighting
// run over each channel alone in the meter's pieces, over blocks of several lengths (the histories
// carry over), with channels left out (null rows) and unprepared channels skipped.
TEST(ConditioningFilters, CPeaksOfManyChannelsEqualEachChannelAlone)
{
    constexpr int kChannels = 13;
    constexpr int kPrepared = 11;
    CChannelConditioning conditioning;
    conditioning.Prepare(kPrepared, 48000);
    std::vector<std::unique_ptr<CCWeightingFilter>> alone;
    std::vector<double> expected(kChannels, 0.0);
    for (int c = 0; c < kChannels; ++c)
    {
        alone.push_back(std::make_unique<CCWeightingFilter>());
        alone.back()->m_nSampleRate = 48000;
    }
    std::mt19937 generator(5);
    std::normal_distribution<float> normal(0.0f, 0.2f);
    for (const int frames : {1024, 7, 513, 2000})
    {
        std::vector<std::vector<float>> rows(kChannels);
        std::vector<const float*> pointers(kChannels, nullptr);
        for (int c = 0; c < kChannels; ++c)
        {
            std::vector<float>& row = rows[static_cast<std::size_t>(c)];
            for (int i = 0; i < frames; ++i)
                row.push_back(normal(generator) * static_cast<float>(c + 1) +
                              static_cast<float>(0.3 * std::sin(0.002 * (c + 1) * i)));
            if (c % 4 == 3)
                continue;  // channel left out of this block
            pointers[static_cast<std::size_t>(c)] = row.data();
            if (c >= kPrepared)
                continue;
            for (int done = 0; done < frames; done += CChannelConditioning::kMeterChunk)
            {
                const int piece = std::min(frames - done, CChannelConditioning::kMeterChunk);
                std::vector<float> copy(row.begin() + done, row.begin() + done + piece);
                alone[static_cast<std::size_t>(c)]->Process(copy.data(), piece);
                for (const float v : copy)
                    expected[static_cast<std::size_t>(c)] =
                        std::max(expected[static_cast<std::size_t>(c)], std::abs(static_cast<double>(v)));
            }
        }
        const std::vector<std::vector<float>> before = rows;
        conditioning.MeasureCPeaks(pointers, frames);
        EXPECT_EQ(rows, before);
        for (int c = 0; c < kChannels; ++c)
            ASSERT_EQ(conditioning.m_dCPeak[static_cast<std::size_t>(c)],
                      expected[static_cast<std::size_t>(c)])
                << "channel " << c << " frames " << frames;
    }
    EXPECT_GT(conditioning.m_dCPeak[10], 1.0);
    EXPECT_EQ(conditioning.m_dCPeak[12], 0.0);
}

// RIAA recording curve: 0 dB at 1 kHz and the closed form of the 3180/318/75 us time constants.
TEST(ConditioningFilters, RiaaFollowsTheRecordingCurve)
{
    const auto playback = [](double f)
    {
        const std::complex<double> s(0.0, 2.0 * M_PI * f);
        return std::abs((1.0 + s * 318e-6) / ((1.0 + s * 3180e-6) * (1.0 + s * 75e-6)));
    };
    const auto recordingDb = [&](double f) { return 20.0 * std::log10(playback(1000.0) / playback(f)); };
    for (const double f : {100.0, 1000.0, 4000.0})
    {
        Engine engine;
        engine.m_conditioning.m_settings[0].riaaEnabled = 1;
        engine.Open();
        std::vector<float> row = Sine(48000, f, 0.1);
        const double in = TailRms(row);
        engine.ConditionChannels(row.data(), 48000, 48000);
        EXPECT_NEAR(20.0 * std::log10(TailRms(row) / in), recordingDb(f), 0.5) << f;
    }
}

// The octave filter gives channels 0 and 1 each their own filter: both rows come out as one
// separate filter run over each would make them.
TEST(ConditioningFilters, OctaveFilterHasItsOwnStatePerChannel)
{
    Engine engine;
    engine.m_conditioning.m_bOctave = 1;
    engine.Open(2);
    engine.m_bChannelEnabled[1] = 1;
    std::mt19937 random(3);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    std::vector<float> rows(2 * 4096);
    for (float& x : rows)
        x = noise(random);
    std::vector<float> expected = rows;
    for (int c = 0; c < 2; ++c)
    {
        COctaveBandFilter filter;
        filter.m_nBand = 5;
        filter.m_nSampleRate = static_cast<int>(kRate);
        filter.Process(expected.data() + c * 4096, 4096);
    }
    const std::vector<float> in = rows;
    engine.ConditionChannels(rows.data(), 4096, 4096);
    EXPECT_EQ(rows, expected);
    EXPECT_NE(rows, in);  // the filter did act
}

}  // namespace
