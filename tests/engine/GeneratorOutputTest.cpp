#include "engine/GeneratorOutput.h"

#include "engine/Generator.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace
{

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// Two generators with the same settings: one renders through the output stage, the other gives the
// raw synthesis the output must match.
class GeneratorOutputTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        // Settings commands leave a trace file in the current folder.
        if (m_cwd.empty())
        {
            m_cwd = std::filesystem::current_path();
            std::filesystem::current_path(m_home.Root());
        }
        for (CGenerator* g : {&m_gen, &m_ref})
        {
            g->Init();
            g->m_rebuildWait = std::chrono::milliseconds(0);
            g->m_settings.m_sample_rate = 48000;
            g->m_settings.m_frequency = 997.0;
            g->SetLevel(0.8);
        }
    }

    void Both(const std::function<void(CGenerator&)>& change)
    {
        change(m_gen);
        change(m_ref);
        m_gen.ApplySettings();
        m_ref.ApplySettings();
    }

    std::vector<std::int32_t> Reference(int n)
    {
        std::vector<std::int32_t> x(n);
        m_ref.Synthesize(x.data(), n);
        return x;
    }

    std::vector<std::int32_t> Render32(int frames)
    {
        std::vector<std::int32_t> out(static_cast<std::size_t>(frames) * m_gen.m_channels, 0x5A5A5A5A);
        EXPECT_EQ(m_gen.Render(out.data(), static_cast<int>(out.size() * 4)),
                  static_cast<int>(out.size() * 4));
        return out;
    }

    void TearDown() override { std::filesystem::current_path(m_cwd); }

    std::filesystem::path m_cwd;
    CGenerator m_gen;
    CGenerator m_ref;
};

TEST(GeneratorByteOrder, PermutationsInLexicographicOrder)
{
    EXPECT_EQ(ReorderBytes(0x11223344u, 0), 0x11223344u);
    EXPECT_EQ(ReorderBytes(0x11223344u, 1), 0x22113344u);
    EXPECT_EQ(ReorderBytes(0x11223344u, 23), 0x44332211u);
    // 6 is (1 0 2 3): the two low bytes swap.
    EXPECT_EQ(ReorderBytes(0x11223344u, 6), 0x11224433u);
    std::vector<std::uint32_t> seen;
    for (int order = 0; order < kByteOrderCount; ++order)
    {
        const std::uint32_t v = ReorderBytes(0x11223344u, order);
        for (std::uint32_t s : seen)
            EXPECT_NE(s, v) << "order " << order;
        seen.push_back(v);
    }
    EXPECT_EQ(ReorderBytes(0x11223344u, 24), 0x11223344u);
    EXPECT_EQ(ReorderBytes(0x11223344u, -1), 0x11223344u);
}

TEST(GeneratorSoftClip, FollowsTheSineTableAndSaturates)
{
    for (double x : {0.0, 0.001, 0.25, 0.5, 1.0, 1.3, 1.5, 1.5705})
    {
        const double expected = std::sin(x) * 32735232.0 / 33554432.0;
        EXPECT_NEAR(SoftClip(x), expected, 2e-7) << x;
        EXPECT_DOUBLE_EQ(SoftClip(-x), -SoftClip(x)) << x;
    }
    EXPECT_DOUBLE_EQ(SoftClip(std::numbers::pi / 2), 0.9999);
    EXPECT_DOUBLE_EQ(SoftClip(-10.0), -0.9999);
    EXPECT_EQ(SoftClip(std::nan("")), 0.0);
}

TEST(GeneratorSoftClip, DistortionKeepsTheAmplitudeAndNeverMakesNaN)
{
    const double amplitude = 1000.0;
    const double drive = 1.2;
    std::vector<float> block = {0.0f, 500.0f, -1000.0f, 1000.0f};
    ApplyDistortion(block.data(), 4, amplitude, drive);
    const double c = SoftClip(drive);
    EXPECT_FLOAT_EQ(block[0], 0.0f);
    EXPECT_NEAR(block[1], SoftClip(0.5 * drive) * amplitude * 0.999 / c, 1e-3);
    EXPECT_NEAR(block[3], amplitude * 0.999, 1e-3);
    EXPECT_NEAR(block[2], -amplitude * 0.999, 1e-3);
    std::vector<float> silent = {0.0f, 0.0f};
    ApplyDistortion(silent.data(), 2, 0.0, drive);  // output off: no amplitude
    EXPECT_EQ(silent[0], 0.0f);
    EXPECT_EQ(silent[1], 0.0f);
}

TEST_F(GeneratorOutputTest, ThirtyTwoBitOutputKeepsTheSignificantBits)
{
    for (int bits : {24, 32, 16})
    {
        SetUp();
        Both([&](CGenerator& g) { g.m_32bitOutput = 1; });
        m_gen.m_significantBits = bits;
        const auto out = Render32(3000);
        const auto ref = Reference(3000);
        const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (0xFFFFFFFFu << (32 - bits));
        for (int i = 0; i < 3000; ++i)
        {
            ASSERT_EQ(static_cast<std::uint32_t>(out[2 * i]), static_cast<std::uint32_t>(ref[i]) & mask)
                << bits << " bits, frame " << i;
            ASSERT_EQ(out[2 * i + 1], out[2 * i]);
            if (bits == 24)
            {
                ASSERT_EQ(out[2 * i] & 0xFF, 0);
            }
        }
    }
}

TEST_F(GeneratorOutputTest, ByteOrderReordersEveryWord)
{
    Both([&](CGenerator& g) { g.m_32bitOutput = 1; });
    m_gen.m_significantBits = 32;
    m_gen.m_byteOrder = 23;
    const auto out = Render32(1000);
    const auto ref = Reference(1000);
    for (int i = 0; i < 1000; ++i)
        ASSERT_EQ(static_cast<std::uint32_t>(out[2 * i]),
                  __builtin_bswap32(static_cast<std::uint32_t>(ref[i])));
}

TEST_F(GeneratorOutputTest, SixteenBitOutputIsTheHighHalfWithBalance)
{
    Both([](CGenerator& g) { g.m_settings.m_balance = -0.5; });
    std::vector<std::int16_t> out(2 * 5000, 0x7777);
    EXPECT_EQ(m_gen.Render(out.data(), static_cast<int>(out.size() * 2)), static_cast<int>(out.size() * 2));
    const auto ref = Reference(5000);
    for (int i = 0; i < 5000; ++i)
    {
        const std::int32_t x = ref[i] >> 16;
        ASSERT_EQ(out[2 * i], x);
        ASSERT_EQ(out[2 * i + 1], static_cast<std::int16_t>(x * 0.5));
    }
}

TEST_F(GeneratorOutputTest, DelayHoldsChannelTwoBackAndStartsSilent)
{
    Both([](CGenerator& g) { g.m_settings.m_delay = 100; });
    std::vector<std::int32_t> out;
    Both([&](CGenerator& g) { g.m_32bitOutput = 1; });
    m_gen.m_significantBits = 32;
    for (int block : {70, 130, 1000})  // block edges before, at and after the delay
    {
        const auto part = Render32(block);
        out.insert(out.end(), part.begin(), part.end());
    }
    const int frames = static_cast<int>(out.size() / 2);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(out[2 * i + 1], 0) << i;
    for (int i = 100; i < frames; ++i)
        ASSERT_EQ(out[2 * i + 1], out[2 * (i - 100)]) << i;
}

TEST_F(GeneratorOutputTest, EffectsOnChannelOneOnlyLeaveChannelTwoClean)
{
    Both([](CGenerator& g) { g.m_settings.m_effects_ch1_only = 1; });
    m_gen.m_settings.m_distortion_on = 1;
    m_gen.m_settings.m_distortion_drive = 3.0;
    std::vector<std::int16_t> out(2 * 4000);
    m_gen.Render(out.data(), static_cast<int>(out.size() * 2));
    const auto ref = Reference(4000);
    int differing = 0;
    for (int i = 0; i < 4000; ++i)
    {
        ASSERT_EQ(out[2 * i + 1], ref[i] >> 16) << i;
        differing += out[2 * i] != out[2 * i + 1];
    }
    EXPECT_GT(differing, 2000) << "channel 1 must carry the distorted signal";
}

TEST_F(GeneratorOutputTest, HighResolutionRecordGivesThirtyTwoBitSamples)
{
    // The settings command carries the output format: with 32-bit samples on, the block holds whole
    // 32-bit words of the synthesis, not 16-bit samples.
    CSigGen_settings r = m_gen.m_settings;
    r.m_flags = 0;
    r.m_32bit = 1;
    r.m_bits = 32;
    r.m_filter.m_bEnabled = 0;  // the record also switches the free filter
    m_gen.ApplySettingsCommand(r);
    m_ref.SetSettings(r);
    m_ref.ApplySettings();
    ASSERT_EQ(m_gen.m_32bitOutput, 1);
    const auto out = Render32(2000);
    const auto ref = Reference(2000);
    for (int i = 0; i < 2000; ++i)
        ASSERT_EQ(out[2 * i], ref[i]) << i;
    CSigGen_settings back;
    m_gen.GetSettings(back);
    EXPECT_EQ(back.m_32bit, 1);
    EXPECT_EQ(back.m_bits, 32);
}

TEST_F(GeneratorOutputTest, NotReadyOrOversizedRendersLeaveTheBufferAlone)
{
    CGenerator fresh;  // never initialised: not ready
    std::vector<std::int16_t> buffer(64, 0x1234);
    EXPECT_EQ(fresh.Render(buffer.data(), 128), 128);
    for (auto v : buffer)
        EXPECT_EQ(v, 0x1234);

    RecordingNotifications notes;
    m_gen.SetNotifications(&notes);
    std::vector<std::int16_t> big(CGenerator::kRender16MaxSamples + 1, 0x1234);
    m_gen.Render16(big.data(), static_cast<int>(big.size()));
    ASSERT_EQ(notes.messages.size(), 1u);
    EXPECT_EQ(notes.messages[0], "internal error #57");
    EXPECT_EQ(big.front(), 0x1234);
    m_gen.Render16(big.data(), 100);
    EXPECT_EQ(m_gen.m_fullScale, 32767.0);
    const auto ref = Reference(100);
    for (int i = 0; i < 100; ++i)
        ASSERT_EQ(big[i], ref[i] >> 16);
}

TEST_F(GeneratorOutputTest, StatisticsMatchADirectComputation)
{
    m_gen.m_statisticsWindow = 1000;
    m_gen.ResetStatistics();
    m_gen.m_fullScale = 100.0;
    std::vector<float> block(1500);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<float>(((i * 37) % 101) - 40);
    m_gen.UpdateStatistics(block.data(), 1500);
    double sum = 0, peak = 0, lo = 1e9, hi = -1e9;
    for (int i = 0; i < 1000; ++i)
    {
        sum += double(block[i]) * block[i];
        peak = std::max(peak, std::fabs(double(block[i])));
        lo = std::min(lo, double(block[i]));
        hi = std::max(hi, double(block[i]));
    }
    EXPECT_DOUBLE_EQ(m_gen.m_windowRms, std::sqrt(sum / 1000) / 100.0);
    EXPECT_DOUBLE_EQ(m_gen.m_windowPeak, peak / 100.0);
    EXPECT_DOUBLE_EQ(m_gen.m_windowMin, lo / 100.0);
    EXPECT_DOUBLE_EQ(m_gen.m_windowMax, hi / 100.0);
    EXPECT_DOUBLE_EQ(m_gen.m_windowCrest, peak / std::sqrt(sum / 1000));
    double blockSum = 0, blockPeak = 0;
    for (float x : block)
    {
        blockSum += double(x) * x;
        blockPeak = std::max(blockPeak, std::fabs(double(x)));
    }
    EXPECT_DOUBLE_EQ(m_gen.m_blockRms, std::sqrt(blockSum / 1500));
    EXPECT_DOUBLE_EQ(m_gen.m_blockPeak, blockPeak);
}

TEST_F(GeneratorOutputTest, CrestFactorSearch)
{
    m_gen.m_settings.m_output_on = 0;  // the search switches its own copy on
    EXPECT_EQ(m_gen.AdjustCrestFactor(1.0), -1.0);
    EXPECT_EQ(m_gen.AdjustCrestFactor(0.5), -1.0);
    // A sine's crest factor is sqrt(2): any higher target cannot be reached by clipping.
    EXPECT_NEAR(m_gen.AdjustCrestFactor(2.0), -std::sqrt(2.0), 0.01);
    const double drive = m_gen.AdjustCrestFactor(1.25);
    ASSERT_GT(drive, 0.0);
    m_gen.m_settings.m_distortion_on = 1;
    m_gen.m_settings.m_distortion_drive = drive;
    m_gen.m_settings.m_output_on = 1;
    m_gen.m_statisticsWindow = 8190;
    m_gen.ResetStatistics();
    std::vector<std::int16_t> out(2 * 8192);
    m_gen.Render(out.data(), static_cast<int>(out.size() * 2));
    EXPECT_NEAR(m_gen.m_windowCrest, 1.25, 0.06);
    EXPECT_EQ(m_gen.m_settings.m_output_on, 1);
}

class GeneratorCommandTest : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        m_cwd = std::filesystem::current_path();
        std::filesystem::create_directories(m_home.Root() / "cwd");
        std::filesystem::current_path(m_home.Root() / "cwd");
        m_gen.Init();
        m_gen.m_rebuildWait = std::chrono::milliseconds(0);
    }
    void TearDown() override { std::filesystem::current_path(m_cwd); }

    std::filesystem::path m_cwd;
    CGenerator m_gen;
};

TEST_F(GeneratorCommandTest, EveryCommandTakesItsFields)
{
    CSigGen_settings r;
    r.m_frequency = 1234.5;
    r.m_mode = kGenModeTriangular;
    r.m_output_on = 1;
    r.m_level = 0.25;
    r.m_attenuator = {1, 1, 1, 1, 1, 1, 1};
    r.m_mls_length = 4095;
    r.m_chirp_length = 4096;
    r.m_sweep_start = 300.0;
    r.m_sweep_stop = 9000.0;
    r.m_chirp_type = 1;
    r.m_delay = 77;
    r.m_32bit = 1;
    r.m_bits = 24;

    struct Case
    {
        int command;
        bool frequency, mode, output, level, attenuators, mls, chirp, whole;
    };
    const Case cases[] = {
        {0, true, true, true, true, true, true, false, true},
        {1, true, true, true, false, false, false, false, false},
        {2, false, true, true, true, true, false, false, false},
        {3, false, true, false, false, false, true, false, false},
        {4, false, false, true, true, true, false, false, false},
        {5, true, false, false, false, false, false, false, false},
        {6, false, true, false, false, false, false, false, false},
        {7, false, false, true, false, false, false, false, false},
        {8, false, false, false, false, false, false, true, false},
        {9, false, false, false, false, false, false, false, false},
        {100, false, false, false, false, false, false, false, false},
        {1024 + 5, true, false, false, false, false, false, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.command);
        m_gen.Init();
        const CSigGen_settings before = m_gen.m_settings;
        r.m_flags = c.command;
        m_gen.ApplySettingsCommand(r);
        const CSigGen_settings& s = m_gen.m_settings;
        EXPECT_EQ(s.m_frequency, c.frequency ? r.m_frequency : before.m_frequency);
        if (c.command == 8)
            EXPECT_EQ(s.m_mode, kGenModeSweep);
        else
            EXPECT_EQ(s.m_mode, c.mode ? r.m_mode : before.m_mode);
        EXPECT_EQ(s.m_output_on, c.output ? r.m_output_on : before.m_output_on);
        EXPECT_EQ(s.m_level, c.level ? r.m_level : before.m_level);
        for (int i = 0; i < kSigGenAttenuatorCount; ++i)
        {
            // The -1 and -2 dB switches follow only a whole record.
            const bool taken = c.attenuators && (i >= 2 || c.whole);
            EXPECT_EQ(s.m_attenuator[i], taken ? r.m_attenuator[i] : before.m_attenuator[i]) << i;
        }
        EXPECT_EQ(s.m_mls_length, c.mls ? r.m_mls_length : before.m_mls_length);
        EXPECT_EQ(s.m_chirp_length, c.chirp || c.whole ? r.m_chirp_length : before.m_chirp_length);
        EXPECT_EQ(s.m_sweep_start, c.chirp || c.whole ? r.m_sweep_start : before.m_sweep_start);
        EXPECT_EQ(s.m_sweep_stop, c.chirp || c.whole ? r.m_sweep_stop : before.m_sweep_stop);
        EXPECT_EQ(s.m_chirp_on, c.chirp ? 1 : before.m_chirp_on);
        EXPECT_EQ(s.m_chirp_type, c.chirp ? 0 : (c.whole ? r.m_chirp_type : before.m_chirp_type));
        EXPECT_EQ(s.m_delay, c.whole ? r.m_delay : before.m_delay);
        EXPECT_EQ(m_gen.m_32bitOutput, c.whole ? 1 : 0);
        EXPECT_EQ(m_gen.m_significantBits, c.whole ? 24 : 16);
    }
}

TEST_F(GeneratorCommandTest, TheTraceFileRecordsTheCommandInTheConfigurationFolder)
{
    testsupport::TempHome home;
    CSigGen_settings r;
    r.m_flags = 1024 + 5;
    r.m_frequency = 440.0;
    r.m_sample_rate = 48000;
    r.m_mode = 0;
    r.m_output_on = 1;
    r.m_level = 0.5;
    r.m_mls_length = 1023;
    r.SetWavefileName("a.wav");
    m_gen.ApplySettingsCommand(r);
    std::ifstream trace(home.ConfigHome() / "Tessarin" / "SigGenSetting");
    std::stringstream text;
    text << trace.rdbuf();
    EXPECT_EQ(text.str(),
              "Flag=$405 1029\nFrequency=4.400000e+02\nSample rate=4.800000e+04\nMode=0\nMute=1\n"
              "Volume=0.500000\nMLS length=1023\nm_wavefile_name=a.wav\n");
}

}  // namespace
