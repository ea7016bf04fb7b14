#include "view/ui/SndViewWindow.h"

#include "view/ui/MeterDlg.h"

#include "display/ui/PlotImage.h"
#include "platform/gfx/WxCanvas.h"
#include "platform/ui/UiThread.h"
#include "view/ui/MeasurementsDlg.h"

#include <wx/dcbuffer.h>
#include <wx/font.h>
#include <wx/gdicmn.h>

#include <algorithm>
#include <cmath>

namespace
{
// The toolkit's normal font size in pixels on this screen (its points at the screen's dpi), and never
// below the plot's own label size.
int LabelFontPixels(const wxWindow& window)
{
    const double points = wxNORMAL_FONT->GetFractionalPointSize();
    const double dpi = window.GetDPI().y > 0 ? window.GetDPI().y : 96.0;
    return std::max(CPlot::kDefaultLabelFontPixels, static_cast<int>(std::lround(points * dpi / 72.0)));
}
}  // namespace

CSndViewWindow::CSndViewWindow(wxWindow* parent, CViewDocument& document, CSoundIn& engine)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, parent ? parent->GetClientSize() : wxDefaultSize,
               wxFULL_REPAINT_ON_RESIZE),
      m_pView(std::make_unique<CSndView>(document, engine))
{
    // The plot paints every pixel itself.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_pView->SetWindow(this);
    m_pView->GetPlot().m_nLabelFontPixels = LabelFontPixels(*this);
    m_pView->GetPlot().m_nRightMargin = m_pView->GetPlot().RightLabelRoom();
    Bind(wxEVT_PAINT, &CSndViewWindow::OnPaint, this);
    Bind(wxEVT_SIZE, &CSndViewWindow::OnSize, this);
    Bind(wxEVT_TIMER, &CSndViewWindow::OnTimerEvent, this);
}

CSndViewWindow::~CSndViewWindow()
{
    m_pAlive.reset();
    if (m_pMoveSource)
        m_pMoveSource->Unbind(wxEVT_MOVE, &CSndViewWindow::OnOwnerMove, this);
    for (auto& [id, timer] : m_timers)
        timer->Stop();
    for (CMeasurementsDlg*& readout : m_readouts)
    {
        if (readout)
        {
            readout->SetRemoteForward(nullptr);
            readout->Destroy();
        }
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
    wxWindow* owner = top ? top : this;
    const wxRect ownerRect = owner->GetScreenRect();
    m_readouts[0] = new CMeasurementsDlg(0, ownerRect);
    m_readouts[0]->SetTitle(wxString::FromUTF8(firstTitle));
    m_readouts[1] = new CMeasurementsDlg(1, ownerRect);
    m_readouts[1]->SetTitle(wxString::FromUTF8(secondTitle));
    // A main window not shown yet has no client area on the screen: its move places the readouts.
    const wxRect client =
        owner->IsShown() ? wxRect(owner->ClientToScreen(wxPoint(0, 0)), owner->GetClientSize()) : ownerRect;
    for (CMeasurementsDlg* readout : m_readouts)
        readout->PlaceInside(ownerRect, client);
    // The readouts move with the main window.
    if (top && !m_pMoveSource)
    {
        m_pMoveSource = top;
        m_lastOwnerPosition = top->GetScreenPosition();
        top->Bind(wxEVT_MOVE, &CSndViewWindow::OnOwnerMove, this);
    }
    for (CMeasurementsDlg* readout : m_readouts)
        readout->SetRemoteForward([this](std::uint64_t wParam, std::span<const std::byte> bytes)
                                  { m_pView->OnRemoteCommand(wParam, bytes); });
    m_readouts[0]->Show();
}

void CSndViewWindow::OnOwnerMove(wxMoveEvent& event)
{
    event.Skip();
    if (!m_pMoveSource)
        return;
    const wxPoint position = m_pMoveSource->GetScreenPosition();
    const wxPoint shift = position - m_lastOwnerPosition;
    m_lastOwnerPosition = position;
    if (shift == wxPoint(0, 0))
        return;
    for (CMeasurementsDlg* readout : m_readouts)
        if (readout)
            readout->Move(readout->GetPosition() + shift);
}

bool CSndViewWindow::SendToWindow(const std::function<void()>& call)
{
    const std::weak_ptr<int> alive = m_pAlive;
    return platform::ui::SendToUi(
        [&]
        {
            if (!alive.expired())
                call();
        });
}

bool CSndViewWindow::PostToWindow(std::function<void()> call)
{
    return platform::ui::PostToWindow(this, std::move(call));
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
