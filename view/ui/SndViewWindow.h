// The measurement window as the window toolkit sees it: a child window that owns the view's logic
// (CSndView), hands it its timers, size changes and paint requests, and draws its plot.
//
// Threads: user-interface thread only.
#pragma once

#include <map>
#include <memory>

#include <wx/timer.h>
#include <wx/window.h>

#include "view/SndView.h"
#include "view/ViewFrame.h"

class CSndViewWindow : public wxWindow, public CViewWindow
{
public:
    CSndViewWindow(wxWindow* parent, CViewDocument& document, CSoundIn& engine);
    ~CSndViewWindow() override;

    CSndView& GetView() { return *m_pView; }

    // CViewWindow
    bool SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    PlotRect GetClientRect() const override;
    void SetFrameTitle(const std::string& title) override;
    void DrawNow() override;
    void Invalidate() override;

    // The window's picture as the plot paints it (the size of the client area).
    wxImage RenderImage();

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnTimerEvent(wxTimerEvent& event);

    std::unique_ptr<CSndView> m_pView;
    std::map<int, std::unique_ptr<wxTimer>> m_timers;
};
