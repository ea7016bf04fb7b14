#include "applications/ui/ReportPrompts.h"

#include <wx/dialog.h>
#include <wx/msgdlg.h>

#include "common/controls/FilePrompts.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"
#include "view/ui/MeasurementValueDlgs.h"

namespace
{
constexpr int kTextReportFolder = 1000018;
constexpr const char* kCaption = "Tessarin";
}  // namespace

ReportPrompts MakeReportPrompts(wxWindow* parent, const std::string& levelFolder)
{
    ReportPrompts prompts;
    prompts.askFolder = [levelFolder] { return AskResultFolder(GetText(kTextReportFolder), levelFolder); };
    prompts.askYesNo = [parent](const std::string& question) {
        return platform::ui::ShowMessageBox(question, kCaption, wxYES_NO | wxICON_QUESTION, parent) ==
               wxID_YES;
    };
    prompts.tell = [parent](const std::string& text)
    { platform::ui::ShowMessageBox(text, kCaption, wxOK | wxICON_INFORMATION, parent); };
    prompts.editSoundPower = [parent](SoundPowerSettings& settings)
    {
        CSoundPowerDlg dialog(parent);
        dialog.m_dSurface = settings.surface;
        dialog.m_nMicrophones = settings.microphones == 6 ? 1 : 0;
        if (dialog.ShowModal() != wxID_OK)
            return false;
        settings.surface = dialog.m_dSurface;
        settings.microphones = dialog.m_nMicrophones == 1 ? 6 : 3;
        return true;
    };
    return prompts;
}
