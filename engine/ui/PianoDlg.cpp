#include "engine/ui/PianoDlg.h"

#include "platform/gfx/WxCanvas.h"

#include <cmath>

#include <wx/dcclient.h>

namespace
{
// The window's size in dialog units.
constexpr int kWidthDu = 442;
constexpr int kHeightDu = 62;
}  // namespace

CPianoDlg::CPianoDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "Piano", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxRESIZE_BORDER | wxCLOSE_BOX | wxSYSTEM_MENU)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    SetClientSize(ConvertDialogToPixels(wxSize(kWidthDu, kHeightDu)));
    Bind(wxEVT_PAINT, &CPianoDlg::OnPaint, this);
    Bind(wxEVT_SIZE, &CPianoDlg::OnSize, this);
    Bind(wxEVT_LEFT_DOWN, &CPianoDlg::OnLeftDown, this);
    Bind(wxEVT_LEFT_UP, &CPianoDlg::OnLeftUp, this);
}

void CPianoDlg::SetTarget(GeneratorMessageTarget target, int message, int octave, int first, int last)
{
    m_target = std::move(target);
    m_nMessage = message;
    m_nOctave = octave;
    m_nFirstKey = first;
    m_nLastKey = last;
    m_keyboard.Draw(nullptr, ClientRect(), m_nFirstKey, m_nLastKey);
    Refresh();
}

gfx::Rect CPianoDlg::ClientRect() const
{
    const wxSize size = GetClientSize();
    return {0, 0, size.x, size.y};
}

void CPianoDlg::OnPaint(wxPaintEvent&)
{
    wxPaintDC dc(this);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    gfx::WxCanvas canvas(dc);
    m_keyboard.Draw(&canvas, ClientRect(), m_nFirstKey, m_nLastKey);
}

void CPianoDlg::OnSize(wxSizeEvent& event)
{
    m_keyboard.Draw(nullptr, ClientRect(), m_nFirstKey, m_nLastKey);
    Refresh();
    event.Skip();
}

void CPianoDlg::RepaintKey(int key)
{
    const gfx::Rect r = m_keyboard.KeyRect(key);
    if (r.right > r.left)
        RefreshRect(wxRect(r.left, r.top, r.right - r.left + 1, r.bottom - r.top + 1));
}

void CPianoDlg::PressAt(int x, int y)
{
    m_keyboard.Draw(nullptr, ClientRect(), m_nFirstKey, m_nLastKey);
    const int key = m_keyboard.HitTest(x, y);
    RepaintKey(m_keyboard.m_nSelected);
    if (key < 0)
        return;
    m_keyboard.m_nSelected = key;
    if (m_target)
    {
        const double frequency = NoteFrequency(key + m_nFirstKey, m_nOctave);
        // Truncated; the product's representation error (65.4065 x 10000 comes out a hair below
        // 654065) must not cost the last digit.
        const double scaled = frequency * kFrequencyScale * (1.0 + 1e-12);
        m_target(m_nMessage, static_cast<std::int64_t>(scaled), kFrequencyScale);
    }
    RepaintKey(key);
}

void CPianoDlg::Release()
{
    if (m_keyboard.m_nSelected < 0)
        return;
    const int key = m_keyboard.m_nSelected;
    m_keyboard.m_nSelected = -1;
    RepaintKey(key);
    if (m_target)
        m_target(m_nMessage, -1, 1);
}

void CPianoDlg::OnLeftDown(wxMouseEvent& event)
{
    PressAt(event.GetX(), event.GetY());
}

void CPianoDlg::OnLeftUp(wxMouseEvent&)
{
    Release();
}

void CPianoDlg::SetFrequency(double frequency)
{
    int key = -1;
    PianoNote note;
    // The ends are the keys' own frequencies, which arrive rounded to 1/10000 Hz.
    constexpr double kTolerance = 1e-9;
    if (FrequencyToNote(frequency, note) &&
        frequency >= NoteFrequency(m_nFirstKey, m_nOctave) * (1.0 - kTolerance) &&
        frequency <= NoteFrequency(m_nLastKey, m_nOctave) * (1.0 + kTolerance))
        key = (note.octave - m_nOctave) * 12 + note.index - m_nFirstKey;
    RepaintKey(m_keyboard.m_nSelected);
    m_keyboard.m_nSelected = -1;
    if (key < 0)
        return;
    m_keyboard.m_nSelected = key;
    m_keyboard.Draw(nullptr, ClientRect(), m_nFirstKey, m_nLastKey);
    RepaintKey(key);
}
