#include "view/ui/SndViewWindow.h"

#include "view/ui/MeterDlg.h"

#include "display/ui/CurveDialogs.h"
#include "display/ui/PlotImage.h"
#include "engine/SoundIn.h"
#include "platform/gfx/WxCanvas.h"
#include "platform/ui/UiThread.h"
#include "texts/LanguageChoice.h"
#include "texts/ui/MenuTranslation.h"
#include "view/ui/FlutrixDlgs.h"
#include "view/ui/MeasurementsDlg.h"
#include "view/ui/ResultsDlg.h"
#include "view/ui/RoomAcousticDlg.h"

#include <wx/dcbuffer.h>
#include <wx/dcmemory.h>
#include <wx/font.h>
#include <wx/gdicmn.h>
#include <wx/menu.h>

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

namespace
{
OwnedWindowFactory& OwnedWindowFactoryHolder()
{
    static OwnedWindowFactory factory;
    return factory;
}
}  // namespace

CSndViewWindow::CSndViewWindow(wxWindow* parent, CViewDocument& document, CSoundIn& engine)
    : wxWindow(parent, wxID_ANY, wxDefaultPosition, parent ? parent->GetClientSize() : wxDefaultSize,
               wxFULL_REPAINT_ON_RESIZE | wxWANTS_CHARS),
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
    for (const auto type :
         {wxEVT_MOTION, wxEVT_LEFT_DOWN, wxEVT_LEFT_UP, wxEVT_LEFT_DCLICK, wxEVT_RIGHT_DOWN})
        Bind(type, &CSndViewWindow::OnMouse, this);
    Bind(wxEVT_KEY_DOWN, &CSndViewWindow::OnKey, this);
    Bind(wxEVT_KEY_UP, &CSndViewWindow::OnKey, this);
    Bind(wxEVT_CHAR, &CSndViewWindow::OnChar, this);
}

CSndViewWindow::~CSndViewWindow()
{
    // Queued calls no longer reach the view; a running job of the view is stopped and waited for
    // while everything it uses is still there.
    m_pAlive.reset();
    m_bClosing.store(true);
    m_pView->StopAllJobs();
    m_ownedWindows.clear();
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
    if (m_pRecorder)
        m_pRecorder->Destroy();
    m_pRecorder = nullptr;
    if (m_pRoomAcoustics)
        m_pRoomAcoustics->Destroy();
    m_pRoomAcoustics = nullptr;
    if (m_pWowAndFlutter)
        m_pWowAndFlutter->Destroy();
    m_pWowAndFlutter = nullptr;
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
    const wxSize size = GetClientSize();
    // A rubber-band move paints the band over the last picture; everything else paints the plot.
    if (!m_bBandOnly || !m_lastPicture.IsOk() || m_lastPicture.GetSize() != size)
    {
        m_lastPicture.Create(std::max(1, size.x), std::max(1, size.y));
        wxMemoryDC memory(m_lastPicture);
        gfx::WxCanvas canvas(memory);
        m_pView->OnDraw(canvas, GetClientRect());
    }
    m_bBandOnly = false;
    dc.DrawBitmap(m_lastPicture, 0, 0);
    PlotRect band;
    if (m_pView->GetRubberBand(band))
    {
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.SetPen(wxPen(*wxWHITE, 1, wxPENSTYLE_SOLID));
        dc.DrawRectangle(band.left, band.top, band.right - band.left + 1, band.bottom - band.top + 1);
        dc.SetPen(wxPen(*wxBLACK, 1, wxPENSTYLE_SHORT_DASH));
        dc.DrawRectangle(band.left, band.top, band.right - band.left + 1, band.bottom - band.top + 1);
    }
}

void CSndViewWindow::RedrawRubberBand()
{
    m_bBandOnly = true;
    Refresh(false);
}

void CSndViewWindow::OnMouse(wxMouseEvent& event)
{
    unsigned flags = 0;
    if (event.LeftIsDown())
        flags |= view_mouse::kLeftButton;
    if (event.RightIsDown())
        flags |= view_mouse::kRightButton;
    if (event.ShiftDown())
        flags |= view_mouse::kShift;
    if (event.ControlDown())
        flags |= view_mouse::kControl;
    const int x = event.GetX();
    const int y = event.GetY();
    const wxEventType type = event.GetEventType();
    if (type == wxEVT_MOTION)
        m_pView->OnMouseMove(flags, x, y);
    else if (type == wxEVT_LEFT_DOWN)
    {
        // The window takes the keys (arrows, page keys, delete) of the plot it shows.
        SetFocus();
        if (!HasCapture())
            CaptureMouse();
        m_pView->OnLButtonDown(flags, x, y);
    }
    else if (type == wxEVT_LEFT_UP)
    {
        if (HasCapture())
            ReleaseMouse();
        m_pView->OnLButtonUp(flags, x, y);
    }
    else if (type == wxEVT_LEFT_DCLICK)
        m_pView->OnLButtonDblClk(flags, x, y);
    else if (type == wxEVT_RIGHT_DOWN)
    {
        SetFocus();
        m_pView->OnRButtonDown(flags, x, y);
    }
    event.Skip();
}

namespace
{
ViewKey ToViewKey(int code)
{
    switch (code)
    {
        case WXK_LEFT:
        case WXK_NUMPAD_LEFT:
            return ViewKey::Left;
        case WXK_RIGHT:
        case WXK_NUMPAD_RIGHT:
            return ViewKey::Right;
        case WXK_UP:
        case WXK_NUMPAD_UP:
            return ViewKey::Up;
        case WXK_DOWN:
        case WXK_NUMPAD_DOWN:
            return ViewKey::Down;
        case WXK_PAGEUP:
        case WXK_NUMPAD_PAGEUP:
            return ViewKey::PageUp;
        case WXK_PAGEDOWN:
        case WXK_NUMPAD_PAGEDOWN:
            return ViewKey::PageDown;
        case WXK_DELETE:
        case WXK_NUMPAD_DELETE:
            return ViewKey::Delete;
        case WXK_SHIFT:
            return ViewKey::Shift;
        default:
            return ViewKey::Other;
    }
}
}  // namespace

void CSndViewWindow::OnKey(wxKeyEvent& event)
{
    const ViewKey key = ToViewKey(event.GetKeyCode());
    const bool used =
        event.GetEventType() == wxEVT_KEY_DOWN ? m_pView->OnKeyDown(key) : m_pView->OnKeyUp(key);
    // Keys the view does not use (and every key down, so that characters follow) go on.
    if (!used || event.GetEventType() == wxEVT_KEY_DOWN)
        event.Skip();
}

void CSndViewWindow::OnChar(wxKeyEvent& event)
{
    if (!m_pView->OnChar(event.GetUnicodeKey() != WXK_NONE ? static_cast<int>(event.GetUnicodeKey())
                                                           : event.GetKeyCode()))
        event.Skip();
}

std::function<int(const std::vector<PopupMenuItem>& items)> CSndViewWindow::s_fnPopupAnswer;
std::function<bool(CurveEditValues& values)> CSndViewWindow::s_fnCurveAnswer;
std::function<bool(CAnnotationList::LabelEdit& values)> CSndViewWindow::s_fnLabelAnswer;

int CSndViewWindow::TrackPopupMenu(const std::vector<PopupMenuItem>& items, int x, int y)
{
    if (s_fnPopupAnswer)
        return s_fnPopupAnswer(items);
    wxMenu menu;
    for (const PopupMenuItem& item : items)
    {
        if (item.id == 0)
            menu.AppendSeparator();
        else if (item.checked)
            menu.AppendCheckItem(item.id, wxString::FromUTF8(item.text))->Check(true);
        else
            menu.Append(item.id, wxString::FromUTF8(item.text));
    }
    TranslateMenu(&menu, GetLanguage());
    const int chosen = GetPopupMenuSelectionFromUser(menu, wxPoint(x, y));
    return chosen == wxID_NONE ? 0 : chosen;
}

bool CSndViewWindow::EditCurve(CurveEditValues& values)
{
    if (s_fnCurveAnswer)
        return s_fnCurveAnswer(values);
    CCurvePropertiesDlg dialog(this);
    dialog.m_style = values.style;
    dialog.m_style.m_strLabel = values.name;
    dialog.m_bActive = values.visible ? 1 : 0;
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values.style = dialog.m_style;
    values.name = dialog.m_strLabel;
    values.visible = dialog.m_bActive != 0;
    return true;
}

bool CSndViewWindow::EditLabel(CAnnotationList::LabelEdit& values)
{
    if (s_fnLabelAnswer)
        return s_fnLabelAnswer(values);
    CTextLabelDlg dialog(this);
    dialog.m_strText = values.text;
    dialog.m_nSize = static_cast<unsigned>(std::max(0, values.size));
    dialog.m_bDelete = values.deleteIt ? 1 : 0;
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values.text = dialog.m_strText;
    values.size = static_cast<int>(dialog.m_nSize);
    values.deleteIt = dialog.m_bDelete != 0;
    return true;
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
    // The room-acoustics window shows the first channel's record; hidden until asked for.
    m_pRoomAcoustics = new CRoomAcousticDlg(&m_pView->GetRoomAcousticResults(0));
    m_pWowAndFlutter = new CFlutrixResultsDlg();
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
    // The first measurement window of the workspace owns the sound-level statistics, shown at once.
    if (m_pView->GetViewIndex() == 0 && OwnedWindowFactoryHolder())
        if (auto statistics = OwnedWindowFactoryHolder()(kAuxStatistics, *m_pView))
        {
            statistics->ShowWindow(true);
            m_ownedWindows[kAuxStatistics] = std::move(statistics);
        }
}

void CSndViewWindow::SetOwnedWindowFactory(OwnedWindowFactory factory)
{
    OwnedWindowFactoryHolder() = std::move(factory);
}

COwnedWindow* CSndViewWindow::GetOwnedWindow(int kind) const
{
    const auto found = m_ownedWindows.find(kind);
    return found == m_ownedWindows.end() ? nullptr : found->second.get();
}

void CSndViewWindow::ResetOwnedWindows()
{
    for (auto& [kind, window] : m_ownedWindows)
        window->ResetValues();
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
    // The queued call is a copy of its own: it may run after a sender that gave up has returned.
    const std::weak_ptr<int> alive = m_pAlive;
    return platform::ui::SendToUi(
        [alive, call]
        {
            if (!alive.expired())
                call();
        },
        &m_bClosing);
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
    if (m_pRoomAcoustics && m_pRoomAcoustics->IsShown())
        m_pRoomAcoustics->RefreshValues();
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
    if (COwnedWindow* owned = GetOwnedWindow(kind))
    {
        owned->ShowWindow(show != 0);
        return;
    }
    if (kind == kAuxRoomAcoustics)
    {
        if (!m_pRoomAcoustics)
            return;
        m_pRoomAcoustics->Show(show != 0);
        if (show != 0)
        {
            m_pRoomAcoustics->RefreshValues();
            m_pRoomAcoustics->Raise();
        }
        return;
    }
    if (kind < 0 || kind > 1 || !m_readouts[static_cast<std::size_t>(kind)])
        return;
    CMeasurementsDlg* readout = m_readouts[static_cast<std::size_t>(kind)];
    readout->Show(show != 0);
    if (show != 0)
        readout->ShowTexts(m_pView->GetReadoutTexts(kind));
}

void CSndViewWindow::ShowResultsTable(const ResultsTable& table)
{
    CResultsDlg dialog(wxGetTopLevelParent(this), table, m_pView->GetEngine().m_bDecimalComma != 0);
    dialog.ShowModal();
}
