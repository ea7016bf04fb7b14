// The real-time analyser of one input channel: fractional-octave bands (octave, third-octave or
// narrower on the third-octave grid) from IIR band-passes behind a cascade of halvings of the rate,
// a level meter per band, up to seven frequency-weighted wideband meters, the weighted short-term
// energy trace, and, while a logging run is active, one block of level records per logger interval
// handed to the channel's sound level logger.
//
// Threads: Configure, ResetLevels, CopySettingsToLogger and the logging-run operations run on the
// user-interface thread; ProcessBlock runs on the analysis thread. They are kept apart by one flag
// word instead of a lock: Configure and ResetLevels wait (yielding) for a block in progress to end and
// hold the flag while they rebuild; a block that arrives meanwhile is not analysed and is counted in
// m_skippedBlocks (ProcessBlock never waits). Level readers on the user-interface thread read the
// meters' doubles and the band centres without a lock.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "dsp/Decimator.h"
#include "dsp/DesignedFilter.h"
#include "dsp/LevelLoggerSink.h"
#include "dsp/LevelMeter.h"
#include "dsp/WeightedEnergyTrace.h"
#include "dsp/WeightingFilters.h"

// 10^(0.3 / (2 · bandsPerOctave)): from a band's exact mid-band frequency to its upper edge (the
// base-ten band edges of the fractional-octave filter standard).
double HalfBandFactor(int bandsPerOctave);
// The nominal centre of the highest band whose upper edge does not exceed f (octave centres for one
// band per octave, the third-octave series otherwise); -1 when no band fits. The band's upper edge
// (its exact base-ten mid-band frequency times HalfBandFactor) goes to *upperEdge and the mid-band
// frequency to *midband when they are not null.
double NominalBandCenter(double f, int bandsPerOctave, double* upperEdge, double* midband = nullptr);

class CBandAnalyzer
{
public:
    static constexpr int kMaxBands = 256;
    static constexpr int kWidebandMeters = 7;
    static constexpr int kMaxChunk = 256;
    static constexpr int kMinWorkCapacity = 512;
    // Band filters run side by side (see CBiquadLanes) in groups of at most this many.
    static constexpr int kLaneBands = 8;
    // Channels analysed side by side in one pass of ProcessChannels.
    static constexpr int kChannelGroup = 8;

    CBandAnalyzer();
    virtual ~CBandAnalyzer();
    CBandAnalyzer(const CBandAnalyzer&) = delete;
    CBandAnalyzer& operator=(const CBandAnalyzer&) = delete;

    // Builds the band set and the wideband slots for the current members. User-interface thread.
    void Configure();
    // Analyses one block; the samples are read, never written. Analysis thread.
    void ProcessBlock(const float* samples, int count);
    // Analyses one block per channel: analyzers[i] reads samples[i] (count samples each) as its
    // ProcessBlock would, with the results of ProcessBlock bit for bit; the band filters, halving
    // filters and meters of channels with the same band layout run side by side. Null analysers
    // are skipped. Analysis thread; allocates nothing.
    static void ProcessChannels(std::span<CBandAnalyzer* const> analyzers,
                                std::span<const float* const> samples, int count);
    // Resets every band meter, the current wideband meters and the energy trace.
    void ResetLevels();
    void SelectWidebandSlots();
    int FindWidebandSlot(int code) const;
    CFilterStage* GetWeightingFilter(int code);
    int GetLoggedBandCount() const;
    void CopySettingsToLogger();
    // Statistics of the logged blocks first..last (-1: from the first / to the last) into the
    // meters, where displays and reports read them like live levels: per wideband slot the
    // equivalent level, largest Fast level and peak; per band the equivalent, largest Fast and
    // largest interval level; for the A-weighted slot the takt-maximum level and the percentile
    // levels L0.1 .. L99. Nothing while the logger runs, when the range was evaluated last time, or
    // when no block is stored. User-interface or report thread.
    void EvaluateRange(int first, int last);
    // A logging run of the logger: StartLogging copies the analyser's configuration into the
    // logger, has it build its block ring, resets the levels and starts the run (false, nothing
    // started, when there is no logger, no memory or the logger refuses); StopLogging ends the run
    // (in DIN 15905 mode closing the last period). LoadLoggerData reads a data set into the logger
    // and evaluates all of it; while the logger runs it does nothing (false). CheckDinPeriod is the
    // DIN 15905 period change of the first window's timer: when a period is due it is closed and the
    // next one starts with fresh levels. User-interface thread.
    bool StartLogging();
    void StopLogging();
    bool LoadLoggerData(const std::string& path, const std::string& section, std::string* reason = nullptr);
    bool CheckDinPeriod();
    void FeedMeter(CLevelMeter* meter, float* samples, int count);
    // The logger this analyser feeds (not owned; null: no logging). Set while the analyser is not fed.
    void SetLogger(CLevelLoggerSink* logger) { m_logger = logger; }
    int GetWidebandCount() const { return m_widebandCount; }

    std::int32_t m_enabled = 1;
    std::atomic<std::int32_t> m_loggingActive{0};
    std::int32_t m_bandsEnabled = 1;
    double m_sampleRate = -1.0;
    double m_minFrequency = 20.0;
    double m_maxFrequency = 20000.0;
    std::int32_t m_bandsPerOctave = 3;
    std::int32_t m_displayWeighting = 0;
    std::int32_t m_widebandSet = 0;
    CWeightedEnergyTrace m_energyTrace;
    CLevelLoggerSink* m_logger = nullptr;
    std::array<CLevelMeter*, kMaxBands> m_widebandMeters{};
    std::array<CFilterStage*, kMaxBands> m_widebandFilters{};
    std::array<int, kMaxBands> m_widebandWeightings{};
    int m_widebandCount = 0;
    std::int32_t m_evaluatedFirst = -10;
    std::int32_t m_evaluatedLast = -10;
    std::array<CLevelMeter, kWidebandMeters> m_meters;
    CLevelMeter* m_currentMeter = &m_meters[0];
    std::array<std::unique_ptr<CLevelMeter>, kMaxBands> m_bandMeters;
    std::array<std::unique_ptr<CDesignedFilter>, kMaxBands> m_bandDecimationFilters;
    std::array<std::unique_ptr<CDesignedFilter>, kMaxBands> m_bandFilters;
    CWeightingFilterSet m_weightingFilters;
    std::int32_t m_bandCount = 0;
    std::array<double, kMaxBands> m_bandCenters{};
    // The exact base-ten mid-band frequency of band i (Hz), around which its filter is designed.
    std::array<double, kMaxBands> m_bandMidFrequencies{};
    std::array<std::int32_t, kMaxBands> m_bandDecimation{};
    std::array<CDecimator, kMaxBands> m_bandDecimators;
    std::int32_t m_workCapacity = 0;
    std::vector<float> m_workBuffer;
    std::vector<float> m_inputCopy;
    // The band outputs of one group of band filters: kLaneBands rows of kMaxChunk samples.
    std::vector<float> m_laneBuffer;
    // Blocks that arrived while Configure or ResetLevels held the analyser.
    std::atomic<std::int64_t> m_skippedBlocks{0};

private:
    enum : int
    {
        kIdle = 0,
        kProcessing = 1,
        kConfiguring = 2
    };
    // Holds the analyser against ProcessBlock for the lifetime of the object (user-interface side).
    class ExclusiveUse
    {
    public:
        explicit ExclusiveUse(CBandAnalyzer& owner);
        ~ExclusiveUse();
        ExclusiveUse(const ExclusiveUse&) = delete;
        ExclusiveUse& operator=(const ExclusiveUse&) = delete;

    private:
        CBandAnalyzer& m_owner;
    };

    void ConfigureLocked();
    void ResetLevelsLocked();
    void ProcessChunk(const float* samples, int n);
    // The energy trace and the weighted wideband meters of one chunk.
    void ProcessWideband(const float* samples, int n);
    // ProcessWideband for each analyser of a group, the same weighting of several analysers side by
    // side.
    static void ProcessWideband(std::span<CBandAnalyzer* const> group, std::span<const float* const> samples,
                                int n);
    // The bands of one chunk of each analyser of a group that shares one band layout.
    static void ProcessBands(std::span<CBandAnalyzer* const> group, std::span<const float* const> samples,
                             int n);
    bool SharesBandLayout(const CBandAnalyzer& other) const;
    // True while a logging run is active and the logger runs (analysis thread).
    bool IsLogging() const
    {
        return m_loggingActive.load(std::memory_order_relaxed) && m_logger && m_logger->IsRunning();
    }
    void CompleteLoggerInterval();

    std::atomic<int> m_useState{kIdle};
};
