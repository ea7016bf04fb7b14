#include "view/ui/FilterDesignerDlg.h"

#include "display/ColorPalette.h"
#include "display/PlotRange.h"
#include "display/ui/PlotDlg.h"
#include "platform/gfx/WxCanvas.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/dcbuffer.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

std::function<bool(CDispProp_zoom& page)> CFilterDesignerDlg::s_fnZoomAnswer;

namespace
{

constexpr int kPreviewWidth = 460;
constexpr int kPreviewHeight = 300;

// The current-language text whose English text is `english`, its first letters capitalised.
wxString Label(const char* english, bool capitalise = true)
{
    const int id = FindTextId(english, -1, -1, LANGUAGE_ENGLISH);
    std::string text = id >= 0 ? GetText(id) : std::string();
    if (text.empty())
        text = english;
    wxString result = wxString::FromUTF8(text);
    if (capitalise)
    {
        bool start = true;
        for (std::size_t i = 0; i < result.length(); ++i)
        {
            if (start && wxIsalpha(result[i]))
                result[i] = wxToupper(result[i]);
            start = result[i] == ' ';
        }
    }
    return result;
}

bool ParseNumber(const wxTextCtrl* edit, double& value)
{
    std::string text = edit->GetValue().Strip(wxString::both).utf8_string();
    std::replace(text.begin(), text.end(), ',', '.');
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    const double read = std::strtod(text.c_str(), &end);
    if (!end || *end != '\0' || errno != 0 || !std::isfinite(read))
        return false;
    value = read;
    return true;
}

void SetNumber(wxTextCtrl* edit, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%g", value);
    edit->ChangeValue(text);
}

}  // namespace

CFilterDesignerDlg::CFilterDesignerDlg(wxWindow* parent, const CDesignedFilterSettings& settings,
                                       double sampleRate)
    : wxDialog(parent, 10, Label("filter") + " " + Label("designer")),
      m_settings(settings),
      m_dSampleRate(sampleRate)
{
    m_pEnable = new wxCheckBox(this, kIdEnable, Label("enable"));
    m_pType = new wxChoice(this, kIdType);
    m_pType->Append("Butterworth");
    m_pType->Append("Chebychev");
    m_pType->Append("Elliptic");
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    const auto addEdit = [&](int id, const wxString& label)
    {
        grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* edit = new wxTextCtrl(this, id, wxEmptyString, wxDefaultPosition, wxSize(100, -1));
        grid->Add(edit);
        return edit;
    };
    grid->Add(new wxStaticText(this, 708, Label("type")), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pType);
    m_pOrder = addEdit(kIdOrder, Label("order"));
    m_pLower = addEdit(kIdLower, Label("lower") + " " + Label("frequency") + " [Hz]");
    m_pUpper = addEdit(kIdUpper, Label("upper") + " " + Label("frequency") + " [Hz]");
    m_pRipple = addEdit(kIdRipple, Label("passband ripple") + " [dB]");
    m_pStopBand = new wxCheckBox(this, kIdStopBand, Label("stopband filter"));
    m_pCascade = new wxCheckBox(this, kIdCascade, Label("cascade"));
    m_pCopyAsOverlay = new wxCheckBox(this, kIdCopyAsOverlay, Label("copy curve as overlay"));
    // Copying the preview as an overlay waits for the overlay settings that would carry it.
    m_pCopyAsOverlay->Disable();

    auto* left = new wxBoxSizer(wxVERTICAL);
    left->Add(m_pEnable, 0, wxBOTTOM, 8);
    left->Add(grid, 0, wxBOTTOM, 8);
    left->Add(m_pStopBand, 0, wxBOTTOM, 4);
    left->Add(m_pCascade, 0, wxBOTTOM, 4);
    left->Add(m_pCopyAsOverlay, 0, wxBOTTOM, 8);
    auto* refresh = new wxButton(this, kIdRefresh, Label("refresh"));
    auto* zoom = new wxButton(this, kIdZoom, Label("zoom"));
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(refresh, 0, wxRIGHT, 6);
    buttons->Add(zoom);
    left->Add(buttons);

    auto* previewBox = new wxBoxSizer(wxVERTICAL);
    previewBox->Add(new wxStaticText(this, wxID_ANY, Label("preview")), 0, wxBOTTOM, 4);
    m_pPreview = new wxPanel(this, kIdPreview, wxDefaultPosition, wxSize(kPreviewWidth, kPreviewHeight));
    m_pPreview->SetBackgroundStyle(wxBG_STYLE_PAINT);
    previewBox->Add(m_pPreview, 1, wxEXPAND);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(left, 0, wxALL, 10);
    row->Add(previewBox, 1, wxEXPAND | wxALL, 10);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(row, 1, wxEXPAND);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    if (wxWindow* cancel = FindWindow(wxID_CANCEL))
        cancel->SetLabel(Label("Cancel", false));
    SetSizerAndFit(sizer);
    CentreOnParent();

    // The preview: 10 Hz to 21 kHz logarithmic, -70 to +5 dB; the curve red and wide on grey.
    m_plot.m_nChannels = 1;
    m_plot.m_dataRange.m_nPoints = kPreviewPoints;
    m_plot.m_dataRange.m_bDecibel = 1;
    m_plot.m_dataRange.m_dLogFactor = 20.0;
    m_plot.m_viewRange.m_bXLog = 1;
    m_plot.m_viewRange.m_dXMin = 10.0;
    m_plot.m_viewRange.m_dXMax = 21000.0;
    m_plot.m_viewRange.m_dYMin = -70.0;
    m_plot.m_viewRange.m_dYMax = 5.0;
    m_plot.m_strXTitle = wxString::Format("%s [Hz]", Label("Frequency", false)).utf8_string();
    m_plot.m_strYTitle = "[dB]";
    m_plot.m_colorScheme.SetColor(64, RgbColor(255, 0, 0));
    m_plot.m_colorScheme.SetColor(CColorScheme::RolePlotBackground, RgbColor(180, 180, 180));
    m_plot.m_arrStyles[0].m_nWidth = 2;
    m_plot.m_arrStyles[0].m_nColorIndex = FindNearestPaletteColor(RgbColor(255, 0, 0));
    m_plot.RecreatePens();

    refresh->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { UpdatePreview(); });
    zoom->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnZoom(); });
    m_pPreview->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { OnPaintPreview(); });
}

bool CFilterDesignerDlg::TransferDataToWindow()
{
    m_pEnable->SetValue(m_settings.m_bEnabled != 0);
    m_pType->SetSelection(std::clamp(static_cast<int>(m_settings.m_nDesignKind), 1, 3) - 1);
    m_pOrder->ChangeValue(wxString::Format("%i", static_cast<int>(m_settings.m_nOrder)));
    SetNumber(m_pLower, m_settings.m_dLowCorner);
    SetNumber(m_pUpper, m_settings.m_dHighCorner);
    SetNumber(m_pRipple, m_settings.m_dRippleDb);
    m_pStopBand->SetValue(m_settings.m_bBandStop != 0);
    m_pCascade->SetValue(m_settings.m_bTwice != 0);
    UpdatePreview();
    return true;
}

bool CFilterDesignerDlg::ReadControls(CDesignedFilterSettings& settings) const
{
    double order = 0.0;
    if (!ParseNumber(m_pOrder, order) || !ParseNumber(m_pLower, settings.m_dLowCorner) ||
        !ParseNumber(m_pUpper, settings.m_dHighCorner) || !ParseNumber(m_pRipple, settings.m_dRippleDb))
        return false;
    settings.m_nOrder = static_cast<std::int32_t>(std::clamp(order, -1e9, 1e9));
    settings.m_bEnabled = m_pEnable->GetValue() ? 1 : 0;
    settings.m_nDesignKind = std::max(0, m_pType->GetSelection()) + 1;
    settings.m_bBandStop = m_pStopBand->GetValue() ? 1 : 0;
    settings.m_bTwice = m_pCascade->GetValue() ? 1 : 0;
    return true;
}

bool CFilterDesignerDlg::TransferDataFromWindow()
{
    CDesignedFilterSettings settings = m_settings;
    double order = 0.0;
    const auto refuse = [this](wxTextCtrl* edit, const char* field, double minimum, double maximum)
    {
        char text[200];
        std::snprintf(text, sizeof text, "%s: please enter a number between %g and %g.",
                      Label(field, false).utf8_string().c_str(), minimum, maximum);
        platform::ui::ShowMessageBox(text, "Tessarin", wxOK | wxICON_EXCLAMATION, this);
        edit->SetFocus();
        return false;
    };
    if (!ParseNumber(m_pOrder, order) || order != std::trunc(order) || order < 1 || order > 8)
        return refuse(m_pOrder, "order", 1, 8);
    if (!ReadControls(settings))
        return refuse(m_pLower, "frequency", 0, 1e9);
    if (settings.m_dLowCorner < 0 || settings.m_dLowCorner > 1e9)
        return refuse(m_pLower, "frequency", 0, 1e9);
    if (settings.m_dHighCorner < 0 || settings.m_dHighCorner > 1e9)
        return refuse(m_pUpper, "frequency", 0, 1e9);
    if (settings.m_dRippleDb < 0 || settings.m_dRippleDb > 100)
        return refuse(m_pRipple, "passband ripple", 0, 100);
    m_settings = settings;
    return true;
}

void CFilterDesignerDlg::UpdatePreview()
{
    CDesignedFilterSettings settings = m_settings;
    ReadControls(settings);
    CDesignedFilter filter;
    filter.SetSettings(settings);
    filter.m_dSampleRate = m_dSampleRate > 0 ? m_dSampleRate : 48000.0;
    filter.Design();
    const double step = m_plot.m_viewRange.m_dXMax / kPreviewPoints;
    m_response.assign(kPreviewPoints, 0.0f);
    for (int i = 0; i < kPreviewPoints; ++i)
    {
        const double response = filter.GetResponse(i * step);
        // Nothing passes: -300 dB.
        m_response[static_cast<std::size_t>(i)] = response > 0.0 ? static_cast<float>(response) : 1e-15f;
    }
    m_plot.m_pData = m_response.data();
    m_plot.m_dBinWidth = step;
    m_plot.ApplySettings();
    m_plot.ForceRedraw();
    m_pPreview->Refresh();
}

void CFilterDesignerDlg::OnPaintPreview()
{
    wxAutoBufferedPaintDC dc(m_pPreview);
    gfx::WxCanvas canvas(dc);
    const wxSize size = m_pPreview->GetClientSize();
    m_plot.Draw(canvas, 0, 0, size.x, size.y);
}

void CFilterDesignerDlg::OnZoom()
{
    if (EditPlotRange(this, m_plot.m_viewRange, s_fnZoomAnswer))
        UpdatePreview();
}
