// The analysis of a whole wave or MP3 file, block by block: band levels per channel and the THD+N
// of channel 0 per block (logged to a text file), and its background form CFileAnalysisJob, which a
// measurement window runs with a progress window and a completion message.
//
// Threads: Prepare, Run and Cleanup run on the job's worker thread (or the caller's thread for a
// plain CFileAnalysis); the cancel flag and the progress value are the job's atomics, read and
// written without a lock.
#pragma once

#include "common/BackgroundJob.h"
#include "dsp/FftWindow.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CAudioFileReader;
class CBandAnalyzer;
class CLevelLoggerSink;

class CFileAnalysis
{
public:
    static constexpr int kBlockFrames = 8192;
    static constexpr double kLogInterval = 0.05;
    static constexpr double kThdNStartFrequency = 20.0;
    // The THD+N log's file name; it goes into the configuration folder unless set otherwise.
    static constexpr const char* kThdNLogName = "THDN.log";

    CFileAnalysis();
    virtual ~CFileAnalysis();
    CFileAnalysis(const CFileAnalysis&) = delete;
    CFileAnalysis& operator=(const CFileAnalysis&) = delete;

    // Opens the stored file and sizes the block buffer, the window and one band analyser per
    // channel. A file that cannot be opened leaves the channel count 0. Always 0.
    int Prepare();
    // Analyses the file to its end: 0; −1 when the cancel flag became positive.
    int Run(const std::atomic<int>* cancel, std::atomic<double>* progress);
    // Frees the block buffer and the band analysers and closes the file. 0.
    int Cleanup();

    // The band analyser of a channel (null outside 0..channels − 1 or before Prepare).
    CBandAnalyzer* GetBandAnalyzer(int channel) const;
    // The logger each band analyser logs into (not owned; null: none). Set before Prepare.
    CLevelLoggerSink* m_pLevelLogger = nullptr;

    std::string m_strFileName;
    double m_dSampleRate = -1.0;
    std::int64_t m_nFramesProcessed = 0;
    std::int64_t m_nBlocksProcessed = 0;
    double m_dDuration = -1.0;  // seconds
    double m_dTotalFrames = -1.0;
    int m_nChannels = 0;
    int m_nBlockSize = kBlockFrames;
    int m_nWindowType = 1;
    // The THD+N log (one value per block of channel 0, in dB); empty: no log.
    std::filesystem::path m_strThdNLog;
    // A dump of each block's samples (overwritten every block); empty: none.
    std::string m_strDumpFile;
    double m_dElapsed = 0.0;
    int m_nResult = 0;
    // The THD+N of channel 0's last block (dB).
    double m_dLastThdN = 0.0;

private:
    std::unique_ptr<CAudioFileReader> m_pReader;
    std::vector<float> m_block;
    std::vector<float> m_spectrum;
    CFftWindow m_window;
    std::vector<std::unique_ptr<CBandAnalyzer>> m_bandAnalyzers;
};

// The file analysis on the background job runner: its worker prepares, runs and cleans up, then
// finishes the job, which posts the completion message (the runner's file analysis message) with
// the job as its first parameter.
class CFileAnalysisJob : public CFileAnalysis
{
public:
    CFileAnalysisJob();
    ~CFileAnalysisJob() override;

    CBackgroundJob m_Job;
};

// The worker of a file analysis job (param: the CFileAnalysisJob).
unsigned int FileAnalysisThread(void* param);
