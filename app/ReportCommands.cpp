// The report commands of the active measurement window, and the statistics window that the first
// measurement window owns.
#include <wx/event.h>

#include "app/AnalyzerApp.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "applications/LoggerReportCommands.h"
#include "applications/ui/ReportPrompts.h"
#include "applications/ui/SoundLevelStatisticsDlg.h"
#include "platform/Profile.h"
#include "view/SndView.h"
#include "view/ui/SndViewWindow.h"

namespace
{

ReportPrompts PromptsFor(CMainFrame& frame)
{
    return MakeReportPrompts(&frame, frame.GetApp().m_DataFolders.GetPath(CDataFolders::kLevel));
}

}  // namespace

namespace commands
{

void LoggerReport(CMainFrame& frame, int /*id*/)
{
    if (CSndView* view = frame.GetActiveView())
        OnLoggerReport(*view, PromptsFor(frame));
}

void SoundPowerReport(CMainFrame& frame, int /*id*/)
{
    if (CSndView* view = frame.GetActiveView())
        OnSoundPowerReport(*view, PromptsFor(frame));
}

void UpdateReportCommand(CMainFrame& frame, int /*id*/, wxUpdateUIEvent& event)
{
    CSndView* view = frame.GetActiveView();
    event.Enable(view && GetReportLogger(*view));
}

}  // namespace commands

void InstallSoundLevelStatistics(CAnalyzerApp& app)
{
    CSndViewWindow::SetOwnedWindowFactory(
        [&app](int kind, CSndView& view)
        {
            // The export settings as the program's settings file holds them when the window is made.
            const std::string settings = app.m_DataFolders.GetPath(CDataFolders::kProgramSettingsFile);
            const std::string interval =
                platform::GetProfileString(settings, "TA Laerm", "Autolog Intervall", "0");
            const std::string file =
                platform::GetProfileString(settings, "TA Laerm", "Autolog File Name", "");
            return CSoundLevelStatisticsDlg::CreateOwned(kind, view, std::atof(interval.c_str()), file);
        });
}
