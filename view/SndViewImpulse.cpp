// The measurement window's own impulse response: taken from the measurement, read from and written
// to WAVE, MP3 and text files, and the eight plot toggles that show what is derived from it.
#include "view/SndView.h"

#include "display/settings/ViewSettings.h"
#include "dsp/ArrayStatistics.h"
#include "engine/AudioFileReader.h"
#include "engine/SoundIn.h"
#include "engine/WaveRecorder.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"
#include "view/ViewFrame.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <new>

namespace
{

constexpr int kTextNoImpulse = 16;
constexpr int kTextCannotRead = 17;
constexpr int kTextCannotWrite = 18;
constexpr int kTextSamples = 1000117;
constexpr int kTextLoaded = 1000118;

// The plot commands in the order of their view modes 256..263.
constexpr std::array<int, CSndView::kImpulsePlotFlags> kPlotCommands = {
    view_command::kPlotImpulse,           view_command::kPlotFreqResponse, view_command::kPlotPhaseResponse,
    view_command::kPlotEnergyTime,        view_command::kPlotEnergyDecay,  view_command::kPlotStepResponse,
    view_command::kPlotReverbVsFrequency, view_command::kPlotGroupDelay};

std::string LowerExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    if (!extension.empty() && extension[0] == '.')
        extension.erase(0, 1);
    for (char& c : extension)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return extension;
}

}  // namespace

int view_command::ImpulsePlotCode(int id)
{
    for (std::size_t i = 0; i < kPlotCommands.size(); ++i)
        if (kPlotCommands[i] == id)
            return 256 + static_cast<int>(i);
    return 0;
}

void CSndView::HandImpulseToEngine()
{
    if (m_impulse.IsHeld() && m_impulse.m_nFrames > 0)
        m_engine.SetHeldImpulse(m_impulse.Channel(0), m_impulse.m_nFrames,
                                static_cast<int>(std::lround(m_impulse.m_dSampleRate)));
}

void CSndView::ReleaseImpulseFromEngine()
{
    if (m_engine.m_pHeldImpulse != nullptr && !m_impulse.m_samples.empty() &&
        m_engine.m_pHeldImpulse >= m_impulse.m_samples.data() &&
        m_engine.m_pHeldImpulse < m_impulse.m_samples.data() + m_impulse.m_samples.size())
        m_engine.SetHeldImpulse(nullptr, 0, 0);
}

void CSndView::ShowNoImpulseMessage()
{
    if (CViewFrame* frame = Frame())
        frame->ShowMessage(GetText(kTextNoImpulse));
}

void CSndView::ResetImpulseCache()
{
    m_nImpulsePlottedPoints = -1;
    m_abImpulseScaled.fill(0);
}

void CSndView::TakeImpulseFromMeasurement(int signalType)
{
    // The analyser's own mode: an impulse plot shown in the window does not hide it.
    const int mode = m_engine.GetAnalyzerMode();
    if (mode != 4 && mode != 1)
    {
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(kTakeImpulseMessage);
        return;
    }
    const int length = m_engine.m_nFftSize;
    if (length <= 0)
        return;
    ResetImpulseCache();
    ReleaseImpulseFromEngine();
    if (!m_impulse.Prepare(1, length, length))
        return;
    {
        std::lock_guard lock(m_engine.m_displayLock);
        const std::size_t available = std::min<std::size_t>(m_engine.m_timeDisplay.size(), length);
        std::copy_n(m_engine.m_timeDisplay.begin(), available, m_impulse.Channel(0));
    }
    m_impulse.m_dSampleRate = m_engine.m_nSampleRate;
    m_impulse.NewId();
    m_impulse.m_nSignalType = signalType;
    m_dImpulseSti = -10.0;
    HandImpulseToEngine();
}

int CSndView::LoadImpulseFromAudioFile(const std::string& path, bool quiet)
{
    const auto fail = [&]
    {
        if (!quiet)
            if (CViewFrame* frame = Frame())
                frame->ShowMessage(GetText(kTextCannotRead));
        return -1;
    };
    CAudioFileReader reader;
    reader.Open(path);
    if (!reader.IsOpen() || reader.m_nChannels <= 0 || reader.m_nSampleRate <= 0)
        return fail();
    const int count = reader.m_nChannels;
    constexpr int kMaxFrames = CImpulseResponse::kMaxFrames;
    // A WAVE file loops when read past its end: its own length bounds the read. An MP3 stream ends
    // by itself; its length is only an estimate, so it is read up to the limit.
    const double known = reader.m_bMp3 ? static_cast<double>(kMaxFrames) : std::floor(reader.m_dLength);
    const int wanted = static_cast<int>(std::clamp(known, 0.0, static_cast<double>(kMaxFrames)));
    if (wanted <= 0)
        return fail();
    std::vector<float> planes;
    std::vector<float> chunk;
    int got = 0;
    try
    {
        planes.assign(static_cast<std::size_t>(wanted) * static_cast<std::size_t>(count), 0.0f);
        constexpr int kChunkFrames = 65536;
        chunk.resize(static_cast<std::size_t>(kChunkFrames) * static_cast<std::size_t>(count));
        while (got < wanted)
        {
            const int n = reader.Read(chunk.data(), std::min(kChunkFrames, wanted - got), 0);
            if (n <= 0)
                break;
            for (int i = 0; i < n; ++i)
                for (int c = 0; c < count; ++c)
                    planes[static_cast<std::size_t>(c) * static_cast<std::size_t>(wanted) +
                           static_cast<std::size_t>(got + i)] =
                        chunk[static_cast<std::size_t>(i) * static_cast<std::size_t>(count) +
                              static_cast<std::size_t>(c)];
            got += n;
        }
    }
    catch (const std::bad_alloc&)
    {
        return fail();
    }
    reader.Close();
    if (got <= 0)
        return fail();
    // The engine lets go of the old samples before they are replaced.
    ReleaseImpulseFromEngine();
    ResetImpulseCache();
    if (!m_impulse.Prepare(count, got))
        return fail();
    for (int c = 0; c < count; ++c)
        std::copy_n(planes.begin() + static_cast<std::ptrdiff_t>(c) * wanted, got, m_impulse.Channel(c));
    m_dImpulseSti = -10.0;
    m_impulse.m_dSampleRate = reader.m_nSampleRate;
    m_impulse.NewId();
    if (m_engine.m_bCalibration)
    {
        const float gain = static_cast<float>(std::pow(10.0, m_engine.m_fCalibrationOffset / 20.0));
        for (int c = 0; c < count; ++c)
        {
            float* row = m_impulse.Channel(c);
            for (int i = 0; i < got; ++i)
                row[i] *= gain;
        }
    }
    HandImpulseToEngine();
    return got;
}

int CSndView::LoadImpulseFromText(const std::string& path)
{
    std::vector<float> values;
    std::FILE* file = std::fopen(path.c_str(), "r");
    const int count = ReadImpulseText(file, values, CImpulseResponse::kMaxTextValues);
    if (file)
        std::fclose(file);
    if (count <= 0)
        return count;
    ReleaseImpulseFromEngine();
    ResetImpulseCache();
    if (!m_impulse.Prepare(1, count))
        return -1;
    std::copy(values.begin(), values.end(), m_impulse.Channel(0));
    m_dImpulseSti = -10.0;
    m_impulse.m_dSampleRate = m_engine.m_nSampleRate;
    m_impulse.NewId();
    HandImpulseToEngine();
    return count;
}

bool CSndView::LoadImpulseFile(const std::string& path)
{
    const std::string extension = LowerExtension(path);
    int loaded = 0;
    if (extension == "wav" || extension == "mp3")
        loaded = LoadImpulseFromAudioFile(path, false);
    else if (extension == "txt")
        loaded = LoadImpulseFromText(path);
    if (loaded <= 0 || !m_impulse.IsHeld())
        return false;
    if (CViewFrame* frame = Frame())
        frame->ShowInformation(platform::FormatC("%i %s %s. Fs=%.0fHz %i ch", m_impulse.m_nAnalysisLength,
                                                 GetText(kTextSamples).c_str(), GetText(kTextLoaded).c_str(),
                                                 m_impulse.m_dSampleRate, m_impulse.m_nChannels));
    if (CViewSettings* settings = CurrentSettings())
    {
        CInputChannelMatrix& channels = settings->m_Channels;
        for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
            channels.GetChannel(c).m_bActive = c < m_impulse.m_nChannels ? 1 : 0;
    }
    ClearImpulsePlotFlags();
    OnImpulsePlot(256);
    return true;
}

int CSndView::SaveImpulseAsWave(const std::string& path)
{
    const auto fail = [&]
    {
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(GetText(kTextCannotWrite));
        return -1;
    };
    std::FILE* test = std::fopen(path.c_str(), "wb");
    if (!test)
        return fail();
    std::fclose(test);
    if (!m_impulse.IsHeld() || m_impulse.m_nFrames <= 0)
        return fail();
    // A scaled copy: the held impulse keeps its values (a silent one stays silent).
    std::vector<float> samples(m_impulse.Channel(0), m_impulse.Channel(0) + m_impulse.m_nFrames);
    NormalizeArray(samples.data(), static_cast<int>(samples.size()));
    CWaveRecorder recorder;
    recorder.m_nFileChannels = 1;
    recorder.m_nSourceChannels = 1;
    recorder.m_bChannelEnabled[0] = 1;
    recorder.m_nBits = m_engine.m_recordBits;
    recorder.m_nSampleRate = static_cast<int>(std::lround(m_impulse.m_dSampleRate));
    if (recorder.Open(path) < 1)
        return fail();
    const int written = recorder.WriteFloatBlock(samples.data(), static_cast<int>(samples.size()), 0);
    recorder.Close();
    if (written != 0 || recorder.GetFailure() != CWaveRecorder::kFailNone)
        return fail();
    return 0;
}

int CSndView::SaveImpulseAsText(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "w");
    if (!file)
    {
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(GetText(kTextCannotWrite));
        return -1;
    }
    const int length = m_impulse.IsHeld() ? m_impulse.m_nAnalysisLength : 0;
    const int written = length > 0 ? WriteImpulseText(file, m_impulse.Channel(0), length) : 0;
    const bool closed = std::fclose(file) == 0;
    if (written < length || !closed)
    {
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(kWriteErrorMessage);
        return -1;
    }
    return 0;
}

void CSndView::CopyImpulseFrom(const CImpulseResponse& other)
{
    if (&other == &m_impulse)
        return;
    ResetImpulseCache();
    ReleaseImpulseFromEngine();
    m_impulse.CopyFrom(other);
    HandImpulseToEngine();
}

void CSndView::OnUseCurrentMeasurement()
{
    TakeImpulseFromMeasurement(0);
}

void CSndView::OnLoadImpulseFile()
{
    // The analysis pauses while the dialog is open and the file is read.
    m_engine.m_bProcessingEnabled.store(0);
    std::string path;
    const bool chosen = m_pWindow && m_pWindow->AskImpulseFile(CViewWindow::kImpulseOpen, path);
    if (!chosen)
    {
        ResumeProcessing();
        return;
    }
    ResumeProcessing();
    LoadImpulseFile(path);
}

void CSndView::OnSaveImpulseText()
{
    if (!m_impulse.IsHeld())
    {
        ShowNoImpulseMessage();
        return;
    }
    std::string path;
    if (m_pWindow && m_pWindow->AskImpulseFile(CViewWindow::kImpulseSaveText, path))
        SaveImpulseAsText(path);
}

void CSndView::OnSaveImpulseWav()
{
    if (!m_impulse.IsHeld())
    {
        ShowNoImpulseMessage();
        return;
    }
    std::string path;
    if (m_pWindow && m_pWindow->AskImpulseFile(CViewWindow::kImpulseSaveWave, path))
        SaveImpulseAsWave(path);
}

void CSndView::OnAutoUpdate()
{
    if (CViewSettings* settings = CurrentSettings())
        settings->m_bImpulseAutoUpdate = settings->m_bImpulseAutoUpdate ? 0 : 1;
}

void CSndView::OnUnloadImpulse()
{
    PauseProcessing();
    ReleaseImpulseFromEngine();
    m_impulse.m_nAnalysisLength = 0;
    ResumeProcessing();
}

void CSndView::OnImpulsePlot(int code)
{
    if (code < 256 || code > 263)
        return;
    const std::size_t index = static_cast<std::size_t>(code - 256);
    if (!IsImpulsePlotMode() && code != 263)
    {
        ++m_impulse.m_nId;
        ResetImpulseCache();
    }
    const int was = m_abImpulsePlot[index];
    int now = was ? 0 : 1;
    if (!m_impulse.IsHeld())
    {
        if (!was)
            ShowNoImpulseMessage();
        now = 0;
    }
    m_abImpulsePlot[index] = now;
    if (now)
    {
        ClearImpulsePlotFlags();
        m_abImpulsePlot[index] = 1;
        m_nImpulseFftLength = m_impulse.m_nAnalysisLength;
        m_nImpulseWindowType = m_engine.m_nWindowType;
    }
    RestartDisplay();
    // The impulse, frequency response and step response are scaled in y once they were first
    // drawn after a new impulse.
    const int scaled = code == 256 ? 0 : code == 257 ? 1 : code == 261 ? 2 : -1;
    if (now && m_pWindow && scaled >= 0 && !m_abImpulseScaled[static_cast<std::size_t>(scaled)])
    {
        m_abImpulseScaled[static_cast<std::size_t>(scaled)] = 1;
        StartAutoScaleJob();
    }
}
