#include "dsp/LoggerRangeStatistics.h"

#include <algorithm>
#include <cmath>

#include "dsp/LevelLoggerSink.h"

std::int64_t ClampLoggedRange(std::int64_t stored, std::int64_t& first, std::int64_t& last)
{
    if (first < 0)
    {
        first = 0;
        last = stored - 1;
    }
    if (last < 0)
        last = stored - 1;
    last = std::min(last, stored - 1);
    if (first >= last)
        first = last;
    return stored > 0 ? last - first + 1 : 0;
}

void ComputeLoggerRangeStatistics(const CLevelLoggerSink& logger, std::vector<CLoggerRangeEntry>& entries,
                                  std::int64_t first, std::int64_t last)
{
    entries.clear();
    if (ClampLoggedRange(logger.GetStoredBlocks(), first, last) == 0)
        return;
    const int wideband = logger.GetRecordWidebandCount();
    const int channels = wideband + logger.GetLoggedBandCount();
    entries.resize(static_cast<std::size_t>(std::max(channels, 0)));
    for (int c = 0; c < channels; ++c)
    {
        CLoggerRangeEntry& entry = entries[static_cast<std::size_t>(c)];
        entry.m_mean.m_splMin = 0.0;
        entry.m_minimum.m_energyBlock = entry.m_minimum.m_rmsFast = entry.m_minimum.m_rmsSlow = 1e99;
        entry.m_maximum.m_energyBlock = entry.m_maximum.m_rmsFast = entry.m_maximum.m_rmsSlow = -1e99;
        entry.m_maximum.m_splMax = 0.0;
        const int w = c < wideband ? c : -1;
        const int band = c < wideband ? -1 : c - wideband;
        double previous = first > 0 ? logger.GetRecord(first - 1, w, band).m_energyTotal : 0.0;
        double energy = 0.0;
        for (std::int64_t j = first; j <= last; ++j)
        {
            const CLevelRecord record = logger.GetRecord(j, w, band);
            const double blockEnergy = record.m_energyTotal - previous;
            previous = record.m_energyTotal;
            energy += blockEnergy;
            entry.m_mean.m_rmsFast += record.m_rmsFast;
            entry.m_mean.m_rmsSlow += record.m_rmsSlow;
            entry.m_minimum.m_energyBlock = std::min(entry.m_minimum.m_energyBlock, blockEnergy);
            entry.m_maximum.m_energyBlock = std::max(entry.m_maximum.m_energyBlock, blockEnergy);
            entry.m_minimum.m_rmsFast = std::min(entry.m_minimum.m_rmsFast, record.m_rmsFast);
            entry.m_maximum.m_rmsFast = std::max(entry.m_maximum.m_rmsFast, record.m_rmsFast);
            entry.m_minimum.m_rmsSlow = std::min(entry.m_minimum.m_rmsSlow, record.m_rmsSlow);
            entry.m_maximum.m_rmsSlow = std::max(entry.m_maximum.m_rmsSlow, record.m_rmsSlow);
            entry.m_maximum.m_splMax = std::max(entry.m_maximum.m_splMax, record.GetPeak());
            entry.m_samples += logger.GetSampleCount(j);
        }
        entry.m_mean.m_energyTotal = entry.m_mean.m_energyBlock = energy;
        const double blocks = static_cast<double>(last - first + 1);
        entry.m_mean.m_rmsFast /= blocks;
        entry.m_mean.m_rmsSlow /= blocks;
    }
}
