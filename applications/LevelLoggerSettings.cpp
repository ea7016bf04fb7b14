#include "applications/LevelLoggerSettings.h"

#include <cmath>

#include "common/IniFile.h"
#include "platform/NumberFormat.h"

double CRtaBandConfig::GetBandCenter(int band) const
{
    if (band < 0 || band >= static_cast<int>(m_centers.size()))
        return 0.0;
    return m_centers[static_cast<std::size_t>(band)];
}

int CRtaBandConfig::FindNearestBand(double frequency) const
{
    if (!(frequency > 0.0))
        return -1;
    int best = -1;
    double bestDeviation = 0.0;
    for (std::size_t i = 0; i < m_centers.size(); ++i)
    {
        const double c = m_centers[i];
        const double deviation = std::fabs(c - frequency) / c;
        if (best < 0 || deviation < bestDeviation)
        {
            best = static_cast<int>(i);
            bestDeviation = deviation;
        }
    }
    return best;
}

std::string CDin15905Block::SectionName(const std::string& section)
{
    return section.empty() ? std::string("DIN15905Block") : section + ".DIN15905Block";
}

bool CDin15905Block::Write(const CIniFile& ini, const std::string& section) const
{
    const std::string s = SectionName(section);
    bool ok = ini.WriteTime(s, "Start", m_start);
    ok = ini.WriteDouble(s, "Duration", m_duration) && ok;
    ok = ini.WriteDouble(s, "LEQ A", m_leqA) && ok;
    return ini.WriteDouble(s, "Peak C", m_peakC) && ok;
}

void CDin15905Block::Read(const CIniFile& ini, const std::string& section)
{
    const std::string s = SectionName(section);
    m_start = ini.ReadTime(s, "Start", m_start);
    m_duration = ini.ReadDouble(s, "Duration", m_duration);
    m_leqA = ini.ReadDouble(s, "LEQ A", m_leqA);
    m_peakC = ini.ReadDouble(s, "Peak C", m_peakC);
}

CLevelLogger_settings::CLevelLogger_settings()
{
    m_startTime = m_stopTime = m_blockStartTime = m_blockStopTime = std::time(nullptr);
}

bool CLevelLogger_settings::WriteProfile(const CIniFile& ini, const std::string& section) const
{
    const std::string& s = section;
    bool ok = ini.WriteDouble(s, "Samplerate", m_sampleRate);
    ok = ini.WriteDouble(s, "Calibration offset", m_calibrationOffset) && ok;
    ok = ini.WriteDouble(s, "Intervall", m_interval) && ok;
    ok = ini.WriteDouble(s, "Intervall fast", m_fastInterval) && ok;
    ok = ini.WriteInt64(s, "Data blocks", m_plannedBlocks) && ok;
    ok = ini.WriteInt64(s, "Data blocks cnt", m_storedBlocks) && ok;
    ok = ini.WriteInt(s, "Wideband blocks", m_widebandCount) && ok;
    ok = ini.WriteTime(s, "Start time", m_startTime) && ok;
    ok = ini.WriteTime(s, "Stop time", m_stopTime) && ok;
    ok = ini.WriteTime(s, "Start time block", m_blockStartTime) && ok;
    ok = ini.WriteTime(s, "Stop time block", m_blockStopTime) && ok;
    ok = ini.WriteInt(s, "Auto save mode", m_autoSaveMode) && ok;
    ok = ini.WriteInt(s, "Auto save file cnt", m_autoSaveFileCount) && ok;
    ok = ini.WriteString(s, "Wave recorder file", m_waveRecorderFile) && ok;
    ok = ini.WriteInt(s, "Wave recorder on", m_waveRecorderOn) && ok;
    ok = ini.WriteInt(s, "Size Data block", kRawRecordSize) && ok;
    ok = ini.WriteString(s, "Binary Data File", m_binaryFile) && ok;
    ok = ini.WriteInt(s, "DIN15905 on", m_dinMode) && ok;
    if (m_dinMode)
    {
        ok = ini.WriteStringArray(s, "Auto file list", m_din.m_periodFiles) && ok;
        ok = ini.WriteInt(s, "DIN15905 Start Stop Write ms", m_din.m_changeMs) && ok;
        ok = m_dinInfo.WriteEvent(ini, s + ".DIN15905") && ok;
        ok = m_dinInfo.WriteMeasurement(ini, s + ".DIN15905") && ok;
    }
    for (int i = 0; i < m_widebandCount && i < kMaxWideband; ++i)
    {
        const std::string w = s + platform::FormatC(".Wideband config %i", i);
        ok = ini.WriteDouble(w, "Frequency min", m_wideband[i].m_minFrequency) && ok;
        ok = ini.WriteDouble(w, "Frequency max", m_wideband[i].m_maxFrequency) && ok;
        ok = ini.WriteInt(w, "Weighting", m_wideband[i].m_weighting) && ok;
    }
    const std::string r = s + ".RTA 0";
    ok = ini.WriteInt(r, "Bands per octave", m_bands.m_bandsPerOctave) && ok;
    ok = ini.WriteDouble(r, "Frequency min", m_bands.m_minFrequency) && ok;
    ok = ini.WriteDouble(r, "Frequency max", m_bands.m_maxFrequency) && ok;
    ok = ini.WriteInt(r, "Weighting", m_bands.m_weighting) && ok;
    ok = ini.WriteInt(r, "Number of bands", static_cast<int>(m_bands.m_centers.size())) && ok;
    for (std::size_t i = 0; i < m_bands.m_centers.size(); ++i)
        ok = ini.WriteDouble(r, platform::FormatC("Band %zu center", i), m_bands.m_centers[i]) && ok;
    return ok;
}

bool CLevelLogger_settings::ReadProfile(const CIniFile& ini, const std::string& section, std::string* refusal)
{
    const std::string& s = section;
    m_sampleRate = ini.ReadDouble(s, "Samplerate", m_sampleRate);
    m_calibrationOffset = ini.ReadDouble(s, "Calibration offset", m_calibrationOffset);
    m_interval = ini.ReadDouble(s, "Intervall", m_interval);
    m_fastInterval = ini.ReadDouble(s, "Intervall fast", m_fastInterval);
    m_plannedBlocks = ini.ReadInt64(s, "Data blocks", m_plannedBlocks);
    m_storedBlocks = ini.ReadInt64(s, "Data blocks cnt", m_storedBlocks);
    m_widebandCount = ini.ReadInt(s, "Wideband blocks", m_widebandCount);
    m_startTime = ini.ReadTime(s, "Start time", m_startTime);
    m_stopTime = ini.ReadTime(s, "Stop time", m_stopTime);
    m_blockStartTime = ini.ReadTime(s, "Start time block", m_blockStartTime);
    m_blockStopTime = ini.ReadTime(s, "Stop time block", m_blockStopTime);
    m_autoSaveMode = ini.ReadInt(s, "Auto save mode", m_autoSaveMode);
    m_rawRecordSize = ini.ReadInt(s, "Size Data block", 0);
    m_binaryFile = ini.ReadString(s, "Binary Data File", m_binaryFile, 1024);
    m_dinMode = ini.ReadInt(s, "DIN15905 on", m_dinMode);
    if (m_dinMode)
    {
        m_dinInfo.ReadEvent(ini, s + ".DIN15905");
        m_dinInfo.ReadMeasurement(ini, s + ".DIN15905");
        ini.ReadStringArray(s, "Auto file list", m_din.m_periodFiles);
    }
    if (m_widebandCount < 0 || m_widebandCount > kMaxWideband)
    {
        if (refusal)
            *refusal =
                platform::FormatC("it names %d wideband records (at most %d)", m_widebandCount, kMaxWideband);
        return false;
    }
    for (int i = 0; i < m_widebandCount; ++i)
    {
        const std::string w = s + platform::FormatC(".Wideband config %i", i);
        m_wideband[i].m_minFrequency = ini.ReadDouble(w, "Frequency min", m_wideband[i].m_minFrequency);
        m_wideband[i].m_maxFrequency = ini.ReadDouble(w, "Frequency max", m_wideband[i].m_maxFrequency);
        m_wideband[i].m_weighting = ini.ReadInt(w, "Weighting", m_wideband[i].m_weighting);
    }
    const std::string r = s + ".RTA 0";
    m_bands.m_bandsPerOctave = ini.ReadInt(r, "Bands per octave", m_bands.m_bandsPerOctave);
    m_bands.m_minFrequency = ini.ReadDouble(r, "Frequency min", m_bands.m_minFrequency);
    m_bands.m_maxFrequency = ini.ReadDouble(r, "Frequency max", m_bands.m_maxFrequency);
    m_bands.m_weighting = ini.ReadInt(r, "Weighting", m_bands.m_weighting);
    const int bands = ini.ReadInt(r, "Number of bands", static_cast<int>(m_bands.m_centers.size()));
    if (bands < 0 || bands > CRtaBandConfig::kMaxBands)
    {
        if (refusal)
            *refusal = platform::FormatC("it names %d bands (at most %d)", bands, CRtaBandConfig::kMaxBands);
        return false;
    }
    m_bands.m_centers.resize(static_cast<std::size_t>(bands), 0.0);
    for (int i = 0; i < bands; ++i)
        m_bands.m_centers[static_cast<std::size_t>(i)] = ini.ReadDouble(
            r, platform::FormatC("Band %i center", i), m_bands.m_centers[static_cast<std::size_t>(i)]);
    return true;
}
