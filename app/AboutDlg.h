// The About box: the program's name and version over the splash picture of the Brevik library.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/bitmap.h>
#include <wx/dialog.h>

#include <string>

class CAboutDlg : public wxDialog
{
public:
    static constexpr const char* kVersion = "1.0";

    explicit CAboutDlg(wxWindow* parent);

    // The version line the box shows.
    static std::string GetVersionText();

private:
    void OnPaint(wxPaintEvent& event);

    wxBitmap m_splash;
};
