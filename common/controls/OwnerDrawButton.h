// Self-drawn buttons of the dialogs: COwnerDrawButton, a push button with 3-D edges in its own
// caption and face colours, and CColorButtonAuto, a check box on the window colour. The button's
// painting is a plain function over the canvas, so tests can check it without a display.
// User-interface thread only.
#pragma once

#include <string_view>

#include <wx/checkbox.h>
#include <wx/control.h>

#include "platform/gfx/Canvas.h"

// Caption layouts of a button (our own flag values; a style of 0 centres one line).
namespace button_style
{
inline constexpr unsigned kLeft = 0x100;
inline constexpr unsigned kRight = 0x200;
inline constexpr unsigned kCenter = kLeft | kRight;
inline constexpr unsigned kTop = 0x400;
inline constexpr unsigned kBottom = 0x800;
inline constexpr unsigned kVCenter = kTop | kBottom;
inline constexpr unsigned kMultiline = 0x2000;
}  // namespace button_style

// States of a button while it is painted.
namespace button_state
{
inline constexpr unsigned kSelected = 0x1;  // pressed
inline constexpr unsigned kDisabled = 0x4;
inline constexpr unsigned kFocus = 0x10;
inline constexpr unsigned kDefault = 0x20;
}  // namespace button_state

// The seven colours of an owner-drawn button, 0x00BBGGRR.
struct ButtonColors
{
    gfx::Color m_crText = 0;
    gfx::Color m_crFace = 0;
    gfx::Color m_crFaceDisabled = 0;
    gfx::Color m_crLight = 0;
    gfx::Color m_crHighlight = 0;
    gfx::Color m_crShadow = 0;
    gfx::Color m_crDarkShadow = 0;
};

// The colours of the toolkit's current theme for a button.
ButtonColors LoadSystemColors();

// Paints a button into `item`: face, edges by state, caption (lines of `lineHeight` pixels, laid
// out by `style`) and the focus rectangle. The canvas's font is the caption's.
void DrawOwnerDrawButton(gfx::Canvas& canvas, const gfx::Rect& item, std::string_view caption, unsigned state,
                         unsigned style, const ButtonColors& colors, int lineHeight);

// Draws a caption in `colour` into the text rectangle `t` as the button does (transparent text).
void DrawButtonCaption(gfx::Canvas& canvas, std::string_view caption, gfx::Color colour, const gfx::Rect& t,
                       unsigned style, int lineHeight);

class COwnerDrawButton : public wxControl
{
public:
    COwnerDrawButton();
    // `style` holds the button_style flags of the caption layout.
    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption,
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize,
                unsigned style = 0);

    // Caption and face colours (0x00BBGGRR); repaints when the window exists.
    void SetColors(gfx::Color text, gfx::Color face);
    const ButtonColors& GetColors() const { return m_colors; }

    // The state the button paints now (pressed, disabled, focus, default).
    unsigned GetDrawState() const;
    // Paints the button as it stands on any canvas (its paint handler uses this).
    void DrawItem(gfx::Canvas& canvas);

    bool AcceptsFocus() const override { return true; }

protected:
    wxSize DoGetBestSize() const override;

private:
    void OnPaint(wxPaintEvent& event);
    void OnMouseDown(wxMouseEvent& event);
    void OnMouseUp(wxMouseEvent& event);
    void OnLeave(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);
    void OnFocus(wxFocusEvent& event);
    void Click();

    ButtonColors m_colors;
    unsigned m_nStyle = 0;
    bool m_bPressed = false;
};

// A check box whose background is the window colour.
class CColorButtonAuto : public wxCheckBox
{
public:
    CColorButtonAuto();
    bool Create(wxWindow* parent, wxWindowID id, const wxString& caption = wxString(),
                const wxPoint& pos = wxDefaultPosition, const wxSize& size = wxDefaultSize);

    gfx::Color m_crBack;
};
