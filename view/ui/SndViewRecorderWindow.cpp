// The audio recorder's windows: the file dialog in the "Waves" folder and the modeless window that
// shows the recorded time; the level monitor's dialog; the phonetogram's file and settings dialogs.
#include "platform/ui/MessageBoxService.h"
#include "view/ui/LevelMonitorDlg.h"
#include "view/ui/PhonetogramSettingsDlg.h"
#include "view/ui/SndViewWindow.h"

#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include <filesystem>

std::string CSndViewWindow::s_strRecorderFileAnswer;

bool CSndViewWindow::AskRecorderFile(const std::string& folder, std::string& path)
{
    if (!s_strRecorderFileAnswer.empty())
    {
        path = s_strRecorderFileAnswer;
        return true;
    }
    std::error_code error;
    if (!folder.empty())
        std::filesystem::create_directories(folder, error);
    wxFileDialog dialog(this, "Audio recorder", wxString::FromUTF8(folder), "recorder.wav",
                        "Wave files (*.wav)|*.wav;*.WAV", wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    path = dialog.GetPath().utf8_string();
    if (std::filesystem::path(path).extension().empty())
        path += ".wav";
    return true;
}

void CSndViewWindow::ShowRecorder(bool show, const std::string& title, const std::string& time)
{
    if (!show)
    {
        if (m_pRecorder)
            m_pRecorder->Hide();
        return;
    }
    if (!m_pRecorder)
    {
        m_pRecorder = new wxFrame(wxGetTopLevelParent(this), wxID_ANY, wxString::FromUTF8(title),
                                  wxDefaultPosition, wxDefaultSize,
                                  wxCAPTION | wxFRAME_TOOL_WINDOW | wxFRAME_FLOAT_ON_PARENT | wxSYSTEM_MENU);
        auto* panel = new wxPanel(m_pRecorder);
        m_pRecorderTime = new wxStaticText(panel, wxID_ANY, "00:00", wxDefaultPosition, wxDefaultSize,
                                           wxALIGN_CENTRE_HORIZONTAL | wxST_NO_AUTORESIZE);
        wxFont font = m_pRecorderTime->GetFont();
        font.SetPointSize(font.GetPointSize() * 3);
        font.MakeBold();
        m_pRecorderTime->SetFont(font);
        m_pRecorderTime->SetForegroundColour(wxColour(200, 0, 0));
        auto* sizer = new wxBoxSizer(wxVERTICAL);
        sizer->Add(m_pRecorderTime, 1, wxEXPAND | wxALL, 16);
        panel->SetSizer(sizer);
        m_pRecorder->SetClientSize(wxSize(240, 100));
        // The main window may take the recorder window with it before this window goes.
        std::weak_ptr<int> alive = m_pAlive;
        m_pRecorder->Bind(wxEVT_DESTROY,
                          [this, alive](wxWindowDestroyEvent& event)
                          {
                              if (alive.lock() && event.GetEventObject() == m_pRecorder)
                              {
                                  m_pRecorder = nullptr;
                                  m_pRecorderTime = nullptr;
                              }
                              event.Skip();
                          });
    }
    m_pRecorder->SetTitle(wxString::FromUTF8(title));
    if (m_pRecorderTime->GetLabel() != wxString::FromUTF8(time))
        m_pRecorderTime->SetLabel(wxString::FromUTF8(time));
    if (!m_pRecorder->IsShown())
        m_pRecorder->Show();
}

bool CSndViewWindow::EditLevelMonitor(LevelMonitorValues& values)
{
    CLevelMonitorDlg dialog(this, values);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values = dialog.GetValues();
    return true;
}

bool CSndViewWindow::AskPhonetogramFile(bool save, std::string& path)
{
    platform::ui::FileDialogRequest request;
    request.save = save;
    request.wildcard = "Phonetogram files (*.ptg)|*.ptg";
    std::filesystem::path chosen = platform::ui::ShowFileDialog(request, this);
    if (chosen.empty())
        return false;
    if (save && !chosen.has_extension())
        chosen += ".ptg";
    path = chosen.string();
    return true;
}

bool CSndViewWindow::EditPhonetogramSettings(PhonetogramSettingsValues& values)
{
    CPhonetogramSettingsDlg dialog(this, values);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values = dialog.GetValues();
    return true;
}
