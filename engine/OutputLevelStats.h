// The level statistic of one generator output channel: RMS, minimum, maximum and peak of the last
// half second of 32-bit samples, as fractions of full scale (2^31).
//
// Threads: Reset and SetSampleRate while the output is stopped or from the user-interface thread
// before a run; AddBlock on the output callback's thread; the results are read from any thread
// (each one is published whole, without a lock).
#pragma once

#include <atomic>
#include <cstdint>
#include <span>

class COutputLevelStats
{
public:
    static constexpr double kBlockTime = 0.5;  // s

    COutputLevelStats();

    void Reset();
    // Gives the rate (a rate not above 0 stops the statistic) and resets.
    void SetSampleRate(double rate);
    // Ignored until a sample rate above 0 is set.
    void AddBlock(const std::int32_t* samples, int count);
    void AddBlock(std::span<const std::int32_t> samples)
    {
        AddBlock(samples.data(), static_cast<int>(samples.size()));
    }

    double GetRms() const { return m_rms.load(std::memory_order_relaxed); }
    double GetMin() const { return m_min.load(std::memory_order_relaxed); }
    double GetMax() const { return m_max.load(std::memory_order_relaxed); }
    double GetPeak() const { return m_peak.load(std::memory_order_relaxed); }

private:
    std::atomic<double> m_rms{0.0};
    std::atomic<double> m_min{0.0};
    std::atomic<double> m_max{0.0};
    std::atomic<double> m_peak{0.0};
    double m_sampleRate = -1.0;
    std::int32_t m_blockLength = -1;
    std::int32_t m_counter = -1;
    double m_sumSquares = 0.0;
    double m_runningMin = 1e100;
    double m_runningMax = -1e100;
};
