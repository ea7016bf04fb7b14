#include "view/ui/DspDialogs.h"

#include "view/ui/DialogFields.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace dialog_fields;

namespace
{

wxString Capitalised(const std::string& text)
{
    wxString result = wxString::FromUTF8(text);
    if (!result.empty())
        result[0] = wxToupper(result[0]);
    return result;
}

wxString Hz(double value)
{
    char text[64];
    std::snprintf(text, sizeof text, "%3.2f", value);
    return text;
}

}  // namespace

// ----- hum filter -----

CHumFilterDlg::CHumFilterDlg(wxWindow* parent, const HumFilterValues& values)
    : wxDialog(parent, wxID_ANY, WxText("Hum Filter")), m_values(values)
{
    m_pEnable = new wxCheckBox(this, kIdEnable, WxText("Enable Hum Filter"));
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pBase = AddEdit(this, grid, kIdBase, WxText("base frequency") + " [Hz]");
    m_pMaximum = AddEdit(this, grid, kIdMaximum, WxText("maximum frequency") + " [Hz]");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pEnable, 0, wxALL, 10);
    sizer->Add(grid, 0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);
}

bool CHumFilterDlg::TransferDataToWindow()
{
    m_pEnable->SetValue(m_values.enable != 0);
    SetNumber(m_pBase, m_values.baseFrequency);
    SetNumber(m_pMaximum, m_values.maxFrequency);
    return true;
}

bool CHumFilterDlg::TransferDataFromWindow()
{
    HumFilterValues values = m_values;
    if (!ReadNumber(m_pBase, Text("base frequency"), 0.0, 1e9, values.baseFrequency) ||
        !ReadNumber(m_pMaximum, Text("maximum frequency"), 0.0, 1e9, values.maxFrequency))
        return false;
    values.enable = m_pEnable->GetValue() ? 1 : 0;
    m_values = values;
    return true;
}

// ----- delay -----

CDelayDlg::CDelayDlg(wxWindow* parent, const DelayValues& values)
    : wxDialog(parent, wxID_ANY, WxText("Delay")), m_values(values)
{
    auto* grid = new wxFlexGridSizer(3, 6, 8);
    grid->Add(new wxStaticText(this, 659, WxText("Channel")), 0, wxALIGN_CENTER_VERTICAL);
    m_pChannel = new wxTextCtrl(this, kIdChannel, wxEmptyString, wxDefaultPosition, wxSize(110, -1));
    grid->Add(m_pChannel);
    grid->AddSpacer(1);
    grid->Add(new wxStaticText(this, 658, WxText("Delay")), 0, wxALIGN_CENTER_VERTICAL);
    m_pDelay = new wxTextCtrl(this, kIdDelay, wxEmptyString, wxDefaultPosition, wxSize(110, -1));
    grid->Add(m_pDelay);
    grid->Add(new wxStaticText(this, 657, WxText("samples")), 0, wxALIGN_CENTER_VERTICAL);
    m_pActive = new wxCheckBox(this, kIdActive, WxText("active"));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(m_pActive, 0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);
}

bool CDelayDlg::TransferDataToWindow()
{
    SetInteger(m_pDelay, m_values.delay);
    SetInteger(m_pChannel, m_values.channel);
    m_pActive->SetValue(m_values.active != 0);
    return true;
}

bool CDelayDlg::TransferDataFromWindow()
{
    DelayValues values = m_values;
    // The engine keeps a delay line for each of its 64 input channels.
    if (!ReadInteger(m_pDelay, Text("Delay"), 0, DelayValues::kMaxDelay, values.delay) ||
        !ReadInteger(m_pChannel, Text("Channel"), 1, 64, values.channel))
        return false;
    values.active = m_pActive->GetValue() ? 1 : 0;
    m_values = values;
    return true;
}

// ----- filterbank -----

CFilterbankDlg::CFilterbankDlg(wxWindow* parent, const FilterbankValues& values)
    : wxDialog(parent, wxID_ANY,
               values.thirdOctave ? "1/3 " + WxText("octave filterbank") : WxText("octave filterbank")),
      m_values(values)
{
    m_pCentre = new wxChoice(this, kIdCentre);
    for (double centre : FilterbankCentres(values.thirdOctave != 0))
        m_pCentre->Append(Hz(centre));
    m_pEnable = new wxCheckBox(this, kIdEnable, WxText("enable filterbank"));
    m_pStopBand = new wxCheckBox(this, kIdStopBand, WxText("use stop-band filter"));
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, 690, WxText("center frequency")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT,
             8);
    row->Add(m_pCentre);
    row->Add(new wxStaticText(this, wxID_ANY, "Hz"), 0, wxALIGN_CENTER_VERTICAL | wxLEFT, 4);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(row, 0, wxALL, 10);
    sizer->Add(m_pEnable, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(m_pStopBand, 0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);
}

bool CFilterbankDlg::TransferDataToWindow()
{
    const int count = static_cast<int>(m_pCentre->GetCount());
    m_pCentre->SetSelection(m_values.centreIndex >= 0 && m_values.centreIndex < count ? m_values.centreIndex
                                                                                      : wxNOT_FOUND);
    m_pEnable->SetValue(m_values.enable != 0);
    m_pStopBand->SetValue(m_values.stopBand != 0);
    return true;
}

bool CFilterbankDlg::TransferDataFromWindow()
{
    if (m_pCentre->GetSelection() != wxNOT_FOUND)
        m_values.centreIndex = m_pCentre->GetSelection();
    m_values.enable = m_pEnable->GetValue() ? 1 : 0;
    m_values.stopBand = m_pStopBand->GetValue() ? 1 : 0;
    return true;
}

// ----- demodulator -----

CDemodulatorDlg::CDemodulatorDlg(wxWindow* parent, const DemodulatorValues& values)
    : wxDialog(parent, wxID_ANY, WxText("Demodulator")), m_values(values)
{
    m_pAm = new wxRadioButton(this, kIdAm, "AM", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pFm = new wxRadioButton(this, kIdFm, "FM");
    m_pBandwidth = new wxChoice(this, kIdBandwidth);
    for (double bandwidth : values.bandwidths)
        m_pBandwidth->Append(Hz(bandwidth));
    m_pOrder = new wxChoice(this, kIdOrder);
    for (int order = 1; order <= 8; ++order)
        m_pOrder->Append(wxString::Format("%i", order));
    m_pActive = new wxCheckBox(this, kIdActive, WxText("activate Demodulator"));

    auto* radios = new wxBoxSizer(wxHORIZONTAL);
    radios->Add(m_pAm, 0, wxRIGHT, 16);
    radios->Add(m_pFm);
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("input bandwidths") + " [Hz]"), 0,
              wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pBandwidth);
    grid->Add(new wxStaticText(this, wxID_ANY, Capitalised(Text("order"))), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(m_pOrder);
    m_pCentre = AddEdit(this, grid, kIdCentre, WxText("center frequency") + " [Hz]");
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pActive, 0, wxALL, 10);
    sizer->Add(radios, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(grid, 0, wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);
}

bool CDemodulatorDlg::TransferDataToWindow()
{
    m_pFm->SetValue(m_values.fm != 0);
    m_pAm->SetValue(m_values.fm == 0);
    const int count = static_cast<int>(m_pBandwidth->GetCount());
    m_pBandwidth->SetSelection(m_values.bandwidthIndex >= 0 && m_values.bandwidthIndex < count
                                   ? m_values.bandwidthIndex
                                   : wxNOT_FOUND);
    m_pOrder->SetStringSelection(wxString::Format("%i", m_values.filterOrder));
    m_pActive->SetValue(m_values.active != 0);
    SetNumber(m_pCentre, m_values.centreFrequency);
    return true;
}

bool CDemodulatorDlg::TransferDataFromWindow()
{
    DemodulatorValues values = m_values;
    if (!ReadNumber(m_pCentre, Text("center frequency"), 0.0, 1000000.0, values.centreFrequency))
        return false;
    if (m_pBandwidth->GetSelection() != wxNOT_FOUND)
        values.bandwidthIndex = m_pBandwidth->GetSelection();
    // The order travels as its text.
    if (m_pOrder->GetSelection() != wxNOT_FOUND)
        values.filterOrder = static_cast<int>(std::atof(m_pOrder->GetStringSelection().utf8_str()));
    values.fm = m_pFm->GetValue() ? 1 : 0;
    values.active = m_pActive->GetValue() ? 1 : 0;
    m_values = values;
    return true;
}
