#include "view/ui/SndViewWindow.h"

#include "view/ui/MeterDlg.h"

#include "display/ui/PlotImage.h"
#include "platform/gfx/WxCanvas.h"
#include "view/ui/MeasurementsDlg.h"

#include <wx/dcbuffer.h>

CSndViewWindow::CSndViewWindow(wxWindow* parent, CViewDocument& document, CSoundIn& engine)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, parent ? parent->GetClientSize() : wxDefaultSize,
               wxFULL_REPAINT_ON_RESIZE),
      m_pView(std::make_unique<CSndView>(document, engine))
{
    // The plot paints every pixel itself.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_pView->SetWindow(this);
    Bind(wxEVT_PAINT, &CSndViewWindow::OnPaint, this);
    Bind(wxEVT_SIZE, &CSndViewWindow::OnSize, this);
    Bind(wxEVT_TIMER, &CSndViewWindow::OnTimerEvent, this);
}

CSndViewWindow::~CSndViewWindow()
{
    for (auto& [id, timer] : m_timers)
        timer->Stop();
    for (CMeasurementsDlg*& readout : m_readouts)
    {
        if (readout)
            readout->Destroy();
        readout = nullptr;
    }
    m_pView->SetWindow(nullptr);
    m_pView.reset();
}

bool CSndViewWindow::SetTimer(int id, int milliseconds)
{
    auto& timer = m_timers[id];
    if (!timer)
        timer = std::make_unique<wxTimer>(this, id);
    return timer->Start(milliseconds);
}

void CSndViewWindow::KillTimer(int id)
{
    if (const auto found = m_timers.find(id); found != m_timers.end())
        found->second->Stop();
}

PlotRect CSndViewWindow::GetClientRect() const
{
    const wxSize size = GetClientSize();
    return PlotRect{0, 0, size.x, size.y};
}

void CSndViewWindow::SetFrameTitle(const std::string& title)
{
    // The frame is the window around the frame's client area.
    if (wxWindow* client = GetParent())
        if (wxWindow* frame = client->GetParent())
            frame->SetLabel(wxString::FromUTF8(title));
}

void CSndViewWindow::DrawNow()
{
    Refresh(false);
    Update();
}

void CSndViewWindow::Invalidate()
{
    Refresh(true);
}

wxImage CSndViewWindow::RenderImage()
{
    const PlotRect rect = GetClientRect();
    return RenderPlotImage(m_pView->GetPlot(), std::max(1, rect.right), std::max(1, rect.bottom));
}

void CSndViewWindow::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    gfx::WxCanvas canvas(dc);
    m_pView->OnDraw(canvas, GetClientRect());
}

void CSndViewWindow::OnSize(wxSizeEvent& event)
{
    m_pView->OnSize();
    event.Skip();
}

void CSndViewWindow::OnTimerEvent(wxTimerEvent& event)
{
    m_pView->OnTimer(event.GetId());
}

void CSndViewWindow::CreateOwnedWindows(const std::string& firstTitle, const std::string& secondTitle)
{
    if (m_readouts[0])
        return;
    wxWindow* top = wxGetTopLevelParent(this);
    const wxRect owner = top ? top->GetScreenRect() : GetScreenRect();
    m_readouts[0] = new CMeasurementsDlg(0, owner);
    m_readouts[0]->SetTitle(wxString::FromUTF8(firstTitle));
    m_readouts[1] = new CMeasurementsDlg(1, owner);
    m_readouts[1]->SetTitle(wxString::FromUTF8(secondTitle));
    m_readouts[0]->Show();
}

void CSndViewWindow::RefreshReadouts()
{
    for (int curve = 0; curve < 2; ++curve)
        if (CMeasurementsDlg* readout = m_readouts[static_cast<std::size_t>(curve)];
            readout && readout->IsShown())
            readout->ShowTexts(m_pView->GetReadoutTexts(curve));
}

void CSndViewWindow::GetScreenOrigin(int& x, int& y) const
{
    const wxPoint origin = GetScreenPosition();
    x = origin.x;
    y = origin.y;
}

std::unique_ptr<CParamViewWindow> CSndViewWindow::CreateParamViewWindow(CParamViewState& state)
{
    // Without a parent: the windows stay on top of the program and go only with their manager.
    return std::make_unique<CParamViewHandle>(nullptr, state);
}

void CSndViewWindow::ShowAuxWindow(int kind, int show)
{
    if (kind < 0 || kind > 1 || !m_readouts[static_cast<std::size_t>(kind)])
        return;
    CMeasurementsDlg* readout = m_readouts[static_cast<std::size_t>(kind)];
    readout->Show(show != 0);
    if (show != 0)
        readout->ShowTexts(m_pView->GetReadoutTexts(kind));
}
