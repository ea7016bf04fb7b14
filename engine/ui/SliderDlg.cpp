#include "engine/ui/SliderDlg.h"

#include "display/PlotAxis.h"
#include "platform/NumberFormat.h"
#include "platform/gfx/WxCanvas.h"
#include "texts/TextTable.h"

#include <algorithm>
#include <cmath>

#include <wx/checkbox.h>
#include <wx/dcbuffer.h>
#include <wx/slider.h>

namespace
{

constexpr int kPositions = 5000;
constexpr int kTrackBarHeight = 20;
constexpr int kStartWidth = 280;
constexpr gfx::Color kBlack = 0x000000;
constexpr gfx::Color kRed = 0x0000FF;

int TickFrequency(int width)
{
    return width > 0 ? std::max(1, kPositions * 20 / width) : kPositions;
}

}  // namespace

CSliderWindow::CSliderWindow(wxWindow* parent, int templateHeight)
    : wxDialog(parent, wxID_ANY, "", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX | wxRESIZE_BORDER)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_pTrackBar = new wxSlider(this, kTrackBarId, 0, 0, kPositions, wxPoint(0, 0),
                               wxSize(kStartWidth, kTrackBarHeight), wxSL_HORIZONTAL | wxSL_AUTOTICKS);
    m_pTrackBar->SetTickFreq(TickFrequency(kStartWidth));
    // The toolkit's scale needs more height than 20 pixels to show its handle.
    m_nTrackBarHeight = std::max(kTrackBarHeight, m_pTrackBar->GetBestSize().y);
    m_pTrackBar->SetSize(0, 0, kStartWidth, m_nTrackBarHeight);
    SetClientSize(kStartWidth + 20, templateHeight);
    m_pTrackBar->Bind(wxEVT_SLIDER, [this](wxCommandEvent& e) { OnScroll(e.GetInt()); });
    Bind(wxEVT_PAINT, &CSliderWindow::OnPaint, this);
    Bind(wxEVT_SIZE, &CSliderWindow::OnSize, this);
    Bind(wxEVT_CLOSE_WINDOW,
         [this](wxCloseEvent& e)
         {
             // Closed windows are shown again by the next command of their owner.
             if (e.CanVeto())
                 Hide();
             else
                 e.Skip();
         });
}

void CSliderWindow::SetRange(double min, double max)
{
    m_scale.min = min;
    m_scale.max = max;
    m_pTrackBar->SetValue(m_scale.PositionFromValue(m_dValue));
    Refresh();
}

void CSliderWindow::SetValue(double value)
{
    m_pTrackBar->SetValue(m_scale.PositionFromValue(value));
    m_dValue = value;
    SetTitle(wxString::FromUTF8(Title()));
}

void CSliderWindow::OnScroll(int position)
{
    m_dValue = m_scale.ValueFromPosition(position);
    SetTitle(wxString::FromUTF8(Title()));
    Notify();
}

void CSliderWindow::Notify()
{
    if (m_target)
        m_target(m_nMessage, generator_tools::MessageWParam(m_dValue), generator_tools::kMessageScale);
}

void CSliderWindow::Layout(int width)
{
    m_pTrackBar->SetSize(0, 0, width, m_nTrackBarHeight);
    m_nTrackEnd = width - kTrackStart;
    m_pTrackBar->SetTickFreq(TickFrequency(width));
    Refresh();
}

void CSliderWindow::OnSize(wxSizeEvent&)
{
    // Not passed on: the toolkit would stretch a window's only control over the whole client area.
    Layout(GetClientSize().x);
}

void CSliderWindow::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    gfx::WxCanvas canvas(dc);
    const wxSize size = GetClientSize();
    PaintScale(canvas, size.x, size.y);
    PaintOver(canvas, size.x, size.y);
}

void CSliderWindow::PaintScale(gfx::Canvas& canvas, int width, int height)
{
    const wxColour background = GetBackgroundColour();
    canvas.FillRect(
        {0, 0, width, height},
        static_cast<gfx::Color>(background.Red() | (background.Green() << 8) | (background.Blue() << 16)));
    // Below the track bar, whatever height the toolkit gives it.
    const int axisY = std::max(m_nAxisY, m_nTrackBarHeight + 22);
    CPlotAxis axis;
    axis.m_dMinimum = m_scale.log ? m_scale.LogMinimum() : m_scale.min;
    axis.m_dMaximum = m_scale.max;
    axis.m_bLogarithmic = m_scale.log ? 1 : 0;
    axis.m_dStartPixel = kTrackStart;
    axis.m_dEndPixel = m_nTrackEnd;
    axis.m_nMajorDivisions = std::max(1, (m_nTrackEnd - kTrackStart) / 60);
    axis.BuildTicks();
    axis.BuildMinorTicks();
    canvas.SetFont({"Arial", 15, false});
    canvas.SetTextColor(kBlack);
    canvas.SetTextBackground(gfx::kTransparentText);
    canvas.SetPen({kBlack, 3, gfx::PenStyle::Solid});
    for (int i = 0; i < axis.m_nMajorTicks; ++i)
    {
        const double value = axis.m_adMajorTicks[static_cast<std::size_t>(i)];
        const int x = static_cast<int>(axis.ValueToPixel(value));
        if (x <= kTrackStart - 1)
            continue;
        canvas.MoveTo(x, axisY);
        canvas.LineTo(x, axisY - 20);
        canvas.DrawText(platform::FormatC("%10.2f", value), {x - 30, axisY, x + 30, axisY + 16},
                        gfx::Align::Centre);
    }
    canvas.SetPen({kBlack, 1, gfx::PenStyle::Solid});
    for (int i = 0; i < axis.m_nMinorTicks; ++i)
    {
        const int x = static_cast<int>(axis.ValueToPixel(axis.m_adMinorTicks[static_cast<std::size_t>(i)]));
        if (x <= kTrackStart - 1)
            continue;
        canvas.MoveTo(x, axisY - 20);
        canvas.LineTo(x, axisY - 10);
    }
}

void CSliderWindow::PaintOver(gfx::Canvas&, int, int) {}

// --- CSliderDlg

CSliderDlg::CSliderDlg(wxWindow* parent) : CSliderWindow(parent, 100)
{
    m_nMessage = 1369;
    m_strName = GetTextCapitalized(1000030);
    m_pLog = new wxCheckBox(this, kLogId, "log", wxPoint(10, 76));
    m_pLog->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { ToggleLog(); });
}

std::string CSliderDlg::Title() const
{
    return platform::FormatC("%s %.3f%s", m_strName.c_str(), m_dValue, m_strUnit.c_str());
}

void CSliderDlg::ToggleLog()
{
    if (m_bLogAllowed == 0)
        return;
    m_scale.log = !m_scale.log;
    m_pLog->SetValue(m_scale.log);
    Refresh();
    m_pTrackBar->SetValue(m_scale.PositionFromValue(m_dValue));
}

void CSliderDlg::PaintOver(gfx::Canvas&, int, int)
{
    if (m_bLogAllowed == 0 && m_pLog->IsShown())
        m_pLog->Hide();
}

// --- CLinkVolumeDlg

CLinkVolumeDlg::CLinkVolumeDlg(wxWindow* parent) : CSliderWindow(parent, 80)
{
    m_nMessage = kMessageLinkVolume;
    m_nAxisY = 48;
    Bind(wxEVT_MOTION, [this](wxMouseEvent& e) { MouseMove(e.GetX()); });
    Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& e) { Click(e.GetX()); });
    Bind(wxEVT_SIZE,
         [this](wxSizeEvent& e)
         {
             m_nMouseX = -1;
             e.Skip();
         });
}

std::string CLinkVolumeDlg::Title() const
{
    return platform::FormatC("Volume %.2fdB", m_dValue);
}

void CLinkVolumeDlg::MouseMove(int x)
{
    const int height = GetClientSize().y;
    if (m_nMouseX >= 0)
        RefreshRect(wxRect(m_nMouseX - 3, 0, 6, height), false);
    m_nMouseX = x;
    RefreshRect(wxRect(x - 3, 0, 6, height), false);
}

void CLinkVolumeDlg::Click(int x)
{
    const int length = m_nTrackEnd - kTrackStart;
    if (length <= 0)
        return;
    // The track's pixel as a track bar position, then its value in whole dB.
    const double r = std::clamp(static_cast<double>(x - kTrackStart) / length, 0.0, 1.0);
    const int position = m_scale.p0 + static_cast<int>((m_scale.p1 - m_scale.p0) * r);
    SetValue(std::trunc(m_scale.ValueFromPosition(position)));
}

void CLinkVolumeDlg::PaintOver(gfx::Canvas& canvas, int, int height)
{
    if (m_nMouseX < 0)
        return;
    canvas.SetPen({kRed, 3, gfx::PenStyle::Solid});
    canvas.MoveTo(m_nMouseX, 0);
    canvas.LineTo(m_nMouseX, height);
}
