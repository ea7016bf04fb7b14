// The file dialogs of a measurement window's impulse response.
#include "view/ui/SndViewWindow.h"

#include <wx/filedlg.h>

std::string CSndViewWindow::s_strImpulseFileAnswer;

bool CSndViewWindow::AskImpulseFile(int kind, std::string& path)
{
    if (!s_strImpulseFileAnswer.empty())
    {
        path = s_strImpulseFileAnswer;
        return true;
    }
    const bool save = kind != kImpulseOpen;
    const char* filter = kind == kImpulseSaveText ? "Impulse response measurements (*.txt)|*.txt"
                         : kind == kImpulseSaveWave
                             ? "Impulse response measurements (*.wav)|*.wav"
                             : "Wave Files (*.wav)|*.wav;*.WAV|MP3 Files (*.mp3)|*.mp3;*.MP3|"
                               "Text Files (*.txt)|*.txt;*.TXT|All Files (*.*)|*";
    wxFileDialog dialog(this, save ? "Save" : "Open", wxEmptyString, save ? wxString() : wxString("sti.txt"),
                        filter, save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    path = dialog.GetPath().utf8_string();
    // The default extension of the saved forms.
    if (save && path.find('.', path.find_last_of('/') + 1) == std::string::npos)
        path += kind == kImpulseSaveText ? ".txt" : ".wav";
    return true;
}
