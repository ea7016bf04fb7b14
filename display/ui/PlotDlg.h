// CPlotDlg: a resizable dialog that shows a plot of arrays its owner hands it; the "Zoom" button
// edits the plot's ranges on the zoom page of the display properties.
//
// Threads: user-interface thread only.
#pragma once

#include <functional>

#include <wx/dialog.h>

#include "display/Plot.h"

class wxButton;
class CDispProp_zoom;

// The zoom page of the display properties on the range until its values pass the checks (each
// failure named in a message) or it is cancelled; `answer`, when set, stands in for showing the page.
// True when the range took the page's values.
bool EditPlotRange(wxWindow* parent, CPlotRange& range,
                   const std::function<bool(CDispProp_zoom& page)>& answer);

class CPlotDlg : public wxDialog
{
public:
    static constexpr int kTemplateId = 109;
    static constexpr int kIdPreview = 726;
    static constexpr int kIdRefresh = 5;
    static constexpr int kIdZoom = 760;

    explicit CPlotDlg(wxWindow* parent);

    // The owner fills the plot's data, ranges and titles before showing the dialog.
    CPlot& GetPlot() { return m_plot; }
    wxButton* GetZoomButton() const { return m_pZoom; }

    // The zoom page until its ranges are valid or it is cancelled; the values go into the plot.
    void OnZoom();
    // Tests answer the zoom page here instead of showing it: true for OK with the page's values.
    static std::function<bool(CDispProp_zoom& page)> s_fnZoomAnswer;

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnZoomButton(wxCommandEvent& event);
    void OnRefresh(wxCommandEvent& event);
    void PlaceZoomButton();

    CPlot m_plot;
    wxButton* m_pZoom = nullptr;
};
