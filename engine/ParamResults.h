// The engine's result block that the parameter windows read: per channel arrays unless noted. A
// value equal to kNotAvailable means "not available"; Clear sets every value to it.
//
// Threads: written and read on the user-interface thread (the measurement window fills it from the
// published figures after each display refresh).
#pragma once

#include <array>
#include <cstdint>

struct CParamResults
{
    static constexpr double kNotAvailable = 1.23457678e-99;
    static constexpr int kChannels = 64;
    static constexpr int kDistortionComponents = 10;
    using PerChannel = std::array<double, kChannels>;

    CParamResults() { Clear(); }
    void Clear();

    PerChannel m_adThd;
    PerChannel m_adThdN;
    PerChannel m_adFftPeakDb;
    PerChannel m_adPeakPosition;
    PerChannel m_adInbandDb;
    PerChannel m_adRms;
    PerChannel m_adPeakLevel;
    PerChannel m_adMarker1Db;
    PerChannel m_adMarker2Db;
    PerChannel m_adLeqMin;  // mean squares
    PerChannel m_adLeqMax;
    PerChannel m_adLeq;
    PerChannel m_adLeqShort;
    PerChannel m_adLeqLong;
    double m_dMeasurementTime;  // seconds
    PerChannel m_adSpl;         // linear
    PerChannel m_adSplZ;
    PerChannel m_adTaktMax5s;
    double m_dDelay;      // seconds
    double m_dPhaseDiff;  // degrees
    PerChannel m_adBlockMin;
    PerChannel m_adBlockMax;
    PerChannel m_adLongMax;
    PerChannel m_adLongMin;
    PerChannel m_adLongSumSquares;
    std::array<std::int64_t, kChannels> m_anLongCount;  // 0: not available
    PerChannel m_adCPeak;                               // linear
    double m_dLoadImpedance;                            // ohms
    std::array<float, kDistortionComponents> m_afDistortion;
};

inline void CParamResults::Clear()
{
    for (PerChannel* values :
         {&m_adThd,       &m_adThdN,      &m_adFftPeakDb, &m_adPeakPosition,   &m_adInbandDb,  &m_adRms,
          &m_adPeakLevel, &m_adMarker1Db, &m_adMarker2Db, &m_adLeqMin,         &m_adLeqMax,    &m_adLeq,
          &m_adLeqShort,  &m_adLeqLong,   &m_adSpl,       &m_adSplZ,           &m_adTaktMax5s, &m_adBlockMin,
          &m_adBlockMax,  &m_adLongMax,   &m_adLongMin,   &m_adLongSumSquares, &m_adCPeak})
        values->fill(kNotAvailable);
    m_dMeasurementTime = kNotAvailable;
    m_dDelay = kNotAvailable;
    m_dPhaseDiff = kNotAvailable;
    m_dLoadImpedance = kNotAvailable;
    m_anLongCount.fill(0);
    // The marker is below the range of a float; an absent component is 0, which no logarithm takes.
    m_afDistortion.fill(0.0f);
}
