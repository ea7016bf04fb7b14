// Measurement series: averaging of the responses of a series folder and the statistics tables.
#include "engine/MeasurementSeries.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "dsp/ArrayStatistics.h"
#include "engine/AudioFileReader.h"
#include "engine/SoundIn.h"
#include "engine/StatisticsJob.h"
#include "engine/WaveRecorder.h"
#include "tests/support/TempHome.h"

namespace
{

namespace fs = std::filesystem;

// A room-like response: `delay` samples of silence, then decaying noise (T = 0.5 s) times `gain`.
std::vector<float> Response(int delay, double gain, int length, unsigned seed = 7, double rate = 48000.0)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 0.2);
    std::vector<float> x(static_cast<std::size_t>(length), 0.0f);
    for (int i = delay; i < length; ++i)
        x[static_cast<std::size_t>(i)] =
            static_cast<float>(gain * noise(random) * std::pow(10.0, -3.0 * ((i - delay) / rate) / 0.5));
    return x;
}

void WriteWave(const fs::path& path, const std::vector<float>& samples, int rate, int bits = 24)
{
    fs::create_directories(path.parent_path());
    CWaveRecorder recorder;
    recorder.m_nFileChannels = 1;
    recorder.m_nSampleRate = rate;
    recorder.m_nBits = bits;
    ASSERT_EQ(recorder.Open(path.string()), 1);
    recorder.WriteFloatBlock(samples.data(), static_cast<int>(samples.size()), 0);
    recorder.Close();
}

std::vector<float> ReadWave(const fs::path& path)
{
    CAudioFileReader reader;
    reader.Open(path.string());
    if (!reader.IsOpen())
        return {};
    std::vector<float> x(static_cast<std::size_t>(reader.m_dLength));
    reader.Read(x.data(), static_cast<int>(x.size()), 1);
    return x;
}

std::vector<std::string> ReadLines(const fs::path& path)
{
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> cells;
    std::stringstream stream(line);
    for (std::string cell; std::getline(stream, cell, ';');)
        cells.push_back(cell);
    if (!line.empty() && line.back() == ';')
        cells.emplace_back();
    return cells;
}

class MeasurementSeries : public ::testing::Test
{
protected:
    fs::path Folder() const { return m_home.Root() / "series"; }
    fs::path Response(const std::string& name) const { return Folder() / name / kSeriesResponseName; }

    testsupport::TempHome m_home;
    CSoundIn m_engine;
};

}  // namespace

TEST_F(MeasurementSeries, EmptyFolderHasNoMeasurement)
{
    fs::create_directories(Folder() / "empty");
    std::ofstream(Folder() / "impulse.wav") << "not in a sub-folder";
    std::vector<std::string> list;
    EXPECT_EQ(FindMeasurementFolders(list, Folder().string(), ""), -1);
    EXPECT_EQ(AverageImpulseResponses(Folder().string(), m_engine), kSeriesNoMeasurement);
    EXPECT_EQ(ComputeSeriesStatistics(Folder().string(), kSeriesStatisticsName, nullptr, nullptr, m_engine),
              kSeriesNoMeasurement);
    EXPECT_EQ(AverageImpulseResponses((m_home.Root() / "missing").string(), m_engine), kSeriesNoMeasurement);
}

TEST_F(MeasurementSeries, GainAndDelayVariantsAverageToOneShape)
{
    const std::vector<float> shape = ::Response(0, 1.0, 30000);
    auto shifted = [&](int delay, double gain)
    {
        std::vector<float> x(static_cast<std::size_t>(delay), 0.0f);
        for (float v : shape)
            x.push_back(static_cast<float>(v * gain));
        return x;
    };
    WriteWave(Response("p1"), shifted(100, 0.5), 48000);
    WriteWave(Response("p2"), shifted(3000, 0.1), 48000);
    WriteWave(Response("p3"), shifted(0, 0.9), 48000);
    // A file that is not a sub-folder's response, and an "average" left from before, stay out.
    WriteWave(Folder() / "average" / kSeriesResponseName, shifted(0, 0.01), 48000);
    std::vector<std::string> list;
    EXPECT_EQ(FindMeasurementFolders(list, Folder().string(), kSeriesAverageName), 3);

    ASSERT_EQ(AverageImpulseResponses(Folder().string(), m_engine), 0);
    const std::vector<float> average = ReadWave(Folder() / "average" / kSeriesResponseName);
    // Shorter than 65536 samples: 65536 samples, the loudest window starting at 6553.
    ASSERT_EQ(average.size(), 65536u);
    int start = 0;
    FindMaxRmsWindow(shape.data(), static_cast<int>(shape.size()), 100, &start);
    int averageStart = 0;
    FindMaxRmsWindow(average.data(), 65536, 100, &averageStart);
    EXPECT_EQ(averageStart, 6553);
    // The same shape, normalised to 0.9999 of full scale (16-bit recording).
    const double scale = 0.9999 / FindPeakMagnitude(shape.data(), static_cast<int>(shape.size()), nullptr);
    for (int k = -start; k < 20000; k += 7)
        ASSERT_NEAR(average[static_cast<std::size_t>(6553 + k)],
                    shape[static_cast<std::size_t>(start + k)] * scale, 2.0 / 32767.0)
            << k;
}

TEST_F(MeasurementSeries, RateMismatchAndSilentResponses)
{
    WriteWave(Response("a"), ::Response(10, 0.5, 20000), 48000);
    WriteWave(Response("b"), ::Response(10, 0.5, 20000), 44100);
    EXPECT_EQ(AverageImpulseResponses(Folder().string(), m_engine), kSeriesRateMismatch);
    EXPECT_TRUE(fs::is_directory(Folder() / "average"));
    EXPECT_FALSE(fs::exists(Folder() / "average" / kSeriesResponseName));

    // A silent response has no peak to scale by: left out and named.
    WriteWave(Response("b"), std::vector<float>(20000, 0.0f), 48000);
    std::vector<std::string> skipped;
    ASSERT_EQ(AverageImpulseResponses(Folder().string(), m_engine, &skipped), 0);
    EXPECT_EQ(skipped, std::vector<std::string>{"b"});
    const std::vector<float> average = ReadWave(Folder() / "average" / kSeriesResponseName);
    ASSERT_FALSE(average.empty());
    for (float v : average)
        ASSERT_FALSE(std::isnan(v));
    EXPECT_NEAR(FindPeakMagnitude(average.data(), static_cast<int>(average.size()), nullptr), 0.9999, 1e-3);
}

TEST_F(MeasurementSeries, StatisticsTablesReadBack)
{
    WriteWave(Response("pos1"), ::Response(480, 0.5, 72000, 1), 48000);
    WriteWave(Response("pos2"), ::Response(96, 0.3, 72000, 2), 48000);
    WriteWave(Response("quiet"), std::vector<float>(48000, 0.0f), 48000);
    m_engine.m_irDecayStartLevel = -5.0;
    m_engine.m_irDecayEndLevel = -25.0;
    std::atomic<double> progress{-1.0};
    std::vector<std::string> skipped;
    ASSERT_EQ(ComputeSeriesStatistics(Folder().string(), kSeriesStatisticsName, &progress, nullptr, m_engine,
                                      &skipped),
              0);
    EXPECT_EQ(progress.load(), 1.0);
    EXPECT_EQ(skipped, std::vector<std::string>{"quiet"});
    const std::vector<std::string> lines = ReadLines(Folder() / kSeriesStatisticsName);
    ASSERT_EQ(lines.size(), 3u);
    const std::vector<std::string> header = Split(lines[0]);
    ASSERT_GE(header.size(), 10u);
    EXPECT_EQ(
        lines[0].rfind("Messung;RT60 [ms];C50 [dB];D80 [%];C80 [dB];D50 [%];Fehler;STI;RASTI;63.0Hz;", 0),
        0u);
    for (std::size_t row = 1; row < 3; ++row)
    {
        const std::vector<std::string> cells = Split(lines[row]);
        ASSERT_EQ(cells.size(), header.size()) << lines[row];
        EXPECT_EQ(cells[0], row == 1 ? "pos1" : "pos2");
        EXPECT_NEAR(std::stod(cells[1]), 500.0, 50.0);  // RT60 in ms
        EXPECT_GT(std::stod(cells[7]), 0.3);            // STI
        EXPECT_LE(std::stod(cells[7]), 1.0);
        for (const std::string& cell : cells)
            EXPECT_EQ(cell.find("nan"), std::string::npos) << lines[row];
    }
    const std::vector<std::string> c50 = ReadLines(Folder() / "statistic_C50.csv");
    ASSERT_EQ(c50.size(), 3u);
    EXPECT_EQ(c50[0].rfind("Messung C50 [dB];63.0Hz;", 0), 0u);
    EXPECT_EQ(Split(c50[1]).size(), header.size() - 8);
    const std::vector<std::string> d80 = ReadLines(Folder() / "statistic_D80.csv");
    ASSERT_EQ(d80.size(), 3u);
    EXPECT_EQ(d80[0].rfind("Messung D80 [%];63.0Hz;", 0), 0u);
}

TEST_F(MeasurementSeries, UnsetValuesAreEmptyCellsAndTheCommaAppearsInDataOnly)
{
    // 30 ms of response: too short for the 80 ms window and for a -25 dB fit above the noise.
    WriteWave(Response("short"), ::Response(0, 0.5, 1440, 3), 48000);
    WriteWave(Response("room"), ::Response(480, 0.5, 72000, 4), 48000);
    m_engine.m_bDecimalComma = 1;
    ASSERT_EQ(ComputeSeriesStatistics(Folder().string(), kSeriesStatisticsName, nullptr, nullptr, m_engine),
              0);
    const std::vector<std::string> lines = ReadLines(Folder() / kSeriesStatisticsName);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_NE(lines[0].find(".0Hz"), std::string::npos);
    EXPECT_EQ(lines[0].find(','), std::string::npos);
    const std::vector<std::string> room = Split(lines[1]);
    EXPECT_EQ(room[0], "room");
    EXPECT_NE(room[1].find(','), std::string::npos);
    EXPECT_EQ(lines[1].find('.'), std::string::npos);
    const std::vector<std::string> shortLine = Split(lines[2]);
    EXPECT_EQ(shortLine[0], "short");
    EXPECT_EQ(shortLine[2], "");  // C50 unset
    EXPECT_EQ(shortLine[3], "");  // D80 unset
    EXPECT_EQ(lines[2].find("-100"), std::string::npos);
    EXPECT_EQ(lines[2].find("nan"), std::string::npos);
    EXPECT_EQ(lines[2].find("inf"), std::string::npos);
}

TEST_F(MeasurementSeries, StopFlagAndUnwritableTable)
{
    WriteWave(Response("p1"), ::Response(10, 0.5, 20000), 48000);
    WriteWave(Response("p2"), ::Response(10, 0.5, 20000), 48000);
    const std::atomic<std::int32_t> stop{1};
    std::atomic<double> progress{0.0};
    EXPECT_EQ(ComputeSeriesStatistics(Folder().string(), kSeriesStatisticsName, &progress, &stop, m_engine),
              kSeriesStopped);
    EXPECT_EQ(progress.load(), 0.5);
    EXPECT_FALSE(fs::exists(Folder() / kSeriesStatisticsName));
    // A table that cannot be created is an error, not a success.
    fs::create_directories(Folder() / "blocked.csv");
    EXPECT_EQ(ComputeSeriesStatistics(Folder().string(), "blocked.csv", nullptr, nullptr, m_engine),
              kSeriesTableFailed);
}

// The statistics as a background job: the worker's result, its list of left-out responses, and a
// stop request that ends the run at the next measurement without writing a table.
TEST_F(MeasurementSeries, StatisticsJobRunsOnTheWorkerAndHonoursAStop)
{
    auto waitForEnd = [](const CStatisticsJob& job)
    {
        for (int i = 0; i < 6000 && job.m_nState.load() != CBackgroundJob::kFinished; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return job.m_nState.load() == CBackgroundJob::kFinished;
    };
    WriteWave(Response("p1"), ::Response(10, 0.5, 20000), 48000);
    WriteWave(Response("p2"), std::vector<float>(20000, 0.0f), 48000);
    {
        CStatisticsJob job(m_engine);
        EXPECT_EQ(job.m_fileName, kSeriesStatisticsName);
        job.m_folder = Folder().string();
        job.Run();
        ASSERT_TRUE(waitForEnd(job));
        EXPECT_EQ(job.m_nResult.load(), 0);
        EXPECT_EQ(job.m_skipped, std::vector<std::string>{"p2"});
        EXPECT_TRUE(fs::exists(Folder() / kSeriesStatisticsName));
    }
    fs::remove(Folder() / kSeriesStatisticsName);
    for (int i = 3; i < 40; ++i)
        WriteWave(Response("p" + std::to_string(i)), ::Response(10, 0.5, 48000, static_cast<unsigned>(i)),
                  48000);
    CStatisticsJob job(m_engine);
    job.m_folder = Folder().string();
    job.Run();  // returns once the first measurement has begun
    job.RequestStop();
    ASSERT_TRUE(waitForEnd(job));
    EXPECT_EQ(job.m_nResult.load(), kSeriesStopped);
    EXPECT_LT(job.m_dProgress.load(), 1.0);
    EXPECT_FALSE(fs::exists(Folder() / kSeriesStatisticsName));
}
