// The two-sided level calibration: the output channel's volts per full-scale unit, the input
// channel's scale that makes its reading the external voltage (a second "Set" changes nothing), the
// refusals that keep a silent channel from getting an infinite factor, and the calibration file
// that brings both matrices back.
#include "engine/Generator.h"
#include "engine/SoundIn.h"
#include "view/EngineDisplayObjects.h"
#include "view/LevelCalibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <limits>
#include <memory>
#include <vector>

namespace
{

using namespace calibration;

TEST(LevelCalibrationArithmetic, OutputAndInputFactors)
{
    // 100 mV measured while the output plays 0.1 full scale: 1 V per full scale, target 1.
    double factor = 0.0, target = 0.0;
    ASSERT_TRUE(OutputCalibration(ExternalVolts(100.0, true), 0.1, factor, target));
    EXPECT_NEAR(factor, 1.0, 1e-12);
    EXPECT_NEAR(target, 1.0, 1e-12);
    ASSERT_TRUE(OutputCalibration(ExternalVolts(2.0, false), 0.5, factor, target));
    EXPECT_NEAR(factor, 4.0, 1e-12);
    EXPECT_NEAR(target, 0.25, 1e-12);

    struct Case
    {
        double volts, rms, oldScaleDb, expected;
    };
    const Case cases[] = {
        {1.0, 0.1, 0.0, 20.0},
        {0.001, 0.1, 0.0, -40.0},
        // The reading carries the old scale: 0.1 read with +20 dB applied is 0.01 raw.
        {1.0, 0.1, 20.0, 40.0},
        // A second "Set" on a reading that already shows the volts keeps the scale.
        {0.5, 0.5, 13.0, 13.0},
    };
    for (const Case& c : cases)
    {
        double scale = 0.0;
        ASSERT_TRUE(InputScaleDb(c.volts, c.rms, c.oldScaleDb, scale)) << c.volts;
        EXPECT_NEAR(scale, c.expected, 1e-9) << c.volts << " " << c.rms;
    }
}

TEST(LevelCalibrationArithmetic, NothingFromSilenceOrABadVoltage)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& [volts, rms] : std::vector<std::pair<double, double>>{{1.0, 0.0},
                                                                           {1.0, 1e-16},
                                                                           {1.0, nan},
                                                                           {1.0, inf},
                                                                           {0.0, 0.1},
                                                                           {-1.0, 0.1},
                                                                           {nan, 0.1},
                                                                           {inf, 0.1}})
    {
        double factor = 3.0, target = 3.0, scale = 3.0;
        EXPECT_FALSE(OutputCalibration(volts, rms, factor, target)) << volts << " " << rms;
        EXPECT_FALSE(InputScaleDb(volts, rms, 0.0, scale)) << volts << " " << rms;
        EXPECT_EQ(factor, 3.0);
        EXPECT_EQ(target, 3.0);
        EXPECT_EQ(scale, 3.0);
    }
}

class LevelCalibrationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CEngineDisplayObjects& objects = GetEngineDisplayObjects();
        for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
            m_saved->GetChannel(c).CopyFrom(objects.m_channels.GetChannel(c));
        m_file = std::filesystem::path(::testing::TempDir()) / "level-calibration.ini";
        std::filesystem::remove(m_file);
    }
    void TearDown() override
    {
        CEngineDisplayObjects& objects = GetEngineDisplayObjects();
        for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
            objects.m_channels.GetChannel(c).CopyFrom(m_saved->GetChannel(c));
        std::filesystem::remove(m_file);
    }
    // Output channel `channel` plays a constant `level` (full scale 1) for a whole statistics block.
    void Play(int channel, double level)
    {
        COutputLevelStats& stats = m_engine.m_generatorMatrix.m_stats[static_cast<std::size_t>(channel)];
        stats.SetSampleRate(1000.0);
        const std::vector<std::int32_t> block(1000, static_cast<std::int32_t>(level * 2147483648.0));
        stats.AddBlock(block);
    }
    CLevelCalibration Make()
    {
        return CLevelCalibration(m_engine, m_window, GetEngineDisplayObjects(),
                                 [this](int channel, double& rms, double& peak, double& peakToPeak)
                                 {
                                     // The meters read the channel with its present scale applied.
                                     const double scale =
                                         std::pow(10.0, m_window.GetChannel(channel).m_dScaleDb / 20.0);
                                     rms = m_rawRms * scale;
                                     peak = rms * std::sqrt(2.0);
                                     peakToPeak = 2.0 * peak;
                                     return true;
                                 });
    }

    CSoundIn m_engine;
    CInputChannelMatrix m_window;
    std::unique_ptr<CInputChannelMatrix> m_saved = std::make_unique<CInputChannelMatrix>();
    std::filesystem::path m_file;
    double m_rawRms = 0.05;
};

TEST_F(LevelCalibrationTest, OutputSetAndReset)
{
    CLevelCalibration calibration = Make();
    Play(2, 0.1);
    ASSERT_EQ(calibration.SetOutput(2, 100.0, true), CLevelCalibration::kDone);
    const CGenerator_channel_settings& record = m_engine.m_generatorMatrix.m_settings.m_channel[2];
    EXPECT_EQ(record.m_calibrated, 1);
    EXPECT_NEAR(record.m_calibration_factor, 1.0, 1e-6);
    EXPECT_NEAR(record.m_calibrated_target, 1.0, 1e-6);
    EXPECT_NEAR(calibration.OutputReading(2), 0.1, 1e-6) << "the reading in volts";

    // A silent channel and a channel outside 1..64 change nothing.
    EXPECT_EQ(calibration.SetOutput(3, 100.0, true), CLevelCalibration::kNoSignal);
    EXPECT_EQ(m_engine.m_generatorMatrix.m_settings.m_channel[3].m_calibrated, 0);
    EXPECT_EQ(calibration.SetOutput(64, 100.0, true), CLevelCalibration::kNoChannel);
    EXPECT_EQ(calibration.SetOutput(2, 0.0, true), CLevelCalibration::kNoSignal);
    EXPECT_NEAR(record.m_calibration_factor, 1.0, 1e-6);

    ASSERT_EQ(calibration.ResetOutput(2), CLevelCalibration::kDone);
    EXPECT_EQ(record.m_calibrated, 0);
    EXPECT_EQ(record.m_calibration_factor, 1.0);
    EXPECT_EQ(record.m_calibrated_target, 1.0);
}

TEST_F(LevelCalibrationTest, InputSetTwiceKeepsTheScaleAndReachesTheEngine)
{
    CLevelCalibration calibration = Make();
    // 0.05 full scale at the input while 500 mV are measured there: +20 dB.
    ASSERT_EQ(calibration.SetInput(1, 500.0, true), CLevelCalibration::kDone);
    EXPECT_NEAR(m_window.GetChannel(1).m_dScaleDb, 20.0, 1e-9);
    EXPECT_EQ(m_window.GetChannel(1).m_bCalibrated, 1);
    const Cchannel_settings& engineRecord = GetEngineDisplayObjects().m_channels.GetChannel(1);
    EXPECT_NEAR(engineRecord.m_dScaleDb, 20.0, 1e-9);
    EXPECT_EQ(engineRecord.m_bCalibrated, 1);
    EXPECT_NEAR(calibration.InputReading(1), 0.5, 1e-9);

    ASSERT_EQ(calibration.SetInput(1, 0.5, false), CLevelCalibration::kDone);
    EXPECT_NEAR(m_window.GetChannel(1).m_dScaleDb, 20.0, 1e-9) << "the reading already holds the scale";

    m_rawRms = 0.0;
    EXPECT_EQ(calibration.SetInput(1, 1.0, false), CLevelCalibration::kNoSignal);
    EXPECT_NEAR(m_window.GetChannel(1).m_dScaleDb, 20.0, 1e-9);
    EXPECT_TRUE(std::isfinite(engineRecord.m_dScaleDb));
    EXPECT_EQ(calibration.SetInput(-1, 1.0, false), CLevelCalibration::kNoChannel);

    ASSERT_EQ(calibration.ResetInput(1), CLevelCalibration::kDone);
    EXPECT_EQ(m_window.GetChannel(1).m_dScaleDb, 0.0);
    EXPECT_EQ(engineRecord.m_dScaleDb, 0.0);
    EXPECT_EQ(engineRecord.m_bCalibrated, 0);
}

TEST_F(LevelCalibrationTest, TheFileBringsBothSidesBack)
{
    CLevelCalibration calibration = Make();
    EXPECT_FALSE(calibration.Load(m_file)) << "no file: nothing to load";
    Play(0, 0.1);
    ASSERT_EQ(calibration.SetOutput(0, 200.0, true), CLevelCalibration::kDone);
    ASSERT_EQ(calibration.SetInput(5, 50.0, true), CLevelCalibration::kDone);
    ASSERT_TRUE(calibration.Save(m_file));

    ASSERT_EQ(calibration.ResetOutput(0), CLevelCalibration::kDone);
    ASSERT_EQ(calibration.ResetInput(5), CLevelCalibration::kDone);
    ASSERT_TRUE(calibration.Load(m_file));
    const CGenerator_channel_settings& output = m_engine.m_generatorMatrix.m_settings.m_channel[0];
    EXPECT_EQ(output.m_calibrated, 1);
    EXPECT_NEAR(output.m_calibration_factor, 2.0, 1e-6);
    EXPECT_NEAR(GetEngineDisplayObjects().m_channels.GetChannel(5).m_dScaleDb, 0.0, 1e-9);
    EXPECT_NEAR(m_window.GetChannel(5).m_dScaleDb, 0.0, 1e-9) << "the window follows the engine";
    EXPECT_EQ(m_window.GetChannel(5).m_bCalibrated, 1);
}

TEST_F(LevelCalibrationTest, MuteAndFrequencyDriveTheFirstGenerator)
{
    CLevelCalibration calibration = Make();
    CGenerator* generator = m_engine.GetGenerator(CLevelCalibration::kGenerator);
    ASSERT_NE(generator, nullptr);
    int refreshed = 0;
    m_engine.m_generatorLink.m_refreshPanel = [&](int index)
    {
        EXPECT_EQ(index, 0);
        ++refreshed;
    };
    calibration.SetMute(false);
    double frequency = 0.0;
    bool muted = true;
    ASSERT_TRUE(calibration.GeneratorState(frequency, muted));
    EXPECT_FALSE(muted);
    calibration.SetMute(true);
    ASSERT_TRUE(calibration.GeneratorState(frequency, muted));
    EXPECT_TRUE(muted);
    calibration.SetFrequency(440.0);
    ASSERT_TRUE(calibration.GeneratorState(frequency, muted));
    EXPECT_EQ(frequency, 440.0);
    EXPECT_EQ(refreshed, 3);
    calibration.SetFrequency(440.0);
    EXPECT_EQ(refreshed, 3) << "an unchanged frequency is not applied again";
    m_engine.m_generatorLink.m_refreshPanel = nullptr;
}

}  // namespace
