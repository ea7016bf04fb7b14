// The settings part of the sound level logger: what a data set's " info" section holds, the
// wideband and band configurations, the DIN 15905 run state and the summaries of closed DIN periods.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "applications/DIN15905Info.h"

class CIniFile;

// One wideband record's configuration (record 0 = Z, 1 = A, 2 = C whenever the ring is built).
struct CWidebandConfig
{
    double m_minFrequency = 100.0;
    double m_maxFrequency = 10000.0;
    int m_weighting = 0;
};

// The band configuration of the logged bands.
struct CRtaBandConfig
{
    static constexpr int kMaxBands = 8192;

    double GetBandCenter(int band) const;
    // -1 for f <= 0 or no bands; else the band whose centre deviates least relative to the centre,
    // the first of equal candidates.
    int FindNearestBand(double frequency) const;

    int m_bandsPerOctave = 0;
    double m_minFrequency = 100.0;
    double m_maxFrequency = 10000.0;
    int m_weighting = 0;
    std::vector<double> m_centers;
};

// The state of a DIN 15905 monitoring run.
struct CDin15905RunState
{
    std::time_t m_runStart = 0;
    // -1: a new run starts with the next logger start; -2: the run is finished; 0..: the number of
    // the next period file minus one.
    int m_periodNumber = -1;
    int m_active = 0;
    std::string m_resultFolder;
    std::time_t m_nextDue = 0;
    std::time_t m_previousWrite = 0;
    std::vector<std::string> m_periodFiles;
    int m_changeMs = 0;
    double m_periodLength = 120.0;
};

// The summary of one closed DIN 15905 period. LEQ A is 0 when the period held no block.
struct CDin15905Block
{
    std::time_t m_start = 0;
    double m_duration = 0.0;
    double m_leqA = 0.0;
    double m_peakC = 0.0;

    bool Write(const CIniFile& ini, const std::string& section) const;
    void Read(const CIniFile& ini, const std::string& section);
    // The section name + "." (when not empty) + "DIN15905Block".
    static std::string SectionName(const std::string& section);
};

class CLevelLogger_settings
{
public:
    static constexpr int kMaxWideband = 10;
    static constexpr int kRawRecordSize = 56;

    CLevelLogger_settings();

    // Keys of the settings section; string lists and times as the settings file spells them. The
    // reader keeps the current value of every missing key. It refuses (false, with the reason) a
    // wideband count outside 0..10 or a band count outside 0..8192, leaving the configurations as
    // they were.
    bool WriteProfile(const CIniFile& ini, const std::string& section) const;
    bool ReadProfile(const CIniFile& ini, const std::string& section, std::string* refusal = nullptr);

    int m_channel = -1;
    double m_sampleRate = -1.0;
    double m_calibrationOffset = 0.0;
    double m_interval = 0.1;
    double m_fastInterval = 0.1;
    std::int64_t m_plannedBlocks = 100;
    std::int64_t m_storedBlocks = 0;
    int m_widebandCount = 3;
    std::time_t m_startTime = 0;
    std::time_t m_stopTime = 0;
    std::time_t m_blockStartTime = 0;
    std::time_t m_blockStopTime = 0;
    int m_autoSaveMode = 0;
    int m_autoSaveFileCount = 0;
    std::string m_waveRecorderFile;
    int m_waveRecorderOn = 0;
    int m_rawRecordSize = 0;  // as read; always written as 56
    std::string m_binaryFile;
    int m_dinMode = 0;
    double m_autoSavePeriod = 1800.0;
    double m_firstAutoSavePeriod = 1800.0;
    std::string m_autoSaveBaseName = "Autosave";
    std::string m_autoSaveFolder;
    std::string m_secondAutoSaveFolder;
    std::vector<std::string> m_autoSavedFiles;
    CDIN15905Info m_dinInfo;
    CDin15905RunState m_din;
    CWidebandConfig m_wideband[kMaxWideband];
    CRtaBandConfig m_bands;
};
