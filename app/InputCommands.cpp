// The handlers of the input-driver commands: the ASIO plug-in (select, configure) and the external
// input library (select, configure). Each stops the active window's display and the engine, changes
// the input, and starts them again.
#include "app/AnalyzerApp.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "engine/SoundIn.h"
#include "view/SndView.h"

#include <wx/event.h>

namespace
{

// Stops the window's display (or the engine alone without a window) and the engine, runs change,
// then (with reopen) opens the input and restarts the display, and starts the window again.
template <class Change>
void ChangeInput(CMainFrame& frame, Change change, bool reopen, bool alwaysResetZoom)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
        return;
    CSndView* view = frame.GetActiveView();
    if (view)
        view->OnStop();
    engine->StopInput();
    const int rate = engine->m_nSampleRate;
    change(*engine);
    if (view)
    {
        if (reopen && engine->OpenInput() == 0)
        {
            view->RestartDisplay();
            if (alwaysResetZoom || engine->m_nSampleRate != rate)
                view->OnResetZoom();
        }
        view->OnStart();
        return;
    }
    if (engine->OpenInput() == 0)
        engine->RestartInput();
}

void ToggleMode(CSoundIn& engine, int mode)
{
    engine.m_nInputMode = engine.m_nInputMode == mode ? CSoundIn::kInputWave : mode;
}

}  // namespace

namespace commands
{

void SelectInputLibrary(CMainFrame& frame, int)
{
    ChangeInput(
        frame, [](CSoundIn& engine) { ToggleMode(engine, CSoundIn::kInputLibrary); }, true, true);
}

void ConfigureInputLibrary(CMainFrame& frame, int)
{
    ChangeInput(
        frame, [](CSoundIn& engine) { engine.ConfigureInputDll(0); }, true, false);
}

void SelectAsio(CMainFrame& frame, int)
{
    ChangeInput(
        frame, [](CSoundIn& engine) { ToggleMode(engine, CSoundIn::kInputAsio); }, false, false);
}

void ConfigureAsio(CMainFrame& frame, int)
{
    if (CSoundIn* engine = frame.GetApp().m_pEngine)
        engine->OnConfigureAsio(0);
}

void UpdateInputMode(CMainFrame& frame, int id, wxUpdateUIEvent& event)
{
    const CSoundIn* engine = frame.GetApp().m_pEngine;
    const int mode = id == command_id::kSelectInputLibrary ? CSoundIn::kInputLibrary : CSoundIn::kInputAsio;
    event.Check(engine && engine->m_nInputMode == mode);
}

}  // namespace commands
