// The main frame's side of the impulse analyses: the active window's command goes to the
// applications with the program's folder and file prompts.
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "applications/ImpulseAnalysisCommands.h"
#include "common/controls/FilePrompts.h"
#include "view/SndView.h"

#include <wx/event.h>

namespace commands
{

void ToImpulseAnalyses(CMainFrame& frame, int id)
{
    CSndView* view = frame.GetActiveView();
    if (!view)
        return;
    ImpulseAnalysisPrompts prompts;
    prompts.browseForFolder = [](const std::string& title)
    { return BrowseForFolder(title, std::string(), 0); };
    prompts.askAudioFile = [] { return AskOpenAudioFileName(); };
    prompts.runCommand = [&frame](int command) { frame.PostCommand(command); };
    OnImpulseAnalysisCommand(*view, id, prompts);
}

void UpdateImpulseAnalysisCommand(CMainFrame& frame, int, wxUpdateUIEvent& event)
{
    event.Enable(frame.GetActiveView() != nullptr);
}

}  // namespace commands
