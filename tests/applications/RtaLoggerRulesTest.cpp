// The window-free rules of the analyser and logger commands: the check marks of the RTA and speed
// items, the memory limit of a run, what "Start" takes over, and a data set saved whole or not at all.
#include "applications/RtaLoggerRules.h"

#include "applications/LevelLogger.h"
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "tests/applications/LoggerTestSupport.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>

#include <cmath>
#include <iterator>

namespace
{

TEST(RtaLoggerRulesTest, CheckMarksFollowTheRtaStateAndTheSpeed)
{
    struct Case
    {
        int barGraph, bands, loudness;
        bool octave, third, nth;
    };
    const Case cases[] = {
        {0, 0, 0, false, false, false}, {1, 1, 0, true, false, false}, {1, 3, 0, false, true, false},
        {1, 3, 1, false, false, false}, {1, 6, 0, false, false, true}, {1, 12, 0, false, false, true},
        {0, 3, 0, false, false, false},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(std::to_string(c.barGraph) + "/" + std::to_string(c.bands) + "/" +
                     std::to_string(c.loudness));
        CViewSettings settings;
        settings.m_bBarGraph = c.barGraph;
        settings.m_nBandsPerOctave = c.bands;
        settings.m_bSpecificLoudness = c.loudness;
        EXPECT_EQ(IsRtaItemChecked(settings, rta_command::kOctaveRta), c.octave);
        EXPECT_EQ(IsRtaItemChecked(settings, rta_command::kThirdOctaveRta), c.third);
        EXPECT_EQ(IsRtaItemChecked(settings, rta_command::kNthOctaveRta), c.nth);
    }
    // Each speed shows its mark for its own code only.
    const std::pair<int, int> speeds[] = {{33065, 1}, {33067, 2}, {33066, 3},
                                          {33092, 4}, {33068, 6}, {33069, 7}};
    for (const auto& [id, code] : speeds)
    {
        EXPECT_EQ(RtaSpeedCode(id), code);
        CViewSettings settings;
        settings.m_nTimeWeighting = code;
        for (const auto& [other, otherCode] : speeds)
            EXPECT_EQ(IsRtaItemChecked(settings, other), other == id) << id << " " << other;
    }
    EXPECT_EQ(RtaSpeedCode(33073), 0);
}

TEST(RtaLoggerRulesTest, ARunNeedingMoreThan1000MegabytesIsRefused)
{
    // Three wideband records and 31 third-octave bands: 34 records of 56 bytes, 1904 bytes a block.
    CLevelLogger logger;
    logger.m_startWriterThread = false;
    logger.m_widebandCount = 3;
    std::vector<double> centres;
    for (int b = 0; b < 31; ++b)
        centres.push_back(20.0 * std::pow(2.0, b / 3.0));
    logger.SetBandConfiguration(44100.0, 20.0, 20000.0, 3, centres);
    ASSERT_EQ(logger.GetLoggedBandCount(), 31);
    struct Case
    {
        std::int64_t blocks;
        bool refused;
    };
    for (const Case c : {Case{10'000'000, true}, Case{500'000, false}, Case{1, false}})
    {
        logger.m_plannedBlocks = c.blocks;
        EXPECT_EQ(logger.GetRequiredMemory(), c.blocks * 1904);
        EXPECT_EQ(ExceedsLoggerMemory(logger.GetRequiredMemory()), c.refused) << c.blocks;
    }
    // 1000 MB itself passes; one byte more does not.
    EXPECT_FALSE(ExceedsLoggerMemory(1'000'000'000));
    EXPECT_TRUE(ExceedsLoggerMemory(1'000'000'001));
    const std::string message = LoggerMemoryMessage(0.125);
    EXPECT_EQ(
        message.rfind("Der Speicherbedarf beträgt mehr als 1GB!\nBitte vergrößern Sie das Messintervall "
                      "(aktuell 0.125000s).",
                      0),
        0u)
        << message;
}

TEST(RtaLoggerRulesTest, StartTakesTheLevelMonitorTimesAndTheCalibrationOffsetOnlyWhenCalibrated)
{
    CSoundIn engine;
    engine.m_dLevelShortTime = 0.25;
    engine.m_nLevelHistoryLength = 4321;
    engine.m_fCalibrationOffset = 12.5f;
    for (const int calibrated : {0, 1})
    {
        CLevelLogger_settings logger;
        logger.m_calibrationOffset = 99.0;
        engine.m_bCalibration = calibrated;
        CopyLoggerStartSettings(logger, engine);
        EXPECT_DOUBLE_EQ(logger.m_interval, 0.25);
        EXPECT_DOUBLE_EQ(logger.m_fastInterval, 0.25);
        EXPECT_EQ(logger.m_plannedBlocks, 4321);
        EXPECT_DOUBLE_EQ(logger.m_calibrationOffset, calibrated ? 12.5 : 0.0);
    }
}

class SaveDataSetTest : public testsupport::TempHomeTest
{
protected:
    // A stopped synthetic run of `blocks` blocks.
    void Run(CLevelLogger& logger, int blocks)
    {
        loggertest::SetUpSynthetic(logger, m_clock);
        logger.m_journalOn = false;
        logger.m_plannedBlocks = blocks;
        ASSERT_TRUE(logger.AllocateBlocks());
        ASSERT_TRUE(logger.Start());
        std::vector<CLevelRecord> scratch;
        for (int b = 0; b < blocks; ++b)
            loggertest::FeedSyntheticBlock(logger, b, scratch);
        logger.Stop();
    }
    loggertest::TestClock m_clock;
};

TEST_F(SaveDataSetTest, ASaveReplacesTheOldSetWholeAndAFailedOneLeavesItAsItWas)
{
    const std::filesystem::path folder = m_home.File("logs");
    std::filesystem::create_directories(folder);
    const std::string path = (folder / "run.ini").string();
    CLevelLogger longRun;
    Run(longRun, 12);
    ASSERT_TRUE(SaveLoggerDataSet(longRun, path));
    // A shorter run over it: no block of the longer one stays behind in the file.
    CLevelLogger shortRun;
    Run(shortRun, 4);
    ASSERT_TRUE(SaveLoggerDataSet(shortRun, path));
    std::ifstream saved(path, std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(saved)), {});
    EXPECT_NE(text.find("[Data 3]"), std::string::npos);
    EXPECT_EQ(text.find("[Data 4]"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(folder / "run.bin"));
    CLevelLogger reader;
    reader.m_startWriterThread = false;
    ASSERT_TRUE(reader.ReadDataFile(path, ""));
    EXPECT_EQ(reader.GetStoredBlocks(), 4);
    // Nothing is left beside the set.
    int entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder))
        ++entries;
    EXPECT_EQ(entries, 2);

    // A folder that cannot be written: the save fails and the old set stays as it was.
    if (::geteuid() != 0)
    {
        std::ifstream before(path, std::ios::binary);
        const std::string old((std::istreambuf_iterator<char>(before)), {});
        std::filesystem::permissions(folder,
                                     std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
        EXPECT_FALSE(SaveLoggerDataSet(longRun, path));
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
        std::ifstream after(path, std::ios::binary);
        EXPECT_EQ(std::string((std::istreambuf_iterator<char>(after)), {}), old);
    }
}

}  // namespace
