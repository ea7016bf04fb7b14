// The plot's feed of the 3D waterfall. The live feed turns each freshly painted spectrum into the
// newest row; the time-signal feed computes a whole set of rows from a held time signal (an impulse
// response or a recording) on a worker thread, as a cumulative decay (each row the spectrum of the
// signal with a growing leading part removed) or a sliding window.
//
// Threads: Feed and Stop run on the user-interface thread; the worker reads the record and the
// copies of the plot's settings taken when it started, and writes rows through the window's AddRow.
// Stop (also run by the destructor) joins the worker; the owner runs it before the window or the
// record goes.
#pragma once

#include <atomic>
#include <cstdint>
#include <span>
#include <thread>
#include <vector>

#include "display/PlotRange.h"

class C3DWindowBase;

// The measurement window's held time signal.
struct WaterfallTimeSignal
{
    std::uint32_t sequence = 0;
    double sampleRate = 0.0;
    int sampleCount = 0;
    const float* samples = nullptr;
    int validCount = 0;
};

// The display frequencies of the 120 points over min..max: f_j = min × 10^(j × log10(max/min) / 120)
// on a logarithmic axis, else min + j × (max − min) / 120.
void WaterfallFrequencies(double minimum, double maximum, bool logarithmic, std::span<float> out);
// Value to row height: 10 × (value − low) / (high − low), held to 0..10 (0 for a value that is not
// a number or an empty range).
float WaterfallHeight(double value, double low, double high);

// One live row from a spectrum of `bins` values spaced `binWidth` apart: each point takes the
// maximum of the bins in its band (from the previous display frequency to its own) when there are
// two or more, else the value interpolated at the band's lower edge; with `decibel` the point's
// value v shows as logFactor × log10(v) + logOffset (the plot's display value).
struct LiveRowRange
{
    double xMin = 20.0;
    double xMax = 20000.0;
    bool logX = true;
    bool decibel = true;
    double logFactor = 10.0;
    double logOffset = 0.0;
    double yMin = -90.0;
    double yMax = 0.0;
};
void ComputeLiveRow(std::span<const float> spectrum, double binWidth, const LiveRowRange& range,
                    std::span<float> row);

class CWaterfallFeed
{
public:
    // What the time-signal worker needs, copied when it starts.
    struct TimeSignalSettings
    {
        int rows = 100;
        int slidingWindow = 0;
        int windowLength = 4096;
        double startTime = 0.0;
        double endTime = 0.0;
        int decibel = 1;
        int reverse = 0;
        double xMin = 20.0;
        double xMax = 20000.0;
        int logX = 1;
        double yMin = -90.0;
        double yMax = 0.0;
    };

    CWaterfallFeed() = default;
    ~CWaterfallFeed();
    CWaterfallFeed(const CWaterfallFeed&) = delete;
    CWaterfallFeed& operator=(const CWaterfallFeed&) = delete;

    // Starts a worker on a copy of the record's samples, unless one is still running or the record
    // holds nothing new (no data, or the sequence last fed). Returns whether one was started.
    bool StartWorker(C3DWindowBase& window, const WaterfallTimeSignal& record,
                     const TimeSignalSettings& settings);
    // Clears the feed flag and joins the worker.
    void Stop();
    // One pass of the time-signal feed over `samples` at `rate` (the worker's body); rows go to
    // `window` while the feed flag stays set. Returns the rows written.
    int ComputeRows(C3DWindowBase& window, std::span<const float> samples, double rate,
                    const TimeSignalSettings& settings);
    bool WorkerRunning() const { return m_thread.joinable() && !m_bDone.load(); }

    // Flags and settings the measurement window sets.
    std::atomic<int> m_bLive{0};
    std::atomic<int> m_bTimeSignal{0};
    int m_bSlidingWindow = 0;
    std::uint32_t m_nStyle = 0x640000C2;
    double m_dBlockTime = 0.1;
    int m_nWindowLength = 4096;
    double m_dStartTime = 0.0;
    double m_dEndTime = 0.0;
    int m_bDecibel = 1;
    int m_bReverse = 0;
    const WaterfallTimeSignal* m_pRecord = nullptr;
    std::uint32_t m_nFedSequence = 0xFFFFFFFF;
    int m_bFedOnce = 0;

private:
    std::thread m_thread;
    std::atomic<bool> m_bDone{true};
    std::vector<float> m_afSignal;
    std::vector<float> m_afWork;
};
