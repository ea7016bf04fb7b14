// CSplViewerSelectDlg: the modal "SPL Viewer  select results" window: which result type, weighting
// and band of the level logger's stored run to view, with the run's facts (blocks, interval,
// duration, start time). OK refuses the clock-pulse maximum level for a run that is too short or
// too coarse, with a message, and stays open.
//
// Threads: user-interface thread only.
#pragma once

#include <vector>

#include <wx/dialog.h>

#include "view/SplViewerSelection.h"

class wxChoice;

class CSplViewerSelectDlg : public wxDialog
{
public:
    static constexpr int kIdType = 1478;
    static constexpr int kIdWeighting = 602;
    static constexpr int kIdCentre = 603;
    static constexpr int kIdBlocks = 1481;
    static constexpr int kIdResolution = 1479;
    static constexpr int kIdDuration = 1480;
    static constexpr int kIdStartTime = 1482;

    // The logger's data may be null (then only the type can be chosen).
    CSplViewerSelectDlg(wxWindow* parent, const CSplLoggerData* data, int type, int weighting, double centre);

    // OK: true (and the window ends) when the selection was taken.
    bool OnOK();
    wxString GetControlText(int id) const;
    wxChoice* GetChoice(int id) const;

    // The selection (after OK).
    int m_nType = 0;
    int m_nWeighting = 0;
    double m_dCentre = -1.0;  // -1: full span

private:
    const CSplLoggerData* m_pData;
    std::vector<double> m_centres;
};
