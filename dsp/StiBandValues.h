// One value per octave band for the speech-intelligibility evaluations (index 0 = 125 Hz, 1 = 250 Hz
// ... 6 = 8 kHz): the levels of the test signal and of the background, and the signal-to-noise ratios
// formed from them, which correct the modulation depths. A plain value type, copied by value.
#pragma once

#include <array>
#include <cstdint>
#include <string>

// Names of the value sets in the settings file, by set index.
inline constexpr int kStiSetSnr = 0;
inline constexpr int kStiSetSignal = 1;
inline constexpr int kStiSetNoise = 2;
inline constexpr int kStiSetCount = 3;
extern const std::array<const char*, kStiSetCount> g_stiBandValueSetNames;

class CStiBandValues
{
public:
    static constexpr int kCapacity = 256;
    // The octave bands 125 Hz ... 8 kHz that the settings file holds.
    static constexpr int kFileBands = 7;

    CStiBandValues();

    // Every value in use becomes m_defaultValue.
    void Reset();
    void SetAll(double value);
    // Copies the count and the values in use.
    void Assign(const CStiBandValues& other);
    // Value by value over the values in use.
    void Subtract(const CStiBandValues& other);
    // This minus other, as a new set (SNR = SIGNAL - NOISE).
    CStiBandValues Difference(const CStiBandValues& other) const;

    // m_count limited to the capacity, so that a damaged count cannot reach past the values.
    int GetUsedCount() const;

    std::int32_t m_count = 8;
    std::array<double, kCapacity> m_values{};
    double m_defaultValue = 250.0;
    // A signal-to-noise ratio at or above it means the band carries no noise.
    double m_limit = 200.0;
};

// Section "STI Signal to Noise.<set name>", keys "125Hz" ... "8000Hz", values "%.2f"; in the SNR set
// a value at or above m_limit is written as "--". False for an unknown set or a failed write.
bool WriteStiBandValues(const std::string& iniPath, const CStiBandValues& values, int setIndex);
// The counterpart of WriteStiBandValues: a missing key keeps what the writer would write, "--" gives
// m_defaultValue, an empty text or one that is no finite number keeps the value, other text is read
// as a number (text without a leading number reads as 0). False for an unknown set.
bool ReadStiBandValues(const std::string& iniPath, CStiBandValues& values, int setIndex);
