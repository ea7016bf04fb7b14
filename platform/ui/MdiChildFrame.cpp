#include "platform/ui/MdiChildFrame.h"

#include "platform/ui/MdiContainer.h"

#include <wx/app.h>
#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <algorithm>

namespace
{

constexpr int kButtonSize = MdiChildFrame::kCaptionHeight - 6;
// The smallest frame a drag can make: room for the caption's buttons and a little client area.
constexpr int kMinWidth = 120;
constexpr int kMinHeight = MdiChildFrame::kCaptionHeight + 2 * MdiChildFrame::kBorder + 20;

}  // namespace

MdiChildFrame::MdiChildFrame(MdiContainer* container, const wxString& title, const wxRect& rect)
    : wxWindow(container, wxID_ANY, wxDefaultPosition, wxDefaultSize,
               wxFULL_REPAINT_ON_RESIZE | wxCLIP_CHILDREN),
      m_container(container),
      m_title(title)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_client = new wxWindow(this, wxID_ANY);
    m_client->SetBackgroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOW));
    m_normal = rect.IsEmpty() ? container->NextChildRect() : rect;

    Bind(wxEVT_PAINT, &MdiChildFrame::OnPaint, this);
    Bind(wxEVT_SIZE, &MdiChildFrame::OnSize, this);
    Bind(wxEVT_LEFT_DOWN, &MdiChildFrame::OnMouseDown, this);
    Bind(wxEVT_LEFT_UP, &MdiChildFrame::OnMouseUp, this);
    Bind(wxEVT_MOTION, &MdiChildFrame::OnMouseMove, this);
    Bind(wxEVT_LEFT_DCLICK, &MdiChildFrame::OnDoubleClick, this);
    Bind(wxEVT_MOUSE_CAPTURE_LOST, &MdiChildFrame::OnCaptureLost, this);
    Bind(wxEVT_CLOSE_WINDOW, &MdiChildFrame::OnClose, this);
    Bind(wxEVT_CHILD_FOCUS, &MdiChildFrame::OnChildFocus, this);
    // A click into the client area activates the frame as a click on the caption does.
    m_client->Bind(wxEVT_LEFT_DOWN,
                   [this](wxMouseEvent& event)
                   {
                       Activate();
                       event.Skip();
                   });

    container->AddChild(this);
    UpdateLayout();
}

MdiChildFrame::~MdiChildFrame()
{
    if (HasCapture())
        ReleaseMouse();
    if (m_container)
        m_container->RemoveChildFrame(this);
}

void MdiChildFrame::SetTitle(const wxString& title)
{
    m_title = title;
    Refresh();
}

bool MdiChildFrame::IsActive() const
{
    return m_container && m_container->GetActiveChild() == this;
}

void MdiChildFrame::Activate()
{
    m_container->ActivateChild(this);
}

void MdiChildFrame::Minimise()
{
    if (!AllowMinMax())
        return;
    m_minimised = true;
    m_maximised = false;
    m_container->ArrangeIcons();
    Refresh();
}

void MdiChildFrame::Maximise()
{
    if (!AllowMinMax())
        return;
    m_minimised = false;
    m_maximised = true;
    UpdateLayout();
    Activate();
}

void MdiChildFrame::Restore()
{
    const bool wasMinimised = m_minimised;
    m_minimised = false;
    m_maximised = false;
    UpdateLayout();
    if (wasMinimised)
        m_container->ArrangeIcons();
    Activate();
}

MdiFrameState MdiChildFrame::GetFrameState() const
{
    MdiFrameState state;
    state.visible = IsShown();
    state.minimised = m_minimised;
    state.maximised = m_maximised;
    state.normal = m_normal;
    state.current = GetRect();
    return state;
}

void MdiChildFrame::SetFrameState(const MdiFrameState& state)
{
    m_normal = state.normal;
    m_minimised = state.minimised;
    m_maximised = state.maximised && !state.minimised;
    Show(state.visible);
    UpdateLayout();
    m_container->ArrangeIcons();
}

void MdiChildFrame::SetNormalRect(const wxRect& rect)
{
    m_normal = rect;
    m_minimised = false;
    m_maximised = false;
    UpdateLayout();
}

void MdiChildFrame::UpdateLayout()
{
    if (m_maximised)
        SetSize(wxRect(wxPoint(0, 0), m_container->GetClientSize()));
    else if (!m_minimised)
        SetSize(m_normal);
    // A minimised frame is placed by the container's ArrangeIcons.
    m_client->Show(!m_minimised);
    LayoutClient();
    Refresh();
}

void MdiChildFrame::LayoutClient()
{
    const wxSize size = GetClientSize();
    m_client->SetSize(kBorder, kBorder + kCaptionHeight, std::max(0, size.x - 2 * kBorder),
                      std::max(0, size.y - 2 * kBorder - kCaptionHeight));
}

wxRect MdiChildFrame::ButtonRect(int indexFromRight) const
{
    const int right = GetClientSize().x - kBorder - 3;
    const int top = kBorder + (kCaptionHeight - kButtonSize) / 2;
    return wxRect(right - (indexFromRight + 1) * (kButtonSize + 2), top, kButtonSize, kButtonSize);
}

MdiChildFrame::Hit MdiChildFrame::HitTest(const wxPoint& point) const
{
    const wxSize size = GetClientSize();
    if (ButtonRect(0).Contains(point))
        return Hit::Close;
    if (ButtonRect(1).Contains(point))
        return Hit::Maximise;
    if (ButtonRect(2).Contains(point))
        return Hit::Minimise;
    if (!m_minimised && !m_maximised)
    {
        const bool left = point.x < kBorder;
        const bool right = point.x >= size.x - kBorder;
        const bool top = point.y < kBorder;
        const bool bottom = point.y >= size.y - kBorder;
        if (top && left)
            return Hit::TopLeft;
        if (top && right)
            return Hit::TopRight;
        if (bottom && left)
            return Hit::BottomLeft;
        if (bottom && right)
            return Hit::BottomRight;
        if (left)
            return Hit::Left;
        if (right)
            return Hit::Right;
        if (top)
            return Hit::Top;
        if (bottom)
            return Hit::Bottom;
    }
    if (point.y < kBorder + kCaptionHeight)
        return Hit::Caption;
    return Hit::None;
}

void MdiChildFrame::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    const wxSize size = GetClientSize();
    const bool active = IsActive();
    const wxColour face = wxSystemSettings::GetColour(wxSYS_COLOUR_BTNFACE);
    dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
    dc.SetBrush(wxBrush(face));
    dc.DrawRectangle(0, 0, size.x, size.y);

    const wxRect caption(kBorder, kBorder, size.x - 2 * kBorder, kCaptionHeight);
    const wxColour from = active ? wxColour(10, 36, 106) : wxColour(128, 128, 128);
    const wxColour to = active ? wxColour(166, 202, 240) : wxColour(192, 192, 192);
    dc.GradientFillLinear(caption, from, to, wxEAST);

    dc.SetFont(wxSystemSettings::GetFont(wxSYS_DEFAULT_GUI_FONT).Bold());
    dc.SetTextForeground(active ? *wxWHITE : wxColour(224, 224, 224));
    const wxRect textRect(caption.x + 4, caption.y, std::max(0, ButtonRect(2).x - caption.x - 8),
                          caption.height);
    dc.SetClippingRegion(textRect);
    dc.DrawLabel(m_title, textRect, wxALIGN_LEFT | wxALIGN_CENTER_VERTICAL);
    dc.DestroyClippingRegion();

    // Buttons: minimise, maximise (or restore) and close, drawn as small raised boxes.
    for (int index = 0; index < 3; ++index)
    {
        const wxRect box = ButtonRect(index);
        dc.SetPen(wxPen(wxSystemSettings::GetColour(wxSYS_COLOUR_BTNSHADOW)));
        dc.SetBrush(wxBrush(face));
        dc.DrawRectangle(box);
        dc.SetPen(wxPen(*wxBLACK, 2));
        const wxRect inner = wxRect(box).Deflate(4);
        if (index == 0)
        {
            dc.DrawLine(inner.GetTopLeft(), inner.GetBottomRight());
            dc.DrawLine(inner.GetTopRight(), inner.GetBottomLeft());
        }
        else if (index == 1)
        {
            dc.SetBrush(*wxTRANSPARENT_BRUSH);
            if (m_maximised || m_minimised)
                dc.DrawRectangle(inner.x + 2, inner.y + 2, inner.width - 2, inner.height - 2);
            else
                dc.DrawRectangle(inner);
        }
        else
        {
            dc.DrawLine(inner.x, inner.GetBottom(), inner.GetRight(), inner.GetBottom());
        }
    }
}

void MdiChildFrame::OnSize(wxSizeEvent& event)
{
    LayoutClient();
    Refresh();
    event.Skip();
}

void MdiChildFrame::OnMouseDown(wxMouseEvent& event)
{
    Activate();
    const Hit hit = HitTest(event.GetPosition());
    switch (hit)
    {
        case Hit::Close:
            Close();
            return;
        case Hit::Minimise:
            if (m_minimised)
                Restore();
            else
                Minimise();
            return;
        case Hit::Maximise:
            if (m_maximised || m_minimised)
                Restore();
            else
                Maximise();
            return;
        case Hit::None:
            return;
        case Hit::Caption:
            if (m_maximised)
                return;  // a maximised frame stays where it is
            break;
        default:
            break;
    }
    m_drag = hit;
    m_dragStart = ClientToScreen(event.GetPosition());
    m_dragRect = GetRect();
    CaptureMouse();
}

void MdiChildFrame::OnMouseUp(wxMouseEvent&)
{
    if (m_drag == Hit::None)
        return;
    m_drag = Hit::None;
    if (HasCapture())
        ReleaseMouse();
}

void MdiChildFrame::OnMouseMove(wxMouseEvent& event)
{
    if (m_drag == Hit::None)
    {
        switch (HitTest(event.GetPosition()))
        {
            case Hit::Left:
            case Hit::Right:
                SetCursor(wxCursor(wxCURSOR_SIZEWE));
                break;
            case Hit::Top:
            case Hit::Bottom:
                SetCursor(wxCursor(wxCURSOR_SIZENS));
                break;
            case Hit::TopLeft:
            case Hit::BottomRight:
                SetCursor(wxCursor(wxCURSOR_SIZENWSE));
                break;
            case Hit::TopRight:
            case Hit::BottomLeft:
                SetCursor(wxCursor(wxCURSOR_SIZENESW));
                break;
            default:
                SetCursor(wxNullCursor);
                break;
        }
        return;
    }
    const wxPoint delta = ClientToScreen(event.GetPosition()) - m_dragStart;
    wxRect rect = m_dragRect;
    const auto moveLeft = [&]
    {
        rect.x = std::min(m_dragRect.x + delta.x, m_dragRect.GetRight() - kMinWidth);
        rect.width = m_dragRect.GetRight() - rect.x + 1;
    };
    const auto moveTop = [&]
    {
        rect.y = std::min(m_dragRect.y + delta.y, m_dragRect.GetBottom() - kMinHeight);
        rect.height = m_dragRect.GetBottom() - rect.y + 1;
    };
    const auto moveRight = [&] { rect.width = std::max(kMinWidth, m_dragRect.width + delta.x); };
    const auto moveBottom = [&] { rect.height = std::max(kMinHeight, m_dragRect.height + delta.y); };
    switch (m_drag)
    {
        case Hit::Caption:
            if (m_minimised)
            {
                SetPosition(m_dragRect.GetPosition() + delta);
                return;
            }
            rect.Offset(delta);
            break;
        case Hit::Left:
            moveLeft();
            break;
        case Hit::Right:
            moveRight();
            break;
        case Hit::Top:
            moveTop();
            break;
        case Hit::Bottom:
            moveBottom();
            break;
        case Hit::TopLeft:
            moveTop();
            moveLeft();
            break;
        case Hit::TopRight:
            moveTop();
            moveRight();
            break;
        case Hit::BottomLeft:
            moveBottom();
            moveLeft();
            break;
        case Hit::BottomRight:
            moveBottom();
            moveRight();
            break;
        default:
            return;
    }
    // The caption stays reachable: a frame never leaves the container by its top.
    rect.y = std::max(rect.y, 0);
    m_normal = rect;
    SetSize(rect);
}

void MdiChildFrame::OnDoubleClick(wxMouseEvent& event)
{
    if (HitTest(event.GetPosition()) != Hit::Caption)
        return;
    if (m_maximised || m_minimised)
        Restore();
    else
        Maximise();
}

void MdiChildFrame::OnCaptureLost(wxMouseCaptureLostEvent&)
{
    m_drag = Hit::None;
}

void MdiChildFrame::OnClose(wxCloseEvent& event)
{
    if (!AllowClose() && event.CanVeto())
    {
        event.Veto();
        return;
    }
    // The frame goes away: it leaves the
    // container at once and is deleted when idle: the close may come from one of its own handlers.
    Hide();
    m_container->RemoveChildFrame(this);
    if (wxTheApp)
        wxTheApp->ScheduleForDestruction(this);
    else
        Destroy();
}

void MdiChildFrame::OnChildFocus(wxChildFocusEvent& event)
{
    if (!IsActive())
        Activate();
    event.Skip();
}
