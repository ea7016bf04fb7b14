// The frame of one measurement window inside the main frame's container: its client area holds the
// measurement window of the workspace document (none while the application has no document).
//
// Threads: user-interface thread only.
#pragma once

#include "common/settings/WindowSettings.h"
#include "platform/ui/MdiChildFrame.h"

#include <memory>

class CMainFrame;
class CSndViewWindow;

class CChildFrame : public MdiChildFrame
{
public:
    CChildFrame(CMainFrame* mainFrame, const wxString& title, const wxRect& rect = wxRect());

    // The frame's placement as the saved window placement record sees it.
    std::shared_ptr<CPlacedWindow> GetPlacedWindow() const { return m_placed; }
    // The measurement window in the client area, or null.
    CSndViewWindow* GetViewWindow() const { return m_pViewWindow; }

    static ChildFrameState ToChildFrameState(const MdiFrameState& state);
    static MdiFrameState ToMdiFrameState(const ChildFrameState& state);

protected:
    // While the main window has no menu bar the frame cannot be closed, minimised or maximised.
    bool AllowClose() override;
    bool AllowMinMax() override;

private:
    CMainFrame* m_pMainFrame;
    std::shared_ptr<CPlacedWindow> m_placed;
    CSndViewWindow* m_pViewWindow = nullptr;
};
