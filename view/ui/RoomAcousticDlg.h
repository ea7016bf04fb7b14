// CRoomAcousticDlg: the "Room acoustics" window of a measurement window: RT60, RT30 and EDT, C50
// and C80, D50 and D80 of the window's room-acoustic record. A modeless pop-up without a parent,
// created hidden; closing it only hides it; the measurement window refreshes it from its readout
// timer and destroys it.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

class CRoomAcousticResults;

class CRoomAcousticDlg : public wxDialog
{
public:
    // The value statics.
    static constexpr int kIdC50 = 621;
    static constexpr int kIdC80 = 622;
    static constexpr int kIdRt30 = 623;
    static constexpr int kIdRt60 = 624;
    static constexpr int kIdD50 = 625;
    static constexpr int kIdD80 = 626;
    static constexpr int kIdEdt = 627;

    // The record is the window's (may be null: every value then shows "--").
    explicit CRoomAcousticDlg(const CRoomAcousticResults* results);

    // Shows the record's values.
    void RefreshValues();
    // The text of a control (tests read what a user sees).
    wxString GetControlText(int id) const;

private:
    const CRoomAcousticResults* m_pResults;
};
