// Frequency weightings applied in the frequency domain: the power responses of the A, C, U, AU and
// US1 curves, the weighting names, and the per-bin factor table that the FFT analyser multiplies
// every power spectrum by.
//
// Threads: the power functions are pure. A CWeightingTable belongs to one owner, which updates it
// while the input is stopped and reads it on the analysis thread.
#pragma once

#include <string>
#include <vector>

// Shared frequency weighting codes; every other value means no weighting (Z).
inline constexpr int kWeightingZ = 0;
inline constexpr int kWeightingA = 1;
inline constexpr int kWeightingC = 2;
inline constexpr int kWeightingItu468 = 3;
inline constexpr int kWeightingItuArm = 4;
inline constexpr int kWeightingU = 5;
inline constexpr int kWeightingAU = 6;
inline constexpr int kWeightingUS1 = 7;

// Squared magnitude (power ratio) of each weighting at f Hz.
double GetAWeightingPower(double f);
double GetCWeightingPower(double f);
double GetUWeightingPower(double f);
double GetAUWeightingPower(double f);
double GetUS1WeightingPower(double f);

// "A", "C", "ITU-468", "ITU-ARM", "U", "AU", "US1"; "Z" for every other code.
std::string GetWeightingName(int code);

// The power factor of one weighting code at f Hz as the table uses it; 1.0 (Z) for a code outside
// the known ones, so that a spectrum is never multiplied by undefined values.
double GetWeightingPowerForCode(int code, double f);

class CWeightingTable
{
public:
    CWeightingTable() = default;
    virtual ~CWeightingTable() = default;

    // Rebuilds the table when the code, bin count or rate changed; always refreshes the name.
    void Update();

    int m_nCapacity = 0;
    int m_nType = 0;
    int m_nCount = 0;
    std::vector<float> m_pTable;
    int m_nBuiltCount = -1;
    int m_nBuiltType = 0;
    double m_dBuiltRate = -1.0;
    double m_dSampleRate = -1.0;
    std::string m_szName = "Z";
};
