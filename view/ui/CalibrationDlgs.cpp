#include "view/ui/CalibrationDlgs.h"

#include "platform/ui/MessageBoxService.h"
#include "view/ui/DialogFields.h"

#include <wx/button.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdio>

using namespace dialog_fields;

namespace
{

constexpr int kTimerId = 1;

wxString Utf8(const std::string& text)
{
    return wxString::FromUTF8(text);
}

void TellNoSignal(wxWindow* parent, int channel)
{
    char text[160];
    std::snprintf(text, sizeof text, "%s %i: %s", Text("Channel").c_str(), channel + 1,
                  Text("no usable signal, the calibration factor is left as it was.").c_str());
    platform::ui::ShowMessageBox(text, Text("Calibration"), wxOK | wxICON_EXCLAMATION, parent);
}

}  // namespace

CTimedCalibrationDlg::CTimedCalibrationDlg(wxWindow* parent, const wxString& title)
    : wxDialog(parent, wxID_ANY, title), m_timer(this, kTimerId)
{
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { RefreshReadings(); }, kTimerId);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnSet(); }, kIdSet);
}

int CTimedCalibrationDlg::ShowModal()
{
    m_dFactorAtOpening = m_dFactor;
    TransferDataToWindow();
    RefreshReadings();
    if (!m_timer.Start(kRefreshMs))
    {
        platform::ui::ShowMessageBox("Not enough timers available for this window.", Text("Calibration"),
                                     wxOK | wxICON_EXCLAMATION, this);
        return wxID_CANCEL;
    }
    const int result = wxDialog::ShowModal();
    m_timer.Stop();
    return result;
}

bool CTimedCalibrationDlg::TransferDataFromWindow()
{
    // OK calibrates as "Set" does; a refused calibration keeps the dialog open.
    return OnSet();
}

CSoundLevelCalibrationDlg::CSoundLevelCalibrationDlg(wxWindow* parent)
    : CTimedCalibrationDlg(parent, WxText("Sound Level Calibration"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pReference = AddEdit(this, grid, kIdReferenceLevel, WxText("Reference level") + " [dB]");
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("Current SPL")), 0, wxALIGN_CENTER_VERTICAL);
    m_pLevel = new wxStaticText(this, kIdCurrentLevel, "-", wxDefaultPosition, wxSize(120, -1));
    grid->Add(m_pLevel);
    m_pFactorLine = new wxStaticText(this, kIdFactorLine, wxEmptyString, wxDefaultPosition, wxSize(320, -1));
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(m_pFactorLine, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(new wxButton(this, kIdSet, WxText("Set")), 0, wxLEFT | wxBOTTOM, 10);
    FinishDialog(this, sizer);
}

bool CSoundLevelCalibrationDlg::TransferDataToWindow()
{
    SetNumber(m_pReference, m_dReferenceDb);
    return true;
}

void CSoundLevelCalibrationDlg::RefreshReadings()
{
    CCalibrationReading reading;
    reading.m_nChannel = m_nChannel;
    reading.m_dRms = m_dReading;
    reading.Update(m_source);
    m_dReading = reading.m_dRms;
    m_pLevel->SetLabel(Utf8(calibration::LevelLine(m_dReading, m_dFactor, m_dFactorAtOpening)));
    m_pFactorLine->SetLabel(Utf8(calibration::FactorLine(m_dFactor, false)));
}

bool CSoundLevelCalibrationDlg::OnSet()
{
    double reference = 0.0;
    if (!ReadNumber(m_pReference, Text("Reference level"), -200.0, 300.0, reference))
        return false;
    m_dReferenceDb = reference;
    RefreshReadings();
    double factor = 0.0;
    if (!calibration::SoundLevelFactor(reference, m_dReading, m_dFactorAtOpening, factor))
    {
        TellNoSignal(this, m_nChannel);
        return false;
    }
    m_dFactor = factor;
    RefreshReadings();
    return true;
}

CElectricalCalibrationDlg::CElectricalCalibrationDlg(wxWindow* parent)
    : CTimedCalibrationDlg(parent, WxText("Electrical calibration"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pVoltage = AddEdit(this, grid, kIdVoltage, WxText("Voltage") + " [V]");
    const char* names[] = {"RMS", "zero-peak", "peak-peak"};
    const int ids[] = {kIdRms, kIdZeroPeak, kIdPeakToPeak};
    const int valueIds[] = {kIdRmsValue, kIdZeroPeakValue, kIdPeakToPeakValue};
    for (int k = 0; k < 3; ++k)
    {
        m_pTypes[k] = new wxRadioButton(this, ids[k], WxText(names[k]), wxDefaultPosition, wxDefaultSize,
                                        k == 0 ? wxRB_GROUP : 0);
        m_pValues[k] = new wxStaticText(this, valueIds[k], "-", wxDefaultPosition, wxSize(140, -1));
        grid->Add(m_pTypes[k], 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(m_pValues[k], 0, wxALIGN_CENTER_VERTICAL);
    }
    m_pFactorLine = new wxStaticText(this, kIdFactorLine, wxEmptyString, wxDefaultPosition, wxSize(320, -1));
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(new wxButton(this, kIdSet, WxText("Set")), 0, wxRIGHT, 6);
    auto* reset = new wxButton(this, kIdReset, WxText("Reset"));
    reset->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnReset(); });
    buttons->Add(reset);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(m_pFactorLine, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(buttons, 0, wxLEFT | wxBOTTOM, 10);
    FinishDialog(this, sizer);
}

void CElectricalCalibrationDlg::RefreshReadings()
{
    m_reading.m_nChannel = m_nChannel;
    m_reading.Update(m_source);
    const double r = m_dFactor / (m_dFactorAtOpening > 0.0 ? m_dFactorAtOpening : 1.0);
    const double values[] = {m_reading.m_dRms, m_reading.m_dZeroPeak, m_reading.m_dPeakToPeak};
    for (int k = 0; k < 3; ++k)
        m_pValues[k]->SetLabel(wxString::Format("%f", values[k] * r));
    m_pFactorLine->SetLabel(Utf8(calibration::FactorLine(m_dFactor, true)));
}

bool CElectricalCalibrationDlg::TransferDataToWindow()
{
    SetTitle(wxString::Format("%s #%i", WxText("channel"), m_nChannel + 1));
    m_pTypes[m_nReadingType >= 0 && m_nReadingType < 3 ? m_nReadingType : 0]->SetValue(true);
    SetNumber(m_pVoltage, m_dVoltage);
    return true;
}

bool CElectricalCalibrationDlg::OnSet()
{
    double volts = 0.0;
    if (!ReadNumber(m_pVoltage, Text("Voltage"), 1e-12, 1e9, volts))
        return false;
    m_dVoltage = volts;
    for (int k = 0; k < 3; ++k)
        if (m_pTypes[k]->GetValue())
            m_nReadingType = k;
    m_reading.m_nChannel = m_nChannel;
    m_reading.Update(m_source);
    double factor = 0.0;
    if (!calibration::ElectricalFactor(
            volts, m_reading.Reading(static_cast<CCalibrationReading::ReadingType>(m_nReadingType)),
            m_dFactorAtOpening, factor))
    {
        TellNoSignal(this, m_nChannel);
        return false;
    }
    m_dFactor = factor;
    m_bCalibrated = 1;
    RefreshReadings();
    return true;
}

void CElectricalCalibrationDlg::OnReset()
{
    m_dFactor = 1.0;
    m_bCalibrated = 0;
    RefreshReadings();
}

CLevelCalibrationChannelDlg::CLevelCalibrationChannelDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, WxText("Level calibration channel"))
{
    m_pFactorLine = new wxStaticText(this, kIdFactorLine, wxEmptyString, wxDefaultPosition, wxSize(340, -1));
    auto* soundLevel = new wxButton(this, kIdSoundLevel, WxText("Sound level"));
    auto* electrical = new wxButton(this, kIdElectrical, WxText("Electrical (Volt)"));
    soundLevel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnSoundLevel(); });
    electrical->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnElectrical(); });
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(soundLevel, 0, wxRIGHT, 6);
    buttons->Add(electrical);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pFactorLine, 0, wxALL, 10);
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    FinishDialog(this, sizer);
}

int CLevelCalibrationChannelDlg::ShowModal()
{
    SetTitle(wxString::Format("%s #%i", WxText("Level calibration channel"), m_nChannel + 1));
    ShowFactor();
    return wxDialog::ShowModal();
}

void CLevelCalibrationChannelDlg::ShowFactor()
{
    m_pFactorLine->SetLabel(Utf8(calibration::FactorLine(m_dFactor, true)));
}

void CLevelCalibrationChannelDlg::OnSoundLevel()
{
    CSoundLevelCalibrationDlg dialog(this);
    dialog.m_source = m_source;
    dialog.m_nChannel = m_nChannel;
    dialog.m_dFactor = m_dFactor;
    if (dialog.ShowModal() != wxID_OK)
        return;
    m_dFactor = dialog.m_dFactor;
    m_bCalibrated = true;
    ShowFactor();
}

void CLevelCalibrationChannelDlg::OnElectrical()
{
    CElectricalCalibrationDlg dialog(this);
    dialog.m_source = m_source;
    dialog.m_nChannel = m_nChannel;
    dialog.m_dFactor = m_dFactor;
    dialog.m_reading.m_nKind = CCalibrationReading::kInputChannel;
    if (dialog.ShowModal() != wxID_OK)
        return;
    m_dFactor = dialog.m_dFactor;
    m_bCalibrated = true;
    ShowFactor();
}
