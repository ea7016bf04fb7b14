// A band-limited, frequency-weighted short-term energy series: one mean-square value per interval
// (1 ms by default) into a ring of 8192 values that the measurement engine reads.
//
// Threads: Configure and Reset while the owner is not fed (the band analyser's configuration);
// Process on the analysis thread. The ring is read by the engine on the analysis thread.
#pragma once

#include <array>
#include <cstdint>

#include "common/FloatRingBuffer.h"
#include "dsp/DesignedFilter.h"
#include "dsp/WeightingFilters.h"

class CWeightedEnergyTrace
{
public:
    static constexpr int kCapacity = 8192;

    CWeightedEnergyTrace();
    CWeightedEnergyTrace(const CWeightedEnergyTrace&) = delete;
    CWeightedEnergyTrace& operator=(const CWeightedEnergyTrace&) = delete;

    void Configure();
    void Reset();
    // Works in place on the caller's copy of the block.
    void Process(float* samples, int count);
    // The weighting filter of the code, or null for Z, ITU-ARM and unknown codes.
    CFilterStage* GetWeightingFilter(int code);

    std::int32_t m_enabled = 1;
    double m_sampleRate = -1.0;
    double m_lowCorner = 20.0;
    double m_highCorner = 20000.0;
    std::int32_t m_bypassBandLimit = 1;
    std::int32_t m_weighting = 0;
    double m_interval = 0.001;
    std::int32_t m_samplesPerInterval = 0;
    double m_fraction = 0.0;
    double m_fractionAccumulator = 0.0;
    double m_actualInterval = 0.0;
    std::int32_t m_capacity = kCapacity;
    std::int64_t m_totalSamples = 0;
    CFloatRingBuffer m_ring;
    CDesignedFilter m_bandLimit;
    CWeightingFilterSet m_weightingFilters;
    double m_sum = 0.0;
    std::int32_t m_countdown = 0;
    std::int32_t m_count = 0;
    std::array<float, kCapacity> m_storage{};
};
