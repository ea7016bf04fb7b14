#include "view/ui/LevelMonitorDlg.h"

#include "common/TextFormatting.h"
#include "platform/NumberFormat.h"
#include "platform/ui/MessageBoxService.h"
#include "view/ui/DialogFields.h"
#include "view/ui/MeasurementValueDlgs.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

using namespace dialog_fields;

namespace
{
constexpr std::array<const char*, 10> kPresetLabels = {"30s", "1min", "5min", "10min", "30min",
                                                       "1h",  "2h",   "4h",   "8h",    "24h"};
constexpr int kDurationTimer = 1;
constexpr int kDurationTimerMs = 200;
}  // namespace

// ---------------------------------------------------------------------------------------------
// CRecorderDlg

CRecorderDlg::CRecorderDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, WxText("recorder"))
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pFileLength = AddEdit(this, grid, kFileLength, WxText("file length") + " (min)");
    // Made, but not offered: the files are converted by the program's MP3 option.
    m_pMp3 = new wxCheckBox(this, kMp3, WxText("convert to MP3"));
    m_pMp3->Hide();
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    FinishDialog(this, sizer);
}

bool CRecorderDlg::TransferDataToWindow()
{
    m_pMp3->SetValue(m_bMp3 != 0);
    SetNumber(m_pFileLength, m_dFileLengthMinutes);
    return true;
}

bool CRecorderDlg::TransferDataFromWindow()
{
    double minutes = 0.0;
    if (!ReadNumber(m_pFileLength, Text("file length"), 0.001, 2000.0, minutes))
        return false;
    m_dFileLengthMinutes = minutes;
    return true;
}

// ---------------------------------------------------------------------------------------------
// CLevelMonitorDlg

CLevelMonitorDlg::CLevelMonitorDlg(wxWindow* parent, const LevelMonitorValues& values)
    : wxDialog(parent, wxID_ANY, WxText("settings")), m_values(values), m_timer(this, kDurationTimer)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    m_pActive = new wxCheckBox(this, kActive, WxText("active"));
    sizer->Add(m_pActive, 0, wxALL, 8);

    auto* weighting = new wxStaticBoxSizer(wxHORIZONTAL, this, WxText("weighting"));
    m_weighting[0] = new wxRadioButton(weighting->GetStaticBox(), kWeightingNone, WxText("Off"),
                                       wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_weighting[1] = new wxRadioButton(weighting->GetStaticBox(), kWeightingA, "DIN 'A'");
    m_weighting[2] = new wxRadioButton(weighting->GetStaticBox(), kWeightingC, "DIN 'C'");
    for (wxRadioButton* radio : m_weighting)
        weighting->Add(radio, 0, wxALL, 4);
    sizer->Add(weighting, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pAverageTime = AddEdit(this, grid, kAverageTime, WxText("Average time") + " (s)");
    m_pNumber = AddEdit(
        this, grid, kNumber,
        wxString::FromUTF8(platform::FormatC(Text("number of %s").c_str(), Text("measurements").c_str())));
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("duration")), 0, wxALIGN_CENTER_VERTICAL);
    auto* durationRow = new wxBoxSizer(wxHORIZONTAL);
    m_pDuration = new wxStaticText(this, kDuration, "-", wxDefaultPosition, wxSize(140, -1));
    durationRow->Add(m_pDuration, 1, wxALIGN_CENTER_VERTICAL);
    durationRow->Add(new wxButton(this, kSetDuration, "Set"), 0, wxLEFT, 6);
    grid->Add(durationRow, 0, wxEXPAND);
    sizer->Add(grid, 0, wxALL, 8);

    auto* presets = new wxGridSizer(2, 5, 4, 4);
    for (std::size_t k = 0; k < kPresetIds.size(); ++k)
    {
        auto* button = new wxButton(this, kPresetIds[k], kPresetLabels[k], wxDefaultPosition, wxSize(64, -1));
        button->Bind(wxEVT_BUTTON, [this, k](wxCommandEvent&) { OnPreset(static_cast<int>(k)); });
        presets->Add(button);
    }
    sizer->Add(presets, 0, wxLEFT | wxRIGHT, 8);

    m_pFullSpan = new wxCheckBox(this, kFullSpan, WxText("full span"));
    sizer->Add(m_pFullSpan, 0, wxALL, 8);
    auto* range = new wxFlexGridSizer(2, 6, 8);
    m_pMinFrequency = AddEdit(this, range, kMinFrequency, "min. " + WxText("Frequency") + " (Hz)");
    m_pMaxFrequency = AddEdit(this, range, kMaxFrequency, "max. " + WxText("Frequency") + " (Hz)");
    sizer->Add(range, 0, wxLEFT | wxRIGHT, 8);

    auto* recorderRow = new wxBoxSizer(wxHORIZONTAL);
    m_pRecorder = new wxCheckBox(this, kRecorder, WxText("recorder"));
    recorderRow->Add(m_pRecorder, 0, wxALIGN_CENTER_VERTICAL);
    recorderRow->Add(new wxButton(this, kSetRecorder, "Set"), 0, wxLEFT, 6);
    sizer->Add(recorderRow, 0, wxALL, 8);
    m_pStoreSpectrum = new wxCheckBox(this, kStoreSpectrum, "Spektrum speichern");
    sizer->Add(m_pStoreSpectrum, 0, wxLEFT | wxRIGHT | wxBOTTOM, 8);

    if (m_values.fixed)
    {
        m_pActive->Hide();
        weighting->GetStaticBox()->Hide();
        for (wxRadioButton* radio : m_weighting)
            radio->Hide();
        m_pFullSpan->Hide();
    }
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnSetDuration(); }, kSetDuration);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnSetRecorder(); }, kSetRecorder);
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { UpdateDuration(); }, kDurationTimer);
    FinishDialog(this, sizer);
    if (!m_timer.Start(kDurationTimerMs))
    {
        platform::ui::ShowMessageBox("Not enough timers available for this window.", "Tessarin",
                                     wxOK | wxICON_EXCLAMATION, parent);
        CallAfter([this] { EndModal(wxID_CANCEL); });
    }
}

bool CLevelMonitorDlg::TransferDataToWindow()
{
    m_nLastPreset = -1;
    m_pActive->SetValue(m_values.active != 0);
    m_weighting[static_cast<std::size_t>(std::clamp(m_values.weighting, 0, 2))]->SetValue(true);
    SetNumber(m_pAverageTime, m_values.averageTime);
    SetInteger(m_pNumber, m_values.number);
    m_pFullSpan->SetValue(m_values.fullSpan != 0);
    SetNumber(m_pMinFrequency, m_values.minFrequency);
    SetNumber(m_pMaxFrequency, m_values.maxFrequency);
    m_pRecorder->SetValue(m_values.recorder != 0);
    m_pStoreSpectrum->SetValue(m_values.storeSpectrum != 0);
    UpdateDuration();
    return true;
}

bool CLevelMonitorDlg::ReadDuration(level_monitor::Duration& duration)
{
    double averageTime = 0.0;
    if (!ReadNumber(m_pAverageTime, Text("Average time"), 0.0, 1e9, averageTime))
        return false;
    if (!level_monitor::IsValidAverageTime(averageTime))
    {
        platform::ui::ShowMessageBox("The average time must be larger than 0.", "Tessarin",
                                     wxOK | wxICON_EXCLAMATION, this);
        m_pAverageTime->SetFocus();
        return false;
    }
    int number = 0;
    if (!ReadInteger(m_pNumber, Text("measurements"), 0, 2147483647LL, number))
        return false;
    duration = {averageTime, number, m_nLastPreset};
    return true;
}

bool CLevelMonitorDlg::TransferDataFromWindow()
{
    level_monitor::Duration duration;
    if (!ReadDuration(duration))
        return false;
    double minimum = 0.0, maximum = 0.0;
    if (!ReadNumber(m_pMinFrequency, "min. " + Text("Frequency"), 0.0, 1e6, minimum) ||
        !ReadNumber(m_pMaxFrequency, "max. " + Text("Frequency"), 0.0, 1e6, maximum))
        return false;
    m_values.active = m_pActive->GetValue() ? 1 : 0;
    m_values.weighting = m_weighting[2]->GetValue() ? 2 : m_weighting[1]->GetValue() ? 1 : 0;
    m_values.averageTime = duration.averageTime;
    m_values.number = duration.number;
    m_values.fullSpan = m_pFullSpan->GetValue() ? 1 : 0;
    m_values.minFrequency = minimum;
    m_values.maxFrequency = maximum;
    m_values.recorder = m_pRecorder->GetValue() ? 1 : 0;
    m_values.storeSpectrum = m_pStoreSpectrum->GetValue() ? 1 : 0;
    return true;
}

void CLevelMonitorDlg::UpdateDuration()
{
    const double seconds = std::atoi(m_pNumber->GetValue().utf8_string().c_str()) *
                           std::atof(m_pAverageTime->GetValue().utf8_string().c_str());
    const wxString text = wxString::FromUTF8(FormatTimeSpan(seconds));
    if (m_pDuration->GetLabel() != text)
        m_pDuration->SetLabel(text);
}

void CLevelMonitorDlg::WriteNumber(int number)
{
    SetInteger(m_pNumber, number);
    UpdateDuration();
}

void CLevelMonitorDlg::OnPreset(int k)
{
    level_monitor::Duration duration;
    if (!ReadDuration(duration) || !level_monitor::PressPreset(duration, k))
        return;
    m_nLastPreset = duration.lastPreset;
    WriteNumber(duration.number);
}

void CLevelMonitorDlg::OnSetDuration()
{
    level_monitor::Duration duration;
    if (!ReadDuration(duration))
        return;
    double seconds = duration.number * duration.averageTime;
    CDateTimeDlg dialog(this);
    dialog.m_nDay = static_cast<int>(seconds / 86400.0);
    seconds -= dialog.m_nDay * 86400.0;
    dialog.m_nHour = static_cast<int>(seconds / 3600.0);
    seconds -= dialog.m_nHour * 3600.0;
    dialog.m_nMinute = static_cast<int>(seconds / 60.0);
    dialog.m_dSecond = seconds - dialog.m_nMinute * 60.0;
    if (dialog.ShowModal() != wxID_OK)
        return;
    const double typed =
        ((static_cast<double>(dialog.m_nDay) * 24.0 + dialog.m_nHour) * 60.0 + dialog.m_nMinute) * 60.0 +
        dialog.m_dSecond;
    if (!level_monitor::SetDuration(duration, typed))
        return;
    m_nLastPreset = -1;
    WriteNumber(duration.number);
}

void CLevelMonitorDlg::OnSetRecorder()
{
    CRecorderDlg dialog(this);
    dialog.m_bMp3 = m_values.mp3;
    dialog.m_dFileLengthMinutes = m_values.fileLengthMinutes;
    if (dialog.ShowModal() != wxID_OK)
        return;
    m_values.mp3 = dialog.m_bMp3;
    m_values.fileLengthMinutes = dialog.m_dFileLengthMinutes;
}
