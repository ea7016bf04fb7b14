#include "display/ui/PlotDlg.h"

#include "display/PlotRange.h"
#include "display/ui/DispPropSheet.h"
#include "platform/gfx/WxCanvas.h"
#include "platform/ui/MessageBoxService.h"

#include <wx/button.h>
#include <wx/dcbuffer.h>

#include <algorithm>
#include <string>
#include <vector>

namespace
{
constexpr int kButtonMargin = 8;
}  // namespace

std::function<bool(CDispProp_zoom& page)> CPlotDlg::s_fnZoomAnswer;

CPlotDlg::CPlotDlg(wxWindow* parent)
    : wxDialog(parent, kTemplateId, "Dialog", wxDefaultPosition, wxSize(640, 480),
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER)
{
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    // "Preview" and "Refresh" exist but stay hidden.
    (new wxButton(this, kIdPreview, "Preview"))->Hide();
    auto* refresh = new wxButton(this, kIdRefresh, "Refresh");
    refresh->Hide();
    refresh->Bind(wxEVT_BUTTON, &CPlotDlg::OnRefresh, this);
    m_pZoom = new wxButton(this, kIdZoom, "Zoom");
    m_pZoom->Bind(wxEVT_BUTTON, &CPlotDlg::OnZoomButton, this);
    Bind(wxEVT_PAINT, &CPlotDlg::OnPaint, this);
    Bind(wxEVT_SIZE, &CPlotDlg::OnSize, this);
    PlaceZoomButton();
}

void CPlotDlg::PlaceZoomButton()
{
    const wxSize client = GetClientSize();
    const wxSize button = m_pZoom->GetSize();
    m_pZoom->Move(std::max(0, client.x - button.x - kButtonMargin),
                  std::max(0, client.y - button.y - kButtonMargin));
}

void CPlotDlg::OnSize(wxSizeEvent& event)
{
    event.Skip();
    PlaceZoomButton();
    Refresh();
    m_pZoom->Refresh();
}

void CPlotDlg::OnRefresh(wxCommandEvent&)
{
    Refresh();
}

void CPlotDlg::OnPaint(wxPaintEvent&)
{
    wxAutoBufferedPaintDC dc(this);
    gfx::WxCanvas canvas(dc);
    const wxSize client = GetClientSize();
    m_plot.Draw(canvas, 0, 0, client.x, client.y);
}

void CPlotDlg::OnZoomButton(wxCommandEvent&)
{
    OnZoom();
}

bool EditPlotRange(wxWindow* parent, CPlotRange& range,
                   const std::function<bool(CDispProp_zoom& page)>& answer)
{
    CDispProp_sheet sheet(DisplayPropertiesCaption(), parent);
    CDispProp_zoom* page = AddPlotDialogPages(sheet);
    page->m_bXLog = range.m_bXLog != 0;
    page->m_bYLog = range.m_bDecibel != 0;
    page->m_dYMax = range.m_dYMax;
    page->m_dYMin = range.m_dYMin;
    page->m_dXMin = range.m_dXMin;
    page->m_dXMax = range.m_dXMax;
    for (;;)
    {
        const bool ok = answer ? answer(*page) : sheet.ShowModal() == wxID_OK;
        if (!ok)
            return false;
        const std::vector<std::string> messages =
            CheckZoomRanges(page->m_bXLog, page->m_dYMin, page->m_dYMax, page->m_dXMin, page->m_dXMax);
        for (const std::string& message : messages)
            platform::ui::ShowMessageBox(message, "Tessarin", wxOK | wxICON_EXCLAMATION, parent);
        if (messages.empty())
            break;
    }
    range.m_bXLog = page->m_bXLog ? 1 : 0;
    range.m_bDecibel = page->m_bYLog ? 1 : 0;
    range.m_dYMax = page->m_dYMax;
    range.m_dYMin = page->m_dYMin;
    range.m_dXMin = page->m_dXMin;
    range.m_dXMax = page->m_dXMax;
    return true;
}

void CPlotDlg::OnZoom()
{
    if (EditPlotRange(this, m_plot.m_viewRange, s_fnZoomAnswer))
    {
        m_plot.ApplySettings();
        m_plot.ForceRedraw();
    }
    Refresh();
}
