// One parameter window of a measurement window: an always-on-top readout of one measured parameter,
// with its meter, text and placement. Its label travels in the view settings' annotation list.
#pragma once

#include <cstddef>
#include <string>

#include "common/settings/WindowSettings.h"

class CArchive;

class CParamView_settings
{
public:
    static constexpr std::size_t kStoredBytes = 160;
    // Bit 1 of the stored flags word: the label line is hidden.
    static constexpr int kFlagNoLabelLine = 2;

    CParamView_settings() = default;
    virtual ~CParamView_settings() = default;

    // Placement, parameter, channel, packed flags, meter switches, range, threshold, colours and
    // display words, text switches and size. The label is not stored here.
    void Serialize(CArchive& ar);

    int m_nParameter = 0;
    int m_nChannel = 0;
    int m_bInUse = 0;
    int m_bMeter = 0;
    int m_bMeterVertical = 0;
    double m_dMin = 0.0;
    double m_dMax = 100.0;
    double m_dThreshold = 50.0;
    int m_nBackColour = 0;  // COLORREF
    int m_nDisplayWord1 = 0;
    int m_nTextColour = 0;  // COLORREF
    int m_nDisplayWord2 = 0;
    int m_nDisplayWord3 = 0;
    int m_bText = 1;
    int m_bTextVertical = 0;
    int m_nTextSize = -20;  // 3..1000; negative: automatic, the magnitude the last size
    CWindow_settings m_Placement;
    std::string m_strLabel;
    int m_bLabelLine = 1;
};
