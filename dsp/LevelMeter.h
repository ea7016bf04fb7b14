// The level meter of one signal path (one band or one weighted wideband signal): equivalent RMS since
// reset, five exponentially time-weighted RMS levels (Impulse, Fast, Slow, 10 s, 60 s), the CCIR
// quasi-peak envelope, sample extremes, the takt-maximum level and the per-interval values that the
// sound level logger collects. Levels are linear RMS in the unit of the samples.
//
// Threads: ProcessBlock runs on the analysis thread (or a file-analysis job's thread); it allocates
// nothing. Readers on the user-interface thread read the level doubles without a lock: each is written
// once per block. Reset and EndLoggerInterval run on the thread that feeds the meter, or while it is
// not fed.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "dsp/DesignedFilter.h"
#include "dsp/EnvelopeFollower.h"

// Level quantity indexes of CLevelMeter::GetLevel.
inline constexpr int kLevelImpulse = 1;
inline constexpr int kLevelFast = 2;
inline constexpr int kLevelSlow = 3;
inline constexpr int kLevelCcir = 4;
inline constexpr int kLevelEquivalent = 5;
inline constexpr int kLevel10s = 6;
inline constexpr int kLevel60s = 7;
inline constexpr int kLevelInterval = 9;
inline constexpr int kLevelLastInterval = 10;
inline constexpr int kLevelMaxInterval = 11;

class CLevelMeter
{
public:
    // The largest block handled in one step; longer blocks are fed in steps of this size.
    static constexpr int kWorkSamples = 8192;
    static constexpr int kDetectors = 5;  // Slow, Fast, Impulse, 10 s, 60 s

    CLevelMeter();
    ~CLevelMeter();
    CLevelMeter(const CLevelMeter&) = delete;
    CLevelMeter& operator=(const CLevelMeter&) = delete;

    // Clears the levels, statistics and detector histories; keeps the rate, the decimation factor,
    // the time constants, the 10 s and 60 s levels and the envelope follower.
    void Reset();
    // Feeds one block; nothing for count < 1 or while m_sampleRate is not positive; the samples are
    // not changed.
    void ProcessBlock(const float* samples, int count);
    // Feeds meters[i] with samples[i] (count samples each) as ProcessBlock would, with the rectifiers
    // and detectors of up to four meters running side by side in the lanes of vector registers (AVX2
    // or SSE2, chosen at run time); the levels are bit for bit those of ProcessBlock. Null meters
    // are skipped. Allocates nothing.
    static void ProcessLanes(std::span<CLevelMeter* const> meters, std::span<const float* const> samples,
                             int count);
    // The level quantity of the index (see the constants above); 0 for any other index.
    double GetLevel(int index) const;
    // The meter's side of the logger interval hand-over, after the logger has read the interval
    // values: restarts the interval minimum, maximum, energy, RMS and sample count, moves the interval
    // RMS into the last and largest interval RMS, and the block peak into the previous peak and the
    // peak hold.
    void EndLoggerInterval();

    double m_sampleRate = -1.0;
    std::int32_t m_decimationFactor = 1;
    double m_energySum = 0.0;
    double m_rmsSinceReset = 0.0;
    double m_minSample = 1e99;
    double m_maxSample = -1e99;
    double m_levelFast = 0.0;
    double m_levelSlow = 0.0;
    double m_levelImpulse = 0.0;
    double m_level10s = 0.0;
    double m_level60s = 0.0;
    double m_maxFastLevel = -1e99;
    double m_ccirLevel = 1e-99;
    double m_tauSlow = 1.0;
    double m_tauFast = 0.125;
    double m_tauImpulse = 0.035;
    double m_tau10s = 10.0;
    double m_tau60s = 60.0;
    double m_taktMaxLast = 0.0;
    double m_taktMaxRunning = 0.0;
    double m_taktInterval = 5.0;
    double m_taktRemaining = 5.0;
    double m_taktSumSquares = 0.0;
    double m_taktCount = 0.0;
    double m_taktLevel = 0.0;
    double m_taktRatio = 0.0;
    std::array<double, 8> m_percentiles{};
    double m_intervalEnergy = 0.0;
    double m_intervalMin = 1e99;
    double m_intervalMax = -1e99;
    double m_intervalRms = 1e-99;
    double m_lastIntervalRms = 1e-99;
    double m_maxIntervalRms = 1e-99;
    std::int32_t m_intervalSampleCount = 0;
    std::int64_t m_sampleCount = 0;
    std::array<CDesignedFilter, kDetectors> m_timeWeightingFilters;
    CEnvelopeFollower m_envelope;
    // Per logger interval, as the logger and the peak displays read them: the largest |sample| of the
    // interval so far, that of the previous interval, the largest of all completed intervals since
    // reset, and the number of blocks fed in the interval.
    double m_blockPeak = 0.0;
    double m_previousBlockPeak = 0.0;
    double m_peakHold = 0.0;
    std::int32_t m_blockCounter = 0;

private:
    // Coefficients and histories of the five detectors for one piece, in the order Impulse, Fast,
    // Slow, 10 s, 60 s.
    struct DetectorSet
    {
        double b0[kDetectors];
        double b1[kDetectors];
        double a1[kDetectors];
        double gain[kDetectors];
        double state[kDetectors];
        bool active[kDetectors];
    };

    void ProcessPiece(const float* samples, int count);
    // The statistics of a piece (sums, extremes, peaks, counts).
    void BeginPiece(const float* samples, int count);
    // Designs the detectors for the present rate and time constants and reads their histories.
    void SetUpDetectors(DetectorSet& set);
    // Stores the detector histories and levels and runs the takt-maximum clock.
    void EndPiece(const DetectorSet& set);
    double Tau(int detector) const;

    // Histories of the five detector recursions (order of m_timeWeightingFilters) and the last
    // squared sample they saw.
    std::array<double, kDetectors> m_detectorState{};
    double m_lastSquared = 0.0;
    // The duration of the piece being fed, in seconds of the full-rate input.
    double m_pieceSeconds = 0.0;
    // The detector coefficients of the last full SetUpDetectors, for the rate and time constants it
    // ran with (m_setUpRate, m_setUpTaus): while they stay, the designs are read from here instead of
    // from the five filter objects (which lie far apart in memory).
    DetectorSet m_setUp{};
    double m_setUpRate = -1.0;
    std::array<double, kDetectors> m_setUpTaus{};
    bool m_setUpValid = false;
};
