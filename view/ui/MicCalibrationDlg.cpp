#include "view/ui/MicCalibrationDlg.h"

#include "common/CalibrationCurve.h"
#include "engine/SoundIn.h"
#include "platform/ui/MessageBoxService.h"
#include "view/ui/DialogFields.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cstdio>
#include <mutex>

using namespace dialog_fields;

namespace
{

std::string CurveStatus(const CCalibrationCurve& curve)
{
    char text[512];
    if (curve.m_bPairs)
        std::snprintf(text, sizeof text, "%s %s %s: %i", curve.m_strPath.c_str(), Text("loaded").c_str(),
                      Text("size").c_str(), curve.m_nPoints);
    else
        std::snprintf(text, sizeof text, "%s %s %s: %i @%iHz.", curve.m_strPath.c_str(),
                      Text("loaded").c_str(), Text("size").c_str(), curve.m_nPoints,
                      static_cast<int>(curve.m_dSampleRate));
    return text;
}

}  // namespace

CMicCalibrationDlg::CMicCalibrationDlg(wxWindow* parent, CSoundIn& engine)
    : wxDialog(parent, wxID_ANY, WxText("Microphone calibration")), m_engine(engine)
{
    auto* grid = new wxFlexGridSizer(2, 6, 8);
    m_pSlot = AddEdit(this, grid, kIdSlot, WxText("calibration") + " #");
    m_pChannel = AddEdit(this, grid, kIdChannel, WxText("Channel") + " #");
    m_pEnable = new wxCheckBox(this, kIdEnable, WxText("enable microphone calibration"));
    m_pDisplay = new wxCheckBox(this, kIdDisplay, WxText("display calibration data"));
    m_pAllChannels = new wxCheckBox(this, kIdAllChannels, WxText("use for all channels"));
    m_pStatus = new wxStaticText(this, kIdStatus, wxEmptyString, wxDefaultPosition, wxSize(420, -1));
    auto* browse = new wxButton(this, kIdBrowse, WxText("Browse for calibration file"));
    auto* update = new wxButton(this, kIdUpdate, WxText("update"));
    browse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnBrowse(); });
    update->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { OnUpdate(); });
    auto* buttons = new wxBoxSizer(wxHORIZONTAL);
    buttons->Add(browse, 0, wxRIGHT, 6);
    buttons->Add(update);
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    for (wxCheckBox* check : {m_pEnable, m_pDisplay, m_pAllChannels})
        sizer->Add(check, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(buttons, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    sizer->Add(m_pStatus, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    FinishDialog(this, sizer);
    WriteControls();
    OnUpdate();
}

bool CMicCalibrationDlg::ReadControls()
{
    int channel = 1, slot = 1;
    if (!ReadInteger(m_pSlot, Text("calibration") + " #", 1, kSlots, slot) ||
        !ReadInteger(m_pChannel, Text("Channel") + " #", 1, kSlots, channel))
        return false;
    m_nSlot = slot;
    m_nChannel = channel;
    m_bEnable = m_pEnable->GetValue() ? 1 : 0;
    m_bDisplay = m_pDisplay->GetValue() ? 1 : 0;
    m_bAllChannels = m_pAllChannels->GetValue() ? 1 : 0;
    return true;
}

void CMicCalibrationDlg::WriteControls()
{
    SetInteger(m_pSlot, m_nSlot);
    SetInteger(m_pChannel, m_nChannel);
    m_pEnable->SetValue(m_bEnable != 0);
    m_pDisplay->SetValue(m_bDisplay != 0);
    m_pAllChannels->SetValue(m_bAllChannels != 0);
}

void CMicCalibrationDlg::OnBrowse()
{
    if (!ReadControls())
        return;
    platform::ui::FileDialogRequest request;
    request.wildcard = "Mic calibration files (*.cal)|*.cal";
    const std::string path = platform::ui::ShowFileDialog(request, this);
    if (path.empty())
        return;
    CCalibrationCurve loaded;
    if (loaded.LoadFromFile(path) <= 0)
    {
        platform::ui::ShowMessageBox(path + "\n" + Text("The file could not be read as a calibration file."),
                                     Text("Microphone calibration"), wxOK | wxICON_EXCLAMATION, this);
        return;
    }
    m_strPath = path;
    loaded.m_nChannel = m_nChannel - 1;
    loaded.m_bEnabled = m_bEnable;
    loaded.m_bReplace = m_bDisplay;
    loaded.m_bAllChannels = m_bAllChannels;
    {
        std::lock_guard lock(m_engine.m_displayLock);
        m_engine.m_calibrationCurves[static_cast<std::size_t>(m_nSlot - 1)] = std::move(loaded);
    }
    OnUpdate();
}

void CMicCalibrationDlg::OnUpdate()
{
    if (!ReadControls())
        return;
    std::string status;
    {
        std::lock_guard lock(m_engine.m_displayLock);
        const CCalibrationCurve& curve = m_engine.m_calibrationCurves[static_cast<std::size_t>(m_nSlot - 1)];
        if (curve.m_nPoints > 0)
        {
            m_nChannel = curve.m_nChannel + 1;
            m_bEnable = curve.m_bEnabled;
            m_bDisplay = curve.m_bReplace;
            m_bAllChannels = curve.m_bAllChannels;
            status = CurveStatus(curve);
        }
        else
        {
            m_nChannel = 1;
            m_bEnable = m_bDisplay = m_bAllChannels = 0;
            status = Text("No file loaded");
        }
    }
    m_pStatus->SetLabel(wxString::FromUTF8(status));
    WriteControls();
}

bool CMicCalibrationDlg::TransferDataFromWindow()
{
    if (!ReadControls())
        return false;
    std::lock_guard lock(m_engine.m_displayLock);
    CCalibrationCurve& curve = m_engine.m_calibrationCurves[static_cast<std::size_t>(m_nSlot - 1)];
    if (curve.m_nPoints > 0)
    {
        curve.m_nChannel = m_nChannel - 1;
        curve.m_bEnabled = m_bEnable;
        curve.m_bReplace = m_bDisplay;
        curve.m_bAllChannels = m_bAllChannels;
    }
    return true;
}
