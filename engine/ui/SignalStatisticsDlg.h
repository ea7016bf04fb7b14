// CSignalStatisticsDlg: the modeless statistics window of a generator panel: crest factor, and peak
// and RMS of both channels as percent of full scale and in dB, with a bar for each. The panel sets
// the fields and calls UpdateValues.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/ui/GeneratorToolRules.h"

#include <wx/dialog.h>

class wxGauge;
class wxStaticText;

class CSignalStatisticsDlg : public wxDialog
{
public:
    explicit CSignalStatisticsDlg(wxWindow* parent);
    // Redraws the lines and the bars from the fields.
    void UpdateValues();
    const generator_tools::StatisticsText& GetText() const { return m_text; }

    double m_dCrest = 0.0;
    double m_dPeak1 = 0.0;
    double m_dRms1 = 0.0;
    double m_dPeak2 = 0.0;
    double m_dRms2 = 0.0;

private:
    generator_tools::StatisticsText m_text;
    wxStaticText* m_pLines[5] = {};  // peak 1, RMS 1, peak 2, RMS 2, crest and balance
    wxGauge* m_pBars[4] = {};        // peak 1, RMS 1, peak 2, RMS 2
};
