// The filter designer: one designed filter's kind, order, corners, stop-band, ripple and cascade,
// with a preview of the response designed at the opener's sample rate. "Refresh" redraws the
// preview, "Zoom" edits its ranges. The measurement window opens it for its free-filter slots.
//
// Threads: user-interface thread only.
#pragma once

#include <functional>
#include <vector>

#include <wx/dialog.h>

#include "display/Plot.h"
#include "dsp/DesignedFilter.h"

class CDispProp_zoom;
class wxCheckBox;
class wxChoice;
class wxPanel;
class wxTextCtrl;

class CFilterDesignerDlg : public wxDialog
{
public:
    static constexpr int kIdEnable = 434;
    static constexpr int kIdType = 543;
    static constexpr int kIdOrder = 138;
    static constexpr int kIdLower = 130;
    static constexpr int kIdUpper = 133;
    static constexpr int kIdStopBand = 142;
    static constexpr int kIdRipple = 151;
    static constexpr int kIdCascade = 146;
    static constexpr int kIdCopyAsOverlay = 157;
    static constexpr int kIdPreview = 726;
    static constexpr int kIdRefresh = 5;
    static constexpr int kIdZoom = 7;
    static constexpr int kPreviewPoints = 2048;

    CFilterDesignerDlg(wxWindow* parent, const CDesignedFilterSettings& settings, double sampleRate);

    const CDesignedFilterSettings& GetSettings() const { return m_settings; }
    // The preview's response (linear magnitude) at the preview's frequencies, as last drawn.
    const std::vector<float>& GetPreviewResponse() const { return m_response; }
    double GetPreviewStep() const { return m_plot.m_dBinWidth; }
    CPlot& GetPreviewPlot() { return m_plot; }

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // The zoom page until its ranges pass or it is cancelled; accepted ranges go to the preview.
    void OnZoom();
    // Tests answer the zoom page here instead of showing it: true for OK with the page's values.
    static std::function<bool(CDispProp_zoom& page)> s_fnZoomAnswer;

private:
    // Reads the controls without complaint (the preview follows what is typed); false when a field
    // does not hold a number.
    bool ReadControls(CDesignedFilterSettings& settings) const;
    void UpdatePreview();
    void OnPaintPreview();

    CDesignedFilterSettings m_settings;
    double m_dSampleRate;
    CPlot m_plot;
    std::vector<float> m_response;
    wxCheckBox* m_pEnable;
    wxChoice* m_pType;
    wxTextCtrl* m_pOrder;
    wxTextCtrl* m_pLower;
    wxTextCtrl* m_pUpper;
    wxCheckBox* m_pStopBand;
    wxTextCtrl* m_pRipple;
    wxCheckBox* m_pCascade;
    wxCheckBox* m_pCopyAsOverlay;
    wxPanel* m_pPreview;
};
