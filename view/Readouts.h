// What the two "Measurements" readout windows of a measurement window show, and the result record
// that each display refresh leaves for the readouts, the sweeps and the data logger. Plain values:
// the view fills them, the windows of the toolkit show them.
#pragma once

#include <array>
#include <map>
#include <string>

// One refresh's results, per channel.
struct CReadoutRecord
{
    static constexpr int kChannels = 64;
    using PerChannel = std::array<double, kChannels>;

    int m_nChannels = 0;
    PerChannel m_adPeak{};
    PerChannel m_adPeakPosition{};
    PerChannel m_adInbandLevel{};
    PerChannel m_adThdN{};
    PerChannel m_adThd{};
    PerChannel m_adMaximum{};
    PerChannel m_adMinimum{};
    PerChannel m_adRms{};
    PerChannel m_adMeter2{};
    PerChannel m_adMarkerLinear{};
    double m_dXStep = 0.0;
    double m_dAnalysisTime = 0.0;
    std::array<double, 4> m_adMarkers{};
    double m_dTimeDifference = 0.0;
};

// The texts of one readout window: its title and the text of each control by its id.
struct CReadoutTexts
{
    // Control ids of the readout window.
    static constexpr int kCursorGroup = 663;
    static constexpr int kCursorXLabel = 268;
    static constexpr int kCursorPosition = 231;
    static constexpr int kCursorValueLabel = 660;
    static constexpr int kCursorValue = 234;
    static constexpr int kPeakGroup = 664;
    static constexpr int kPeakXLabel = 266;
    static constexpr int kPeakPosition = 236;
    static constexpr int kPeakValueLabel = 661;
    static constexpr int kPeakValue = 239;
    static constexpr int kLevelLabel = 297;
    static constexpr int kLevelValue = 242;
    static constexpr int kFirstLineLabel = 302;
    static constexpr int kFirstLineValue = 248;
    static constexpr int kSecondLineLabel = 306;
    static constexpr int kSecondLineValue = 250;
    static constexpr int kExtraLabel = 301;
    static constexpr int kExtraValue = 246;
    static constexpr int kProgressLabel = 662;
    static constexpr int kProgressBar = 254;

    std::string m_strTitle;
    std::map<int, std::string> m_texts;
    // Position of the progress bar in per cent (the first window only).
    int m_nProgress = 0;

    const std::string& Text(int id) const
    {
        static const std::string empty;
        const auto found = m_texts.find(id);
        return found == m_texts.end() ? empty : found->second;
    }
};
