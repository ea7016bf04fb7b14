#include "common/controls/OwnerDrawButton.h"

#include <wx/dcbuffer.h>
#include <wx/settings.h>

#include <string>
#include <vector>

#include "platform/gfx/WxCanvas.h"

namespace
{

constexpr gfx::Color kBlack = 0x000000;
constexpr gfx::Color kWhite = 0xFFFFFF;
constexpr gfx::Color kGrey = 0x808080;

gfx::Color SystemColor(wxSystemColour index)
{
    return static_cast<gfx::Color>(wxSystemSettings::GetColour(index).GetRGB());
}

gfx::Rect Shrink(const gfx::Rect& r, int by)
{
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

// One step of an edge: top and left lines in one colour, bottom and right in another; the
// rectangle then shrinks by a pixel.
void EdgeStep(gfx::Canvas& canvas, gfx::Rect& r, gfx::Color topLeft, gfx::Color bottomRight)
{
    canvas.SetPen({topLeft, 1, gfx::PenStyle::Solid});
    canvas.MoveTo(r.left, r.top);
    canvas.LineTo(r.right, r.top);
    canvas.MoveTo(r.left, r.top);
    canvas.LineTo(r.left, r.bottom);
    canvas.SetPen({bottomRight, 1, gfx::PenStyle::Solid});
    canvas.MoveTo(r.left, r.bottom - 1);
    canvas.LineTo(r.right, r.bottom - 1);
    canvas.MoveTo(r.right - 1, r.top);
    canvas.LineTo(r.right - 1, r.bottom);
    r = Shrink(r, 1);
}

std::vector<std::string_view> CaptionLines(std::string_view caption, unsigned style)
{
    std::vector<std::string_view> lines;
    if (!(style & button_style::kMultiline))
    {
        lines.push_back(caption);
        return lines;
    }
    std::size_t start = 0;
    for (;;)
    {
        const std::size_t end = caption.find('\n', start);
        lines.push_back(
            caption.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return lines;
}

}  // namespace

ButtonColors LoadSystemColors()
{
    ButtonColors c;
    c.m_crText = SystemColor(wxSYS_COLOUR_BTNTEXT);
    c.m_crFace = SystemColor(wxSYS_COLOUR_BTNFACE);
    c.m_crFaceDisabled = SystemColor(wxSYS_COLOUR_BTNFACE);
    c.m_crLight = SystemColor(wxSYS_COLOUR_3DLIGHT);
    c.m_crHighlight = SystemColor(wxSYS_COLOUR_BTNHIGHLIGHT);
    c.m_crShadow = SystemColor(wxSYS_COLOUR_BTNSHADOW);
    c.m_crDarkShadow = SystemColor(wxSYS_COLOUR_3DDKSHADOW);
    return c;
}

void DrawButtonCaption(gfx::Canvas& canvas, std::string_view caption, gfx::Color colour, const gfx::Rect& t,
                       unsigned style, int lineHeight)
{
    const std::vector<std::string_view> lines = CaptionLines(caption, style);
    const int n = static_cast<int>(lines.size());
    const int h = lineHeight;
    const unsigned vertical = style & button_style::kVCenter;
    int y = 0;
    if (vertical == button_style::kTop)
        y = t.top + 2;
    else if (vertical == button_style::kBottom)
        y = t.bottom - n * h - 2;
    else
        y = t.top + (t.bottom - t.top - n * h) / 2 - 1;

    gfx::Align align = gfx::Align::Centre;
    const unsigned horizontal = style & button_style::kCenter;
    if (horizontal == button_style::kLeft)
        align = gfx::Align::Left;
    else if (horizontal == button_style::kRight)
        align = gfx::Align::Right;

    canvas.SetTextColor(colour);
    canvas.SetTextBackground(gfx::kTransparentText);
    for (std::string_view line : lines)
    {
        canvas.DrawText(line, {t.left + 3, y, t.right - 3, y + h}, align);
        y += h;
    }
}

void DrawOwnerDrawButton(gfx::Canvas& canvas, const gfx::Rect& item, std::string_view caption, unsigned state,
                         unsigned style, const ButtonColors& colors, int lineHeight)
{
    gfx::Rect r = item;
    const gfx::Rect normalText = {r.left - 1, r.top - 1, r.right - 1, r.bottom - 1};
    const gfx::Rect pressedText = r;
    const gfx::Rect focus = Shrink(r, 4);
    const bool disabled = (state & button_state::kDisabled) != 0;
    const bool pressed = (state & button_state::kSelected) != 0;
    const bool focused = (state & button_state::kFocus) != 0;

    canvas.FillRect(r, disabled ? colors.m_crFaceDisabled : colors.m_crFace);

    if (pressed)
    {
        EdgeStep(canvas, r, colors.m_crDarkShadow, colors.m_crDarkShadow);
        EdgeStep(canvas, r, colors.m_crShadow, colors.m_crShadow);
    }
    else
    {
        if (state & (button_state::kFocus | button_state::kDefault))
            EdgeStep(canvas, r, kBlack, kBlack);
        EdgeStep(canvas, r, colors.m_crHighlight, colors.m_crDarkShadow);
        EdgeStep(canvas, r, colors.m_crLight, colors.m_crShadow);
    }

    if (disabled)
    {
        DrawButtonCaption(canvas, caption, kWhite, pressedText, style, lineHeight);
        DrawButtonCaption(canvas, caption, kGrey, normalText, style, lineHeight);
    }
    else
    {
        DrawButtonCaption(canvas, caption, colors.m_crText, pressed ? pressedText : normalText, style,
                          lineHeight);
    }

    if (focused)
    {
        canvas.SetPen({kBlack, 1, gfx::PenStyle::Dot});
        canvas.SetBrush({0, true});
        canvas.Rectangle(focus.left, focus.top, focus.right, focus.bottom);
    }
}

COwnerDrawButton::COwnerDrawButton() : m_colors(LoadSystemColors()) {}

bool COwnerDrawButton::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                              const wxSize& size, unsigned style)
{
    if (!wxControl::Create(parent, id, pos, size, wxBORDER_NONE | wxWANTS_CHARS))
        return false;
    m_nStyle = style;
    SetLabel(caption);
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    Bind(wxEVT_PAINT, &COwnerDrawButton::OnPaint, this);
    Bind(wxEVT_LEFT_DOWN, &COwnerDrawButton::OnMouseDown, this);
    Bind(wxEVT_LEFT_DCLICK, &COwnerDrawButton::OnMouseDown, this);
    Bind(wxEVT_LEFT_UP, &COwnerDrawButton::OnMouseUp, this);
    Bind(wxEVT_LEAVE_WINDOW, &COwnerDrawButton::OnLeave, this);
    Bind(wxEVT_KEY_DOWN, &COwnerDrawButton::OnKey, this);
    Bind(wxEVT_SET_FOCUS, &COwnerDrawButton::OnFocus, this);
    Bind(wxEVT_KILL_FOCUS, &COwnerDrawButton::OnFocus, this);
    return true;
}

void COwnerDrawButton::SetColors(gfx::Color text, gfx::Color face)
{
    m_colors.m_crText = text;
    m_colors.m_crFace = face;
    if (GetHandle())
        Refresh(true);
}

unsigned COwnerDrawButton::GetDrawState() const
{
    unsigned state = 0;
    if (m_bPressed)
        state |= button_state::kSelected;
    if (!IsEnabled())
        state |= button_state::kDisabled;
    if (HasFocus())
        state |= button_state::kFocus;
    return state;
}

void COwnerDrawButton::DrawItem(gfx::Canvas& canvas)
{
    const wxSize size = GetClientSize();
    canvas.SetFont({std::string(GetFont().GetFaceName().utf8_str()), GetFont().GetPixelSize().GetHeight(),
                    GetFont().GetWeight() >= wxFONTWEIGHT_BOLD});
    const std::string caption(GetLabel().utf8_str());
    DrawOwnerDrawButton(canvas, {0, 0, size.GetWidth(), size.GetHeight()}, caption, GetDrawState(), m_nStyle,
                        m_colors, canvas.TextHeight(caption));
}

wxSize COwnerDrawButton::DoGetBestSize() const
{
    int width = 0;
    int height = 0;
    GetTextExtent(GetLabel(), &width, &height);
    return wxSize(width + 16, height + 12);
}

void COwnerDrawButton::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    dc.SetFont(GetFont());
    gfx::WxCanvas canvas(dc);
    DrawItem(canvas);
}

void COwnerDrawButton::OnMouseDown(wxMouseEvent&)
{
    if (!IsEnabled())
        return;
    SetFocus();
    CaptureMouse();
    m_bPressed = true;
    Refresh(false);
}

void COwnerDrawButton::OnMouseUp(wxMouseEvent& event)
{
    if (HasCapture())
        ReleaseMouse();
    const bool wasPressed = m_bPressed;
    m_bPressed = false;
    Refresh(false);
    if (wasPressed && GetClientRect().Contains(event.GetPosition()))
        Click();
}

void COwnerDrawButton::OnLeave(wxMouseEvent&)
{
    if (m_bPressed && !HasCapture())
    {
        m_bPressed = false;
        Refresh(false);
    }
}

void COwnerDrawButton::OnKey(wxKeyEvent& event)
{
    if (event.GetKeyCode() == WXK_SPACE || event.GetKeyCode() == WXK_RETURN)
        Click();
    else
        event.Skip();
}

void COwnerDrawButton::OnFocus(wxFocusEvent& event)
{
    Refresh(false);
    event.Skip();
}

void COwnerDrawButton::Click()
{
    wxCommandEvent click(wxEVT_BUTTON, GetId());
    click.SetEventObject(this);
    ProcessWindowEvent(click);
}

CColorButtonAuto::CColorButtonAuto() : m_crBack(SystemColor(wxSYS_COLOUR_WINDOW)) {}

bool CColorButtonAuto::Create(wxWindow* parent, wxWindowID id, const wxString& caption, const wxPoint& pos,
                              const wxSize& size)
{
    if (!wxCheckBox::Create(parent, id, caption, pos, size))
        return false;
    SetBackgroundColour(wxColour(m_crBack & 0xFF, (m_crBack >> 8) & 0xFF, (m_crBack >> 16) & 0xFF));
    // A caption, where one is given, stays readable on that background.
    SetForegroundColour(wxSystemSettings::GetColour(wxSYS_COLOUR_WINDOWTEXT));
    return true;
}
