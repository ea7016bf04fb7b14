// The level logger's stored run as the result selection of the logger time display reads it.
//
// Threads: user-interface thread, with the logger stopped.
#pragma once

#include <algorithm>

#include "applications/LevelLogger.h"
#include "view/SplViewerSelection.h"

class CLevelLoggerSplData : public CSplLoggerData
{
public:
    explicit CLevelLoggerSplData(const CLevelLogger& logger) : m_logger(logger) {}

    std::int64_t GetBlockCount() const override { return m_logger.GetStoredBlocks(); }
    double GetTimeResolution() const override { return m_logger.m_fastInterval; }
    std::time_t GetStartTime() const override { return m_logger.m_startTime; }
    std::vector<int> GetWeightings() const override
    {
        std::vector<int> weightings;
        const int count = std::clamp(m_logger.m_widebandCount, 0, CLevelLogger_settings::kMaxWideband);
        for (int k = 0; k < count; ++k)
            weightings.push_back(m_logger.m_wideband[k].m_weighting);
        return weightings;
    }
    std::vector<double> GetBandCentres() const override { return m_logger.m_bands.m_centers; }

private:
    const CLevelLogger& m_logger;
};
