// The program's sound level loggers: one per analysis channel of the engine, keeping auto-save files
// and run journals in the data folder "SPL_longterm" and DIN 15905 runs below "DIN15905_autolog".
// The application object owns them; they are attached to the engine before it opens and outlive it.
// A logger's messages (failed writes, refused runs) reach the user in a message box; a run that
// stops by itself at its planned length runs the logger "Stop" command on the user-interface thread.
//
// Threads: built, attached and destroyed on the user-interface thread; the hooks may be called from
// the analysis thread and the loggers' writer threads.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

class CLevelLogger;
class CSoundIn;

class CLevelLoggers
{
public:
    static constexpr int kChannels = 64;
    // The logger "Stop" command.
    static constexpr int kStopCommand = 33076;

    CLevelLoggers(const std::string& longtermFolder, const std::string& dinFolder);
    ~CLevelLoggers();
    CLevelLoggers(const CLevelLoggers&) = delete;
    CLevelLoggers& operator=(const CLevelLoggers&) = delete;

    // Gives each channel of the engine its logger.
    void Attach(CSoundIn* engine);
    CLevelLogger* Get(int channel) const;
    // Turns the journals of runs that did not end (the program was killed, or the power failed)
    // into ordinary data sets; returns their file names.
    std::vector<std::string> RecoverJournals() const;
    // Ends every logging run of the engine's band analysers (the "Stop" command); the number ended.
    static int StopRuns(CSoundIn& engine);

private:
    std::string m_longtermFolder;
    std::array<std::unique_ptr<CLevelLogger>, kChannels> m_loggers;
};
