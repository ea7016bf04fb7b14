// The sound level logger of one input channel: counts the samples of equal intervals ("blocks"),
// keeps one level record per wideband signal and band per block in a ring allocated before the run,
// and saves runs as data sets (an INI file and a raw companion file with the records). In auto-save
// mode a writer thread saves a file per period (half hours by default, on the clock); in DIN 15905
// mode every period (120 s by default, on the clock) becomes a run and a file of its own with a
// summary record.
//
// Crash safety: while a run is active the writer appends each completed block (sample count, raw
// records, checksum) to a journal in the auto-save folder and flushes it to disk on every pass, so a
// crash loses at most the last pass; RecoverJournal turns a leftover journal into an ordinary data
// set. Data sets, period files and the period list are written to a temporary file and renamed into
// place, the companion first. A failed write is reported once per run; the run goes on in memory.
//
// Threads: the sink operations run on the analysis thread and allocate nothing; a block is
// published by a release store of the block count after its records. The writer pass runs on the
// writer thread (or, for tests, wherever RunWriterPass is called) under the writer lock, which the
// control operations (user-interface thread) also take. Evaluations and file operations run with
// the logger stopped.
#pragma once

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <ctime>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "applications/LevelLoggerSettings.h"
#include "dsp/FloatMatrix.h"
#include "dsp/LevelLoggerSink.h"
#include "dsp/LevelRecord.h"

class CLevelLogger : public CLevelLogger_settings, public CLevelLoggerSink
{
public:
    enum State
    {
        kIdle = 0,
        kRunning = 2,
        kStopped = 3,
        kFreed = 4
    };
    // Logger quantities of the time series.
    enum Quantity
    {
        kSplFast = 0,
        kSplSlow = 1,
        kPeak = 2,
        kTaktMax = 3,
        kCPeak = 4,
        kLeqA = 5,
        kLeqC = 6,
        kLeqZ = 7
    };
    // The largest run a data set may hold in memory.
    static constexpr std::int64_t kMaxRunBytes = 1000LL * 1024 * 1024;
    // Writer pass period in milliseconds.
    static constexpr int kWriterPassMs = 100;

    // The auto-save and journal folder (data folder "SPL_longterm") and the folder below which DIN
    // 15905 runs make their result folders (data folder "DIN15905_autolog").
    CLevelLogger(std::string longtermFolder = {}, std::string dinFolder = {});
    ~CLevelLogger() override;
    CLevelLogger(const CLevelLogger&) = delete;
    CLevelLogger& operator=(const CLevelLogger&) = delete;

    // --- hooks (set before the first Start) -----------------------------------------------------
    // The current time; the wall clock unless a test drives it.
    std::function<std::time_t()> m_clock;
    // Shows a message to the user (failed writes, refused data sets, recovered journals).
    std::function<void(const std::string&)> m_onMessage;
    // Asks the user-interface thread for the logger "Stop" command.
    std::function<void()> m_onStopRequest;
    // False: no writer thread is started; the caller drives RunWriterPass.
    bool m_startWriterThread = true;
    // False: no journal is kept (runs whose loss would not matter, such as benchmarks of the ring).
    bool m_journalOn = true;

    // --- CLevelLoggerSink ------------------------------------------------------------------------
    bool IsRunning() const override { return m_state.load(std::memory_order_acquire) == kRunning; }
    std::int64_t GetSamplesToIntervalEnd() const override { return m_samplesLeft; }
    void ConsumeSamples(int n) override;
    std::int64_t GetBlockSampleCount() const override { return m_blockSamples; }
    void BeginInterval() override;
    std::int64_t GetBlocksCounted() const override { return m_blocksCounted.load(std::memory_order_acquire); }
    std::int64_t GetPlannedBlocks() const override { return m_plannedBlocks; }
    bool IsDinModeActive() const override { return m_dinActive.load(std::memory_order_acquire); }
    void Stop() override;
    void RequestStopCommand() override;
    void StoreBlock(std::span<CLevelMeter* const> widebandMeters,
                    std::span<CLevelMeter* const> bandMeters) override;
    bool IsWaveRecorderOn() const override { return m_waveRecorderOn != 0; }
    double GetCalibrationOffset() const override { return m_calibrationOffset; }
    void RecordSamples(const float*, int, double) override {}
    void SetWidebandWeightings(std::span<const int> weightings) override;
    void SetBandConfiguration(double sampleRate, double minFrequency, double maxFrequency, int bandsPerOctave,
                              std::span<const double> bandCenters) override;
    int GetLoggedBandCount() const override { return static_cast<int>(m_bands.m_centers.size()); }

    // Stores one block of given records (wideband first, then bands) as StoreBlock would: for
    // synthetic runs and file analysis. Allocates nothing.
    void StoreRecords(std::span<const CLevelRecord> records);

    // --- control ---------------------------------------------------------------------------------
    std::int64_t GetPlannedBlockCount();
    std::int64_t GetRequiredMemory();
    // (Re)builds the ring for the planned count; false (and a message) when it cannot be allocated.
    bool AllocateBlocks() override;
    void FreeBlocks();
    // Starts a run. Refused (false, nothing started) without a ring or a sample rate. In DIN 15905
    // mode a new DIN run begins when none is running. Never deletes an earlier recording.
    bool Start() override;
    void StopAndFinishDin() override;
    // The DIN period change that the first window's timer runs every 500 ms: when monitoring runs
    // and the period is due, closes it (Stop, WriteDinPeriod), calls `resetLevels` and starts the
    // next period. True when a period was closed.
    bool CheckDinPeriod(const std::function<void()>& resetLevels = {}) override;
    bool WriteDinPeriod();
    // One pass of the writer: the journal, then a due auto-save file.
    void RunWriterPass();
    int GetState() const { return m_state.load(std::memory_order_acquire); }

    // --- data sets -------------------------------------------------------------------------------
    // Writes the whole run, or `count` blocks from ring index `first`. False (reported once per run)
    // when the files cannot be written; files already in place stay whole.
    bool WriteDataFile(const std::string& path, const std::string& section);
    bool WriteDataFile(const std::string& path, const std::string& section, std::int64_t first,
                       std::int64_t count);
    // Reads a data set. A refused set leaves the logger as it was; `reason` says why.
    bool ReadDataFile(const std::string& path, const std::string& section,
                      std::string* reason = nullptr) override;
    // The same, from the bytes of the INI file (the companion still from the folder of `path`).
    bool ReadDataBytes(const std::string& path, std::string_view iniBytes, const std::string& section,
                       std::string* reason = nullptr);
    // Turns a journal left in `folder` by a run that did not end into an ordinary data set in the
    // same folder and removes the journal. Returns the data set's file name, empty when there was
    // none (or it held nothing readable, in which case it is removed as well).
    static std::string RecoverJournal(const std::string& folder, int channel);
    // The journal's file name for a channel (in the auto-save folder).
    static std::string JournalName(int channel);
    const std::string& GetLastFolder() const { return m_lastFolder; }
    // The result folder the results page is written into (a DIN 15905 result folder the user chose).
    void SetLastFolder(const std::string& folder) { m_lastFolder = folder; }

    // --- evaluation ------------------------------------------------------------------------------
    CLevelRecord GetRecord(std::int64_t block, int wideband, int band) const override;
    std::int64_t GetStoredBlocks() const override
    {
        std::lock_guard<std::mutex> fields(m_fieldLock);
        return std::min(m_storedBlocks, m_ringSize);
    }
    int GetRecordWidebandCount() const override { return m_ringWideband; }
    double GetBlockInterval() const override { return m_fastInterval; }
    double GetValue(int type, std::int64_t block, int wideband, int band) const;
    void FillTimeSeries(CFloatMatrix& matrix, int quantity, int wideband, int band, std::int64_t first,
                        std::int64_t last) const override;
    void FillOwnTimeSeries(int quantity, int wideband, int band);
    const CFloatMatrix* GetOwnTimeSeries() const override { return &m_matrix; }
    std::int64_t SumBlockSamples(std::int64_t first, std::int64_t last) const;
    std::int64_t GetSampleCount(std::int64_t block) const override;
    std::int64_t GetRunSamples() const { return m_runSamples; }
    // The DIN period files of a result folder as one semicolon-separated file "export.csv":
    // 0, -1 without a period list, -2 when the file cannot be written. Reads through a logger of its
    // own; this one keeps its run.
    int ExportCsv(const std::string& folder) const;
    // The results page "DIN15905.htm" in the folder of the last data set (0).
    int WriteDinReport();

    CFloatMatrix m_matrix;
    CDin15905Block m_currentSummary;
    std::vector<CDin15905Block> m_summaries;

private:
    void ResetAutoSave();
    // Clamps a block range to the counted blocks (first < 0: all of them; last < 0: to the last;
    // first past last: the single block last). Returns the count, 0 when nothing is counted.
    std::int64_t ClampRange(std::int64_t& first, std::int64_t& last) const;
    std::int64_t RingBlocks() const { return m_ringSize; }
    std::size_t RecordsPerBlock() const { return static_cast<std::size_t>(m_ringWideband + m_ringBands); }
    CLevelRecord* BlockRecords(std::int64_t index)
    {
        return m_records.data() + static_cast<std::size_t>(index) * RecordsPerBlock();
    }
    const CLevelRecord* BlockRecords(std::int64_t index) const
    {
        return m_records.data() + static_cast<std::size_t>(index) * RecordsPerBlock();
    }
    // Ring index of the slot the next block goes into, or -1 when it is not stored.
    std::int64_t BeginStore() const;
    void PublishStore(std::int64_t index);
    bool BuildRing(std::int64_t count);
    void BeginDinRun(std::time_t now);
    void WriterLoop();
    void WriteJournal();
    // The settings as one consistent copy (the stop time and stored count taken under their lock).
    CLevelLogger_settings SettingsSnapshot() const;
    // Writes `count` blocks from ring index `first` with the settings of the run; changes nothing
    // of the logger. `binaryName` (when given) receives the companion's name, empty when it failed.
    bool WriteDataRange(const std::string& path, const std::string& section, std::int64_t first,
                        std::int64_t count, std::string* binaryName);
    void CloseJournal(bool remove);
    void AutoSave();
    void ReportWriteFailure(const std::string& path);
    bool ReadInto(const CIniFile& ini, const std::string& path, const std::string& section,
                  std::string* reason);
    void TakeRunFrom(CLevelLogger& other);
    std::time_t Now() const { return m_clock ? m_clock() : std::time(nullptr); }

    std::string m_dinFolder;
    std::string m_lastFolder;

    // The ring.
    std::vector<std::int64_t> m_blockSamplesRing;
    std::vector<CLevelRecord> m_records;
    std::int64_t m_ringSize = 0;
    int m_ringWideband = 0;
    int m_ringBands = 0;
    std::int64_t m_writeIndex = 0;

    // The interval clock (analysis thread while running).
    std::int64_t m_runSamples = 0;
    std::int64_t m_blockSamples = 0;
    std::int64_t m_samplesLeft = 0;
    double m_carry = 0.0;

    std::atomic<std::int64_t> m_blocksCounted{0};
    std::atomic<std::int64_t> m_blocksSinceSave{0};
    std::atomic<int> m_state{kIdle};
    std::atomic<bool> m_dinActive{false};
    std::atomic<bool> m_writeFailureReported{false};

    // Auto-save counters (writer).
    std::int64_t m_saveStart = 0;
    std::int64_t m_savedBlocks = 0;  // blocks of the run handed to auto-save files
    std::int64_t m_blocksPerFile = 0;
    std::int64_t m_firstFileBlocks = -1;

    // The journal (writer).
    int m_journalFd = -1;
    std::int64_t m_journalBlocks = 0;
    std::string m_journalPath;

    std::mutex m_writerLock;
    // The stop time and the stored block count: a run that reaches its planned length stops on the
    // analysis thread while the writer copies the settings into a file. Held only for those copies.
    mutable std::mutex m_fieldLock;
    std::mutex m_wakeLock;
    std::condition_variable m_wake;
    std::thread m_writer;
    std::atomic<int> m_writerFlag{0};  // 0 run, 1 asked to end, -1 ended
    // Counted at the end of every writer pass (release); the block store reads it (acquire).
    std::atomic<std::int64_t> m_writerPasses{0};
};

// The quantity's axis name ("" for an unknown code) and the name with the weighting appended for
// the per-channel quantities 0, 1, 2 and codes above 7.
std::string GetLoggerQuantityName(int quantity);
std::string GetLoggerQuantityLabel(int quantity, int weighting);
