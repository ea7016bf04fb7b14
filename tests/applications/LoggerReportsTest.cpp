#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "LoggerTestSupport.h"
#include "applications/LevelLogger.h"
#include "applications/LoggerReports.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

using namespace loggertest;
namespace fs = std::filesystem;

namespace
{

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Stands in for the measurement window: records what the report asked and writes a small file for
// each picture; a picture named in `silent` is never answered.
class FakePlots : public CReportPlots
{
public:
    bool ShowLoggerCourse(int quantity, int wideband, bool force) override
    {
        courses.push_back({quantity, wideband, force ? 1 : 0});
        return true;
    }
    bool ShowLeqOverlays() override { return !silentOverlays; }
    void EndLeqOverlays() override { ++overlayEnds; }
    bool ShowMeanSpectrum(int mode) override
    {
        spectrumMode = mode;
        return true;
    }
    bool Capture(const std::string& path) override
    {
        captures.push_back(fs::path(path).filename().string());
        if (onCapture)
            onCapture();
        std::ofstream(path) << "png";
        return true;
    }
    std::vector<std::array<int, 3>> courses;
    std::vector<std::string> captures;
    bool silentOverlays = false;
    int overlayEnds = 0;
    int spectrumMode = 0;
    std::function<void()> onCapture;
};

class LoggerReports : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        SetUpSynthetic(m_logger, m_clock);
        m_logger.m_journalOn = false;
        m_clock.now = LocalTime(2024, 5, 1, 10, 20, 0);
        m_folder = m_home.File("report");
        fs::create_directories(m_folder);
    }
    // A run of `blocks` blocks in which every record holds the RMS `rms` (band b: rms / (b + 1),
    // the band `silentBand` nothing at all).
    void Run(std::int64_t blocks, double interval, int bandsPerOctave, int bands, double rms,
             int silentBand = -1)
    {
        m_logger.m_fastInterval = m_logger.m_interval = interval;
        m_logger.m_plannedBlocks = blocks + 10;
        std::vector<double> centres;
        for (int b = 0; b < bands; ++b)
            centres.push_back(1000.0 * std::pow(2.0, b / static_cast<double>(bandsPerOctave)));
        if (bands > 0)
            m_logger.SetBandConfiguration(44100.0, centres.front(), centres.back(), bandsPerOctave, centres);
        ASSERT_TRUE(m_logger.AllocateBlocks());
        ASSERT_TRUE(m_logger.Start());
        const int perBlock = m_logger.m_widebandCount + m_logger.GetLoggedBandCount();
        std::vector<CLevelRecord> records(static_cast<std::size_t>(perBlock));
        std::int64_t samples = 0;
        for (std::int64_t block = 0; block < blocks; ++block)
        {
            while (m_logger.GetSamplesToIntervalEnd() > 0)
            {
                const int n =
                    static_cast<int>(std::min<std::int64_t>(m_logger.GetSamplesToIntervalEnd(), 4096));
                m_logger.ConsumeSamples(n);
                samples += n;
            }
            for (int r = 0; r < perBlock; ++r)
            {
                const int band = r - m_logger.m_widebandCount;
                const double level = band < 0 ? rms : band == silentBand ? 0.0 : rms / (band + 1);
                CLevelRecord& record = records[static_cast<std::size_t>(r)];
                record.m_energyTotal = level * level * static_cast<double>(samples);
                record.m_rmsFast = record.m_rmsSlow = level;
                record.m_splMin = -level * std::sqrt(2.0);
                record.m_splMax = level * std::sqrt(2.0);
            }
            m_logger.StoreRecords(records);
            m_logger.BeginInterval();
        }
        m_logger.Stop();
    }
    LoggerReportTarget Target(const std::string& name)
    {
        LoggerReportTarget target;
        target.folder = m_folder.string();
        target.fileName = name;
        target.stop = &m_stop;
        target.progress = &m_progress;
        return target;
    }
    CLevelLogger m_logger{"", ""};
    TestClock m_clock;
    fs::path m_folder;
    std::atomic<int> m_stop{0};
    std::atomic<double> m_progress{-1.0};
};

}  // namespace

TEST_F(LoggerReports, ClockPulseFiguresOnlyForRunsOfShortBlocksAndAtLeastFiveSeconds)
{
    struct Case
    {
        std::int64_t blocks;
        double interval;
        bool takt;
    };
    const Case cases[] = {{40, 0.1, false}, {49, 0.1, false}, {50, 0.1, true},
                          {120, 0.1, true}, {3, 10.0, false}, {2, 5.0, true}};
    for (const Case& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.blocks << " blocks of " << c.interval << " s");
        SetUpSynthetic(m_logger, m_clock);
        m_logger.m_journalOn = false;
        Run(c.blocks, c.interval, 3, 3, 0.1);
        EXPECT_EQ(HasTaktFigures(m_logger), c.takt);
        FakePlots plots;
        const LoggerReportResult result = WriteSplLoggerReport(m_logger, Target(kSplReportFile), &plots);
        ASSERT_TRUE(result.written);
        EXPECT_FALSE(result.stopped);
        const std::string main = testsupport::ReadBytes(m_folder / kSplReportFile);
        const std::string table = testsupport::ReadBytes(m_folder / "TableSPLviewer.htm");
        EXPECT_EQ(main.find("SPL_Taktmax_wideband.png") != std::string::npos, c.takt);
        EXPECT_EQ(main.find("> LAFteq <") != std::string::npos, c.takt) << main;
        EXPECT_EQ(main.find("> LAFteq-LAeq <") != std::string::npos, c.takt);
        EXPECT_EQ(table.find("LAFT5s[dB]") != std::string::npos, c.takt);
        // One table row per block and the header.
        EXPECT_EQ(Count(table, "<TR>"), static_cast<int>(c.blocks) + 1);
        EXPECT_EQ(m_progress.load(), 1.0);
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
}

TEST_F(LoggerReports, SplReportWritesItsFileSetAndTheLevelsOfTheRun)
{
    // 100 blocks of 0.1 s at -20 dB; the bands 0 dB lower per doubling, the third one silent.
    Run(100, 0.1, 3, 4, 0.1, 2);
    FakePlots plots;
    const LoggerReportResult result = WriteSplLoggerReport(m_logger, Target(kSplReportFile), &plots);
    ASSERT_TRUE(result.written);
    EXPECT_TRUE(result.timeouts.empty());
    for (const char* name :
         {"SPLviewer.ini", "SPLviewer.bin", "SPLviewer.htm", "TableSPLviewer.htm", "SPL_fast_wideband.png",
          "SPL_Taktmax_wideband.png", "SPL_LEQ_wideband.png", "spectrum3_LEQ.png"})
        EXPECT_TRUE(fs::exists(m_folder / name)) << name;
    // The first course is selected anew even in a window that shows the level course already.
    ASSERT_FALSE(plots.courses.empty());
    EXPECT_EQ(plots.courses[0], (std::array<int, 3>{0, 1, 1}));
    EXPECT_EQ(plots.spectrumMode, 10002);
    EXPECT_EQ(plots.overlayEnds, 1);

    const std::string main = testsupport::ReadBytes(m_folder / kSplReportFile);
    EXPECT_NE(main.find("<TD> LAeq </TD>\n<TD> -20.0 </TD>"), std::string::npos) << main;
    EXPECT_NE(main.find("<TD> LCeq-LAeq </TD>\n<TD> 0.0 </TD>"), std::string::npos);
    EXPECT_NE(main.find("<TD> LA95 </TD>\n<TD> -20.0 </TD>"), std::string::npos);
    EXPECT_NE(main.find("LEQ:  -20.0dB"), std::string::npos);
    EXPECT_NE(main.find("Spitzenwert (ohne Zeitbewertung):  -17.0dB"), std::string::npos);
    EXPECT_NE(main.find("Statistiken 1/3 Oktav"), std::string::npos);
    EXPECT_NE(main.find("href=\"TableSPLviewer.htm\""), std::string::npos);
    EXPECT_NE(main.find("Beginn der Messung: Wednesday, May 01, 2024 10:20:00"), std::string::npos);
    // Band 1 is 6 dB below the wideband level; the silent band prints "--" in every column.
    EXPECT_NE(main.find("<TD>1260</TD>\n<TD>-26.0</TD>"), std::string::npos) << main;
    EXPECT_NE(main.find("<TD>1587</TD>\n<TD>--</TD>\n<TD>--</TD>\n<TD>--</TD>"), std::string::npos);
    EXPECT_EQ(main.find(kNoSpectrumText), std::string::npos);
}

TEST_F(LoggerReports, WithoutBandsTheReportSaysSoAndShowsNoSpectrum)
{
    Run(60, 0.1, 3, 0, 0.1);
    FakePlots plots;
    ASSERT_TRUE(WriteSplLoggerReport(m_logger, Target(kSplReportFile), &plots).written);
    const std::string main = testsupport::ReadBytes(m_folder / kSplReportFile);
    EXPECT_NE(main.find(kNoSpectrumText), std::string::npos);
    EXPECT_EQ(main.find("spectrum3_LEQ.png"), std::string::npos);
    EXPECT_EQ(main.find("Statistiken 1/"), std::string::npos);
    EXPECT_EQ(plots.spectrumMode, 0);
}

TEST_F(LoggerReports, AWindowThatDoesNotAnswerIsWrittenIntoTheReport)
{
    Run(60, 0.1, 1, 2, 0.1);
    FakePlots plots;
    plots.silentOverlays = true;
    const LoggerReportResult result = WriteSplLoggerReport(m_logger, Target(kSplReportFile), &plots);
    ASSERT_EQ(result.timeouts, std::vector<std::string>{"SPL_LEQ_wideband.png"});
    const std::string main = testsupport::ReadBytes(m_folder / kSplReportFile);
    EXPECT_NE(main.find("Zeitüberschreitung"), std::string::npos);
    EXPECT_EQ(main.find("src=\"SPL_LEQ_wideband.png\""), std::string::npos);
    // The overlays are cleared all the same, and the report goes on to its end.
    EXPECT_EQ(plots.overlayEnds, 1);
    EXPECT_EQ(plots.spectrumMode, 10001);
    EXPECT_NE(main.find("Mittleres Oktav-Spektrum Z LEQ"), std::string::npos);
    EXPECT_NE(main.find("</HTML>"), std::string::npos);
}

TEST_F(LoggerReports, AStopRequestEndsTheReportAtItsNextStep)
{
    Run(60, 0.1, 3, 2, 0.1);
    FakePlots plots;
    plots.onCapture = [this] { m_stop.store(1); };
    const LoggerReportResult result = WriteSplLoggerReport(m_logger, Target(kSplReportFile), &plots);
    EXPECT_TRUE(result.stopped);
    EXPECT_EQ(plots.captures, std::vector<std::string>{"SPL_fast_wideband.png"});
    const std::string main = testsupport::ReadBytes(m_folder / kSplReportFile);
    EXPECT_NE(main.find(kReportStoppedText), std::string::npos);
    EXPECT_NE(main.find("</HTML>"), std::string::npos);
}

TEST_F(LoggerReports, SoundPowerReportNamesItsResolutionAndPrintsSilentBandsAsDashes)
{
    struct Case
    {
        int bandsPerOctave;
        int microphones;
    };
    for (const Case c : {Case{1, 3}, Case{3, 6}})
    {
        SCOPED_TRACE(c.bandsPerOctave);
        SetUpSynthetic(m_logger, m_clock);
        m_logger.m_journalOn = false;
        Run(30, 0.1, c.bandsPerOctave, 3, 0.1, 1);
        FakePlots plots;
        SoundPowerSettings settings;
        settings.microphones = c.microphones;
        settings.surface = 12.5;
        ASSERT_TRUE(WriteSoundPowerReport(m_logger, Target(kSoundPowerReportFile), settings, &plots).written);
        const std::string page = testsupport::ReadBytes(m_folder / kSoundPowerReportFile);
        EXPECT_NE(page.find(testing::PrintToString(c.bandsPerOctave).insert(0, "Statistiken 1/") + " Oktav"),
                  std::string::npos);
        EXPECT_NE(page.find("Anzahl der Mikrofone: " + std::to_string(c.microphones)), std::string::npos);
        EXPECT_NE(page.find("Meßfläche: 12.5qm"), std::string::npos);
        EXPECT_NE(page.find("SPL (Fast):  -20.0dB  min: -20.0dB max: -20.0dB"), std::string::npos) << page;
        EXPECT_NE(page.find("<TD>--</TD>"), std::string::npos);
        EXPECT_EQ(page.find("inf"), std::string::npos);
        // Two columns whatever the number of bands.
        EXPECT_EQ(Count(page, "<TD> "), 2);
        ASSERT_EQ(plots.courses.size(), 1u);
        EXPECT_EQ(plots.courses[0], (std::array<int, 3>{0, 1, 0}));
    }
}
