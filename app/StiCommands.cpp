// The speech-intelligibility commands of the "Plug-Ins" menu: the main frame hands them to the
// applications' dialogs with the active measurement window, or the program's engine.
#include "app/AnalyzerApp.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "applications/ui/SpeechIntelligibilityCommands.h"
#include "view/SndView.h"

namespace commands
{

void DisplayStiRasti(CMainFrame& frame, int)
{
    if (CSndView* view = frame.GetActiveView())
        DisplayStiResults(*view, &frame);
}

void StiSignalToNoise(CMainFrame& frame, int)
{
    // The set belongs to the engine, which a window is not needed for.
    CSndView* view = frame.GetActiveView();
    CSoundIn* engine = view ? &view->GetEngine() : frame.GetApp().m_pEngine;
    if (engine)
        EditStiSignalToNoise(*engine, &frame);
}

}  // namespace commands
