#include "app/LevelLoggers.h"

#include "app/AnalyzerApp.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "applications/LevelLogger.h"
#include "applications/RtaLoggerRules.h"
#include "engine/SoundIn.h"
#include "platform/ui/UiThread.h"

#include <wx/event.h>
#include <wx/menu.h>

CLevelLoggers::CLevelLoggers(const std::string& longtermFolder, const std::string& dinFolder)
    : m_longtermFolder(longtermFolder)
{
    for (int c = 0; c < kChannels; ++c)
    {
        auto logger = std::make_unique<CLevelLogger>(longtermFolder, dinFolder);
        logger->m_channel = c;
        // Posted, so that neither the analysis thread nor a writer waits for the user.
        logger->m_onMessage = [](const std::string& text)
        {
            platform::ui::PostToUi(
                [text]
                {
                    if (CAnalyzerApp* app = CAnalyzerApp::Get())
                        app->DoMessageBox(text, wxOK | wxICON_EXCLAMATION);
                });
        };
        logger->m_onStopRequest = []
        {
            platform::ui::PostToUi(
                []
                {
                    CAnalyzerApp* app = CAnalyzerApp::Get();
                    if (!app || !app->m_pMainWnd)
                        return;
                    wxCommandEvent event(wxEVT_MENU, command_id::WxCommandId(kStopCommand));
                    event.SetEventObject(app->m_pMainWnd);
                    app->m_pMainWnd->GetEventHandler()->ProcessEvent(event);
                });
        };
        m_loggers[static_cast<std::size_t>(c)] = std::move(logger);
    }
}

CLevelLoggers::~CLevelLoggers() = default;

void CLevelLoggers::Attach(CSoundIn* engine)
{
    if (!engine)
        return;
    for (int c = 0; c < kChannels; ++c)
        engine->SetLevelLogger(c, m_loggers[static_cast<std::size_t>(c)].get());
}

CLevelLogger* CLevelLoggers::Get(int channel) const
{
    return channel >= 0 && channel < kChannels ? m_loggers[static_cast<std::size_t>(channel)].get() : nullptr;
}

std::vector<std::string> CLevelLoggers::RecoverJournals() const
{
    std::vector<std::string> names;
    for (int c = 0; c < kChannels; ++c)
        if (std::string name = CLevelLogger::RecoverJournal(m_longtermFolder, c); !name.empty())
            names.push_back(std::move(name));
    return names;
}

int CLevelLoggers::StopRuns(CSoundIn& engine)
{
    return StopLoggingRuns(engine);
}

namespace commands
{

void LoggerStop(CMainFrame& frame, int /*id*/)
{
    if (CSoundIn* engine = frame.GetApp().m_pEngine)
        CLevelLoggers::StopRuns(*engine);
}

void UpdateLoggerStop(CMainFrame& frame, int /*id*/, wxUpdateUIEvent& event)
{
    bool running = false;
    if (CSoundIn* engine = frame.GetApp().m_pEngine)
        for (int c = 0; c < CLevelLoggers::kChannels && !running; ++c)
            if (CBandAnalyzer* analyzer = engine->GetBandAnalyzer(c))
                running = analyzer->m_loggingActive.load() != 0;
    event.Enable(running);
}

}  // namespace commands
