#include "view/ui/LevelCalibrationDlg.h"

#include "common/TextFormatting.h"
#include "platform/ui/MessageBoxService.h"
#include "view/LevelCalibration.h"
#include "view/ui/DialogFields.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

using namespace dialog_fields;

namespace
{

constexpr int kTimerId = 1;
constexpr int kUnitMillivolts = 0;

wxString Formatted(const char* format, double value)
{
    return wxString::Format(format, value);
}

// The channel number of an edit, 0-based; what is no number reads as channel 1.
int ChannelOf(const wxTextCtrl* edit)
{
    const std::string text = edit->GetValue().ToStdString();
    const long number = std::strtol(text.c_str(), nullptr, 10);
    return static_cast<int>(std::clamp(number - 1, 0L, 1000000L));
}

bool NumberOf(const wxTextCtrl* edit, double& value)
{
    const std::string text = edit->GetValue().ToStdString();
    char* end = nullptr;
    errno = 0;
    const double number = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || errno == ERANGE || !std::isfinite(number))
        return false;
    value = number;
    return true;
}

wxChoice* UnitChoice(wxWindow* parent, int id)
{
    auto* choice = new wxChoice(parent, id);
    choice->Append("mV");
    choice->Append("V");
    return choice;
}

void AddRow(wxWindow* parent, wxFlexGridSizer* grid, const char* label, wxWindow* control,
            wxWindow* extra = nullptr)
{
    grid->Add(new wxStaticText(parent, wxID_ANY, WxText(label)), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(control, 0, wxEXPAND);
    if (extra)
        grid->Add(extra, 0, wxALIGN_CENTER_VERTICAL);
    else
        grid->AddSpacer(0);
}

}  // namespace

CLevelCalibrationDlg::CLevelCalibrationDlg(wxWindow* parent, CLevelCalibration& calibration)
    : wxDialog(parent, wxID_ANY, WxText("Level Calibration")),
      m_calibration(calibration),
      m_timer(this, kTimerId)
{
    const auto edit = [this](wxWindow* parent, int id, long style = 0)
    {
        auto* control = new wxTextCtrl(parent, id, wxEmptyString, wxDefaultPosition, wxSize(110, -1),
                                       style | wxTE_PROCESS_ENTER);
        if ((style & wxTE_READONLY) == 0)
            control->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { OnEnter(); });
        return control;
    };
    const auto button =
        [this](wxWindow* parent, int id, const char* label, void (CLevelCalibrationDlg::*action)())
    {
        auto* control = new wxButton(parent, id, WxText(label));
        control->Bind(wxEVT_BUTTON, [this, action](wxCommandEvent&) { (this->*action)(); });
        return control;
    };

    auto* output = new wxStaticBoxSizer(wxVERTICAL, this, WxText("Output"));
    wxWindow* outputBox = output->GetStaticBox();
    auto* outputGrid = new wxFlexGridSizer(3, 6, 8);
    m_pOutputChannel = edit(outputBox, kIdOutputChannel);
    m_pFrequency = edit(outputBox, kIdFrequency);
    m_pOutputExternal = edit(outputBox, kIdOutputExternal);
    m_pOutputUnit = UnitChoice(outputBox, kIdOutputUnit);
    m_pOutputReading = edit(outputBox, kIdOutputReading, wxTE_READONLY);
    AddRow(outputBox, outputGrid, "Channel", m_pOutputChannel);
    AddRow(outputBox, outputGrid, "Frequency [Hz]", m_pFrequency);
    AddRow(outputBox, outputGrid, "External RMS", m_pOutputExternal, m_pOutputUnit);
    AddRow(outputBox, outputGrid, "Reading", m_pOutputReading);
    auto* outputButtons = new wxBoxSizer(wxHORIZONTAL);
    outputButtons->Add(button(outputBox, kIdOutputSet, "Set", &CLevelCalibrationDlg::OnOutputSet), 0, wxRIGHT,
                       6);
    outputButtons->Add(button(outputBox, kIdOutputReset, "Reset", &CLevelCalibrationDlg::OnOutputReset));
    output->Add(outputGrid, 0, wxALL, 6);
    output->Add(outputButtons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 6);

    auto* input = new wxStaticBoxSizer(wxVERTICAL, this, WxText("Input"));
    wxWindow* inputBox = input->GetStaticBox();
    auto* inputGrid = new wxFlexGridSizer(3, 6, 8);
    m_pInputChannel = edit(inputBox, kIdInputChannel);
    m_pInputExternal = edit(inputBox, kIdInputExternal);
    m_pInputUnit = UnitChoice(inputBox, kIdInputUnit);
    m_pInputReading = edit(inputBox, kIdInputReading, wxTE_READONLY);
    AddRow(inputBox, inputGrid, "Channel", m_pInputChannel);
    AddRow(inputBox, inputGrid, "External RMS", m_pInputExternal, m_pInputUnit);
    AddRow(inputBox, inputGrid, "Reading", m_pInputReading);
    auto* inputButtons = new wxBoxSizer(wxHORIZONTAL);
    inputButtons->Add(button(inputBox, kIdInputSet, "Set", &CLevelCalibrationDlg::OnInputSet), 0, wxRIGHT, 6);
    inputButtons->Add(button(inputBox, kIdInputReset, "Reset", &CLevelCalibrationDlg::OnInputReset));
    input->Add(inputGrid, 0, wxALL, 6);
    input->Add(inputButtons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 6);

    auto* sides = new wxBoxSizer(wxHORIZONTAL);
    sides->Add(output, 0, wxEXPAND | wxRIGHT, 8);
    sides->Add(input, 0, wxEXPAND);

    m_pMute = new wxCheckBox(this, kIdMute, WxText("mute"));
    m_pMute->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { OnMute(); });
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(m_pMute, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 16);
    buttons->Add(button(this, kIdSave, "Save", &CLevelCalibrationDlg::OnSave), 0, wxRIGHT, 6);
    buttons->Add(button(this, kIdLoad, "Load", &CLevelCalibrationDlg::OnLoad), 0, wxRIGHT, 16);
    auto* close = new wxButton(this, kIdClose, WxText("OK"));
    close->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { EndModal(wxID_OK); });
    buttons->Add(close, 0, wxRIGHT, 6);
    buttons->Add(new wxButton(this, wxID_CANCEL, WxText("Cancel")));

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(sides, 0, wxALL, 10);
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
    Bind(
        wxEVT_TIMER, [this](wxTimerEvent&) { RefreshReadings(); }, kTimerId);
}

int CLevelCalibrationDlg::ShowModal()
{
    double frequency = m_dFrequency;
    bool muted = false;
    if (m_calibration.GeneratorState(frequency, muted))
        m_dFrequency = frequency;
    m_pMute->SetValue(muted);
    m_pOutputUnit->SetSelection(m_bOutputMillivolts ? kUnitMillivolts : 1);
    m_pInputUnit->SetSelection(m_bInputMillivolts ? kUnitMillivolts : 1);
    m_pOutputChannel->ChangeValue(wxString::Format("%i", m_nOutputChannel));
    m_pInputChannel->ChangeValue(wxString::Format("%i", m_nInputChannel));
    m_pOutputExternal->ChangeValue(Formatted("%.2f", m_dOutputExternal));
    m_pInputExternal->ChangeValue(Formatted("%.2f", m_dInputExternal));
    m_pFrequency->ChangeValue(Formatted("%.3f", m_dFrequency));
    RefreshReadings();
    if (!m_timer.Start(kRefreshMs))
    {
        platform::ui::ShowMessageBox("Not enough timers available for this window.",
                                     Text("Level Calibration"), wxOK | wxICON_EXCLAMATION, this);
        return wxID_CANCEL;
    }
    const int result = wxDialog::ShowModal();
    m_timer.Stop();
    return result;
}

void CLevelCalibrationDlg::RefreshReadings()
{
    const int output = ChannelOf(m_pOutputChannel);
    const int input = ChannelOf(m_pInputChannel);
    m_pOutputReading->ChangeValue(
        wxString::FromUTF8(FormatEngineering(m_calibration.OutputReading(output), 4, "V")));
    const double rms = m_calibration.InputReading(input);
    m_pInputReading->ChangeValue(wxString::FromUTF8(FormatEngineering(rms, 4, "V")));
}

bool CLevelCalibrationDlg::ReadEdits()
{
    m_nOutputChannel = ChannelOf(m_pOutputChannel) + 1;
    m_nInputChannel = ChannelOf(m_pInputChannel) + 1;
    m_bOutputMillivolts = m_pOutputUnit->GetSelection() == kUnitMillivolts;
    m_bInputMillivolts = m_pInputUnit->GetSelection() == kUnitMillivolts;
    struct Field
    {
        wxTextCtrl* edit;
        double* value;
        const char* name;
    };
    for (const Field& field : {Field{m_pOutputExternal, &m_dOutputExternal, "External RMS"},
                               Field{m_pInputExternal, &m_dInputExternal, "External RMS"},
                               Field{m_pFrequency, &m_dFrequency, "Frequency"}})
    {
        if (!NumberOf(field.edit, *field.value))
        {
            platform::ui::ShowMessageBox(Text(field.name) + ": " + Text("please enter a number."),
                                         Text("Level Calibration"), wxOK | wxICON_EXCLAMATION, this);
            field.edit->SetFocus();
            return false;
        }
    }
    return true;
}

void CLevelCalibrationDlg::Tell(const std::string& text)
{
    platform::ui::ShowMessageBox(text, Text("Level Calibration"), wxOK | wxICON_EXCLAMATION, this);
}

void CLevelCalibrationDlg::OnOutputSet()
{
    if (!ReadEdits())
        return;
    if (m_calibration.SetOutput(m_nOutputChannel - 1, m_dOutputExternal, m_bOutputMillivolts) ==
        CLevelCalibration::kNoSignal)
        Tell(
            Text("The output channel plays no signal or the external value is not above 0: the calibration "
                 "is left "
                 "as it was."));
    RefreshReadings();
}

void CLevelCalibrationDlg::OnOutputReset()
{
    m_nOutputChannel = ChannelOf(m_pOutputChannel) + 1;
    m_calibration.ResetOutput(m_nOutputChannel - 1);
    RefreshReadings();
}

void CLevelCalibrationDlg::OnInputSet()
{
    if (!ReadEdits())
        return;
    if (m_calibration.SetInput(m_nInputChannel - 1, m_dInputExternal, m_bInputMillivolts) ==
        CLevelCalibration::kNoSignal)
        Tell(
            Text("The input channel has no signal or the external value is not above 0: the calibration is "
                 "left as "
                 "it was."));
    RefreshReadings();
}

void CLevelCalibrationDlg::OnInputReset()
{
    m_nInputChannel = ChannelOf(m_pInputChannel) + 1;
    m_calibration.ResetInput(m_nInputChannel - 1);
    RefreshReadings();
}

void CLevelCalibrationDlg::OnMute()
{
    m_calibration.SetMute(m_pMute->GetValue());
}

void CLevelCalibrationDlg::OnEnter()
{
    if (ReadEdits())
        m_calibration.SetFrequency(m_dFrequency);
}

void CLevelCalibrationDlg::OnSave()
{
    if (!m_calibration.Save(CLevelCalibration::FilePath()))
        Tell(Text("The calibration file could not be written completely:") + "\n" +
             CLevelCalibration::FilePath().string());
}

void CLevelCalibrationDlg::OnLoad()
{
    if (!m_calibration.Load(CLevelCalibration::FilePath()))
        Tell(Text("There is no calibration file to load, nothing was changed:") + "\n" +
             CLevelCalibration::FilePath().string());
    RefreshReadings();
}
