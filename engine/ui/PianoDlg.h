// CPianoDlg: the "Piano" window, a resizable pop-up that draws a piano keyboard over its whole
// client area. A click on a key sends the key's frequency to the target (message id, wParam =
// frequency x 10000 truncated, lParam = 10000); releasing the key sends wParam -1, lParam 1.
// SetFrequency highlights the key nearest to a frequency and sends nothing.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/ui/PianoKeyboard.h"

#include <cstdint>
#include <functional>

#include <wx/dialog.h>

// What a generator window receives from its tool windows: the message id, the value times lParam
// and lParam.
using GeneratorMessageTarget = std::function<void(int message, std::int64_t wParam, std::int64_t lParam)>;

class CPianoDlg : public wxDialog
{
public:
    static constexpr int kFrequencyScale = 10000;

    explicit CPianoDlg(wxWindow* parent);

    // Where key presses go, with which message, and which keys of which octave show.
    void SetTarget(GeneratorMessageTarget target, int message, int octave, int first, int last);
    void SetFrequency(double frequency);

    // The mouse actions of the window, for a caller that drives it (client coordinates).
    void PressAt(int x, int y);
    void Release();

    CPianoKeyboard m_keyboard;
    int m_nOctave = 0;
    int m_nFirstKey = 0;
    int m_nLastKey = 47;
    int m_nMessage = 0;
    GeneratorMessageTarget m_target;

private:
    gfx::Rect ClientRect() const;
    void RepaintKey(int key);
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
};
