// Converts the finished files of a recording to MP3 while the program runs: one file is handed to
// the encoder per tick, the next only after the last one has ended. The wave file is deleted only
// when the encoder ended with status 0 and left a non-empty MP3 file; otherwise it stays and the
// user is told.
//
// Threads: the user-interface thread (the first measurement window's timer).
#pragma once

#include "platform/ChildProcess.h"

#include <string>
#include <vector>

class CMp3Conversion
{
public:
    // One step: looks at a running encoder, or starts the next file. files: the recording's
    // finished files in order; recording: a number that changes with every new recording. Returns
    // a message for the user, or an empty text.
    std::string Tick(bool enabled, const std::vector<std::string>& files, long recording);
    bool IsConverting() const { return m_process.IsRunning(); }

    // The encoder: a name looked up in PATH, or a path.
    std::string m_strProgram = "lame";

private:
    std::string Finish(int status);

    platform::CChildProcess m_process;
    std::string m_strWave;
    std::string m_strMp3;
    long m_nRecording = -1;
    int m_nLastConverted = -1;
};
