#include "view/ui/FlutrixDlgs.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "platform/NumberFormat.h"
#include "view/ui/DialogFields.h"

using namespace dialog_fields;

namespace
{

constexpr int kOrders = 8;
constexpr double kMaxCentre = 1000000.0;
constexpr double kMaxTime = 1000.0;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

}  // namespace

CFlutrixSettingsDlg::CFlutrixSettingsDlg(wxWindow* parent, const WowAndFlutterSettings& settings,
                                         std::vector<double> bandwidths)
    : wxDialog(parent, wxID_ANY, "Flutrix"), m_settings(settings), m_bandwidths(std::move(bandwidths))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pCentre = AddEdit(this, grid, kIdCentre, WxText("center frequency") + " [Hz]");

    grid->Add(new wxStaticText(this, wxID_ANY, WxText("input bandwidths") + " [Hz]"), 0,
              wxALIGN_CENTER_VERTICAL);
    m_pBandwidths = new wxChoice(this, kIdBandwidths);
    for (double bandwidth : m_bandwidths)
        m_pBandwidths->Append(Wx(platform::FormatC("%.2f", bandwidth)));
    grid->Add(m_pBandwidths, 0, wxEXPAND);

    grid->Add(new wxStaticText(this, wxID_ANY, WxText("filter order")), 0, wxALIGN_CENTER_VERTICAL);
    m_pOrder = new wxChoice(this, kIdOrder);
    for (int order = 1; order <= kOrders; ++order)
        m_pOrder->Append(wxString::Format("%d", order));
    grid->Add(m_pOrder, 0, wxEXPAND);

    m_pMean = AddEdit(this, grid, kIdMean, WxText("mean") + " [s]");
    m_pPeak = AddEdit(this, grid, kIdPeak, WxText("peak") + " [s]");
    m_pRms = AddEdit(this, grid, kIdRms, WxText("RMS") + " [s]");

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    m_pWeighting = new wxCheckBox(this, kIdWeighting, WxText("IEC 60386 weigthing"));
    m_pAbsolute = new wxCheckBox(this, kIdAbsolute, WxText("plot absolute freq. in Hz"));
    m_pActive = new wxCheckBox(this, kIdActive, WxText("active"));
    for (wxCheckBox* check : {m_pWeighting, m_pAbsolute, m_pActive})
        sizer->Add(check, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    FinishDialog(this, sizer);
}

bool CFlutrixSettingsDlg::TransferDataToWindow()
{
    SetNumber(m_pCentre, m_settings.centre);
    if (m_settings.bandwidthIndex >= 0 &&
        m_settings.bandwidthIndex < static_cast<int>(m_pBandwidths->GetCount()))
        m_pBandwidths->SetSelection(m_settings.bandwidthIndex);
    m_pOrder->SetStringSelection(wxString::Format("%d", m_settings.order));
    m_pWeighting->SetValue(m_settings.weighting != 0);
    m_pActive->SetValue(m_settings.active != 0);
    SetNumber(m_pMean, m_settings.meanTime);
    SetNumber(m_pPeak, m_settings.peakTime);
    SetNumber(m_pRms, m_settings.rmsTime);
    m_pAbsolute->SetValue(m_settings.absolute != 0);
    return true;
}

bool CFlutrixSettingsDlg::TransferDataFromWindow()
{
    WowAndFlutterSettings read = m_settings;
    if (!ReadNumber(m_pCentre, Text("center frequency"), 0.0, kMaxCentre, read.centre) ||
        !ReadNumber(m_pMean, Text("mean"), 0.0, kMaxTime, read.meanTime) ||
        !ReadNumber(m_pPeak, Text("peak"), 0.0, kMaxTime, read.peakTime) ||
        !ReadNumber(m_pRms, Text("RMS"), 0.0, kMaxTime, read.rmsTime))
        return false;
    if (m_pBandwidths->GetSelection() != wxNOT_FOUND)
        read.bandwidthIndex = m_pBandwidths->GetSelection();
    long order = 0;
    if (m_pOrder->GetStringSelection().ToLong(&order))
        read.order = static_cast<int>(order);
    read.weighting = m_pWeighting->GetValue() ? 1 : 0;
    read.active = m_pActive->GetValue() ? 1 : 0;
    read.absolute = m_pAbsolute->GetValue() ? 1 : 0;
    m_settings = read;
    return true;
}

CFlutrixResultsDlg::CFlutrixResultsDlg()
    : wxDialog(nullptr, wxID_ANY, WxText("Flutrix/wow and flutter"), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX)
{
    // The start values until the analysis sends its own.
    m_results.peak = 0.1;
    m_results.rms = 0.2;
    m_results.mean = 0.3;
    m_results.centre = 3000.0;
    auto* grid = new wxFlexGridSizer(3, 4, 16);
    const auto value = [this](int id)
    { return new wxStaticText(this, id, "--", wxDefaultPosition, wxSize(90, -1), wxALIGN_RIGHT); };
    const auto row = [&](const wxString& label, int percentId, int hzId)
    {
        grid->Add(new wxStaticText(this, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(value(percentId), 1, wxEXPAND);
        grid->Add(value(hzId), 1, wxEXPAND);
    };
    row(WxText("peak"), kIdPeakPercent, kIdPeakHz);
    row(WxText("RMS"), kIdRmsPercent, kIdRmsHz);
    row(WxText("mean"), kIdMeanPercent, kIdMeanHz);
    auto* details = new wxFlexGridSizer(2, 4, 16);
    details->Add(new wxStaticText(this, wxID_ANY, WxText("center frequency")), 0, wxALIGN_CENTER_VERTICAL);
    details->Add(value(kIdCentre), 1, wxEXPAND);
    details->Add(new wxStaticText(this, wxID_ANY, WxText("input bandwidths")), 0, wxALIGN_CENTER_VERTICAL);
    details->Add(value(kIdBandwidth), 1, wxEXPAND);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxEXPAND | wxALL, 8);
    sizer->Add(details, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);
    sizer->Add(new wxStaticText(this, kIdWeighting, wxEmptyString), 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(sizer);
    // Closing only hides the window; its measurement window destroys it.
    dialog_fields::HideOnClose(this);
    RefreshValues();
}

void CFlutrixResultsDlg::SetResults(const WowAndFlutterResults& results)
{
    m_results = results;
    RefreshValues();
}

void CFlutrixResultsDlg::RefreshValues()
{
    const WowAndFlutterResults& r = m_results;
    const auto set = [this](int id, const std::string& text)
    {
        if (wxWindow* control = FindWindow(id))
            control->SetLabel(Wx(text));
    };
    set(kIdCentre, platform::FormatC("%.1fHz", r.centre));
    set(kIdMeanPercent, platform::FormatC("%.3f%%", r.mean * 100.0));
    set(kIdMeanHz, platform::FormatC("%.3fHz", r.mean * r.centre));
    set(kIdRmsPercent, r.rms < 0.0 ? std::string("-") : platform::FormatC("%.3f%%", r.rms * 100.0));
    set(kIdRmsHz, r.rms < 0.0 ? std::string("-") : platform::FormatC("%.3fHz", r.rms * r.centre));
    set(kIdPeakPercent, platform::FormatC("%.3f%%", r.peak * 100.0));
    set(kIdPeakHz, platform::FormatC("%.1fHz", r.peak * r.centre));
    set(kIdWeighting, r.weighting != 0 ? std::string("Weighting      on") : std::string());
    set(kIdBandwidth, platform::FormatC("+/-%.1fHz", r.bandwidth));
}

wxString CFlutrixResultsDlg::GetControlText(int id) const
{
    const wxWindow* control = FindWindow(id);
    return control ? control->GetLabel() : wxString();
}
