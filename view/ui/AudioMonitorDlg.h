// "Audio Monitor": a fixed layout of sample texts (location, three levels, time, path, point
// count), two edits and the buttons of the monitoring station; the buttons have no action yet
// and show disabled.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

class CAudioMonitorDlg : public wxDialog
{
public:
    explicit CAudioMonitorDlg(wxWindow* parent);
};
