// The engine's long-term level monitor: per channel, the values one band analyser delivers at a fixed
// interval become a running mean, a short and a long exponential average (plain means while they warm
// up), a minimum, a maximum and a scrolling history.
//
// Threads: EnsureHistoryBuffers (allocates) on the control side while the engine is stopped; AddValues
// on the analysis thread; Reset on either, while the analysis does not run. Readers (the measurement
// windows) read the figures without a lock.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

class CLevelMonitor
{
public:
    static constexpr int kMaxChannels = 64;
    static constexpr float kEmptyHistoryValue = 1e-13f;  // -130 dB

    struct Channel
    {
        double stepSum = 0.0;
        double energyTotal = 0.0;
        double mean = 0.0;
        double shortState = 0.0;
        double shortOutput = 0.0;
        double longState = 0.0;
        double longOutput = 0.0;
        double minimum = 1e39;
        double maximum = -1e39;
        std::vector<float> history;
    };

    // One history of `length` values for each of `channels`, then Reset. False (nothing changed) for a
    // length outside 1 .. 2^24 or a channel count outside 1 .. 64.
    bool EnsureHistoryBuffers(int channels, std::int64_t length);
    void Reset();
    // One value per channel (values[c], the channels of `enabled`), delivered `interval` seconds apart.
    void AddValues(std::span<const float> values, std::span<const int> enabled, double interval);

    std::array<Channel, kMaxChannels> m_channels;
    std::int64_t m_nHistoryLength = 0;
    std::int64_t m_nWriteIndex = 0;
    std::int64_t m_nValuesCounted = 0;
    double m_dShortElapsed = 0.0;
    double m_dLongElapsed = 0.0;
    double m_dTotalTime = 0.0;
    double m_dShortTime = 5.0;
    double m_dLongTime = 1800.0;
};
