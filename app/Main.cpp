// Tessarin: the order in which the program's long-lived objects come and go is fixed here. The
// octave-fraction texts are constants; the application object (data folders, "default.cal", mixer
// values) comes before the engine, the engine before the window toolkit; they go in reverse.
#include "app/AnalyzerApp.h"
#include "app/UiEngineNotifications.h"
#include "engine/AudioInDx.h"
#include "engine/AudioInSim.h"
#include "engine/AudioInWave.h"
#include "engine/FileInputSource.h"
#include "engine/PluginInput.h"
#include "engine/SoundIn.h"

#include <memory>

int main(int argc, char** argv)
{
    CAnalyzerApp app;
    int code = 0;
    {
        CSoundIn engine;
        engine.SetInputDevice(CSoundIn::kInputWave, std::make_unique<CAudioIn_Wave>());
        engine.SetInputDevice(CSoundIn::kInputDirectSound, std::make_unique<CAudioIn_DX>());
        engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
        engine.SetInputDevice(CSoundIn::kInputLibrary, std::make_unique<CLibraryInput>(engine));
        engine.SetInputDevice(CSoundIn::kInputAsio, std::make_unique<CAsioPluginInput>(engine));
        engine.SetInputDevice(CSoundIn::kInputFile, std::make_unique<CFileInputSource>());
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
