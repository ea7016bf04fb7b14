#include "view/Mp3Conversion.h"

#include <cstring>
#include <filesystem>
#include <system_error>

std::string CMp3Conversion::Tick(bool enabled, const std::vector<std::string>& files, long recording)
{
    if (m_process.IsRunning())
    {
        const int status = m_process.Poll();
        if (status < 0)
            return {};
        return Finish(status);
    }
    if (recording != m_nRecording)
    {
        m_nRecording = recording;
        m_nLastConverted = -1;
    }
    if (!enabled || m_nLastConverted + 1 >= static_cast<int>(files.size()))
        return {};
    ++m_nLastConverted;
    std::error_code error;
    std::filesystem::path wave =
        std::filesystem::absolute(files[static_cast<std::size_t>(m_nLastConverted)], error);
    if (error)
        wave = files[static_cast<std::size_t>(m_nLastConverted)];
    m_strWave = wave.string();
    m_strMp3 = std::filesystem::path(wave).replace_extension(".mp3").string();
    // The names go to the encoder as they are, each one argument: no shell ever reads them.
    const int started = m_process.Start({m_strProgram, "--quiet", m_strWave, m_strMp3});
    if (started != 0)
        return "The MP3 encoder \"" + m_strProgram + "\" could not be started (" + std::strerror(started) +
               "). The recording stays as a wave file:\n" + m_strWave;
    return {};
}

std::string CMp3Conversion::Finish(int status)
{
    std::error_code error;
    const auto size = std::filesystem::file_size(m_strMp3, error);
    if (status == 0 && !error && size > 0)
    {
        std::filesystem::remove(m_strWave, error);
        return {};
    }
    // A failed start of the program inside the child (not found) ends with status 127.
    if (status == 127)
        return "The MP3 encoder \"" + m_strProgram +
               "\" could not be started. The recording stays as a wave file:\n" + m_strWave;
    return "The MP3 conversion of this file failed (status " + std::to_string(status) +
           "); the wave file stays:\n" + m_strWave;
}
