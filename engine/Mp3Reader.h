// Decodes an MP3 file with LAME's hip decoder, frame by frame, into floats scaled to +-1.0. The
// stream is read once from its start to its end; it does not loop.
//
// Threads: one owner thread at a time (the thread that owns the CAudioFileReader).
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

struct hip_global_struct;

class CMp3Reader
{
public:
    // Samples of one decoded frame per channel (the most an MPEG audio frame holds).
    static constexpr int kFrameSamples = 1152;
    // Bytes fed to the decoder at a time.
    static constexpr int kReadBytes = 8192;
    // A file whose first decodable frame is not found within this many bytes is not MP3.
    static constexpr long kScanLimitBytes = 1 << 20;

    CMp3Reader();
    ~CMp3Reader();
    CMp3Reader(const CMp3Reader&) = delete;
    CMp3Reader& operator=(const CMp3Reader&) = delete;

    // Looks for the first decodable frame and takes channel count and sample rate from it; both
    // stay 0 when none is found.
    void ScanFile();
    // 0 when the file is open and a decoder is ready, -1 otherwise.
    int Open();
    // Up to `frames` frames; fewer at the end of the stream; 0 when not open. planar: channel 1's
    // block starts at buffer + frames.
    int Read(float* buffer, int frames, bool planar);
    void Close();
    bool IsOpen() const { return m_file != nullptr && m_hip != nullptr; }

    int m_nChannels = 0;
    int m_nSampleRate = 0;
    std::string m_strPath;
    std::int64_t m_nBytesRead = 0;
    std::int64_t m_nFileSize = 0;

private:
    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    // Decodes the next frame into the sample buffers; false at the end of the stream.
    bool DecodeMore();

    hip_global_struct* m_hip = nullptr;
    struct HeaderRecord;
    std::unique_ptr<HeaderRecord> m_header;  // the decoder's header record
    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::array<short, kFrameSamples> m_left{};
    std::array<short, kFrameSamples> m_right{};
    std::array<unsigned char, kReadBytes> m_input{};
    int m_nAvailable = 0;  // decoded samples per channel not yet delivered
    int m_nNext = 0;       // index of the next one
    int m_nStreamChannels = 0;
};
