// What the band analyser needs of the sound level logger of its channel: the interval clock, the run
// state, the hand-over of one block of level records per interval, the recorder input and the
// configuration of the wideband records. The logger of the measurement applications implements it;
// the signal-processing library sees only this interface.
//
// Threads: the interval operations, StoreBlock and RecordSamples are called on the analysis thread
// from CBandAnalyzer::ProcessBlock; SetWidebandWeightings and SetBandConfiguration on the
// user-interface thread from CBandAnalyzer::Configure and CopySettingsToLogger. RequestStopCommand
// must not touch a window itself: it asks the user-interface thread (the logger "Stop" command).
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>

#include "dsp/LevelRecord.h"

class CFloatMatrix;
class CLevelMeter;

class CLevelLoggerSink
{
public:
    virtual ~CLevelLoggerSink() = default;

    virtual bool IsRunning() const = 0;
    // Samples left until the current interval ends; 0 or less: the interval is complete.
    virtual std::int64_t GetSamplesToIntervalEnd() const = 0;
    // Counts n samples into the interval, the current block and the run.
    virtual void ConsumeSamples(int n) = 0;
    // Samples counted in the current block.
    virtual std::int64_t GetBlockSampleCount() const = 0;
    // Schedules the next interval end (the remainder of the finished one carries over).
    virtual void BeginInterval() = 0;

    // Blocks counted in the run and the planned block count ("Data blocks").
    virtual std::int64_t GetBlocksCounted() const = 0;
    virtual std::int64_t GetPlannedBlocks() const = 0;
    // True while DIN 15905 monitoring runs: the run then never stops by itself.
    virtual bool IsDinModeActive() const = 0;
    // Ends the run (state stopped; the stored block count becomes the blocks counted).
    virtual void Stop() = 0;
    // Asks the user-interface thread to carry out the logger "Stop" command.
    virtual void RequestStopCommand() = 0;
    // Stores one block of records at the ring write index when that index is below the planned
    // count: wideband meter k into wideband record k, band meter i into band record i (each taken
    // with the record hand-over, which ends the meter's interval), with GetBlockSampleCount as its
    // sample count; then advances the counters and the write index.
    virtual void StoreBlock(std::span<CLevelMeter* const> widebandMeters,
                            std::span<CLevelMeter* const> bandMeters) = 0;

    // The wave recorder of the run: whether it records, the calibration offset in dB, and one block of
    // raw input samples (one channel) to record.
    virtual bool IsWaveRecorderOn() const = 0;
    virtual double GetCalibrationOffset() const = 0;
    virtual void RecordSamples(const float* samples, int count, double scale) = 0;

    // Wideband records and band configuration of the data sets the logger writes.
    virtual void SetWidebandWeightings(std::span<const int> weightings) = 0;
    virtual void SetBandConfiguration(double sampleRate, double minFrequency, double maxFrequency,
                                      int bandsPerOctave, std::span<const double> bandCenters) = 0;
    // Number of bands of the logger's band configuration.
    virtual int GetLoggedBandCount() const = 0;

    // What the statistics of a logged range read, with the logger stopped (user-interface or
    // report thread): the blocks of the last run ("Data blocks cnt"), the wideband records per
    // block, one block's record (band >= 0: that band; else the wideband record, record 0 for an
    // index past the count) and sample count, the block interval in seconds, and a time series of
    // a logger quantity (0: RMS fast per block, 3: the largest RMS fast of each 5 s) over blocks
    // first..last (-1: from the first / to the last).
    virtual std::int64_t GetStoredBlocks() const { return 0; }
    virtual int GetRecordWidebandCount() const { return 0; }
    virtual CLevelRecord GetRecord(std::int64_t /*block*/, int /*wideband*/, int /*band*/) const { return {}; }
    virtual std::int64_t GetSampleCount(std::int64_t /*block*/) const { return 0; }
    virtual double GetBlockInterval() const { return 0.0; }
    virtual void FillTimeSeries(CFloatMatrix& /*matrix*/, int /*quantity*/, int /*wideband*/, int /*band*/,
                                std::int64_t /*first*/, std::int64_t /*last*/) const
    {
    }
    // The time series the logger keeps for the logger time display (row 0, x in seconds), as its
    // commands last filled it; null when it keeps none. User-interface thread.
    virtual const CFloatMatrix* GetOwnTimeSeries() const { return nullptr; }

    // The run itself (user-interface thread): (re)builds the block ring for the configured counts
    // (false: no memory, the user was told); starts a run (false: refused, nothing started; in DIN
    // 15905 mode a new DIN run begins when none runs); stops and, in DIN 15905 mode, closes the last
    // period and ends the DIN run; reads a data set while stopped (false: refused, the logger keeps
    // what it had, `reason` says why); and the DIN period change of the first window's timer, which
    // calls `resetLevels` between the closed period and the next one (true: a period was closed).
    virtual bool AllocateBlocks() { return false; }
    virtual bool Start() { return false; }
    virtual void StopAndFinishDin() {}
    virtual bool ReadDataFile(const std::string& /*path*/, const std::string& /*section*/,
                              std::string* /*reason*/ = nullptr)
    {
        return false;
    }
    virtual bool CheckDinPeriod(const std::function<void()>& /*resetLevels*/) { return false; }
};
