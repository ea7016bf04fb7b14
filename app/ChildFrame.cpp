#include "app/ChildFrame.h"

#include "app/AnalyzerApp.h"
#include "app/MainFrame.h"
#include "app/SndDoc.h"
#include "view/ui/SndViewWindow.h"

#include <wx/sizer.h>

namespace
{

WindowRect ToWindowRect(const wxRect& rect)
{
    return {rect.x, rect.y, rect.x + rect.width, rect.y + rect.height};
}

wxRect ToWxRect(const WindowRect& stored)
{
    const WindowRect rect = ClampWindowRect(stored);
    return wxRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}

// The placement record holds the frame weakly through this adapter; the adapter is owned by the
// frame and dies with it.
class PlacedChildFrame : public CPlacedWindow
{
public:
    explicit PlacedChildFrame(CChildFrame* frame) : m_frame(frame) {}
    ChildFrameState GetFrameState() const override
    {
        return CChildFrame::ToChildFrameState(m_frame->GetFrameState());
    }
    void SetFrameState(const ChildFrameState& state) override
    {
        m_frame->SetFrameState(CChildFrame::ToMdiFrameState(state));
    }

private:
    CChildFrame* m_frame;
};

}  // namespace

CChildFrame::CChildFrame(CMainFrame* mainFrame, const wxString& title, const wxRect& rect)
    : MdiChildFrame(mainFrame->GetContainer(), title, rect),
      m_pMainFrame(mainFrame),
      m_placed(std::make_shared<PlacedChildFrame>(this))
{
    CAnalyzerApp& app = mainFrame->GetApp();
    if (!app.m_pDocument || !app.m_pEngine)
        return;
    wxWindow* client = GetClientArea();
    m_pViewWindow = new CSndViewWindow(client, *app.m_pDocument, *app.m_pEngine);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pViewWindow, 1, wxEXPAND);
    client->SetSizer(sizer);
    client->Layout();
    CSndView& view = m_pViewWindow->GetView();
    view.OnInitialUpdate();
    // The frame's stored placement applies when the settings came from a workspace file; from now
    // on the record follows the frame, so a save takes its placement.
    if (CViewSettings* settings = view.GetSettings())
        settings->m_WindowPlacements[0].Restore(m_placed);
}

ChildFrameState CChildFrame::ToChildFrameState(const MdiFrameState& state)
{
    ChildFrameState result;
    result.visible = state.visible;
    result.minimised = state.minimised;
    result.maximised = state.maximised;
    result.normal = ToWindowRect(state.normal);
    result.current = ToWindowRect(state.current);
    return result;
}

MdiFrameState CChildFrame::ToMdiFrameState(const ChildFrameState& state)
{
    MdiFrameState result;
    result.visible = state.visible;
    result.minimised = state.minimised;
    result.maximised = state.maximised;
    result.normal = ToWxRect(state.normal);
    result.current = ToWxRect(state.current);
    return result;
}

bool CChildFrame::AllowClose()
{
    return m_pMainFrame->GetMenuBar() != nullptr;
}

bool CChildFrame::AllowMinMax()
{
    return m_pMainFrame->GetMenuBar() != nullptr;
}
