// The frame of one measurement window inside the main frame's container. The measurement window
// itself does not exist yet: the frame holds an empty client area.
//
// Threads: user-interface thread only.
#pragma once

#include "app/WindowSettings.h"
#include "platform/ui/MdiChildFrame.h"

#include <memory>

class CMainFrame;

class CChildFrame : public MdiChildFrame
{
public:
    CChildFrame(CMainFrame* mainFrame, const wxString& title, const wxRect& rect = wxRect());

    // The frame's placement as the saved window placement record sees it.
    std::shared_ptr<CPlacedWindow> GetPlacedWindow() const { return m_placed; }

    static ChildFrameState ToChildFrameState(const MdiFrameState& state);
    static MdiFrameState ToMdiFrameState(const ChildFrameState& state);

protected:
    // While the main window has no menu bar the frame cannot be closed, minimised or maximised.
    bool AllowClose() override;
    bool AllowMinMax() override;

private:
    CMainFrame* m_pMainFrame;
    std::shared_ptr<CPlacedWindow> m_placed;
};
