// The audio recorder of the measurement window: the active channels of the input to WAVE files,
// the recorder window with the recorded time, and the conversion of finished recordings to MP3.
#include "common/TextFormatting.h"
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "texts/TextTable.h"
#include "view/SndView.h"

#include <array>
#include <cmath>
#include <cstdio>

namespace
{
constexpr int kTextAudioRecorder = 1000448;
constexpr int kWavesFolder = 1008;

std::string RecorderTime(double seconds)
{
    const long total = static_cast<long>(std::floor(std::max(seconds, 0.0)));
    char text[32];
    std::snprintf(text, sizeof text, "%02ld:%02ld", total / 60, total % 60);
    return text;
}
}  // namespace

int CSndView::StartRecorder(const std::string& path)
{
    const CViewSettings* settings = CurrentSettings();
    if (!settings)
        return -1;
    std::array<int, CInputChannelMatrix::kChannelCount> active{};
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        active[static_cast<std::size_t>(c)] = settings->m_Channels.GetChannel(c).m_bActive != 0 ? 1 : 0;
    const int started = m_engine.StartRecording(path, active);
    if (started == CSoundIn::kRecorderNoChannel)
    {
        if (Frame())
            Frame()->ShowMessage("No channel is active.");
        return -1;
    }
    if (started != CSoundIn::kRecorderStarted)
    {
        if (Frame())
            Frame()->ShowMessage("The recording cannot be written to this file:\n" + path);
        return -1;
    }
    m_bRecorderOwner = true;
    if (m_pWindow)
        m_pWindow->ShowRecorder(true, GetText(kTextAudioRecorder), "00:00");
    return 0;
}

int CSndView::StopRecorder()
{
    if (m_engine.IsRecording())
        m_engine.StopRecording(m_engine.m_bCalibration ? m_engine.m_dCalibrationGain : 1.0);
    m_bRecorderOwner = false;
    if (m_pWindow)
        m_pWindow->ShowRecorder(false, GetText(kTextAudioRecorder), {});
    return 0;
}

void CSndView::OnAudioRecorder()
{
    if (m_engine.IsRecording())
    {
        StopRecorder();
        return;
    }
    if (!m_pWindow)
        return;
    std::string path;
    const std::string folder = Frame() ? Frame()->GetDataFolder(kWavesFolder) : std::string();
    if (!m_pWindow->AskRecorderFile(folder, path) || path.empty())
        return;
    StartRecorder(path);
}

void CSndView::WatchRecorder()
{
    if (!m_bRecorderOwner)
        return;
    if (!m_engine.IsRecording())
    {
        // Ended elsewhere (another window's command, a script): the window goes too.
        StopRecorder();
        return;
    }
    const int failure = m_engine.m_recorder.GetFailure();
    if (failure != CWaveRecorder::kFailNone)
    {
        const std::vector<std::string> files = m_engine.m_recorder.GetFinishedFiles();
        StopRecorder();
        if (Frame())
            Frame()->ShowMessage(failure == CWaveRecorder::kFailContinuation
                                     ? "The recording stopped: its next file could not be created. What was "
                                       "recorded is kept in " +
                                           (files.empty() ? m_engine.m_strRecorderFile : files.back())
                                     : "The recording stopped: the disk takes no more data (full or gone). "
                                       "What was recorded is kept in " +
                                           m_engine.m_strRecorderFile);
        return;
    }
    if (m_pWindow)
        m_pWindow->ShowRecorder(true, GetText(kTextAudioRecorder), RecorderTime(m_engine.RecordedSeconds()));
}

void CSndView::ConvertRecordings()
{
    const std::string message =
        m_mp3.Tick(m_engine.m_bRecorderMp3 != 0, m_engine.m_recorder.GetFinishedFiles(),
                   m_engine.m_nRecordingNumber.load());
    if (!message.empty() && Frame())
        Frame()->ShowMessage(message);
}
