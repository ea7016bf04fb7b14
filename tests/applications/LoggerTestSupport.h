// Shared pieces of the level logger tests: a test clock, synthetic records and a logger set up for
// synthetic runs (no writer thread; the test drives the writer's passes).
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "applications/LevelLogger.h"

namespace loggertest
{

// Local time of the given date in the test's time zone (UTC, set by the test environment).
inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm parts{};
    parts.tm_year = year - 1900;
    parts.tm_mon = month - 1;
    parts.tm_mday = day;
    parts.tm_hour = hour;
    parts.tm_min = minute;
    parts.tm_sec = second;
    parts.tm_isdst = -1;
    return std::mktime(&parts);
}

// Record r of block b of a synthetic run: every field distinct and known.
inline CLevelRecord SyntheticRecord(std::int64_t b, int r)
{
    CLevelRecord record;
    record.m_energyTotal = static_cast<double>(b + 1) * (r + 1) * 0.25;
    record.m_rmsFast = 0.001 * static_cast<double>(b + 1) + r;
    record.m_rmsSlow = 0.002 * static_cast<double>(b + 1) + r;
    record.m_splMin = -0.01 * static_cast<double>(b % 50 + 1);
    record.m_splMax = 0.02 * static_cast<double>(b % 40 + 1);
    return record;
}

// Counts one interval's samples and stores synthetic block b as the band analyser would.
inline void FeedSyntheticBlock(CLevelLogger& logger, std::int64_t b, std::vector<CLevelRecord>& scratch)
{
    const int perBlock = logger.m_widebandCount + logger.GetLoggedBandCount();
    scratch.resize(static_cast<std::size_t>(perBlock));
    for (int r = 0; r < perBlock; ++r)
        scratch[static_cast<std::size_t>(r)] = SyntheticRecord(b, r);
    while (logger.GetSamplesToIntervalEnd() > 0)
        logger.ConsumeSamples(
            static_cast<int>(std::min<std::int64_t>(logger.GetSamplesToIntervalEnd(), 256)));
    if (logger.GetBlocksCounted() >= logger.GetPlannedBlocks() - 1 && !logger.IsDinModeActive())
    {
        logger.Stop();
        logger.RequestStopCommand();
    }
    logger.StoreRecords(scratch);
    logger.BeginInterval();
}

struct TestClock
{
    std::time_t now = 0;
};

inline void SetUpSynthetic(CLevelLogger& logger, TestClock& clock, double rate = 44100.0,
                           double interval = 0.1)
{
    logger.m_clock = [&clock] { return clock.now; };
    logger.m_startWriterThread = false;
    logger.m_sampleRate = rate;
    logger.m_fastInterval = interval;
    logger.m_interval = interval;
}

}  // namespace loggertest
