// The result table of the automated distortion measurements (frequency, level and frequency-level
// sweeps): per point and channel the RMS level, THD, THD+N, harmonics, phase difference, peak and
// in-band levels and a level table. It hands out one value by result type with the display scaling,
// names the types and their units, and is the body of the measurement archive.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "dsp/SweepResultTable.h"

class CArchive;

class CThdResults
{
public:
    // Result type codes.
    static constexpr int kTypeOff = 0;
    static constexpr int kTypeRms = 1;
    static constexpr int kTypeThdN = 2;
    static constexpr int kTypeThd = 3;
    static constexpr int kTypePhase = 4;
    static constexpr int kTypeRmsTrack = 5;
    static constexpr int kTypeRmsWatt = 7;
    static constexpr int kTypePeakLevel = 16;
    static constexpr int kTypeInbandLevel = 17;
    static constexpr int kTypePeakPosition = 18;
    static constexpr int kTypeFirstHarmonic = 256;
    static constexpr int kTypeLastHarmonic = 267;
    static constexpr int kTypeCount = 19;

    // Unit modes.
    static constexpr int kUnitUnset = -1;
    static constexpr int kUnitLinear = 0;
    static constexpr int kUnitDb = 1;
    static constexpr int kUnitPercent = 2;

    // Limits on the counts a stored table may claim; a table beyond them is refused on loading.
    static constexpr std::int32_t kMaxPoints = 1000000;
    static constexpr std::int32_t kMaxChannels = 64;
    static constexpr std::int32_t kMaxHarmonics = SweepResultTable::kListLength;
    static constexpr std::int32_t kMaxTableLength = SweepResultTable::kListLength;
    static constexpr std::int64_t kMaxStoredValues = std::int64_t{1} << 28;

    CThdResults() = default;
    virtual ~CThdResults() = default;

    static int GetTypeCount() { return kTypeCount; }
    // List index 0..18 to type code; -1 outside the list.
    static int GetTypeByIndex(int index);
    static std::string GetCaption(int code);
    std::string GetName() const;
    std::string GetUnit() const;
    std::string GetCaptionWithUnit() const;
    bool IsRatioType() const;
    bool IsVoltageType() const;
    int GetUnitMode() const;
    void SetUnitMode(int mode);

    // value * m_scale + m_offset; a type, point, channel or harmonic without data counts as 0.
    double GetValue(int code, int point, int channel) const;
    // Stores x for the per-channel types and the phase; returns p + c * P (-1 outside the table).
    int SetValue(double x, int code, int point, int channel);

    void AllocateBuffers();
    void Clear();
    void FreeBuffers();
    void CopyFrom(const CThdResults& other);
    // Copies one measured point; a point outside the table is ignored.
    void StorePoint(int point, const SweepResultTable& record);
    // Counts, sample rate and every array. Loading checks each count and the sizes they imply
    // (64-bit) before anything is allocated, grows the arrays only as values arrive, and leaves the
    // table as it was when the stream is short or malformed.
    void Serialize(CArchive& ar);

    // The number of bytes Serialize writes for the current counts.
    std::int64_t GetStoredSize() const;

    std::int32_t m_pointCount = 0;
    std::int32_t m_channelCount = 0;
    double m_sampleRate = 0.0;
    double m_loadResistance = 1.0;
    double m_offset = 0.0;
    double m_scale = 1.0;
    std::int32_t m_sweepKind = 0;
    std::int32_t m_selectedType = 0;
    std::int32_t m_modeWord = 0;
    std::int32_t m_harmonicCount = 0;
    std::int32_t m_tableLength = 0;
    std::vector<double> m_tableAxis;
    std::vector<double> m_frequencies;
    std::vector<double> m_secondValues;
    std::vector<double> m_phaseDifferences;
    std::vector<double> m_levelTables;
    std::vector<double> m_harmonics;
    std::vector<double> m_thd;
    std::vector<double> m_thdN;
    std::vector<double> m_peakLevel;
    std::vector<double> m_peakPosition;
    std::vector<double> m_inbandLevel;
    std::vector<double> m_rms;
    std::vector<double> m_extraValues;
    std::vector<double> m_rmsTrack;

private:
    // Index p + c * P, or -1 when point or channel lies outside the table.
    std::int64_t CellIndex(int point, int channel) const;
    // The per-channel array of a type code, or null.
    const std::vector<double>* ChannelArray(int code) const;
    std::vector<double>* ChannelArray(int code);
    // Every array with its length for the current counts, in stored order after the phases.
    template <class Self, class Visit>
    static void ForEachArray(Self& self, Visit&& visit);
};
