// The generator program's frame: sized from the display resolution, with the toolbar, the status
// bar and its sample-rate pane, the menus of the current language, and the generator window that
// fills it. Its title is exactly "Pulvera": Tessarin finds the program by it.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/frame.h>

#include <memory>

class CGeneratorWindow;
class CGeneratorWnd;
class wxMenuBar;

class CMainFrame : public wxFrame
{
public:
    explicit CMainFrame(std::shared_ptr<CGeneratorWnd> core);

    CGeneratorWindow* GetGeneratorWindow() const { return m_pGeneratorWnd; }
    double GetCreationScale() const { return m_dCreationScale; }
    double GetCurrentScale() const { return m_dCurrentScale; }
    // The frame as it stands on the screen, as a PNG file.
    bool SaveScreenshot(const std::string& path);
    // The text the sample-rate pane shows.
    wxString SampleRateText() const;

    // Whether a command (by its toolkit id) has its handler in this program; the others stay disabled.
    static bool IsCommandAvailable(int wxId);
    // Whether a command (by its toolkit id) shows a check mark.
    static bool HasCheckMark(int wxId);

private:
    void CreateBars();
    void OnClose(wxCloseEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnIdle(wxIdleEvent& event);
    void OnUpdateUi(wxUpdateUIEvent& event);
    void OnCommand(wxCommandEvent& event);

    // Makes the frame large enough for the panel at the creation scale; from then on the panel's
    // scale follows the frame's width against that width.
    void FitPanel(const wxSize& panel);

    CGeneratorWindow* m_pGeneratorWnd = nullptr;
    int m_nFitWidth = 0;
    double m_dCreationScale = 96.0;
    double m_dCurrentScale = 96.0;
};

// The menu bar of a menu resource (128 English, 129 German), each item with its status-bar prompt.
wxMenuBar* BuildGeneratorMenuBar(unsigned resource);
