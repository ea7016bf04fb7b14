#include "view/ui/FftPropertiesDlg.h"

#include "dsp/FrequencyWeighting.h"
#include "view/MeasurementSettingsRules.h"
#include "view/ui/DialogFields.h"

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace dialog_fields;

namespace
{
constexpr int kWeightingCodes = 8;
constexpr double kTimeWindowLimitMs = 1e7;

// A group box holding a column of radio buttons, the first starting the group.
void AddRadios(wxWindow* parent, wxSizer* box, wxRadioButton** radios, const int* ids, const wxString* labels,
               int count)
{
    for (int i = 0; i < count; ++i)
    {
        radios[i] = new wxRadioButton(parent, ids[i], labels[i], wxDefaultPosition, wxDefaultSize,
                                      i == 0 ? wxRB_GROUP : 0);
        box->Add(radios[i], 0, wxALL, 2);
    }
}

int SelectedRadio(wxRadioButton* const* radios, int count)
{
    for (int i = 0; i < count; ++i)
        if (radios[i]->GetValue())
            return i;
    return 0;
}

void SelectRadio(wxRadioButton* const* radios, int count, int index)
{
    radios[index >= 0 && index < count ? index : 0]->SetValue(true);
}
}  // namespace

CFftPropertiesDlg::CFftPropertiesDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, WxText("settings"))
{
    auto* columns = new wxBoxSizer(wxHORIZONTAL);

    // Left: FFT, averaging, rate, window function, weighting, calibration.
    auto* left = new wxBoxSizer(wxVERTICAL);
    auto* fftBox =
        new wxStaticBoxSizer(wxVERTICAL, this, "FFT / " + WxText("Display") + " " + WxText("size"));
    auto* fftGrid = new wxFlexGridSizer(2, 4, 8);
    fftGrid->Add(new wxStaticText(fftBox->GetStaticBox(), wxID_ANY, WxText("size")), 0,
                 wxALIGN_CENTER_VERTICAL);
    m_pFftSize = new wxChoice(fftBox->GetStaticBox(), kIdFftSize);
    for (int size = 128; size <= 16777216; size *= 2)
        m_pFftSize->Append(wxString::Format("%i", size));
    fftGrid->Add(m_pFftSize, 0, wxEXPAND);
    m_pAverages = AddEdit(fftBox->GetStaticBox(), fftGrid, kIdAverages, WxText("average"));
    // The vector averages have an edit and a label that nobody sees; their value is still
    // exchanged and checked.
    auto* vectorLabel = new wxStaticText(fftBox->GetStaticBox(), wxID_ANY, "Vector Average");
    m_pVectorAverages = new wxTextCtrl(fftBox->GetStaticBox(), kIdVectorAverages);
    vectorLabel->Hide();
    m_pVectorAverages->Hide();
    m_pSampleRate = AddEdit(fftBox->GetStaticBox(), fftGrid, kIdSampleRate, WxText("Sample Rate"));
    fftBox->Add(fftGrid, 0, wxALL, 4);
    left->Add(fftBox, 0, wxEXPAND | wxALL, 4);

    auto* windowBox = new wxStaticBoxSizer(wxVERTICAL, this, WxText("window function"));
    const int windowIds[] = {kIdRectangular, kIdHamming, kIdBlackman, kIdListedWindow};
    const wxString windowLabels[] = {WxText("rectangle"), "Hamming", "Blackman", wxEmptyString};
    AddRadios(windowBox->GetStaticBox(), windowBox, m_pWindow, windowIds, windowLabels, 3);
    auto* listed = new wxBoxSizer(wxHORIZONTAL);
    m_pWindow[3] = new wxRadioButton(windowBox->GetStaticBox(), kIdListedWindow, wxEmptyString);
    listed->Add(m_pWindow[3], 0, wxALIGN_CENTER_VERTICAL | wxALL, 2);
    m_pWindowList = new wxChoice(windowBox->GetStaticBox(), kIdWindowList);
    for (const char* name : settings_rules::ListedWindowNames())
        m_pWindowList->Append(name);
    listed->Add(m_pWindowList, 1, wxEXPAND);
    windowBox->Add(listed, 0, wxEXPAND);
    left->Add(windowBox, 0, wxEXPAND | wxALL, 4);

    auto* weightingRow = new wxBoxSizer(wxHORIZONTAL);
    weightingRow->Add(new wxStaticText(this, wxID_ANY, WxText("weighting")), 0,
                      wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    m_pWeighting = new wxChoice(this, kIdWeighting);
    for (int code = 0; code < kWeightingCodes; ++code)
        m_pWeighting->Append(wxString::FromUTF8(GetWeightingName(code)));
    weightingRow->Add(m_pWeighting, 1);
    left->Add(weightingRow, 0, wxEXPAND | wxALL, 6);

    auto* calibrationBox = new wxStaticBoxSizer(wxHORIZONTAL, this, WxText("calibration"));
    m_pCalibration = new wxCheckBox(calibrationBox->GetStaticBox(), kIdCalibration, WxText("active"));
    calibrationBox->Add(m_pCalibration, 0, wxALIGN_CENTER_VERTICAL | wxALL, 4);
    calibrationBox->Add(
        new wxStaticText(calibrationBox->GetStaticBox(), wxID_ANY, WxText("offset") + " [dB]"), 0,
        wxALIGN_CENTER_VERTICAL | wxLEFT, 8);
    m_pOffset = new wxTextCtrl(calibrationBox->GetStaticBox(), kIdOffset, wxEmptyString, wxDefaultPosition,
                               wxSize(80, -1));
    calibrationBox->Add(m_pOffset, 0, wxALL, 4);
    left->Add(calibrationBox, 0, wxEXPAND | wxALL, 4);

    // Right: the analyser's display and the MLS / chirp excitation.
    auto* right = new wxBoxSizer(wxVERTICAL);
    auto* displayBox = new wxStaticBoxSizer(wxHORIZONTAL, this, WxText("Display"));
    const int displayIds[] = {kIdMagnitude, kIdPhase, kIdOscilloscope};
    const wxString displayLabels[] = {"Magnitude", "Phase", WxText("oscilloscope")};
    AddRadios(displayBox->GetStaticBox(), displayBox, m_pAnalyserDisplay, displayIds, displayLabels, 3);
    right->Add(displayBox, 0, wxEXPAND | wxALL, 4);

    auto* mlsBox = new wxStaticBoxSizer(wxVERTICAL, this, WxText("MLS Chirp pseude noise"));
    wxWindow* mls = mlsBox->GetStaticBox();
    auto* modeRow = new wxBoxSizer(wxHORIZONTAL);
    modeRow->Add(new wxStaticText(mls, wxID_ANY, WxText("mode")), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    const int excitationIds[] = {kIdExcitationOff, kIdExcitationMls, kIdExcitationChirp};
    const wxString excitationLabels[] = {WxText("Off"), "MLS", "Chirp"};
    AddRadios(mls, modeRow, m_pExcitation, excitationIds, excitationLabels, 3);
    mlsBox->Add(modeRow, 0, wxALL, 2);
    auto* mlsGrid = new wxFlexGridSizer(2, 4, 8);
    mlsGrid->Add(new wxStaticText(mls, wxID_ANY, WxText("sequence size")), 0, wxALIGN_CENTER_VERTICAL);
    m_pSequenceSize = new wxChoice(mls, kIdSequenceSize);
    for (int n = 7; n <= 20; ++n)
        m_pSequenceSize->Append(wxString::Format("%i", (1 << n) - 1));
    mlsGrid->Add(m_pSequenceSize, 0, wxEXPAND);
    m_pChirpStart = AddEdit(mls, mlsGrid, kIdChirpStart, "Chirp " + WxText("Start") + " [Hz]");
    m_pChirpStop = AddEdit(mls, mlsGrid, kIdChirpStop, "Chirp " + WxText("Stop") + " [Hz]");
    mlsBox->Add(mlsGrid, 0, wxALL, 4);
    auto* mlsDisplay = new wxBoxSizer(wxVERTICAL);
    const int mlsDisplayIds[] = {kIdMlsFrequency, kIdMlsPhase, kIdMlsImpulse};
    const wxString mlsDisplayLabels[] = {WxText("Frequency response"), WxText("Phase response"),
                                         WxText("impulse response")};
    AddRadios(mls, mlsDisplay, m_pMlsDisplay, mlsDisplayIds, mlsDisplayLabels, 3);
    mlsBox->Add(mlsDisplay, 0, wxALL, 2);
    auto* timeBox = new wxStaticBoxSizer(wxVERTICAL, mls, WxText("time window"));
    auto* timeGrid = new wxFlexGridSizer(2, 4, 8);
    m_pDelay = AddEdit(timeBox->GetStaticBox(), timeGrid, kIdDelay, WxText("Delay") + " [ms]");
    m_pLength = AddEdit(timeBox->GetStaticBox(), timeGrid, kIdWindowLength, WxText("size") + " [ms]");
    timeBox->Add(timeGrid, 0, wxALL, 4);
    mlsBox->Add(timeBox, 0, wxEXPAND | wxALL, 4);
    right->Add(mlsBox, 0, wxEXPAND | wxALL, 4);

    columns->Add(left, 0, wxALL, 4);
    columns->Add(right, 0, wxALL, 4);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(columns);
    FinishDialog(this, sizer);
}

bool CFftPropertiesDlg::TransferDataToWindow()
{
    if (!m_pFftSize->SetStringSelection(m_strFftSize))
        m_pFftSize->SetSelection(2);
    SetInteger(m_pAverages, m_nAverages);
    SetInteger(m_pVectorAverages, m_nVectorAverages);
    SetInteger(m_pSampleRate, m_nSampleRate);
    SelectRadio(m_pExcitation, 3, m_nExcitation);
    if (!m_pSequenceSize->SetStringSelection(m_strSequenceSize))
        m_pSequenceSize->SetSelection(3);
    SetNumber(m_pChirpStart, m_dChirpStart);
    SetNumber(m_pChirpStop, m_dChirpStop);
    SelectRadio(m_pMlsDisplay, 3, m_nMlsDisplay);
    SetNumber(m_pDelay, m_dDelayMs);
    SetNumber(m_pLength, m_dLengthMs);
    SelectRadio(m_pAnalyserDisplay, 3, m_nAnalyserDisplay);
    const settings_rules::WindowChoice choice = settings_rules::WindowTypeToChoice(m_nWindowType);
    SelectRadio(m_pWindow, 4, choice.radio);
    m_pWindowList->SetSelection(choice.listIndex);
    m_pWeighting->SetSelection(m_nWeighting >= 0 && m_nWeighting < kWeightingCodes ? m_nWeighting : 0);
    m_pCalibration->SetValue(m_bCalibration != 0);
    SetNumber(m_pOffset, m_dOffset);
    return true;
}

bool CFftPropertiesDlg::TransferDataFromWindow()
{
    int averages = 0;
    int rate = 0;
    double chirpStart = 0.0;
    double chirpStop = 0.0;
    double delay = 0.0;
    double length = 0.0;
    double offset = 0.0;
    int vectorAverages = 0;
    if (!ReadInteger(m_pAverages, Text("average"), 0, 2048, averages) ||
        !ReadInteger(m_pVectorAverages, "Vector Average", 0, 2048, vectorAverages) ||
        !ReadInteger(m_pSampleRate, Text("Sample Rate"), 1, 1000000, rate) ||
        !ReadNumber(m_pChirpStart, "Chirp " + Text("Start"), 0.0, 1000000.0, chirpStart) ||
        !ReadNumber(m_pChirpStop, "Chirp " + Text("Stop"), 0.0, 1000000.0, chirpStop) ||
        !ReadNumber(m_pDelay, Text("time window") + " " + Text("Delay"), -kTimeWindowLimitMs,
                    kTimeWindowLimitMs, delay) ||
        !ReadNumber(m_pLength, Text("time window") + " " + Text("size"), 0.0, kTimeWindowLimitMs, length) ||
        !ReadNumber(m_pOffset, Text("offset"), -200.0, 200.0, offset))
        return false;
    m_strFftSize = m_pFftSize->GetStringSelection().utf8_string();
    m_nAverages = averages;
    m_nVectorAverages = vectorAverages;
    m_nSampleRate = rate;
    m_nExcitation = SelectedRadio(m_pExcitation, 3);
    m_strSequenceSize = m_pSequenceSize->GetStringSelection().utf8_string();
    m_dChirpStart = chirpStart;
    m_dChirpStop = chirpStop;
    m_nMlsDisplay = SelectedRadio(m_pMlsDisplay, 3);
    m_dDelayMs = delay;
    m_dLengthMs = length;
    m_nAnalyserDisplay = SelectedRadio(m_pAnalyserDisplay, 3);
    m_nWindowType =
        settings_rules::WindowTypeFromChoice({SelectedRadio(m_pWindow, 4), m_pWindowList->GetSelection()});
    m_nWeighting = m_pWeighting->GetSelection();
    m_bCalibration = m_pCalibration->GetValue() ? 1 : 0;
    m_dOffset = offset;
    return true;
}
