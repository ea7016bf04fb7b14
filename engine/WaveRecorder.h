// Writes the analysed input to WAVE recordings. A file that reaches its size limit is finished and
// the recording goes on seamlessly in a continuation file named "<base>_<index>_<time>.<ext>".
// Every finished file ends with the program's own chunks: two "scal" chunks (overall and per-
// channel calibration factors), "chai" (chains the files of one recording) and "star" (the
// recording's start time).
//
// Threads: Open/OpenFile and Close on the user-interface thread while no block is being written;
// WritePcm16Block and WriteFloatBlock on the thread that delivers input. No lock is taken here.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CWaveRecorder
{
public:
    static constexpr int kMaxChannels = 64;
    static constexpr int kRingBytes = 65536;
    static constexpr int kWritePiece = 8192;
    static constexpr double kMaxBytesPerFile = 1e9;
    static constexpr int kChaiBytes = 24;
    static constexpr int kStarBytes = 32;

    CWaveRecorder();
    ~CWaveRecorder();
    CWaveRecorder(const CWaveRecorder&) = delete;
    CWaveRecorder& operator=(const CWaveRecorder&) = delete;

    // 1 when recording has started, 0 when not (already recording, or the file cannot be
    // created). The owner sets file channels, sample rate, bits and the limits first.
    int Open(const std::string& name) { return OpenFile(name); }
    int OpenFile(const std::string& name);
    // Interleaved 16-bit frames of file channels samples each. 0, or -1 when a write fell short
    // (the bytes are kept and written with the next block).
    int WritePcm16Block(const std::int16_t* samples, int frames);
    // Frames of source channels (or file channels when that is 0); only enabled channels are
    // written. planar: channel c's samples start at c x frames.
    int WriteFloatBlock(const float* samples, int frames, int planar);
    // Finishes the current file with all its chunks and ends the recording.
    void Close();
    void SetStartTime(std::time_t time);
    void StampStartTime() { SetStartTime(std::time(nullptr)); }
    bool IsRecording() const { return m_bRecording != 0; }
    // What stopped the recording from reaching its files (set on the writing thread, read by the
    // owner, cleared by Open).
    enum Failure
    {
        kFailNone = 0,
        kFailContinuation = 1,  // a continuation file could not be created: nothing more is written
        kFailWrite = 2,         // the disk took fewer bytes than were written (full, or gone)
    };
    int GetFailure() const { return m_nFailure.load(); }
    // The files of the recording that are finished, in order (any thread).
    std::vector<std::string> GetFinishedFiles() const;

    // ===== set by the owner =====
    double m_dOverallFactor = 1.0;
    std::array<double, kMaxChannels> m_dChannelFactor{};
    int m_nFileChannels = 0;
    int m_nSourceChannels = 0;
    int m_nSampleRate = -1;
    double m_dLimit1 = -1.0;
    double m_dLimit2 = -1.0;
    int m_nBits = 16;  // 8, 16, 24 or 32
    int m_bFloat = 0;  // with 32 bits: IEEE float samples instead of PCM
    std::array<int, kMaxChannels> m_bChannelEnabled{};
    std::string m_strBaseName;
    // ===== the recording =====
    int m_nFileIndex = 0;
    int m_nFileCount = 0;
    std::vector<std::string> m_files;
    double m_dMaxFileSeconds = 1800.0;
    double m_dFirstFileSeconds = -1.0;
    double m_dMaxFileBytes = 500000000.0;
    double m_dFirstFileBytes = -1.0;
    double m_dBytesWritten = 0.0;
    int m_nBlockAlign = 0;
    double m_dFramesWritten = 0.0;
    std::array<std::uint8_t, kChaiBytes> m_chai{};
    std::array<std::uint8_t, kStarBytes> m_star{};
    int m_bConvertToMp3 = 0;
    int m_nMp3BitRate = 128;
    int m_bRecording = 0;

private:
    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    int CreateFile(const std::string& name);
    void FinishFile();
    int WriteBytes(const std::uint8_t* bytes, std::size_t count);
    int Flush();
    std::uint8_t* Reserve(std::size_t bytes);
    void StoreSample(std::uint8_t*& out, double value) const;
    std::string NextFileName() const;

    std::atomic<int> m_nFailure{kFailNone};
    // Guards the file list and count against readers on other threads.
    mutable std::mutex m_filesLock;
    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::vector<std::uint8_t> m_conversion;  // grows to the largest block, never shrinks
    // Bytes converted but not yet in the file: the ring of the recording (at most kRingBytes wait).
    std::vector<std::uint8_t> m_ring;
    std::size_t m_nRingStart = 0;
    std::int64_t m_nRiffStart = 0;
    std::int64_t m_nDataSizeAt = 0;
    std::uint32_t m_nRecordingId = 0;
};
