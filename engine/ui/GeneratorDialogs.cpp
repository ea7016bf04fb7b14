#include "engine/ui/GeneratorDialogs.h"

#include "engine/AudioFileReader.h"
#include "platform/NumberFormat.h"
#include "platform/ui/MessageBoxService.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/filedlg.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{

// The sweep dialog's sequence lengths: 2^k for k = 7..20.
std::vector<wxString> SequenceLengths()
{
    std::vector<wxString> lengths;
    for (int k = 7; k <= 20; ++k)
        lengths.push_back(wxString::Format("%i", 1 << k));
    return lengths;
}

bool ParseNumber(const wxString& text, double& value)
{
    const std::string s = text.ToStdString();
    const char* begin = s.c_str();
    char* end = nullptr;
    errno = 0;
    const double parsed = std::strtod(begin, &end);
    if (end == begin || errno == ERANGE || !std::isfinite(parsed))
        return false;
    while (*end == ' ' || *end == '\t')
        ++end;
    if (*end != '\0')
        return false;
    value = parsed;
    return true;
}

}  // namespace

void CNumberFields::Add(wxTextCtrl* edit, double* value, double min, double max, const char* format)
{
    m_fields.push_back({edit, value, min, max, format});
}

void CNumberFields::ToWindow() const
{
    for (const Field& field : m_fields)
        field.edit->ChangeValue(wxString::FromUTF8(platform::FormatC(field.format, *field.value)));
}

bool CNumberFields::FromWindow(wxWindow* parent) const
{
    std::vector<double> values;
    for (const Field& field : m_fields)
    {
        double value = 0.0;
        if (!ParseNumber(field.edit->GetValue(), value) || value < field.min || value > field.max)
        {
            platform::ui::ShowMessageBox(
                platform::FormatC("Please enter a number between %g and %g.", field.min, field.max),
                "Tessarin", wxOK | wxICON_EXCLAMATION, parent);
            field.edit->SetFocus();
            field.edit->SelectAll();
            return false;
        }
        values.push_back(value);
    }
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        *m_fields[i].value = values[i];
    return true;
}

CGeneratorDialogBase::CGeneratorDialogBase(wxWindow* parent, const wxString& title)
    : wxDialog(parent, wxID_ANY, title, wxDefaultPosition, wxDefaultSize, wxDEFAULT_DIALOG_STYLE)
{
    m_pBody = new wxPanel(this);
    m_pBody->SetSizer(new wxFlexGridSizer(2, wxSize(8, 6)));
}

wxTextCtrl* CGeneratorDialogBase::AddNumber(const wxString& label, double* value, double min, double max,
                                            const char* format)
{
    auto* edit = new wxTextCtrl(m_pBody, wxID_ANY);
    m_pBody->GetSizer()->Add(new wxStaticText(m_pBody, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
    m_pBody->GetSizer()->Add(edit, 1, wxEXPAND);
    m_numbers.Add(edit, value, min, max, format);
    return edit;
}

void CGeneratorDialogBase::Finish()
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(m_pBody, 1, wxEXPAND | wxALL, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CGeneratorDialogBase::TransferDataToWindow()
{
    m_numbers.ToWindow();
    ToWindow();
    return wxDialog::TransferDataToWindow();
}

bool CGeneratorDialogBase::TransferDataFromWindow()
{
    if (!wxDialog::TransferDataFromWindow())
        return false;
    return m_numbers.FromWindow(this) && FromWindow();
}

// --- Play Wav file

CPlayWaveFileDlg::CPlayWaveFileDlg(wxWindow* parent) : CGeneratorDialogBase(parent, "Play Wav file")
{
    wxSizer* grid = m_pBody->GetSizer();
    const auto addFact = [&](const wxString& label)
    {
        grid->Add(new wxStaticText(m_pBody, wxID_ANY, label), 0, wxALIGN_CENTER_VERTICAL);
        auto* text = new wxStaticText(m_pBody, wxID_ANY, "", wxDefaultPosition, wxSize(220, -1));
        grid->Add(text, 1, wxEXPAND);
        return text;
    };
    m_pPath = addFact("File");
    AddNumber("Fade in [ms]", &m_dFadeInMs, 0.0, kMaxFadeMs, "%g");
    AddNumber("Fade out [ms]", &m_dFadeOutMs, 0.0, kMaxFadeMs, "%g");
    m_pLength = addFact("Length");
    m_pChannels = addFact("Channels");
    m_pRate = addFact("Sample rate");
    m_pBits = addFact("Bits");
    auto* browse = new wxButton(m_pBody, 273, "Browse");
    auto* info = new wxButton(m_pBody, 1476, "Info");
    grid->Add(browse);
    grid->Add(info);
    browse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowse(); });
    info->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ReadFacts(); });
    Finish();
}

void CPlayWaveFileDlg::ToWindow()
{
    ReadFacts();
}

void CPlayWaveFileDlg::ReadFacts()
{
    m_dLengthSeconds = 0.0;
    m_nChannels = 0;
    m_nSampleRate = 0;
    m_nBits = 0;
    if (!m_strPath.empty())
    {
        CAudioFileReader reader;
        reader.Open(m_strPath);
        if (reader.m_nChannels > 0 && reader.m_nSampleRate > 0)
        {
            m_nChannels = reader.m_nChannels;
            m_nBits = reader.m_nBits;
            m_nSampleRate = reader.m_nSampleRate;
            m_dLengthSeconds = reader.m_dLength / reader.m_nSampleRate;
        }
        reader.Close();
    }
    m_pPath->SetLabel(m_strPath.empty() ? wxString("no file selected") : wxString::FromUTF8(m_strPath));
    m_pLength->SetLabel(wxString::FromUTF8(platform::FormatC("%.2fs", m_dLengthSeconds)));
    m_pChannels->SetLabel(wxString::Format("%i", m_nChannels));
    m_pRate->SetLabel(wxString::Format("%iHz", m_nSampleRate));
    m_pBits->SetLabel(wxString::Format("%i", m_nBits));
}

void CPlayWaveFileDlg::OnBrowse()
{
    wxFileDialog dialog(this, "Play Wav file", "", "", "Wave files (*.wav)|*.wav",
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return;
    m_strPath = dialog.GetPath().utf8_string();
    ReadFacts();
}

// --- Pulse Widths

CPulseWidthsDlg::CPulseWidthsDlg(wxWindow* parent) : CGeneratorDialogBase(parent, "Pulse Widths")
{
    AddNumber("Pulse width [%]", &m_dPulseWidthPercent, 0.0, 100.0, "%g");
    Finish();
}

// --- Adjust Crest Factor

CCrestFactorDlg::CCrestFactorDlg(wxWindow* parent) : CGeneratorDialogBase(parent, "Adjust Crest Factor")
{
    AddNumber("Crest factor", &m_dTarget, -1.0e9, 1.0e9, "%g");
    m_pEnable = new wxCheckBox(m_pBody, 434, "enable");
    m_pBody->GetSizer()->Add(m_pEnable);
    Finish();
}

void CCrestFactorDlg::ToWindow()
{
    m_pEnable->SetValue(m_bEnable);
}

bool CCrestFactorDlg::FromWindow()
{
    m_bEnable = m_pEnable->GetValue();
    return true;
}

// --- Special settings

CSpecialSettingsDlg::CSpecialSettingsDlg(wxWindow* parent) : CGeneratorDialogBase(parent, "Special settings")
{
    m_pChannel1Only = new wxCheckBox(m_pBody, 578, "apply DSP and filter effects to channel 1 only");
    m_pBody->GetSizer()->Add(m_pChannel1Only);
    Finish();
}

void CSpecialSettingsDlg::ToWindow()
{
    m_pChannel1Only->SetValue(m_bChannel1Only);
}

bool CSpecialSettingsDlg::FromWindow()
{
    m_bChannel1Only = m_pChannel1Only->GetValue();
    return true;
}

// --- Stepsize for frequency control

CFrequencyStepDlg::CFrequencyStepDlg(wxWindow* parent)
    : CGeneratorDialogBase(parent, "Stepsize for frequency control")
{
    m_pAutomatic = new wxRadioButton(m_pBody, 691, "automatic (mouse control)", wxDefaultPosition,
                                     wxDefaultSize, wxRB_GROUP);
    m_pFixed = new wxRadioButton(m_pBody, 1014, "fixed step");
    m_pBody->GetSizer()->Add(m_pAutomatic);
    m_pBody->GetSizer()->Add(m_pFixed);
    AddNumber("Step [Hz]", &m_dStep, 0.0, 1.0e6, "%g");
    Finish();
}

void CFrequencyStepDlg::ToWindow()
{
    (m_nMode == 0 ? m_pAutomatic : m_pFixed)->SetValue(true);
}

bool CFrequencyStepDlg::FromWindow()
{
    m_nMode = m_pAutomatic->GetValue() ? 0 : 1;
    return true;
}

// --- sweep properties

CSweepPropertiesDlg::CSweepPropertiesDlg(wxWindow* parent) : CGeneratorDialogBase(parent, "sweep properties")
{
    AddNumber("start frequency ", &m_dStart, 0.1, 100000.0, "%g");
    AddNumber("stop frequency ", &m_dStop, 0.1, 100000.0, "%g");
    AddNumber("sweep time [s]", &m_dTime, 1.0, 10000.0, "%g");
    wxSizer* grid = m_pBody->GetSizer();
    m_pLinear = new wxRadioButton(m_pBody, 193, "linear", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pLog = new wxRadioButton(m_pBody, 196, "logarithmic");
    grid->Add(m_pLinear);
    grid->Add(m_pLog);
    grid->Add(new wxStaticText(m_pBody, wxID_ANY, "Sequence length"), 0, wxALIGN_CENTER_VERTICAL);
    const std::vector<wxString> lengths = SequenceLengths();
    m_pLength = new wxComboBox(m_pBody, 136, "", wxDefaultPosition, wxDefaultSize,
                               static_cast<int>(lengths.size()), lengths.data(), wxCB_DROPDOWN);
    grid->Add(m_pLength, 1, wxEXPAND);
    m_pConstant =
        new wxRadioButton(m_pBody, 256, "constant envelope", wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
    m_pOptimized = new wxRadioButton(m_pBody, 258, "optimized spectral density");
    grid->Add(m_pConstant);
    grid->Add(m_pOptimized);
    m_pChirps = new wxCheckBox(m_pBody, 172, "Enable Chirps");
    grid->Add(m_pChirps);
    Finish();
}

void CSweepPropertiesDlg::ToWindow()
{
    (m_nLog != 0 ? m_pLog : m_pLinear)->SetValue(true);
    m_pLength->SetValue(wxString::FromUTF8(m_strLength));
    (m_nChirpType != 0 ? m_pOptimized : m_pConstant)->SetValue(true);
    m_pChirps->SetValue(m_bChirpOn);
}

bool CSweepPropertiesDlg::FromWindow()
{
    m_nLog = m_pLog->GetValue() ? 1 : 0;
    m_strLength = m_pLength->GetValue().utf8_string();
    m_nChirpType = m_pOptimized->GetValue() ? 1 : 0;
    m_bChirpOn = m_pChirps->GetValue();
    return true;
}

// --- Volume

CVolumeDlg::CVolumeDlg(wxWindow* parent) : CGeneratorDialogBase(parent, "Volume")
{
    AddNumber("Volume [dB]", &m_dVolumeDb, -500.0, 500.0, "%.2f");
    AddNumber("Calibration [dB]", &m_dCalibrationDb, -500.0, 500.0, "%.2f");
    AddNumber("Balance [dB]", &m_dBalanceDb, -200.0, 200.0, "%.2f");
    AddNumber("Balance slider max. [dB]", &m_dBalanceMax, -200.0, 200.0, "%.2f");
    AddNumber("Balance slider min. [dB]", &m_dBalanceMin, -200.0, 200.0, "%.2f");
    AddNumber("Volume slider max. [dB]", &m_dVolumeMax, -500.0, 500.0, "%.2f");
    AddNumber("Volume slider min. [dB]", &m_dVolumeMin, -500.0, 500.0, "%.2f");
    Finish();
}
