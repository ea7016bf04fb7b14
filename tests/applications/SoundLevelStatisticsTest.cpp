#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "applications/SoundLevelStatistics.h"
#include "common/NumberTexts.h"
#include "dsp/BandAnalyzer.h"
#include "tests/support/TempHome.h"

namespace fs = std::filesystem;

namespace
{

double Linear(double db)
{
    return std::pow(10.0, db / 20.0);
}

// The level at the middle of a histogram bin.
double BinLevel(int bin)
{
    return Linear(CSoundLevelStatistics::kLowest + CSoundLevelStatistics::kSpan * (bin + 0.5) / 2048.0);
}

}  // namespace

TEST(SoundLevelStatistics, La95FromTheHistogramWhileTheLoggerRuns)
{
    struct Case
    {
        std::vector<std::pair<int, int>> counts;  // bin, count
        double expected;
    };
    const Case cases[] = {
        // All 100 counts in the bin of 60 dB: the bin below it bounds the level.
        {{{1331, 100}}, -200.0 + 400.0 * 1330 / 2048},
        // 5 loud counts are the 5 % above; the 95 % level lies in the quiet bin.
        {{{1331, 95}, {1500, 5}}, -200.0 + 400.0 * 1330 / 2048},
        // Fewer than 5 % quiet counts: the 95 % level lies in the loud bin.
        {{{1331, 4}, {1500, 96}}, -200.0 + 400.0 * 1499 / 2048},
        // Everything in the lowest bin has no level below it.
        {{{0, 10}}, CSoundLevelStatistics::kNoLevel},
        {{}, CSoundLevelStatistics::kNoLevel},
    };
    for (const Case& c : cases)
    {
        CSoundLevelStatistics statistics;
        for (const auto& [bin, count] : c.counts)
            for (int i = 0; i < count; ++i)
                statistics.AddFastLevel(BinLevel(bin));
        EXPECT_NEAR(statistics.ComputeHistogramLa95(), c.expected, 1e-9);
    }
    CSoundLevelStatistics statistics;
    for (int i = 0; i < 100; ++i)
        statistics.AddFastLevel(Linear(60.0));
    EXPECT_NEAR(statistics.ComputeHistogramLa95(), 59.8, 0.05);
    // Levels outside the histogram, and silence, are not counted.
    statistics.AddFastLevel(Linear(250.0));
    statistics.AddFastLevel(0.0);
    EXPECT_EQ(statistics.m_total, 100u);
    statistics.ResetHistogram();
    EXPECT_EQ(statistics.m_total, 0u);
    EXPECT_EQ(FormatDb(statistics.ComputeHistogramLa95()), "-- dB");
}

TEST(SoundLevelStatistics, FiguresComeFromTheAnalyserAndLa95FromItsOwnLevelWhileTheLoggerIsStopped)
{
    CBandAnalyzer analyzer;
    analyzer.m_sampleRate = 48000.0;
    CLevelMeter& a = analyzer.m_meters[2];
    CLevelMeter& c = analyzer.m_meters[1];
    a.m_rmsSinceReset = Linear(72.0);
    c.m_rmsSinceReset = Linear(84.0);
    a.m_taktLevel = Linear(85.3);
    c.m_maxSample = Linear(82.3);
    a.m_maxFastLevel = Linear(85.0);
    a.m_percentiles[6] = Linear(70.2);
    a.m_sampleCount = 13 * 48000;

    CSoundLevelStatistics statistics;
    for (int i = 0; i < 100; ++i)
        statistics.AddFastLevel(Linear(60.0));
    statistics.Update(&analyzer, true);
    EXPECT_NEAR(statistics.m_la95, 59.8, 0.05);
    statistics.Update(&analyzer, false);
    EXPECT_NEAR(statistics.m_la95, 70.2, 1e-9);
    EXPECT_NEAR(statistics.m_laeq, 72.0, 1e-9);
    EXPECT_NEAR(statistics.m_lceqMinusLaeq, 12.0, 1e-9);
    EXPECT_NEAR(statistics.m_lafteqMinusLaeq, 13.3, 1e-9);  // no ratio: the difference
    EXPECT_NEAR(statistics.m_lcpeak, 82.3, 1e-9);
    EXPECT_NEAR(statistics.m_seconds, 13.0, 1e-9);
    a.m_taktRatio = Linear(3.0);
    statistics.Update(&analyzer, false);
    EXPECT_NEAR(statistics.m_lafteqMinusLaeq, 3.0, 1e-9);
    // An own level at or below -200 dB leaves the last one.
    a.m_percentiles[6] = 0.0;
    statistics.Update(&analyzer, false);
    EXPECT_NEAR(statistics.m_la95, 70.2, 1e-9);
    // Without an analyser nothing changes.
    statistics.Update(nullptr, false);
    EXPECT_NEAR(statistics.m_laeq, 72.0, 1e-9);

    const std::string text = statistics.StatisticsText();
    EXPECT_EQ(text.find('\r'), std::string::npos);
    EXPECT_NE(text.find("LAeq \t72.0dB\n"), std::string::npos) << text;
    EXPECT_NE(text.find("LA95 \t70.2dB\nData ID \t0\n"), std::string::npos);
    EXPECT_NE(statistics.ClipboardText().find("LCeq-LAeq \t12.0dB\r\n"), std::string::npos);
    EXPECT_EQ(statistics.ClipboardText().find("Data ID"), std::string::npos);
}

class SoundLevelStatisticsExport : public testsupport::TempHomeTest
{
};

TEST_F(SoundLevelStatisticsExport, AnIntervalOfZeroWritesNothingAndEachExportCountsUp)
{
    const fs::path file = m_home.File("stats.txt");
    fs::create_directories(file.parent_path());
    CSoundLevelStatistics statistics;
    statistics.m_exportInterval = 0.0;
    EXPECT_FALSE(statistics.Export(nullptr, file.string()));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(fs::exists(file.string() + "_RTA"));

    statistics.m_exportInterval = 2.0;
    EXPECT_TRUE(statistics.Export(nullptr, file.string()));
    EXPECT_TRUE(statistics.Export(nullptr, file.string()));
    std::ifstream in(file);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Data ID \t1\n"), std::string::npos);
    // Without bands there is no band file.
    EXPECT_FALSE(fs::exists(file.string() + "_RTA"));
    // A folder that does not exist: skipped, the counter stays.
    EXPECT_FALSE(statistics.Export(nullptr, m_home.File("missing/stats.txt").string()));
    EXPECT_EQ(statistics.m_dataId, 2);
    statistics.ResetHistogram();
    EXPECT_EQ(statistics.m_dataId, 0);
}

TEST(SoundLevelStatistics, ZoomedSizeFitsTheScreenWithItsAspect)
{
    struct Case
    {
        int factor, screenWidth, screenHeight, width, height;
    };
    const Case cases[] = {
        {1, 1280, 1024, 300, 200}, {2, 1280, 1024, 600, 400}, {4, 1280, 1024, 1200, 800},
        {4, 800, 600, 800, 533},   {4, 1000, 400, 600, 400},
    };
    for (const Case& c : cases)
    {
        int width = 0;
        int height = 0;
        CSoundLevelStatistics::FitSize(300, 200, c.factor, c.screenWidth, c.screenHeight, width, height);
        EXPECT_EQ(width, c.width);
        EXPECT_EQ(height, c.height);
        EXPECT_LE(width, c.screenWidth);
        EXPECT_LE(height, c.screenHeight);
    }
}
