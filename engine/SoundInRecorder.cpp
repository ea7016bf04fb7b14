// The engine's audio recorder: the analysis channels flagged for recording go to WAVE files as the
// intake takes them in.
#include "engine/SoundIn.h"

#include <algorithm>

namespace
{
// Frames interleaved per write: the buffer stays small whatever the channel count.
constexpr int kRecordPiece = 4096;
}  // namespace

int CSoundIn::StartRecording(const std::string& path, std::span<const int> channelActive)
{
    if (m_bRecordingInput.load() != 0 || m_recorder.IsRecording())
        return kRecorderBusy;
    const int channels = std::clamp(m_nAnalysisChannels, 1, kMaxChannels);
    int active = 0;
    for (int c = 0; c < channels; ++c)
    {
        const bool on = static_cast<std::size_t>(c) < channelActive.size() &&
                        channelActive[static_cast<std::size_t>(c)] != 0;
        m_recorder.m_bChannelEnabled[static_cast<std::size_t>(c)] = on ? 1 : 0;
        active += on ? 1 : 0;
    }
    if (active == 0)
        return kRecorderNoChannel;
    const int bits = m_stored.waveResolution;
    m_recorder.m_nBits = bits == 8 || bits == 24 ? bits : 16;
    m_recorder.m_bFloat = 0;
    m_recorder.m_nFileChannels = active;
    m_recorder.m_nSourceChannels = channels;
    m_recorder.m_nSampleRate = m_nSampleRate;
    m_recorder.m_dMaxFileSeconds = m_dRecorderInterval > 0.0 ? m_dRecorderInterval : 1800.0;
    m_recorder.m_dOverallFactor = 1.0;
    m_recorder.m_bConvertToMp3 = m_bRecorderMp3;
    m_recordFrames.assign(static_cast<std::size_t>(channels) * kRecordPiece, 0.0f);
    m_strRecorderFile = path;
    if (m_recorder.Open(path) != 1)
        return kRecorderNoFile;
    m_nRecordedFrames.store(0);
    m_nRecordingNumber.fetch_add(1);
    m_bRecordingInput.store(1);
    return kRecorderStarted;
}

void CSoundIn::StopRecording(double scale)
{
    if (!m_recorder.IsRecording())
        return;
    m_bRecordingInput.store(0);
    // The intake reads the flag after it has claimed the staging rows: once this claim has been
    // granted, no block writes to the recorder any more.
    ClaimIntake(false);
    ReleaseIntake();
    m_recorder.m_dOverallFactor = scale;
    m_recorder.Close();
}

double CSoundIn::RecordedSeconds() const
{
    const double rate = m_nSampleRate > 0 ? m_nSampleRate : 1.0;
    return static_cast<double>(m_nRecordedFrames.load()) / rate;
}

void CSoundIn::RecordStaged(const float* rows, int frames)
{
    const int channels = std::clamp(m_recorder.m_nSourceChannels, 1, kMaxChannels);
    if (m_recordFrames.size() < static_cast<std::size_t>(channels) * kRecordPiece)
        return;
    for (int offset = 0; offset < frames; offset += kRecordPiece)
    {
        const int piece = std::min(frames - offset, kRecordPiece);
        float* out = m_recordFrames.data();
        for (int i = 0; i < piece; ++i)
            for (int c = 0; c < channels; ++c)
                *out++ =
                    rows[static_cast<std::size_t>(c) * kStagingFrames + static_cast<std::size_t>(offset + i)];
        m_recorder.WriteFloatBlock(m_recordFrames.data(), piece, 0);
        m_nRecordedFrames.fetch_add(piece);
    }
}
