// Pulse histogram of one input channel: finds pulses on the first difference of the signal (a pulse
// starts when the difference rises to the high threshold and ends when it falls to the low threshold)
// and counts the active duration of each pulse and the period from one pulse start to the next into two
// histograms of int counters.
//
// Threads: the engine's control thread sets m_dSampleRate and calls Reset (which may allocate the bins)
// at every input start, while the analysis thread does not run. The analysis thread calls ProcessBlock
// (and through it AddInterval / AddActiveDuration) and the display post-processing (FillDisplay and the
// read accessors); after the first block ProcessBlock allocates nothing and takes no lock. The
// measurement window's dialogs write m_settings' curve selection and auto scale factor, m_dCaptureTime
// and m_dElapsedTime on the GUI thread, and the window reads m_nStatus for its status text, all without
// a lock (single aligned values). SerializeSettings runs on the control thread with the engine stopped.
#pragma once

#include "engine/HistogramSettings.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

class CArchive;

class CHistogram
{
public:
    // Longer blocks are analysed in pieces of at most this many samples.
    static constexpr int kWorkBufferSize = 65536;

    enum Status : int
    {
        kStatusAnalysed = 0,
        kStatusLevelTooLow = 1,
        kStatusLevelTooHigh = 2,
        kStatusCountdownElapsed = 3,
    };

    enum DisplayMode : int
    {
        kDisplayOscilloscope = 0,
        kDisplayPeriod = 1,
        kDisplayActiveDuration = 2,
        kDisplayDifferentiated = 3,
    };

    CHistogram();
    virtual ~CHistogram() = default;
    CHistogram(const CHistogram&) = delete;
    CHistogram& operator=(const CHistogram&) = delete;

    // Control thread, analysis stopped. Makes the bins fit the settings' bin counts (allocates when they
    // are missing or their size differs), clears every count and the detector, and sets both range
    // maxima so that one bin spans one sample period of m_dSampleRate.
    void Reset();
    // Analysis thread. Analyses one channel block; nothing happens for count <= 0.
    void ProcessBlock(const float* samples, int count);
    // Analysis thread. Count one period or one active duration (seconds) into its bins.
    void AddInterval(double seconds);
    void AddActiveDuration(double seconds);
    // Control thread. Stores or loads the settings record of the workspace.
    void SerializeSettings(CArchive& ar);

    // Analysis thread (display post-processing). Writes the display row of `mode`: the period or the
    // active-duration bins as fractions of their count, or the last differentiated block; the rest of
    // the row is 0. Mode 0 (oscilloscope) leaves the row alone.
    void FillDisplay(int mode, float* row, int length) const;
    std::span<const int> PeriodBins() const { return m_periodBins; }
    int PeriodCount() const { return m_nPeriodCount; }
    std::span<const int> ActiveDurationBins() const { return m_activeBins; }
    int ActiveDurationCount() const { return m_nActiveCount; }
    // The last block, scaled (and differentiated when it was analysed), and how many samples of it hold.
    std::span<const float> WorkBuffer() const { return {m_workBuffer.data(), std::size_t(WorkLength())}; }
    int WorkLength() const { return m_nLastBlockLength; }

    // The window's status line text for a status: empty for an analysed block.
    static const char* GetStatusText(int status);

    // Stored settings: enabled flag, curve selection, relative thresholds, the two factors, the ranges
    // and the bin counts.
    CHistogramSettings m_settings;
    // Peak-to-peak limits of the scaled block: below the lower one the block is too weak, above the
    // upper one too strong to be analysed.
    double m_dLevelLow = 0.05;
    double m_dLevelHigh = 0.3;
    double m_dCaptureTime = 0.0;  // seconds; 0 = no limit
    float m_fBlockMin = 1e38f;
    float m_fBlockMax = -1e38f;
    int m_nStatus = kStatusAnalysed;
    float m_fInputScale = 1.0f;
    std::vector<int> m_activeBins;
    std::vector<int> m_periodBins;
    std::vector<float> m_workBuffer;
    int m_nPeriodCount = 0;
    int m_nActiveCount = 0;
    double m_dSampleRate = 0.0;
    int m_nState = 0;  // 0 waiting for the first pulse, 1 between pulses, 2 inside a pulse
    float m_fHighThreshold = 0.05f;
    float m_fLowThreshold = -0.05f;
    float m_fPrevSample = 0.0f;
    float m_fDiffMin = 0.0f;
    float m_fDiffMax = 0.0f;
    int m_bStartOfBlock = 1;
    float m_fSign = 1.0f;
    double m_dElapsedTime = 0.0;
    double m_dDurationSum = 0.0;
    std::int64_t m_nPulseWidth = 0;
    std::int64_t m_nInterval = 0;
    // The last piece handed to the analysis (the caller's memory, valid while its block is) and the
    // sample the detector examined last; kept for the display.
    const float* m_pLastBlock = nullptr;
    int m_nLastBlockLength = 0;
    int m_nExamined = 0;

private:
    // At most kWorkBufferSize samples.
    void ProcessPiece(const float* samples, int count);
    // Makes each bin array the size of its (limited) bin count; true when one was (re)created.
    bool MakeBins(bool onlyMissing);
};
