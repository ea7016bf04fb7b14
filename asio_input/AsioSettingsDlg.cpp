#include "asio_input/AsioSettingsDlg.h"

#include "platform/asio/AsioConvert.h"
#include "platform/asio/AsioHost.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

CAsioSettingsDlg::CAsioSettingsDlg(wxWindow* parent) : wxDialog(parent, 137, "ASIO Settings")
{
    auto* top = new wxBoxSizer(wxVERTICAL);
    auto* deviceRow = new wxBoxSizer(wxHORIZONTAL);
    deviceRow->Add(new wxStaticText(this, wxID_ANY, "Device"), 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 6);
    m_device = new wxChoice(this, kIdDevice);
    m_device->SetMinSize(wxSize(240, -1));
    deviceRow->Add(m_device, 1, wxRIGHT, 6);
    auto* control = new wxButton(this, kIdDeviceControl, "device control");
    m_controlButton = control;
    deviceRow->Add(control, 0);
    top->Add(deviceRow, 0, wxEXPAND | wxALL, 8);

    auto* group = new wxStaticBoxSizer(wxVERTICAL, this, "Channel assignment");
    auto* grid = new wxFlexGridSizer(3, 6, 6);
    grid->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, "Analyzer"));
    grid->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, ""));
    grid->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, "ASIO"));
    wxArrayString numbers;
    for (int i = 1; i <= kChannelEntries; ++i)
        numbers.Add(wxString::Format("%i", i));
    grid->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, "Channel A"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, "<-"), 0, wxALIGN_CENTER_VERTICAL);
    m_channelA = new wxChoice(group->GetStaticBox(), kIdChannelA, wxDefaultPosition, wxDefaultSize, numbers);
    grid->Add(m_channelA);
    grid->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, "Channel B"), 0, wxALIGN_CENTER_VERTICAL);
    grid->Add(new wxStaticText(group->GetStaticBox(), wxID_ANY, "<-"), 0, wxALIGN_CENTER_VERTICAL);
    m_channelB = new wxChoice(group->GetStaticBox(), kIdChannelB, wxDefaultPosition, wxDefaultSize, numbers);
    grid->Add(m_channelB);
    group->Add(grid, 0, wxALL, 4);
    m_forceStereo = new wxCheckBox(group->GetStaticBox(), kIdForceStereo, "Use Master only /force stereo");
    m_multichannel =
        new wxCheckBox(group->GetStaticBox(), kIdMultichannel, "use all channels (multichannel)");
    group->Add(m_forceStereo, 0, wxALL, 4);
    group->Add(m_multichannel, 0, wxALL, 4);
    top->Add(group, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

    m_status = new wxStaticText(this, kIdStatus, "");
    m_version = new wxStaticText(this, kIdVersion, "");
    top->Add(m_status, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 8);
    top->Add(m_version, 0, wxEXPAND | wxLEFT | wxRIGHT | wxTOP, 8);
    top->Add(CreateStdDialogButtonSizer(wxOK | wxCANCEL), 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(top);

    control->Bind(wxEVT_BUTTON, [](wxCommandEvent&) { AsioControlPanel(); });
}

bool CAsioSettingsDlg::TransferDataToWindow()
{
    m_device->Clear();
    const std::size_t count = std::min<std::size_t>(m_names.size(), kMaxNames);
    for (std::size_t i = 0; i < count; ++i)
        m_device->Append(wxString::FromUTF8(m_names[i]));
    if (m_nDevice >= 0 && m_nDevice < static_cast<int>(m_device->GetCount()))
        m_device->SetSelection(m_nDevice);
    m_channelA->SetSelection(m_nChannelA >= 0 && m_nChannelA < kChannelEntries ? m_nChannelA : wxNOT_FOUND);
    m_channelB->SetSelection(m_nChannelB >= 0 && m_nChannelB < kChannelEntries ? m_nChannelB : wxNOT_FOUND);
    m_forceStereo->SetValue(m_bForceStereo != 0);
    m_multichannel->SetValue(m_bMultichannel != 0);
    int bits = 0;
    int bytes = 0;
    asio::GetSampleTypeBits(m_nSampleType, bits, bytes);
    static_cast<wxStaticText*>(m_status)->SetLabel(
        wxString::Format("%i inputs / %i outputs %i Bits (T%i)", m_nInputs, m_nOutputs, bits, m_nSampleType));
    // The build's time stamp in the form "Tue Mar  2 09:15:40 2021".
    static_cast<wxStaticText*>(m_version)->SetLabel(
        wxString::Format("Version: V%i.%i   %s", m_nVersionMajor, m_nVersionMinor, BuildTimeStamp()));
    m_controlButton->Enable(m_bHasControlPanel);
    return true;
}

bool CAsioSettingsDlg::TransferDataFromWindow()
{
    if (m_device->GetSelection() != wxNOT_FOUND)
        m_nDevice = m_device->GetSelection();
    if (m_channelA->GetSelection() != wxNOT_FOUND)
        m_nChannelA = m_channelA->GetSelection();
    if (m_channelB->GetSelection() != wxNOT_FOUND)
        m_nChannelB = m_channelB->GetSelection();
    m_bForceStereo = m_forceStereo->GetValue() ? 1 : 0;
    m_bMultichannel = m_multichannel->GetValue() ? 1 : 0;
    return true;
}

std::string CAsioSettingsDlg::BuildTimeStamp()
{
    // __DATE__ is "Mar  2 2021", __TIME__ "09:15:40"; the weekday follows from the date.
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const std::string date = __DATE__;
    int month = 0;
    while (month < 12 && date.compare(0, 3, kMonths[month]) != 0)
        ++month;
    const int day = std::stoi(date.substr(4, 2));
    const int year = std::stoi(date.substr(7, 4));
    // Sakamoto's weekday rule.
    static const int kOffsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    const int y = month < 2 ? year - 1 : year;
    const int weekday = (y + y / 4 - y / 100 + y / 400 + kOffsets[month % 12] + day) % 7;
    char text[40];
    std::snprintf(text, sizeof text, "%s %s %s %s", kDays[weekday], date.substr(0, 6).c_str(), __TIME__,
                  date.substr(7, 4).c_str());
    return text;
}
