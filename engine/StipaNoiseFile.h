// The background-noise recording of the live speech-intelligibility analysis, read through the
// engine's file reader (WAVE files loop, MP3 files end).
//
// Threads: as the analyser's reader interface says (Open and Close on the thread that resets the
// analyser, Read on the analysis thread).
#pragma once

#include "dsp/StipaAnalyzer.h"
#include "engine/AudioFileReader.h"

class CStipaNoiseFile : public CStipaNoiseReader
{
public:
    bool Open(const std::string& path) override;
    int GetChannelCount() const override { return m_reader.IsOpen() ? m_reader.m_nChannels : 0; }
    int Read(std::span<float> frames) override;
    void Close() override { m_reader.Close(); }

private:
    CAudioFileReader m_reader;
};
