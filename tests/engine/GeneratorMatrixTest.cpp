#include "engine/GeneratorMatrix.h"

#include "engine/Generator.h"
#include "platform/Archive.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <random>
#include <vector>

namespace
{

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

// One step of a channel sum: truncated toward zero and held to the int32 range at every step.
std::int64_t Add(std::int64_t sum, double x)
{
    return std::clamp<std::int64_t>(static_cast<std::int64_t>(sum + x), kMin, kMax);
}

TEST(GeneratorMatrixMix, TenGeneratorsToSixtyFourOutputs)
{
    constexpr int kGenerators = 11;
    constexpr int kFrames = 257;
    constexpr int kC = 2;
    std::mt19937 random(7);
    std::uniform_int_distribution<std::int32_t> sample(-100000000, 100000000);
    std::vector<std::vector<std::int32_t>> blocks(kGenerators, std::vector<std::int32_t>(kFrames * kC));
    for (auto& b : blocks)
        for (auto& x : b)
            x = sample(random);
    std::vector<const std::int32_t*> renders(kGenerators);
    for (int g = 0; g < kGenerators; ++g)
        renders[g] = blocks[g].data();
    renders[7] = nullptr;  // output off: not rendered

    CGeneratorMatrix matrix;
    matrix.SetSampleRate(48000);
    // Gains that are exact in binary, so the expected sums can be formed independently.
    const double gains[] = {1.0, 0.5, 0.25, 2.0, 0.125};
    for (int k = 0; k < kGeneratorOutputChannels; ++k)
    {
        auto& r = matrix.m_settings.m_channel[k];
        r.m_scale = gains[k % 5];
        r.m_active = k % 9 != 4;  // some channels muted
        r.m_count_a = k % 4;
        for (int i = 0; i < r.m_count_a; ++i)
            r.m_generators_a[i] = (k + 3 * i) % 10;
        r.m_count_b = (k / 4) % 3;
        for (int i = 0; i < r.m_count_b; ++i)
            r.m_generators_b[i] = (k * 7 + i) % 10;
        r.m_test_generator = k == 63 ? 1 : 0;
    }
    matrix.m_settings.m_channel[5].m_count_a = 1000;  // damaged count: held to the list size
    matrix.m_settings.m_channel[5].m_generators_a.fill(3);
    matrix.m_settings.m_channel[6].m_generators_a[0] = 9999;  // not a generator

    std::vector<std::int32_t> out(kGeneratorOutputChannels * kFrames, 0x13579BDF);
    matrix.MixGenerators(out, kGeneratorOutputChannels, kFrames, renders, kC);

    for (int k = 0; k < kGeneratorOutputChannels; ++k)
    {
        const auto& r = matrix.m_settings.m_channel[k];
        for (int n = 0; n < kFrames; ++n)
        {
            std::int64_t expected = 0;
            if (r.m_active && r.m_test_generator)
                expected = blocks[10][n * kC];
            else if (r.m_active)
            {
                const int countA = std::min<int>(r.m_count_a, 256);
                for (int i = 0; i < countA; ++i)
                {
                    const int g = r.m_generators_a[i];
                    if (g < 10 && g != 7)
                        expected = Add(expected, blocks[g][n * kC] * gains[k % 5]);
                }
                for (int i = 0; i < r.m_count_b; ++i)
                {
                    const int g = r.m_generators_b[i];
                    if (g != 7)
                        expected = Add(expected, blocks[g][n * kC + 1] * gains[k % 5]);
                }
            }
            ASSERT_EQ(out[k * kFrames + n], expected) << "channel " << k << " frame " << n;
        }
    }
}

TEST(GeneratorMatrixMix, SumsSaturateAndTwiceListedAddsTwice)
{
    std::vector<std::int32_t> a = {kMax - 10, kMin + 10, 1000, 0};  // one channel per frame
    std::vector<std::int32_t> b = {100, -100, 3, 0};
    const std::int32_t* renders[] = {a.data(), b.data()};
    CGeneratorMatrix matrix;
    auto& r = matrix.m_settings.m_channel[0];
    r.m_count_a = 3;
    r.m_generators_a = {};
    r.m_generators_a[0] = 0;
    r.m_generators_a[1] = 1;
    r.m_generators_a[2] = 1;
    r.m_count_b = 1;  // asks for a second channel the renders do not have
    std::vector<std::int32_t> out(4, 99);
    matrix.MixGenerators(out, 1, 4, renders, 1);
    EXPECT_EQ(out, (std::vector<std::int32_t>{kMax, kMin, 1006, 0}));

    // The global level multiplies every mixed channel.
    matrix.m_global_level_db = -20.0;
    r.m_count_a = 1;
    r.m_count_b = 0;
    matrix.MixGenerators(out, 1, 4, renders, 1);
    EXPECT_EQ(out[2], 100);
}

TEST(GeneratorMatrixCoupling, RatioAndOffset)
{
    struct Case
    {
        int mode;
        double otherStart;
        double masterNew;
        double otherExpected;
    };
    const Case cases[] = {
        {CGeneratorMatrix::kCouplingRatio, 1500.0, 2000.0, 3000.0},
        {CGeneratorMatrix::kCouplingOffset, 1500.0, 2000.0, 2500.0},
        // 0 Hz, which the generator holds at its lowest frequency.
        {CGeneratorMatrix::kCouplingOffset, 100.0, 500.0, kGenMinFrequency},
        {CGeneratorMatrix::kCouplingRatio, 1500.0, 500.0, 750.0},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.mode);
        CGenerator g[3];
        CGeneratorMatrix matrix;
        for (int i = 0; i < 3; ++i)
        {
            g[i].Init();
            matrix.m_generators[i] = &g[i];
        }
        matrix.m_generator_count = 3;
        g[0].m_settings.m_frequency = 1000.0;
        g[1].m_settings.m_frequency = c.otherStart;
        g[2].m_settings.m_frequency = 2 * c.otherStart;
        int refreshed = 0;
        matrix.m_refreshFrequency = [&](int) { ++refreshed; };
        matrix.m_coupling = c.mode;
        matrix.SelectMasterChannel(0);
        EXPECT_EQ(matrix.m_master_frequency, 1000.0);
        matrix.CoupleFrequencies();
        EXPECT_EQ(refreshed, 0) << "an unmoved master changes nothing";
        g[0].m_settings.m_frequency = c.masterNew;
        matrix.CoupleFrequencies();
        EXPECT_DOUBLE_EQ(g[1].m_settings.m_frequency, c.otherExpected);
        EXPECT_EQ(g[0].m_settings.m_frequency, c.masterNew);
        EXPECT_EQ(refreshed, 3);
        EXPECT_EQ(matrix.m_master_frequency, c.masterNew);
        matrix.m_coupling = CGeneratorMatrix::kCouplingNone;
        g[0].m_settings.m_frequency = 7000.0;
        matrix.CoupleFrequencies();
        EXPECT_DOUBLE_EQ(g[1].m_settings.m_frequency, c.otherExpected);
    }
}

TEST(GeneratorMatrixLevels, CalibratedChannelLevelAndReaders)
{
    CGenerator first;
    first.Init();
    CGeneratorMatrix matrix;
    matrix.m_generators[0] = &first;
    matrix.m_global_level_db = 4.0;
    auto& r = matrix.m_settings.m_channel[3];
    r.m_calibrated = 1;
    r.m_calibration_factor = 2.0;
    r.m_scale_db = 10.0;
    r.m_pre_scale_db = 6.0;
    r.m_scale = 2.0;
    r.m_pre_scale = 0.5;
    matrix.SetChannelLevels(1.0);
    // (1 / 2 / 2) / (10^(20 dB / 20) x 2 x 0.5 x 0.35355339)
    EXPECT_NEAR(r.m_level_factor, 0.25 / 3.5355339, 1e-12);
    EXPECT_EQ(matrix.m_settings.m_channel[2].m_level_factor, 1.0);
    EXPECT_EQ(first.m_settings.m_level, 0.5);
    EXPECT_EQ(first.m_settings.m_output_on, 1);

    matrix.SetSampleRate(100);  // blocks of 50 samples
    std::vector<std::int32_t> block(51, 1 << 30);
    matrix.m_stats[3].AddBlock(block);
    EXPECT_DOUBLE_EQ(matrix.GetOutputRms(3), 0.5);
    EXPECT_DOUBLE_EQ(matrix.GetOutputRmsCalibrated(3), 1.0);
    for (int channel : {-1, 64, 1000})
    {
        EXPECT_EQ(matrix.GetOutputRms(channel), 0.0);
        EXPECT_EQ(matrix.GetOutputRmsCalibrated(channel), 0.0);
    }
}

TEST(GeneratorMatrixSerialize, SixValuesLittleEndian)
{
    CGeneratorMatrix matrix;
    matrix.m_master_level = 1.0;
    matrix.m_master_frequency = 2.0;
    matrix.m_coupling = 1;
    matrix.m_master_index = 2;
    matrix.m_generator_count = 10;
    CArchive store;
    matrix.Serialize(store);
    const std::vector<std::uint8_t> expected = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F, 0, 0, 0, 0, 0,  0, 0, 0x40,
                                                1, 0, 0, 0, 0, 0, 0,    0,    2, 0, 0, 0, 10, 0, 0, 0};
    EXPECT_EQ(store.Buffer(), expected);

    CGenerator g[3];
    CGeneratorMatrix loaded;
    for (int i = 0; i < 3; ++i)
    {
        g[i].Init();
        g[i].m_settings.m_frequency = 100.0 * (i + 1);
        loaded.m_generators[i] = &g[i];
    }
    CArchive load(expected);
    loaded.Serialize(load);
    EXPECT_EQ(loaded.m_coupling, 1);
    EXPECT_EQ(loaded.m_generator_count, 10);
    // Coupled: the master is selected again from the running generators.
    EXPECT_EQ(loaded.m_master_frequency, 300.0);
    EXPECT_EQ(loaded.m_frequency[1], 200.0);

    const std::span<const std::uint8_t> head(expected.data(), 20);
    CArchive shortLoad(head);
    EXPECT_THROW(loaded.Serialize(shortLoad), platform::ArchiveError);
}

TEST(OutputLevelStats, HalfSecondBlocksAgainstADirectComputation)
{
    COutputLevelStats stats;
    std::vector<std::int32_t> square(30000);
    for (std::size_t i = 0; i < square.size(); ++i)
        square[i] = (i / 48) % 2 ? kMin : kMax;
    stats.AddBlock(square);
    EXPECT_EQ(stats.GetRms(), 0.0) << "no rate yet: ignored";

    stats.SetSampleRate(48000);
    stats.AddBlock(std::span(square).first(24000));
    EXPECT_EQ(stats.GetRms(), 0.0) << "the first block is not complete yet";
    stats.AddBlock(std::span(square).subspan(24000, 1));
    EXPECT_NEAR(stats.GetRms(), 1.0, 1e-9);
    EXPECT_NEAR(stats.GetPeak(), 1.0, 1e-9);
    EXPECT_NEAR(stats.GetMax(), 1.0, 1e-9);
    EXPECT_EQ(stats.GetMin(), -1.0);

    // Random samples: the published block holds samples 1 .. 24000 of the run.
    std::mt19937 random(3);
    std::uniform_int_distribution<std::int32_t> dist(-1000000000, 700000000);
    std::vector<std::int32_t> x(48001);
    for (auto& v : x)
        v = dist(random);
    stats.SetSampleRate(48000);
    stats.AddBlock(std::span(x).first(24001));
    double sum = 0.0, lo = 1e300, hi = -1e300;
    for (int i = 1; i <= 24000; ++i)
    {
        sum += double(x[i]) * x[i];
        lo = std::min(lo, double(x[i]));
        hi = std::max(hi, double(x[i]));
    }
    EXPECT_NEAR(stats.GetRms(), std::sqrt(sum / 24000) / 2147483648.0, 1e-12);
    EXPECT_DOUBLE_EQ(stats.GetMin(), lo / 2147483648.0);
    EXPECT_DOUBLE_EQ(stats.GetMax(), hi / 2147483648.0);
    EXPECT_DOUBLE_EQ(stats.GetPeak(), std::max(hi, -lo) / 2147483648.0);
    // The next publication comes 24000 samples later.
    const double first = stats.GetRms();
    stats.AddBlock(std::span(x).subspan(24001, 23999));
    EXPECT_EQ(stats.GetRms(), first);
    stats.AddBlock(std::span(x).subspan(48000, 1));
    EXPECT_NE(stats.GetRms(), first);
}

}  // namespace
