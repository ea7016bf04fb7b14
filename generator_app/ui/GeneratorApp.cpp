#include "generator_app/ui/GeneratorApp.h"

#include "engine/GeneratorLink.h"
#include "generator_app/GeneratorMenus.h"
#include "generator_app/GeneratorTrace.h"
#include "generator_app/ui/GeneratorWindow.h"
#include "generator_app/ui/MainFrame.h"
#include "platform/Ipc.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/LanguageChoice.h"
#include "texts/TextTable.h"
#include "texts/ui/MenuTranslation.h"

#include <wx/image.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>

namespace
{

constexpr const char* kCaption = "Pulvera";

// Tells the user through the program's message boxes.
class CPulveraNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override
    {
        platform::ui::ShowMessageBox(text, kCaption, wxOK | wxICON_EXCLAMATION);
    }
};

CPulveraNotifications g_notifications;

void CloseOnSignal(int)
{
    // Runs from the event loop, not inside the signal: closing is an ordinary close of the frame.
    if (wxWindow* top = wxTheApp != nullptr ? wxTheApp->GetTopWindow() : nullptr)
        top->Close();
}

}  // namespace

void CGeneratorApp::InstallTestHooks()
{
    // TESSARIN_TEST_MESSAGES: every box is answered with OK and its text appended to the file.
    if (const char* file = std::getenv("TESSARIN_TEST_MESSAGES"); file && *file)
    {
        const std::string path = file;
        platform::ui::SetMessageBoxResponder(
            [path](const platform::ui::MessageBoxRequest& request)
            {
                if (std::FILE* out = std::fopen(path.c_str(), "a"))
                {
                    std::fprintf(out, "%s\n--\n", request.text.c_str());
                    std::fclose(out);
                }
                return wxID_OK;
            });
    }
}

bool CGeneratorApp::OnInit()
{
    // The toolkit's own log messages go to standard error: a box of its own would stop the program
    // that Tessarin drives unattended. Everything the user must see goes through the message service.
    delete wxLog::SetActiveTarget(new wxLogStderr);
    if (wxImage::FindHandler(wxBITMAP_TYPE_PNG) == nullptr)
        wxImage::AddHandler(new wxPNGHandler);
    EnsureTextTable();
    InstallGeneratorStrings();
    InstallTestHooks();
    if (platform::FindWindowSocket(kGeneratorProgramTitle))
    {
        platform::ui::ShowMessageBox("Pulvera is already running; this copy ends.", kCaption,
                                     wxOK | wxICON_INFORMATION);
        GeneratorTrace("already running");
        return false;
    }
    m_core = std::make_shared<CGeneratorWnd>();
    m_core->SetNotifications(&g_notifications);
    m_core->Create();

    m_pFrame = new CMainFrame(m_core);
    SetTopWindow(m_pFrame);
    m_pFrame->SetMenuBar(GetLanguageMenu());
    SetSignalHandler(SIGTERM, &CloseOnSignal);

    // TESSARIN_TEST_SCREENSHOT: a picture of the frame once the link listens.
    if (const char* shot = std::getenv("TESSARIN_TEST_SCREENSHOT"); shot && *shot)
    {
        const std::string path = shot;
        CMainFrame* frame = m_pFrame;
        m_pFrame->GetGeneratorWindow()->m_onReady = [frame, path]
        {
            frame->CallAfter(
                [frame, path]
                {
                    wxTheApp->Yield(true);
                    frame->Update();
                    GeneratorTrace(frame->SaveScreenshot(path) ? "screenshot saved" : "screenshot failed");
                });
        };
    }
    m_pFrame->Show();
    return true;
}

wxMenuBar* CGeneratorApp::GetLanguageMenu()
{
    if (m_pMenu == nullptr)
    {
        const int language = GetLanguage();
        m_pMenu = BuildGeneratorMenuBar(GeneratorMenuResource(language));
        if (language > 1)
            TranslateMenu(m_pMenu, language);
    }
    return m_pMenu;
}

int CGeneratorApp::OnExit()
{
    m_core.reset();
    FreeTextTable();
    return wxApp::OnExit();
}
