// The level loggers of 64 channels.
//
// BM_LoggingChannels: 64 band analysers with third-octave bands from 20 Hz to 20 kHz and the Z, A and
// C wideband meters at 48 kHz, fed in blocks of 512 samples through ProcessChannels as the engine
// feeds them, without (logging 0) and with (logging 1) a logging run at 0.1 s per block on every
// channel. The counter "channels" is how many channels one core runs in real time; the difference of
// the two is what logging costs.
//
// BM_SyncedJournals: 64 loggers on synthetic intervals of 0.1 s (34 records each, as the analysers
// above store them), each writer pass appending the new blocks to its logger's journal and flushing
// it to disk, one pass per interval. The counter "realtime" is how many times faster than
// real time the journals keep up (wall clock). The journals go to TESSARIN_BENCH_FOLDER, or the
// system's temporary folder.
#include <benchmark/benchmark.h>

#include <atomic>
#include <barrier>
#include <thread>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <numbers>
#include <string>
#include <vector>

#include "applications/LevelLogger.h"
#include "dsp/BandAnalyzer.h"

namespace
{
constexpr double kRate = 48000.0;
constexpr int kBlock = 512;
constexpr int kChannels = 64;

std::filesystem::path BenchFolder(const char* name)
{
    const char* root = std::getenv("TESSARIN_BENCH_FOLDER");
    std::filesystem::path folder =
        (root && *root ? std::filesystem::path(root) : std::filesystem::temp_directory_path()) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

void BM_LoggingChannels(benchmark::State& state)
{
    const bool logging = state.range(0) != 0;
    const std::filesystem::path folder = BenchFolder("tessarin_logging_bench");
    std::vector<std::unique_ptr<CBandAnalyzer>> analyzers;
    std::vector<std::unique_ptr<CLevelLogger>> loggers;
    std::vector<CBandAnalyzer*> pointers;
    for (int c = 0; c < kChannels; ++c)
    {
        auto logger = std::make_unique<CLevelLogger>(folder.string(), folder.string());
        logger->m_startWriterThread = false;
        logger->m_journalOn = false;
        logger->m_channel = c;
        logger->m_fastInterval = 0.1;
        logger->m_plannedBlocks = 1000;
        auto analyzer = std::make_unique<CBandAnalyzer>();
        analyzer->m_sampleRate = kRate;
        analyzer->m_minFrequency = 20.0;
        analyzer->m_maxFrequency = 20000.0;
        analyzer->m_bandsPerOctave = 3;
        analyzer->m_widebandSet = 0;
        analyzer->SetLogger(logger.get());
        analyzer->Configure();
        if (logging && !analyzer->StartLogging())
        {
            state.SkipWithError("logging did not start");
            return;
        }
        pointers.push_back(analyzer.get());
        analyzers.push_back(std::move(analyzer));
        loggers.push_back(std::move(logger));
    }
    std::vector<float> signal(static_cast<std::size_t>(kRate));
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(0.3 * std::sin(2.0 * std::numbers::pi * 997.0 * i / kRate) +
                                       0.1 * std::sin(0.37 * i * i / kRate));
    std::vector<const float*> samples(kChannels);
    std::size_t position = 0;
    for (auto _ : state)
    {
        for (int c = 0; c < kChannels; ++c)
            samples[static_cast<std::size_t>(c)] =
                signal.data() + (position + 97 * c) % (signal.size() - kBlock);
        CBandAnalyzer::ProcessChannels(pointers, samples, kBlock);
        position = (position + kBlock) % (signal.size() - kBlock);
        // A run that reached its planned length starts again, outside the timing.
        if (logging && !loggers[0]->IsRunning())
        {
            state.PauseTiming();
            for (CBandAnalyzer* analyzer : pointers)
            {
                analyzer->StopLogging();
                analyzer->StartLogging();
            }
            state.ResumeTiming();
        }
    }
    const double seconds = static_cast<double>(state.iterations()) * kBlock / kRate * kChannels;
    state.counters["channels"] = benchmark::Counter(seconds, benchmark::Counter::kIsRate);
    state.counters["records"] =
        static_cast<double>(loggers[0]->m_widebandCount + loggers[0]->GetLoggedBandCount());
    for (CBandAnalyzer* analyzer : pointers)
        analyzer->StopLogging();
    loggers.clear();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoggingChannels)
    ->ArgName("logging")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->MinTime(5.0);

// Argument: 1: each logger's pass on a thread of its own, as every logger of the program has its
// writer thread; 0: all passes one after the other on one thread.
void BM_SyncedJournals(benchmark::State& state)
{
    constexpr int kRecords = 34;  // Z, A, C and 31 third-octave bands
    const bool threads = state.range(0) != 0;
    const std::filesystem::path folder = BenchFolder("tessarin_journal_bench");
    std::vector<std::unique_ptr<CLevelLogger>> loggers;
    std::vector<double> centres(kRecords - 3);
    for (std::size_t i = 0; i < centres.size(); ++i)
        centres[i] = 20.0 * std::pow(2.0, static_cast<double>(i) / 3.0);
    for (int c = 0; c < kChannels; ++c)
    {
        auto logger = std::make_unique<CLevelLogger>(folder.string(), folder.string());
        logger->m_startWriterThread = false;
        logger->m_channel = c;
        logger->m_sampleRate = kRate;
        logger->m_fastInterval = 0.1;
        logger->m_plannedBlocks = 1000;  // the ring wraps: the journal reads each block once
        logger->SetBandConfiguration(kRate, 20.0, 20000.0, 3, centres);
        if (!logger->AllocateBlocks() || !logger->Start())
        {
            state.SkipWithError("logging did not start");
            return;
        }
        loggers.push_back(std::move(logger));
    }
    // The writers: each waits for a pass, runs it and reports it done.
    std::barrier start(kChannels + 1);
    std::barrier done(kChannels + 1);
    std::atomic<bool> end{false};
    std::vector<std::thread> writers;
    if (threads)
        for (int c = 0; c < kChannels; ++c)
            writers.emplace_back(
                [&, c]
                {
                    for (;;)
                    {
                        start.arrive_and_wait();
                        if (end.load())
                            return;
                        loggers[static_cast<std::size_t>(c)]->RunWriterPass();
                        done.arrive_and_wait();
                    }
                });
    std::vector<CLevelRecord> records(kRecords);
    std::int64_t block = 0;
    for (auto _ : state)
    {
        for (auto& logger : loggers)
        {
            for (int r = 0; r < kRecords; ++r)
            {
                CLevelRecord& record = records[static_cast<std::size_t>(r)];
                record.m_energyTotal = static_cast<double>(block + 1) * (r + 1);
                record.m_rmsFast = record.m_rmsSlow = 0.1 + r * 0.01;
                record.m_splMin = -0.5;
                record.m_splMax = 0.5;
            }
            logger->ConsumeSamples(static_cast<int>(logger->GetSamplesToIntervalEnd()));
            logger->StoreRecords(records);
            logger->BeginInterval();
        }
        if (threads)
        {
            start.arrive_and_wait();
            done.arrive_and_wait();
        }
        else
            for (auto& logger : loggers)
                logger->RunWriterPass();
        ++block;
    }
    if (threads)
    {
        end.store(true);
        start.arrive_and_wait();
        for (std::thread& writer : writers)
            writer.join();
    }
    state.counters["realtime"] =
        benchmark::Counter(static_cast<double>(state.iterations()) * 0.1, benchmark::Counter::kIsRate);
    loggers.clear();
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_SyncedJournals)
    ->ArgName("threads")
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->MinTime(10.0);

}  // namespace

BENCHMARK_MAIN();
