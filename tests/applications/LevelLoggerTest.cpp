#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <numbers>
#include <sstream>
#include <thread>

#include "LoggerTestSupport.h"
#include "applications/LevelLogger.h"
#include "common/NumberTexts.h"
#include "dsp/BandAnalyzer.h"
#include "tests/support/TempHome.h"

using namespace loggertest;

namespace
{

class UtcEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        setenv("TZ", "UTC", 1);
        tzset();
    }
};
const auto* const g_utc = ::testing::AddGlobalTestEnvironment(new UtcEnvironment);

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

// --- the interval clock ----------------------------------------------------------------------------

struct ClockCase
{
    double rate;
    double interval;
    std::vector<std::int64_t> firstBlocks;
};

TEST(LevelLoggerClock, BlockLengthsFollowTheIntervalExactly)
{
    const ClockCase cases[] = {
        {44100.0, 0.1, {4410, 4410, 4410, 4410}},
        {44100.0, 0.125, {5512, 5513, 5512, 5513}},
        {48000.0, 1.0 / 3.0, {16000, 16000, 16000}},
    };
    for (const ClockCase& c : cases)
    {
        CLevelLogger logger;
        logger.m_sampleRate = c.rate;
        logger.m_fastInterval = c.interval;
        logger.BeginInterval();
        for (std::size_t i = 0; i < c.firstBlocks.size(); ++i)
        {
            const std::int64_t left = logger.GetSamplesToIntervalEnd();
            EXPECT_EQ(left, c.firstBlocks[i]) << c.rate << " Hz, " << c.interval << " s, block " << i;
            logger.ConsumeSamples(static_cast<int>(left));
            EXPECT_EQ(logger.GetBlockSampleCount(), left);
            logger.BeginInterval();
        }
    }
}

TEST(LevelLoggerClock, NoSampleIsLostOrCountedTwiceOverAMillionIntervals)
{
    CLevelLogger logger;
    logger.m_sampleRate = 44100.0;
    logger.m_fastInterval = 0.123;  // 5424.3 samples
    logger.BeginInterval();
    std::int64_t total = 0;
    // Chunks that do not fit the intervals: the remainder of each interval carries over.
    for (int i = 0; i < 1000000; ++i)
    {
        while (logger.GetSamplesToIntervalEnd() > 0)
        {
            const int n = static_cast<int>(std::min<std::int64_t>(logger.GetSamplesToIntervalEnd(), 1000));
            logger.ConsumeSamples(n);
            total += n;
        }
        logger.BeginInterval();
    }
    EXPECT_EQ(total, static_cast<std::int64_t>(std::floor(1000000 * 0.123 * 44100.0 + 1e-6)));
    EXPECT_EQ(logger.GetRunSamples(), total);
}

// --- runs through the real band analyser -----------------------------------------------------------

class LoggerWithAnalyzer : public testsupport::TempHomeTest
{
protected:
    void SetUpAnalyzer(double rate, double minF, double maxF)
    {
        m_analyzer.m_sampleRate = rate;
        m_analyzer.m_minFrequency = minF;
        m_analyzer.m_maxFrequency = maxF;
        m_analyzer.m_bandsPerOctave = 3;
        m_analyzer.SetLogger(&m_logger);
        m_analyzer.Configure();
        m_analyzer.CopySettingsToLogger();
        m_logger.m_clock = [this] { return m_clock.now; };
        m_logger.m_startWriterThread = false;
        m_logger.m_journalOn = false;
        m_logger.m_onStopRequest = [this] { ++m_stopRequests; };
        m_clock.now = LocalTime(2024, 5, 1, 10, 0, 0);
    }
    void Feed(double frequency, double amplitude, double seconds)
    {
        const double rate = m_analyzer.m_sampleRate;
        std::vector<float> block(1024);
        const auto total = static_cast<std::int64_t>(seconds * rate);
        for (std::int64_t done = 0; done < total; done += static_cast<std::int64_t>(block.size()))
        {
            for (std::size_t i = 0; i < block.size(); ++i)
                block[i] = static_cast<float>(amplitude * std::sin(2.0 * std::numbers::pi * frequency *
                                                                   static_cast<double>(m_phase++) / rate));
            m_analyzer.ProcessBlock(block.data(), static_cast<int>(block.size()));
        }
    }
    bool StartLogging() { return m_analyzer.StartLogging(); }

    CBandAnalyzer m_analyzer;
    CLevelLogger m_logger;
    TestClock m_clock;
    std::int64_t m_phase = 0;
    int m_stopRequests = 0;
};

TEST_F(LoggerWithAnalyzer, RunStopsByItselfAtThePlannedBlockCountWithOneStopCommand)
{
    SetUpAnalyzer(44100.0, 100.0, 1000.0);
    m_logger.m_plannedBlocks = 100;
    m_logger.m_fastInterval = 0.1;
    ASSERT_TRUE(StartLogging());
    Feed(1000.0, 0.1, 12.0);
    EXPECT_EQ(m_logger.GetState(), CLevelLogger::kStopped);
    EXPECT_EQ(m_logger.m_storedBlocks, 100);
    EXPECT_EQ(m_logger.GetBlocksCounted(), 100);
    EXPECT_EQ(m_stopRequests, 1);
    EXPECT_EQ(m_logger.SumBlockSamples(-1, -1), 100 * 4410);
}

TEST_F(LoggerWithAnalyzer, AnalyzerRunsStopsAndLoadsItsLoggersRuns)
{
    SetUpAnalyzer(48000.0, 100.0, 1000.0);
    std::vector<std::string> messages;
    m_logger.m_onMessage = [&](const std::string& text) { messages.push_back(text); };
    // No memory for the run: the user is told, and nothing starts.
    m_logger.m_plannedBlocks = std::int64_t{1} << 40;
    EXPECT_FALSE(m_analyzer.StartLogging());
    EXPECT_EQ(m_analyzer.m_loggingActive.load(), 0);
    EXPECT_FALSE(m_logger.IsRunning());
    EXPECT_EQ(messages.size(), 1u);
    Feed(1000.0, 0.1, 0.5);
    EXPECT_EQ(m_logger.GetBlocksCounted(), 0);

    m_logger.m_plannedBlocks = 1000;
    m_logger.m_fastInterval = 0.1;
    ASSERT_TRUE(m_analyzer.StartLogging());
    EXPECT_EQ(m_analyzer.m_loggingActive.load(), 1);
    // Levels measured before the start are not part of the run.
    EXPECT_EQ(m_analyzer.m_meters[0].m_sampleCount, 0);
    Feed(1000.0, 0.1, 2.0);
    // A data set cannot be loaded over a running run.
    const std::string path = (m_home.Root() / "run.ini").string();
    EXPECT_FALSE(m_analyzer.LoadLoggerData(path, ""));
    m_analyzer.StopLogging();
    EXPECT_EQ(m_analyzer.m_loggingActive.load(), 0);
    EXPECT_EQ(m_logger.GetState(), CLevelLogger::kStopped);
    const std::int64_t blocks = m_logger.GetBlocksCounted();
    EXPECT_EQ(blocks, 2 * 48000 / 4800);
    // Input after the stop is analysed but not logged.
    Feed(1000.0, 0.1, 1.0);
    EXPECT_EQ(m_logger.GetBlocksCounted(), blocks);
    ASSERT_TRUE(m_logger.WriteDataFile(path, ""));

    // Loading evaluates the whole set into the meters: the A-weighted slot reads the sine's level.
    m_analyzer.ResetLevels();
    ASSERT_TRUE(m_analyzer.LoadLoggerData(path, ""));
    const CLevelMeter& a = m_analyzer.m_meters[2];
    EXPECT_EQ(a.m_sampleCount, blocks * 4800);
    EXPECT_NEAR(20.0 * std::log10(a.m_rmsSinceReset), 20.0 * std::log10(0.1 / std::sqrt(2.0)), 0.1);
    // A damaged set is refused with its reason and the loaded one stays.
    std::ofstream(m_home.Root() / "bad.ini") << "[ info]\nWideband blocks=99\n";
    std::string reason;
    EXPECT_FALSE(m_analyzer.LoadLoggerData((m_home.Root() / "bad.ini").string(), "", &reason));
    EXPECT_FALSE(reason.empty());
    EXPECT_EQ(m_logger.GetStoredBlocks(), blocks);
}

// Closed-form A and C weightings (the frequency-weighting standard's formulas).
double AWeightingDb(double f)
{
    const double f2 = f * f;
    const double ra = 12194.0 * 12194.0 * f2 * f2 /
                      ((f2 + 20.6 * 20.6) * std::sqrt((f2 + 107.7 * 107.7) * (f2 + 737.9 * 737.9)) *
                       (f2 + 12194.0 * 12194.0));
    return 20.0 * std::log10(ra) + 2.0;
}

double CWeightingDb(double f)
{
    const double f2 = f * f;
    const double rc = 12194.0 * 12194.0 * f2 / ((f2 + 20.6 * 20.6) * (f2 + 12194.0 * 12194.0));
    return 20.0 * std::log10(rc) + 0.062;
}

TEST_F(LoggerWithAnalyzer, SineReadsItsClosedFormLevelsInWidebandAndDecimatedBands)
{
    for (double rate : {44100.0, 48000.0})
        for (double frequency : {125.0, 250.0, 1000.0})
        {
            m_phase = 0;
            SetUpAnalyzer(rate, 20.0, 20000.0);
            m_logger.m_plannedBlocks = 100000;
            ASSERT_TRUE(StartLogging());
            const double amplitude = 0.5;
            Feed(frequency, amplitude, 4.0);
            m_logger.Stop();
            const std::int64_t blocks = m_logger.GetBlocksCounted();
            ASSERT_GT(blocks, 30);
            // Levels from the energies after the filters have settled (first second left out).
            const std::int64_t from = 10;
            const double samples = static_cast<double>(m_logger.SumBlockSamples(from + 1, blocks - 1));
            auto leq = [&](int wideband, int band)
            {
                const double e = m_logger.GetRecord(blocks - 1, wideband, band).m_energyTotal -
                                 m_logger.GetRecord(from, wideband, band).m_energyTotal;
                return 10.0 * std::log10(e / samples);
            };
            const double sineDb = 20.0 * std::log10(amplitude / std::sqrt(2.0));
            EXPECT_NEAR(leq(0, -1), sineDb, 0.1) << rate << " Hz, Z at " << frequency;
            EXPECT_NEAR(leq(1, -1), sineDb + AWeightingDb(frequency), 0.1)
                << rate << " Hz, A at " << frequency;
            EXPECT_NEAR(leq(2, -1), sineDb + CWeightingDb(frequency), 0.1)
                << rate << " Hz, C at " << frequency;
            const int band = m_logger.m_bands.FindNearestBand(frequency);
            ASSERT_GE(band, 0);
            EXPECT_NEAR(leq(-1, band), sineDb, 0.1) << rate << " Hz, band at " << frequency;
        }
}

// --- evaluation ------------------------------------------------------------------------------------

class LoggerSynthetic : public testsupport::TempHomeTest
{
protected:
    void SetUp() override
    {
        SetUpSynthetic(m_logger, m_clock);
        m_logger.m_journalOn = false;
        m_clock.now = LocalTime(2024, 5, 1, 10, 20, 0);
    }
    void Run(std::int64_t blocks)
    {
        ASSERT_TRUE(m_logger.AllocateBlocks());
        ASSERT_TRUE(m_logger.Start());
        for (std::int64_t b = 0; b < blocks; ++b)
            FeedSyntheticBlock(m_logger, b, m_scratch);
        m_logger.Stop();
    }
    CLevelLogger m_logger{"", ""};
    TestClock m_clock;
    std::vector<CLevelRecord> m_scratch;
};

TEST_F(LoggerSynthetic, QuantitiesPickTheirChannelAndValue)
{
    m_logger.m_plannedBlocks = 1000;
    Run(20);
    CFloatMatrix m;
    struct Case
    {
        int quantity;
        int wideband;
        double expected;  // for block 7
    };
    const std::int64_t b = 7;
    const double perBlockEnergy1 = 0.25 * 2;  // record 1's energy grows by this each block
    const Case cases[] = {
        {0, 1, SyntheticRecord(b, 1).m_rmsFast},
        {1, 2, SyntheticRecord(b, 2).m_rmsSlow},
        {2, 0, SyntheticRecord(b, 0).GetPeak()},
        {4, 0, SyntheticRecord(b, 2).GetPeak()},
        {5, 0, std::sqrt(perBlockEnergy1 / 4410.0)},
        {6, 0, std::sqrt(0.25 * 3 / 4410.0)},
        {7, 2, std::sqrt(0.25 / 4410.0)},
    };
    for (const Case& c : cases)
    {
        m_logger.FillTimeSeries(m, c.quantity, c.wideband, -1, -1, -1);
        ASSERT_EQ(m.GetColumns(), 20) << c.quantity;
        EXPECT_NEAR(m.GetValue(static_cast<int>(b), 0), c.expected, 1e-6 * std::max(1.0, c.expected))
            << c.quantity;
        EXPECT_FLOAT_EQ(m.m_x[7], 0.7f);
    }
    EXPECT_EQ(GetLoggerQuantityLabel(0, 1), "SPL(Fast)(A)");
    EXPECT_EQ(GetLoggerQuantityLabel(5, 1), "LEQ(A)");
    EXPECT_EQ(GetLoggerQuantityName(8), "");
    // A wideband index past the count reads record 0 (Z).
    EXPECT_EQ(m_logger.GetRecord(3, 5, -1).m_rmsFast, SyntheticRecord(3, 0).m_rmsFast);
}

TEST_F(LoggerSynthetic, TaktWindowsCoverFiveSecondsEach)
{
    m_logger.m_plannedBlocks = 1000;
    Run(170);
    CFloatMatrix m;
    m_logger.FillTimeSeries(m, CLevelLogger::kTaktMax, 1, -1, -1, -1);
    ASSERT_EQ(m.GetColumns(), 3);
    // Window j takes blocks 50j .. 50j+49; RMS fast of record 1 rises with the block.
    for (int w = 0; w < 3; ++w)
    {
        EXPECT_NEAR(m.GetValue(w, 0), SyntheticRecord(50 * w + 49, 1).m_rmsFast, 1e-6);
        EXPECT_NEAR(m.m_x[static_cast<std::size_t>(w)], 5.0 * (w + 1), 1e-4);
    }
    // An interval above 5 s leaves the matrix as it was.
    m_logger.m_fastInterval = 10.0;
    m_logger.FillTimeSeries(m, CLevelLogger::kTaktMax, 1, -1, -1, -1);
    EXPECT_EQ(m.GetColumns(), 3);
}

TEST_F(LoggerSynthetic, EmptyRunsGiveEmptySeriesAndNoSamples)
{
    m_logger.m_plannedBlocks = 10;
    Run(0);
    CFloatMatrix m;
    m_logger.FillTimeSeries(m, 0, 0, -1, -1, -1);
    EXPECT_EQ(m.GetColumns(), 0);
    m_logger.FillTimeSeries(m, CLevelLogger::kTaktMax, 1, -1, -1, -1);
    EXPECT_EQ(m.GetColumns(), 0);
    EXPECT_EQ(m_logger.SumBlockSamples(-1, -1), 0);
}

TEST_F(LoggerSynthetic, StartIsRefusedWithoutMemory)
{
    std::vector<std::string> messages;
    m_logger.m_onMessage = [&](const std::string& text) { messages.push_back(text); };
    m_logger.m_plannedBlocks = std::int64_t{1} << 40;
    EXPECT_FALSE(m_logger.AllocateBlocks());
    EXPECT_FALSE(m_logger.Start());
    EXPECT_FALSE(m_logger.IsRunning());
    EXPECT_EQ(messages.size(), 2u);
}

// --- auto-save and DIN 15905 periods on a test clock --------------------------------------------------

TEST_F(LoggerSynthetic, EightHourAutoSaveRunWritesAFileEveryHalfHourOnTheClock)
{
    const std::string folder = (m_home.Root() / "longterm").string();
    CLevelLogger logger(folder, "");
    SetUpSynthetic(logger, m_clock, 44100.0, 1.0);
    logger.m_autoSaveMode = 1;
    logger.m_plannedBlocks = 8 * 3600 + 1000;
    logger.m_channel = 0;
    m_clock.now = LocalTime(2024, 5, 1, 10, 20, 0);
    ASSERT_TRUE(logger.AllocateBlocks());
    EXPECT_EQ(logger.GetPlannedBlockCount(), 1800 + 240);
    ASSERT_TRUE(logger.Start());
    for (std::int64_t b = 0; b < 8 * 3600; ++b)
    {
        FeedSyntheticBlock(logger, b, m_scratch);
        m_clock.now += 1;
        if (b % 10 == 0)
            logger.RunWriterPass();
    }
    logger.RunWriterPass();
    logger.Stop();
    // 600 s to 10:30, then half hours up to 18:00; the part after 18:00 is not a whole period.
    ASSERT_EQ(logger.m_autoSavedFiles.size(), 16u);
    EXPECT_EQ(logger.m_autoSavedFiles[0], "Autosave_ch0_0_2024_5_1_10_20_0.ini");
    EXPECT_EQ(logger.m_autoSavedFiles[1], "Autosave_ch0_1_2024_5_1_10_30_0.ini");
    EXPECT_EQ(logger.m_autoSavedFiles[2], "Autosave_ch0_2_2024_5_1_11_0_0.ini");
    EXPECT_EQ(logger.m_autoSavedFiles[15], "Autosave_ch0_15_2024_5_1_17_30_0.ini");
    // Each file holds its own blocks: the first 600, then 1800 each, continuing the run.
    CLevelLogger reader;
    ASSERT_TRUE(reader.ReadDataFile(folder + "/" + logger.m_autoSavedFiles[0], ""));
    EXPECT_EQ(reader.m_storedBlocks, 600);
    ASSERT_TRUE(reader.ReadDataFile(folder + "/" + logger.m_autoSavedFiles[3], ""));
    EXPECT_EQ(reader.m_storedBlocks, 1800);
    const std::int64_t firstBlock = 600 + 2 * 1800;
    EXPECT_EQ(reader.GetRecord(0, 1, -1).m_rmsFast, SyntheticRecord(firstBlock, 1).m_rmsFast);
    EXPECT_EQ(reader.GetRecord(1799, 2, -1).m_energyTotal,
              SyntheticRecord(firstBlock + 1799, 2).m_energyTotal);
}

// A file of part of the run (what the writer thread saves while the run goes on) describes its own
// blocks; the run keeps its count, its companion and its folder.
TEST_F(LoggerSynthetic, SavingPartOfTheRunLeavesTheRunAsItIs)
{
    Run(40);
    ASSERT_EQ(m_logger.GetStoredBlocks(), 40);
    const std::string whole = (m_home.Root() / "whole.ini").string();
    ASSERT_TRUE(m_logger.WriteDataFile(whole, ""));
    const std::string folder = m_logger.GetLastFolder();
    const std::string companion = m_logger.m_binaryFile;
    EXPECT_EQ(companion, "whole.bin");

    std::filesystem::create_directories(m_home.Root() / "part");
    const std::string part = (m_home.Root() / "part" / "part.ini").string();
    ASSERT_TRUE(m_logger.WriteDataFile(part, "", 10, 15));
    EXPECT_EQ(m_logger.GetStoredBlocks(), 40);
    EXPECT_EQ(m_logger.GetLastFolder(), folder);
    EXPECT_EQ(m_logger.m_binaryFile, companion);

    CLevelLogger reader;
    ASSERT_TRUE(reader.ReadDataFile(part, ""));
    EXPECT_EQ(reader.GetStoredBlocks(), 15);
    EXPECT_EQ(reader.GetRecord(0, 1, -1).m_rmsFast, SyntheticRecord(10, 1).m_rmsFast);
}

TEST_F(LoggerSynthetic, TwelveDinPeriodsAcrossMidnightMakeTheirFilesListAndReport)
{
    const std::string din = (m_home.Root() / "din").string();
    CLevelLogger logger((m_home.Root() / "longterm").string(), din);
    SetUpSynthetic(logger, m_clock, 44100.0, 1.0);
    logger.m_journalOn = false;
    logger.m_dinMode = 1;
    logger.m_plannedBlocks = 10;  // smaller than a period: the ring grows to hold one
    logger.m_din.m_periodLength = 600.0;
    logger.m_dinInfo.m_k1 = 3.0;
    m_clock.now = LocalTime(2024, 5, 1, 23, 3, 30);
    ASSERT_TRUE(logger.AllocateBlocks());
    ASSERT_TRUE(logger.Start());
    EXPECT_EQ(logger.m_din.m_nextDue, LocalTime(2024, 5, 1, 23, 10, 0));
    std::int64_t b = 0;
    while (logger.m_din.m_periodNumber < 12)
    {
        FeedSyntheticBlock(logger, b++, m_scratch);
        m_clock.now += 1;
        logger.CheckDinPeriod();
    }
    logger.StopAndFinishDin();
    const auto& files = logger.m_din.m_periodFiles;
    ASSERT_EQ(files.size(), 13u);
    EXPECT_EQ(files[0], "1_2024_5_1_23_3_30___2024_5_1_23_10_0.15905");
    EXPECT_EQ(files[5], "6_2024_5_1_23_50_0___2024_5_2_0_0_0.15905");
    EXPECT_EQ(files[6], "7_2024_5_2_0_0_0___2024_5_2_0_10_0.15905");
    const std::string folder = logger.m_din.m_resultFolder;
    EXPECT_EQ(folder, din + "/2024_5_1_23_3_30");
    // Every period is a run of its own: 600 blocks of one second, none overwritten.
    CLevelLogger reader;
    ASSERT_TRUE(reader.ReadDataFile(folder + "/" + files[3], ""));
    EXPECT_EQ(reader.m_storedBlocks, 600);
    ASSERT_EQ(reader.m_summaries.size(), 4u);
    EXPECT_EQ(reader.m_summaries[3].m_duration, 600.0);
    // The period's LEQ A is the A energy total of its last block over its samples: the first
    // period held 390 blocks, so the fourth ends with block 390 + 3 * 600 - 1 of the synthetic run.
    EXPECT_NEAR(reader.m_summaries[3].m_leqA, std::sqrt(0.5 * (390 + 3 * 600) / (600 * 44100.0)), 1e-6);

    EXPECT_EQ(logger.ExportCsv(folder), 0);
    const std::string csv = ReadText(folder + "/export.csv");
    EXPECT_EQ(csv.substr(0, csv.find('\n') + 1), "0.000;" + FormatDbNumber(10.0 * std::log10(0.5 / 44100.0)) +
                                                     ";" + FormatDbNumber(10.0 * std::log10(0.25 / 44100.0)) +
                                                     ";" + FormatDbNumber(10.0 * std::log10(0.75 / 44100.0)) +
                                                     ";\n");
    EXPECT_EQ(logger.WriteDinReport(), 0);
    const std::string page = ReadText(folder + "/DIN15905.htm");
    EXPECT_NE(page.find("Messergebnisse"), std::string::npos);
    EXPECT_NE(page.find("Wednesday, May 01, 2024 23:03:30"), std::string::npos);
    EXPECT_NE(page.find("LCPEAK [dB]"), std::string::npos);
}

TEST(LevelLoggerDin, APeriodWithoutBlocksHasNoLevel)
{
    testsupport::TempHome home;
    TestClock clock;
    CLevelLogger logger((home.Root() / "l").string(), (home.Root() / "d").string());
    SetUpSynthetic(logger, clock);
    logger.m_journalOn = false;
    logger.m_dinMode = 1;
    clock.now = LocalTime(2024, 5, 1, 14, 0, 0);
    ASSERT_TRUE(logger.AllocateBlocks());
    ASSERT_TRUE(logger.Start());
    clock.now += 1;
    logger.StopAndFinishDin();
    ASSERT_EQ(logger.m_summaries.size(), 1u);
    EXPECT_EQ(logger.m_summaries[0].m_leqA, 0.0);
    EXPECT_EQ(logger.m_din.m_periodNumber, -2);
}

// The writer thread saves while the analysis side stores blocks: the files hold exactly the blocks
// the run stored (run under ThreadSanitizer by scripts/tsan.sh).
TEST(LevelLoggerWriterThread, AutoSavesWhileBlocksArrive)
{
    testsupport::TempHome home;
    const std::string folder = (home.Root() / "longterm").string();
    CLevelLogger logger(folder, "");
    logger.m_sampleRate = 44100.0;
    logger.m_fastInterval = 0.01;
    logger.m_autoSaveMode = 1;
    logger.m_autoSavePeriod = 0.5;  // 50 blocks a file
    logger.m_plannedBlocks = 1000000;
    logger.m_channel = 3;
    std::atomic<int> messages{0};
    logger.m_onMessage = [&](const std::string&) { ++messages; };
    ASSERT_TRUE(logger.AllocateBlocks());
    ASSERT_TRUE(logger.Start());
    std::vector<CLevelRecord> scratch;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    std::int64_t b = 0;
    while (logger.GetBlocksCounted() < 300 && std::chrono::steady_clock::now() < deadline)
    {
        FeedSyntheticBlock(logger, b++, scratch);
        // About twice real time: the writer keeps up within its ring.
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    // Wait for the writer to save the whole files.
    auto savedFiles = [&]
    {
        long count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(folder))
            count += entry.path().filename().string().starts_with("Autosave_ch3_") &&
                     entry.path().extension() == ".ini";
        return count;
    };
    while (std::chrono::steady_clock::now() < deadline && savedFiles() < 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    logger.Stop();
    EXPECT_EQ(messages.load(), 0);
    CLevelLogger reader;
    std::string reason;
    bool found = false;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
    {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with("Autosave_ch3_") || !name.ends_with(".ini"))
            continue;
        const int index = std::stoi(name.substr(std::string("Autosave_ch3_").size()));
        ASSERT_TRUE(reader.ReadDataFile(entry.path().string(), "", &reason)) << reason;
        EXPECT_GE(index, 0);
        // Each file's blocks follow one another in the synthetic run.
        const double step =
            reader.GetRecord(1, 0, -1).m_energyTotal - reader.GetRecord(0, 0, -1).m_energyTotal;
        EXPECT_DOUBLE_EQ(step, 0.25) << name;
        for (std::int64_t j = 1; j < reader.m_storedBlocks; ++j)
            ASSERT_DOUBLE_EQ(
                reader.GetRecord(j, 1, -1).m_energyTotal - reader.GetRecord(j - 1, 1, -1).m_energyTotal, 0.5)
                << name << " block " << j;
        found = true;
    }
    EXPECT_TRUE(found);
}

// --- statistics of a logged range in the band analyser's meters --------------------------------------

TEST_F(LoggerWithAnalyzer, RangeStatisticsFillTheMetersAndPercentiles)
{
    SetUpAnalyzer(44100.0, 100.0, 1000.0);
    m_logger.m_plannedBlocks = 1000;
    ASSERT_TRUE(m_logger.AllocateBlocks());
    // Nothing stored: the meters keep their levels.
    m_analyzer.m_meters[2].m_percentiles[0] = 7.0;
    m_analyzer.EvaluateRange(-1, -1);
    EXPECT_EQ(m_analyzer.m_meters[2].m_percentiles[0], 7.0);
    ASSERT_TRUE(m_logger.Start());
    // 100 blocks whose A-weighted RMS fast is 1 .. 100 (in a shuffled order) and whose A energy
    // grows by b + 1 in block b.
    const int perBlock = m_logger.m_widebandCount + m_logger.GetLoggedBandCount();
    std::vector<CLevelRecord> records(static_cast<std::size_t>(perBlock));
    double energy = 0.0;
    for (int b = 0; b < 100; ++b)
    {
        energy += b + 1;
        for (auto& record : records)
        {
            record = CLevelRecord();
            record.m_energyTotal = energy;
            record.m_rmsFast = static_cast<double>((b * 37) % 100 + 1);
            record.m_splMax = b == 42 ? 3.0 : 0.5;
            record.m_splMin = -0.5;
        }
        m_logger.ConsumeSamples(static_cast<int>(m_logger.GetSamplesToIntervalEnd()));
        m_logger.StoreRecords(records);
        m_logger.BeginInterval();
    }
    m_logger.Stop();
    m_analyzer.EvaluateRange(-1, -1);
    const CLevelMeter& a = m_analyzer.m_meters[2];
    const double expected[] = {99, 99, 95, 90, 50, 10, 5, 1};  // L0.1 .. L99
    for (std::size_t p = 0; p < 8; ++p)
        EXPECT_EQ(a.m_percentiles[p], expected[p]) << p;
    EXPECT_EQ(a.m_sampleCount, 100 * 4410);
    EXPECT_NEAR(a.m_rmsSinceReset, std::sqrt(5050.0 / (100 * 4410)), 1e-12);
    EXPECT_EQ(a.m_maxFastLevel, 100.0);
    EXPECT_EQ(a.m_maxSample, 3.0);
    // Two takt windows of 5 s; the band's largest interval level is the last block's.
    EXPECT_GT(a.m_taktMaxLast, 0.0);
    const CLevelMeter* band = m_analyzer.m_bandMeters[0].get();
    ASSERT_NE(band, nullptr);
    EXPECT_NEAR(band->m_maxIntervalRms, std::sqrt(100.0 / 4410), 1e-12);
    // The same range again is not computed a second time.
    m_analyzer.m_meters[2].m_percentiles[0] = -1.0;
    m_analyzer.EvaluateRange(-1, -1);
    EXPECT_EQ(m_analyzer.m_meters[2].m_percentiles[0], -1.0);
    // A range with first past last evaluates the single block last.
    m_analyzer.EvaluateRange(50, 10);
    EXPECT_EQ(a.m_percentiles[0], static_cast<double>((10 * 37) % 100 + 1));
}
