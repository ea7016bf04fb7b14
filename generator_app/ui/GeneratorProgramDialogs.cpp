#include "generator_app/ui/GeneratorProgramDialogs.h"

#include "generator_app/SoundOut.h"
#include "platform/asio/AsioDriverList.h"
#include "platform/asio/AsioHost.h"
#include "platform/ui/MessageBoxService.h"
#include "resources/pulvera-about.xpm"

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/combobox.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/tglbtn.h>

#include <algorithm>
#include <cstdlib>

namespace
{
// The JACK driver has no control panel of its own.
bool HasControlPanel(const std::string& driver)
{
    return driver != "JACK";
}
}  // namespace

// --- ASIO settings

CAsioSettingsDlg::CAsioSettingsDlg(wxWindow* parent, std::vector<std::string> drivers)
    : wxDialog(parent, wxID_ANY, "ASIO Settings"), m_drivers(std::move(drivers))
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticText(this, wxID_ANY, "Device"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
    m_pDevice = new wxChoice(this, kIdDevice);
    m_pDevice->Append(kNoAsio);
    for (const std::string& name : m_drivers)
        m_pDevice->Append(wxString::FromUTF8(name));
    row->Add(m_pDevice, 1, wxEXPAND);
    sizer->Add(row, 0, wxEXPAND | wxALL, 10);
    m_pControlPanel = new wxButton(this, kIdControlPanel, "ASIO device\n contol panel");
    sizer->Add(m_pControlPanel, 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    m_pDevice->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { UpdateControlPanelButton(); });
    m_pControlPanel->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnControlPanel(); });
    CentreOnParent();
}

bool CAsioSettingsDlg::TransferDataToWindow()
{
    const int entry = m_nSelection + 1;
    m_pDevice->SetSelection(entry >= 0 && entry < static_cast<int>(m_pDevice->GetCount()) ? entry : 0);
    UpdateControlPanelButton();
    return true;
}

bool CAsioSettingsDlg::TransferDataFromWindow()
{
    m_nSelection = std::max(0, m_pDevice->GetSelection()) - 1;
    return true;
}

void CAsioSettingsDlg::UpdateControlPanelButton()
{
    const int driver = m_pDevice->GetSelection() - 1;
    m_pControlPanel->Enable(driver >= 0 && driver < static_cast<int>(m_drivers.size()) &&
                            HasControlPanel(m_drivers[static_cast<std::size_t>(driver)]));
}

void CAsioSettingsDlg::OnControlPanel()
{
    const int driver = m_pDevice->GetSelection() - 1;
    if (driver < 0 || driver >= static_cast<int>(m_drivers.size()))
        return;
    AsioDriverInfo info;
    int result = asio::kNotPresent;
    if (LoadAsioDriver(m_drivers[static_cast<std::size_t>(driver)]) && AsioInit(info) != asio::kNotPresent)
        result = AsioControlPanel();
    AsioDisposeBuffers();
    if (result == asio::kNotPresent)
        platform::ui::ShowMessageBox("ASIO driver not loaded \n", "Pulvera", wxOK | wxICON_EXCLAMATION, this);
}

// --- sound card

CSoundCardDlg::CSoundCardDlg(wxWindow* parent, CSoundOut& soundOut)
    : CGeneratorDialogBase(parent, "SoundCard settings"), m_soundOut(soundOut)
{
    auto* grid = m_pBody->GetSizer();
    grid->Add(new wxStaticText(m_pBody, wxID_ANY, "Output Device:"), 0, wxALIGN_CENTER_VERTICAL);
    m_pDevice = new wxChoice(m_pBody, kIdDevice);
    // The engine's own list, in its order: an entry is always one the engine can open.
    CAudioOut_DX devices;
    for (int i = 0; i < devices.m_nDevices; ++i)
    {
        const auto& device = devices.m_devices[static_cast<std::size_t>(i)];
        m_pDevice->Append(wxString::FromUTF8(device.description.empty() ? device.name : device.description));
    }
    grid->Add(m_pDevice, 1, wxEXPAND);
    AddNumber("Sample Rate:", &m_dSampleRate, 8000.0, 48000.0, "%.0f");
    grid->Add(new wxStaticText(m_pBody, wxID_ANY, "Bits"), 0, wxALIGN_CENTER_VERTICAL);
    wxArrayString bits;
    for (int b = 8; b <= 24; ++b)
        bits.Add(wxString::Format("%d", b));
    m_pBits = new wxComboBox(m_pBody, kIdBits, wxEmptyString, wxDefaultPosition, wxDefaultSize, bits);
    grid->Add(m_pBits, 1, wxEXPAND);
    m_pHighResolution = new wxCheckBox(m_pBody, kIdHighResolution, "Enable High\nResolution");
    grid->Add(m_pHighResolution);
    m_pAsio = new wxButton(m_pBody, kIdAsio, "ASIO");
    grid->Add(m_pAsio);
    m_pAsio->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnAsio(); });
    Finish();
}

void CSoundCardDlg::ToWindow()
{
    const int count = static_cast<int>(m_pDevice->GetCount());
    m_pDevice->SetSelection(count > 0 ? std::clamp(m_nDevice, 0, count - 1) : wxNOT_FOUND);
    m_pBits->SetValue(wxString::FromUTF8(m_strBits));
    m_pHighResolution->SetValue(m_bHighResolution);
    m_pDevice->Enable(m_soundOut.m_nMode != CSoundOut::kModeAsio);
}

bool CSoundCardDlg::FromWindow()
{
    long bits = 0;
    if (!m_pBits->GetValue().ToLong(&bits) || bits < 8 || bits > 32)
    {
        platform::ui::ShowMessageBox("Please enter a number of bits between 8 and 32.", "Pulvera",
                                     wxOK | wxICON_EXCLAMATION, this);
        m_pBits->SetFocus();
        return false;
    }
    m_nDevice = std::max(0, m_pDevice->GetSelection());
    m_strBits = m_pBits->GetValue().utf8_string();
    m_bHighResolution = m_pHighResolution->GetValue();
    return true;
}

void CSoundCardDlg::OnAsio()
{
    std::vector<std::string> drivers;
    const int count = m_soundOut.GetDeviceCount(CSoundOut::kModeAsio);
    for (int i = 0; i < count; ++i)
        drivers.push_back(m_soundOut.GetDeviceName(CSoundOut::kModeAsio, i).substr(0, 1024));
    CAsioSettingsDlg dialog(this, drivers);
    dialog.m_nSelection = m_soundOut.m_nMode == CSoundOut::kModeAsio ? m_nAsioDevice : -1;
    if (dialog.ShowModal() == wxID_OK)
    {
        if (dialog.m_nSelection < 0)
        {
            m_soundOut.m_nMode = CSoundOut::kModeDirectSound;
            m_nAsioDevice = 0;
        }
        else
        {
            m_soundOut.m_nMode = CSoundOut::kModeAsio;
            m_nAsioDevice = dialog.m_nSelection;
        }
    }
    m_pDevice->Enable(m_soundOut.m_nMode != CSoundOut::kModeAsio);
}

// --- speakers

CSpeakerDlg::CSpeakerDlg(wxWindow* parent) : wxDialog(parent, wxID_ANY, "Speaker select")
{
    auto* box = new wxStaticBoxSizer(wxVERTICAL, this, "Speaker");
    auto* front = new wxBoxSizer(wxHORIZONTAL);
    auto* rear = new wxBoxSizer(wxHORIZONTAL);
    auto add = [&](wxBoxSizer* row, int id, const char* label)
    { row->Add(new wxToggleButton(box->GetStaticBox(), id, label), 0, wxALL, 3); };
    add(front, kIdLeft, "left");
    add(front, kIdCentre, "center");
    add(front, kIdRight, "right");
    add(rear, kIdSurroundLeft, "SR-left");
    add(rear, kIdSurroundRight, "SR-right");
    box->Add(front, 0, wxALIGN_CENTER_HORIZONTAL);
    box->Add(rear, 0, wxALIGN_CENTER_HORIZONTAL);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(box, 0, wxEXPAND | wxALL, 10);
    sizer->Add(new wxCheckBox(this, kIdMultichannel, "Enable multichannel"), 0, wxLEFT | wxRIGHT, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

namespace
{
// The switches' ids in the order of m_bSpeaker.
constexpr int kSpeakerIds[5] = {CSpeakerDlg::kIdCentre, CSpeakerDlg::kIdLeft, CSpeakerDlg::kIdSurroundLeft,
                                CSpeakerDlg::kIdRight, CSpeakerDlg::kIdSurroundRight};
}  // namespace

bool CSpeakerDlg::TransferDataToWindow()
{
    for (int i = 0; i < 5; ++i)
        static_cast<wxToggleButton*>(FindWindow(kSpeakerIds[i]))->SetValue(m_bSpeaker[i]);
    static_cast<wxCheckBox*>(FindWindow(kIdMultichannel))->SetValue(m_bMultichannel);
    return true;
}

bool CSpeakerDlg::TransferDataFromWindow()
{
    for (int i = 0; i < 5; ++i)
        m_bSpeaker[i] = static_cast<wxToggleButton*>(FindWindow(kSpeakerIds[i]))->GetValue();
    m_bMultichannel = static_cast<wxCheckBox*>(FindWindow(kIdMultichannel))->GetValue();
    return true;
}

// --- file length

CFileLengthDlg::CFileLengthDlg(wxWindow* parent) : CGeneratorDialogBase(parent, "Select file length")
{
    AddNumber("length ", &m_dLength, 0.0, 10000000.0, "%g");
    m_pBody->GetSizer()->AddSpacer(0);
    m_pBody->GetSizer()->Add(new wxStaticText(m_pBody, wxID_ANY, "seconds"));
    Finish();
}

// --- about

CGeneratorAboutDlg::CGeneratorAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "About Signal Generator")
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(this, wxID_ANY, "Real-time Signal Generator"), 0, wxALL, 10);
    sizer->Add(new wxStaticBitmap(this, wxID_ANY, wxBitmap(kPulveraAboutPicture)), 0,
               wxALIGN_CENTER_HORIZONTAL | wxLEFT | wxRIGHT, 10);
    sizer->Add(new wxStaticText(this, kIdVersion, kVersion), 0, wxALL, 10);
    sizer->Add(CreateStdDialogButtonSizer(wxOK), 0, wxEXPAND | wxALL, 10);
    SetSizerAndFit(sizer);
    CentreOnParent();
}
