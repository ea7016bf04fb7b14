// The values that the "Display properties" sheet edits for a measurement window, gathered from the
// window's settings, its plot and the engine before the sheet opens and written back after OK.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "display/CurveStyle.h"

struct DisplayPropertiesValues
{
    static constexpr int kMaxMarkers = 256;

    // Zoom: the axes in force.
    int m_bLogX = 0;
    int m_bLogY = 0;
    double m_dYMin = 0.0;
    double m_dYMax = 0.0;
    double m_dXMin = 0.0;
    double m_dXMax = 0.0;
    // Bars.
    int m_bBarGraph = 0;
    int m_nBarsPerOctave = 5;
    double m_dBarDecay = 30.0;
    int m_bPeakHold = 1;
    double m_dPeakDecay = 0.0;
    // Math curve.
    int m_nMathMode = 0;
    int m_nMathFunction = 0;
    // Line styles: channels 1 to 3 and the grid.
    std::array<CCurveStyle, 4> m_styles;
    // Colours: "Color mode background" and the scheme's two palette choices.
    int m_nColorMode = 0;
    int m_nOtherColor = 0;
    int m_nFrameColor = 0;
    // Spectrogram: grey map, reversed time and frequency, time along x.
    int m_bSonagramGrey = 0;
    int m_bSonagramReverseTime = 0;
    int m_bSonagramReverseFrequency = 0;
    int m_bSonagramSwap = 0;
    // Markers.
    int m_bShowMarkers = 0;
    int m_nMarkerCount = 0;
    std::array<double, kMaxMarkers> m_adMarkers{};
    // Special.
    int m_nRefreshMs = 100;
    int m_bPeakInterpolate = 1;
    int m_bSmoothing = 0;
    int m_nSmoothingOctaves = 3;
    int m_bEvenHarmonics = 1;
    int m_bOddHarmonics = 1;
    int m_nMaxHarmonics = 5;
    int m_bPlotPercent = 0;
    int m_nHistoryDepth = 0;
    int m_bJetColors = 1;
    // 3D: the engine's 3D style word.
    std::uint32_t m_n3dStyle = 0x640000C2;
    // Reduction.
    int m_nDecimation = 0;
};

// The messages of the range checks across the pages, in order; empty when the ranges are valid.
std::vector<std::string> CheckAxisRanges(const DisplayPropertiesValues& values);
