#include "app/AdvancedSettingDlg.h"

#include "engine/AudioInWave.h"
#include "engine/SoundIn.h"
#include "view/ui/DialogFields.h"
#include "view/ui/DualSettingsDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

using namespace dialog_fields;

CAdvancedSettingDlg::CAdvancedSettingDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, WxText("advanced settings"))
{
    std::vector<std::string> devices;
    EnumWaveInDevices(devices);
    for (int index = 0;; ++index)
    {
        std::string name = GetWaveInDeviceName(devices, index);
        if (index < 0)
            break;
        m_deviceNames.push_back(std::move(name));
    }

    auto* grid = new wxFlexGridSizer(2, 6, 8);
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("Audio input device")), 0, wxALIGN_CENTER_VERTICAL);
    m_pDevice = new wxChoice(this, kIdDevice, wxDefaultPosition, wxSize(300, -1));
    for (const std::string& name : m_deviceNames)
        m_pDevice->Append(wxString::FromUTF8(name));
    grid->Add(m_pDevice, 0, wxEXPAND);
    m_pBufferCount = AddEdit(this, grid, kIdBufferCount, WxText("number of input buffers"));
    grid->Add(new wxStaticText(this, wxID_ANY, WxText("min. buffer size")), 0, wxALIGN_CENTER_VERTICAL);
    m_pMinBuffer = new wxChoice(this, kIdMinBuffer);
    for (int size = 128; size <= 65536; size *= 2)
        m_pMinBuffer->Append(wxString::Format("%i", size));
    grid->Add(m_pMinBuffer, 0, wxEXPAND);

    auto* channelBox = new wxStaticBoxSizer(wxHORIZONTAL, this, WxText("channel select"));
    const int ids[] = {kIdMono, kIdLeft, kIdRight, kIdDual};
    const char* labels[] = {"mono", "left", "right", "stereo"};
    for (int i = 0; i < 4; ++i)
    {
        m_pChannel[i] = new wxRadioButton(channelBox->GetStaticBox(), ids[i], WxText(labels[i]),
                                          wxDefaultPosition, wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        channelBox->Add(m_pChannel[i], 0, wxALL, 4);
    }
    auto* dual =
        new wxButton(this, kIdDualSettings, wxString::Format(WxText("%s settings"), WxText("stereo")));
    dual->Bind(wxEVT_BUTTON, &CAdvancedSettingDlg::OnDualSettings, this);

    auto* recorderBox = new wxStaticBoxSizer(wxVERTICAL, this, WxText("recorder"));
    wxWindow* recorder = recorderBox->GetStaticBox();
    auto* recorderGrid = new wxFlexGridSizer(2, 6, 8);
    recorderGrid->Add(new wxStaticText(recorder, wxID_ANY, WxText("resolution")), 0, wxALIGN_CENTER_VERTICAL);
    m_pResolution = new wxChoice(recorder, kIdResolution);
    for (const char* bits : {"8", "16", "24"})
        m_pResolution->Append(bits);
    recorderGrid->Add(m_pResolution, 0, wxEXPAND);
    m_pFileLength = AddEdit(recorder, recorderGrid, kIdFileLength, WxText("file length") + " [min.]");
    recorderBox->Add(recorderGrid, 0, wxALL, 4);
    m_pMp3 = new wxCheckBox(recorder, kIdMp3, WxText("convert to MP3"));
    recorderBox->Add(m_pMp3, 0, wxALL, 4);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(channelBox, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    sizer->Add(dual, 0, wxALL, 10);
    sizer->Add(recorderBox, 0, wxEXPAND | wxLEFT | wxRIGHT, 10);
    FinishDialog(this, sizer);
}

bool CAdvancedSettingDlg::TransferDataToWindow()
{
    SetInteger(m_pBufferCount, m_nBufferCount);
    // A device index beyond the list shows the first device.
    if (!m_deviceNames.empty())
        m_pDevice->SetSelection(m_nDeviceIndex >= 0 && m_nDeviceIndex < static_cast<int>(m_deviceNames.size())
                                    ? m_nDeviceIndex
                                    : 0);
    m_pChannel[m_nChannelMode >= 0 && m_nChannelMode < 4 ? m_nChannelMode : 0]->SetValue(true);
    if (!m_pMinBuffer->SetStringSelection(m_strMinBuffer))
        m_pMinBuffer->SetSelection(3);
    if (!m_pResolution->SetStringSelection(m_strResolution))
        m_pResolution->SetSelection(1);
    m_pMp3->SetValue(m_bMp3 != 0);
    SetNumber(m_pFileLength, m_dFileLengthMinutes);
    FindWindow(kIdDualSettings)->Enable(m_pEngine != nullptr);
    return true;
}

bool CAdvancedSettingDlg::TransferDataFromWindow()
{
    int buffers = 0;
    double minutes = 0.0;
    if (!ReadInteger(m_pBufferCount, Text("number of input buffers"), 1, 1000, buffers) ||
        !ReadNumber(m_pFileLength, Text("file length"), 0.001, 2000.0, minutes))
        return false;
    m_nBufferCount = buffers;
    m_nDeviceIndex = m_pDevice->GetSelection() == wxNOT_FOUND ? 0 : m_pDevice->GetSelection();
    m_strDeviceName = m_pDevice->GetStringSelection().utf8_string();
    for (int i = 0; i < 4; ++i)
        if (m_pChannel[i]->GetValue())
            m_nChannelMode = i;
    m_strMinBuffer = m_pMinBuffer->GetStringSelection().utf8_string();
    m_strResolution = m_pResolution->GetStringSelection().utf8_string();
    m_bMp3 = m_pMp3->GetValue() ? 1 : 0;
    m_dFileLengthMinutes = minutes;
    return true;
}

void CAdvancedSettingDlg::OnDualSettings(wxCommandEvent&)
{
    if (!m_pEngine)
        return;
    CDualSettingsDlg::EditEngine(this, *m_pEngine);
}
