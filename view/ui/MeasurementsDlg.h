// CMeasurementsDlg: one "Measurements" readout window of a measurement window: cursor and peak
// values, the level line, two distortion lines, an extra line and the progress bar. A modeless
// pop-up without a parent; closing it only hides it, the measurement window destroys it.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include "view/Readouts.h"

class wxGauge;

class CMeasurementsDlg : public wxDialog
{
public:
    static constexpr const char* kSecondTitle = "Measurements 2.nd curve";

    // curve 0: the first window (follows the selected curve), 1: the second (curve 1). The owner's
    // screen rectangle places the window inside its right edge.
    CMeasurementsDlg(int curve, const wxRect& ownerRect);

    int GetCurve() const { return m_nCurve; }
    // Places the window by the owner's screen rectangle and the screen rectangle of its client
    // area (below the owner's menu bar and toolbars).
    void PlaceInside(const wxRect& ownerRect, const wxRect& ownerClient);
    // Shows the texts (and the progress of the first window).
    void ShowTexts(const CReadoutTexts& texts);
    // The text of a control (tests read what a user sees).
    wxString GetControlText(int id) const;

private:
    void OnClose(wxCloseEvent& event);

    int m_nCurve;
    wxGauge* m_pProgress = nullptr;
};
