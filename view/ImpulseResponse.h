// CImpulseResponse: the impulse response a measurement window holds, and the plain-text form it
// is saved and loaded in.
//
// Every channel is a row of `analysis length` floats: the `frames` samples read or measured and
// zeros up to the analysis length, so that the frequency plots, the text export and the derived
// curves may read a whole analysis length of any channel without running into the next one.
//
// Threads: the owning window's user-interface thread. The engine's decay analysis reads channel 0
// through the pointer the window hands it (and takes back before the samples move).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

class CImpulseResponse
{
public:
    // The longest response taken (frames per channel) and the shortest analysis length.
    static constexpr int kMaxFrames = 1 << 23;
    static constexpr int kMinAnalysisLength = 65536;
    // The values the text form holds at most.
    static constexpr int kMaxTextValues = kMaxFrames;

    CImpulseResponse();
    ~CImpulseResponse();
    CImpulseResponse(const CImpulseResponse&) = delete;
    CImpulseResponse& operator=(const CImpulseResponse&) = delete;

    // Frees the samples and empties every field (no impulse held, sample rate -1).
    void Clear();
    // Every field and a copy of the samples of `other`.
    void CopyFrom(const CImpulseResponse& other);
    // The analysis length of a response of `frames` frames: the smallest power of two at or above
    // frames, at least kMinAnalysisLength; 0 for no frames.
    static int AnalysisLengthFor(int frames);
    // Makes room for `channels` rows of the analysis length (by default that of `frames`; frames
    // at most kMaxFrames and the analysis length), all zero, and sets channels, frames and the
    // analysis length. The array only grows. False (record cleared) when the memory cannot be had.
    bool Prepare(int channels, int frames, int analysisLength = 0);
    // Row c (c < channels); null when no impulse is held.
    float* Channel(int c);
    const float* Channel(int c) const;
    bool IsHeld() const { return m_nAnalysisLength > 0 && m_nChannels > 0; }
    // A new change stamp (never 0).
    void NewId();

    std::string m_strName;
    int m_nLengthCopy = 0;
    int m_nId = 0;
    double m_dSampleRate = -1.0;
    int m_nChannels = 0;
    int m_nFrames = 0;
    int m_nCapacity = 0;
    std::vector<float> m_samples;
    int m_nAnalysisLength = 0;
    // 0 impulse response, 1 decay of interrupted noise, 2 energy decay curve.
    int m_nSignalType = 0;
};

// Reads the text form: "%f" values separated by white space, at most `maxValues`, into `values`
// (replaced). Reading ends at the first text that is not a number. Returns the values read; -1 for
// no file.
int ReadImpulseText(std::FILE* file, std::vector<float>& values, int maxValues);
// Writes `count` values one per line ("%e"); returns the values written (fewer when a write failed).
int WriteImpulseText(std::FILE* file, const float* values, int count);
