// The floating slider windows: CSliderDlg (frequency, volume or balance of a generator panel, with a
// "log" switch where the owner allows it) and CLinkVolumeDlg (the level of the linked generators,
// reported to the measurement window; a click on the scale sets a whole number of dB). Both show a
// track bar of 5000 steps over a value range and paint the range's scale below it.
//
// Threads: user-interface thread only.
#pragma once

#include "engine/ui/GeneratorToolRules.h"
#include "engine/ui/PianoDlg.h"

#include <string>

#include <wx/dialog.h>

class wxCheckBox;
class wxSlider;
namespace gfx
{
class Canvas;
}

class CSliderWindow : public wxDialog
{
public:
    static constexpr int kTrackBarId = 125;
    static constexpr int kTrackStart = 10;

    CSliderWindow(wxWindow* parent, int templateHeight);

    // Sets the range (the track bar keeps its value's place).
    void SetRange(double min, double max);
    // Moves the track bar, sets the title and stores the value; sends nothing.
    void SetValue(double value);
    double GetValue() const { return m_dValue; }
    // As a track bar scroll: the value of the position, the title, the message to the target.
    void OnScroll(int position);
    // Paints the scale (ticks and labels of the range over the track) on a canvas of the given width.
    void PaintScale(gfx::Canvas& canvas, int width, int height);

    virtual std::string Title() const = 0;

    generator_tools::SliderScale m_scale;
    double m_dValue = 250.0;
    int m_nTrackEnd = 270;
    int m_nAxisY = 45;
    int m_nTrackBarHeight = 20;
    GeneratorMessageTarget m_target;
    int m_nMessage = 0;
    wxSlider* m_pTrackBar = nullptr;

protected:
    virtual void Notify();
    virtual void PaintOver(gfx::Canvas& canvas, int width, int height);
    void Layout(int width);

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
};

class CSliderDlg : public CSliderWindow
{
public:
    static constexpr int kLogId = 176;

    explicit CSliderDlg(wxWindow* parent);
    std::string Title() const override;
    // The "log" switch: toggles the scale where the switch may be used.
    void ToggleLog();

    std::int64_t m_nMessageScale = generator_tools::kMessageScale;
    int m_bLogAllowed = 1;
    std::string m_strName;
    std::string m_strUnit = "Hz";
    wxCheckBox* m_pLog = nullptr;

protected:
    void PaintOver(gfx::Canvas& canvas, int width, int height) override;
};

class CLinkVolumeDlg : public CSliderWindow
{
public:
    static constexpr int kMessageLinkVolume = 1035;

    explicit CLinkVolumeDlg(wxWindow* parent);
    std::string Title() const override;
    // The mouse over the window (client x): the marker line follows; a click sets the whole dB there.
    void MouseMove(int x);
    void Click(int x);

    int m_nMouseX = -1;

protected:
    void PaintOver(gfx::Canvas& canvas, int width, int height) override;
};
