// Reads a WAVE or an MP3 file and delivers its samples as floats scaled to +-1.0, interleaved or
// one block per channel. WAVE files loop endlessly (reading past the end continues at the start of
// the data); MP3 files end with their stream. Optional fade-in and fade-out ramps of 90 dB, and
// the calibration factors the wave recorder stores in its "scal" chunks.
//
// Nothing in a file is trusted: chunk sizes, channel counts, block align and sample rate are
// checked before anything is allocated or read, and a damaged file leaves the reader unopened
// with a plain reason in GetLastError.
//
// Threads: one thread at a time (the owner's); Read does not allocate.
#pragma once

#include "engine/Mp3Reader.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <span>
#include <string>
#include <vector>

// What GetWaveFileInfo copies out: the reader's first fields.
struct WaveFileInfo
{
    double length = 0.0;  // frames
    int channels = 0;
    int formatTag = -1;
    int sampleRate = 0;
    std::int64_t dataBytes = 0;
    int bits = 0;  // container bits
    int blockAlign = 0;
    std::string path;
    int mp3 = 0;
};

class CAudioFileReader
{
public:
    static constexpr int kMaxChannels = 256;
    static constexpr int kMaxSampleRate = 1536000;
    static constexpr int kReadBytes = 65536;
    static constexpr int kFormatPcm = 1;
    static constexpr int kFormatFloat = 3;
    static constexpr int kFormatALaw = 6;
    static constexpr int kFormatMuLaw = 7;
    static constexpr int kFormatExtensible = 0xFFFE;

    CAudioFileReader();
    virtual ~CAudioFileReader();
    CAudioFileReader(const CAudioFileReader&) = delete;
    CAudioFileReader& operator=(const CAudioFileReader&) = delete;

    // The generator program's rules, for every reader of the process: only the extension "wav"
    // (in any case) opens as RIFF WAVE, everything else ("wave" too) as MP3, and no "scal" chunk is
    // read (files play at full scale). Off by default; Pulvera switches it on at start.
    static void SetGeneratorProgramRules(bool on);
    static bool UsesGeneratorProgramRules();

    void Open(const std::string& path);
    // Opens m_strPath; the result shows in the fields (channels > 0, and m_bOpen for WAVE files).
    void OpenPath();
    // Frames delivered: the requested count for WAVE files (looping), fewer at the end of an MP3
    // stream, 0 when nothing is open (the buffer then holds silence). planar: channel c's block
    // starts at c x frames. The buffer holds frames x channels floats.
    int Read(float* buffer, int frames, int planar);
    void SeekFrame(std::int64_t frame);
    void Close();
    void ComputeFades();
    bool IsOpen() const { return m_bOpen != 0 || (m_bMp3 != 0 && m_mp3.IsOpen()); }
    // Why the last Open left the reader unopened; empty after a successful open.
    const std::string& GetLastError() const { return m_strError; }
    WaveFileInfo GetInfo() const;

    // ===== file information =====
    double m_dLength = 0.0;
    int m_nChannels = 0;
    int m_nFormatTag = -1;
    int m_nSampleRate = 0;
    std::int64_t m_nDataBytes = 0;
    int m_nBits = 0;
    int m_nBlockAlign = 0;
    std::string m_strPath;
    int m_bMp3 = 0;
    // ===== calibration from the file =====
    std::array<double, kMaxChannels> m_dChannelFactor{};
    double m_dOverallFactor = 1.0;
    CMp3Reader m_mp3;
    int m_bOpen = 0;
    // ===== fades (seconds set by the owner) =====
    double m_dFadeInSeconds = 0.0;
    double m_dFadeOutSeconds = 0.0;
    std::int64_t m_nFadeInFrames = 0;
    std::int64_t m_nFadeOutStart = 0;
    double m_dFadeInStep = 1.0;
    double m_dFadeOutStep = 1.0;
    double m_dFadeInGain = 1.0;
    double m_dFadeOutGain = 1.0;
    std::int64_t m_nDataStart = 0;
    std::int64_t m_nPosition = 0;

private:
    struct FileCloser
    {
        void operator()(std::FILE* file) const { std::fclose(file); }
    };
    bool OpenWave();
    void Refuse(const std::string& reason);
    void Convert(const std::uint8_t* bytes, float* out, int frames, int frameOffset, int totalFrames,
                 bool planar) const;
    void ApplyFades(float* out, int frames, int frameOffset, int totalFrames, bool planar);

    std::unique_ptr<std::FILE, FileCloser> m_file;
    std::vector<std::uint8_t> m_bytes;  // one read piece, sized at open
    std::string m_strError;
};

// 1 with the record filled when the file opens with channels > 0, else -1.
int GetWaveFileInfo(const std::string& path, WaveFileInfo& info);
// Entries 0..255: channel factors, entry 256: overall factor, all 1.0 unless the file says
// otherwise. 1 when the file opens with channels > 0, else -1.
int ReadWaveFileCalibration(const std::string& path, std::span<double, 257> factors);
// ITU-T G.711 expansion to 16-bit linear values.
int ALawToLinear(std::uint8_t value);
void MuLawToLinear(const std::uint8_t* bytes, short* values, int count);
