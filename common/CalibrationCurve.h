// A frequency-response correction: either frequency/value pairs (a microphone or device calibration
// file) or an evenly spaced table over the spectrum of a sample rate (a reference). The engine keeps
// 64 of them and applies each enabled one to its channel's power spectrum bin by bin; the workspace
// stores the switches and the path and reloads the file.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

class CArchive;

class CCalibrationCurve
{
public:
    static constexpr int kMagicPairs = 1457934344;
    static constexpr int kMagicTable = 1457934343;
    static constexpr int kMaxPairs = 65536;
    // The largest table a reference file may announce; a larger count loads nothing.
    static constexpr int kMaxTableValues = 1 << 23;
    // The unit word is read as at most this many characters.
    static constexpr std::size_t kMaxUnitCharacters = 255;
    // A stored path longer than this is refused.
    static constexpr int kMaxStoredPathBytes = 32768;

    // Why the last LoadFromFile loaded nothing.
    enum class LoadError
    {
        None,
        CannotOpen,     // the curve is left as it was
        UnknownFormat,  // the first number is neither magic
        TooLarge,       // the table count is negative or above kMaxTableValues
    };

    CCalibrationCurve() = default;
    virtual ~CCalibrationCurve() = default;

    // Frees the arrays; the switches, the rates and the path stay.
    void Clear();
    // A measured response becomes its correction: each value v is stored as 1/(v + 1e-20). With
    // frequencies the curve is a pair list, without them a table for the sample rate.
    void SetPoints(int count, double sampleRate, const float* frequencies, const float* values);
    // Reads a pair or table file; returns the number of points (0: nothing loaded, see GetLastError).
    int LoadFromFile(const std::filesystem::path& path);
    LoadError GetLastError() const { return m_lastError; }
    // The four switches, then the path as int32 length and bytes.
    void Serialize(CArchive& ar);

    // Rebuilds the per-bin table of a pair curve for `bins` bins at the rate when either differs
    // (linear interpolation, dB values as power factors). A table curve is resampled by the engine;
    // here it is used only when it already fits. False when no fitting table is available.
    bool PrepareBinTable(int bins, double sampleRate);
    // Replaces or multiplies the spectrum by the per-bin table (after PrepareBinTable).
    bool Apply(std::span<float> spectrum, double sampleRate);

    int m_nPoints = 0;
    double m_dSampleRate = -1.0;
    int m_nBinCount = 0;
    double m_dBinRate = -1.0;
    int m_bEnabled = 0;
    int m_bReplace = 0;
    int m_nChannel = 0;
    int m_bAllChannels = 0;
    int m_bDecibel = 0;
    int m_bPairs = 0;
    std::vector<float> m_pFrequency;
    std::vector<float> m_pValue;
    std::vector<float> m_pBinTable;
    std::string m_strPath;

private:
    LoadError m_lastError = LoadError::None;
};
