// The stored settings of one pulse histogram of the engine (active durations and periods of the
// pulses of an input channel): the record the workspace keeps for each of the engine's two
// histograms.
#pragma once

#include <cstdint>

class CArchive;

struct CHistogramSettings
{
    // Bytes of the stored record; 512 reserved words close it.
    static constexpr std::size_t kStoredBytes = 2116;
    static constexpr int kReservedWords = 512;
    // A stored bin count above this (or below 1) is refused.
    static constexpr std::int32_t kMaxBins = 1 << 20;

    // Stores or loads the record; a loaded record with a bin count out of range raises the archive
    // error and leaves this record unchanged.
    void Serialize(CArchive& ar);
    friend bool operator==(const CHistogramSettings&, const CHistogramSettings&) = default;

    std::int32_t m_bEnabled = 0;
    std::int32_t m_nCurve = 2;  // 0 oscilloscope, 1 period, 2 active duration, 3 differentiated
    std::int32_t m_bRelativeThresholds = 1;
    double m_dAutoScale = 0.7;
    double m_dSecondFactor = 0.01;
    double m_dActiveMin = 0.0;
    double m_dActiveMax = 1.0;
    double m_dPeriodMin = 0.0;
    double m_dPeriodMax = 1.0;
    std::int32_t m_nActiveBins = 65536;
    std::int32_t m_nPeriodBins = 65536;
};
