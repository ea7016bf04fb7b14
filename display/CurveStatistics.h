// The statistics record of one plotted curve: extremes, sums and the distortion and
// intermodulation figures that the measurement windows show. The painter fills it after drawing
// the curve (CPlot::ComputeCurveStats); the owner reads it on the user-interface thread.
#pragma once

#include <array>

// The order class of intermodulation product n (its list position): 1 for the two tones (n <= 1),
// 2 for 2..6, 3 for 7..14, 4 for 15..25, 5 for 26..39, 6 from 40.
int MarkerSizeClass(int n);

// One harmonic or intermodulation product: where it was found and how strong it is.
struct CSpectralLine
{
    // Bin of the line (frequency / bin width); -1 while not found.
    float m_fBin = -1.0f;
    double m_dDisplayLevel = 0.0;
    double m_dFrequency = 0.0;
    double m_dRawLevel = 0.0;
};

class CCurveStatistics
{
public:
    static constexpr int kMaxHarmonics = 20;
    static constexpr int kMaxProducts = 40;

    void Clear() { *this = CCurveStatistics(); }

    // Visible index range; sums run over first..last - 1.
    int m_nFirst = 0;
    int m_nLast = 0;
    int m_nCount = 0;
    // Extremes in display units with the first index that reaches them, and their x.
    double m_dMaximum = 0.0;
    int m_nMaximumIndex = 0;
    double m_dMinimum = 0.0;
    int m_nMinimumIndex = 0;
    double m_dXOfMaximum = 0.0;
    double m_dXOfMinimum = 0.0;
    // Of the raw values over first..last - 1.
    double m_dSum = 0.0;
    double m_dSumOfSquares = 0.0;
    double m_dSumDisplay = 0.0;
    // Peak interpolated from the bins around the maximum: display value and fractional bin offset.
    double m_dPeak = 0.0;
    double m_dPeakOffset = 0.0;
    // Amplitude ratio of noise and distortion to the strongest line, over the whole curve.
    double m_dThdN = 0.0;
    // Distortion mode.
    double m_dDistortion = 0.0;
    std::array<CSpectralLine, kMaxHarmonics> m_arrHarmonics{};
    // Intermodulation mode: entries 0 and 1 are the two tones, then the products.
    std::array<CSpectralLine, kMaxProducts> m_arrProducts{};
    double m_dToneSum = 0.0;
    double m_dProductSum = 0.0;
    double m_dProductRatio = 0.0;
};
