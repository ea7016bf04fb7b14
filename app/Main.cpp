// Tessarin: the order in which the program's long-lived objects come and go is fixed here. The
// octave-fraction texts are constants; the application object (data folders, "default.cal", mixer
// values) comes before the engine, the engine before the window toolkit; they go in reverse.
#include "app/AnalyzerApp.h"
#include "app/UiEngineNotifications.h"
#include "engine/SoundIn.h"

int main(int argc, char** argv)
{
    CAnalyzerApp app;
    int code = 0;
    {
        CSoundIn engine;
        app.Trace("engine");
        CUiEngineNotifications notifications;
        engine.SetNotifications(&notifications);
        code = app.Run(argc, argv, engine);
        engine.StopInput();
        engine.SetNotifications(nullptr);
    }
    // The expert-mode switch starts the program again only now, when everything is written.
    app.StartRestartedInstance();
    return code;
}
