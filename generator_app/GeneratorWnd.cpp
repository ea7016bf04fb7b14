#include "generator_app/GeneratorWnd.h"

#include "engine/GeneratorLink.h"
#include "platform/Archive.h"
#include "platform/FileReplace.h"
#include "platform/Places.h"

#include <algorithm>
#include <cstring>
#include <system_error>

CGeneratorWnd::CGeneratorWnd() = default;

CGeneratorWnd::~CGeneratorWnd()
{
    m_soundOut.Stop();
    m_soundOut.Close();
}

void CGeneratorWnd::SetNotifications(CEngineNotifications* notifications)
{
    m_pNotifications = notifications != nullptr ? notifications : &m_silent;
    m_generator.SetNotifications(notifications);
}

void CGeneratorWnd::Tell(const std::string& text)
{
    m_pNotifications->ShowMessage(text);
}

void CGeneratorWnd::RefreshControls()
{
    if (m_onSettingsChanged)
        m_onSettingsChanged();
}

std::filesystem::path CGeneratorWnd::SavedSettingsPath() const
{
    return platform::ConfigFolder() / kSavedSettingsFile;
}

void CGeneratorWnd::ResetWaveFormat()
{
    CSigGen_settings& s = m_generator.m_settings;
    m_waveFormat = WaveFormatExtensible{};
    m_waveFormat.formatTag = kWaveFormatPcm;
    m_waveFormat.channels = static_cast<std::uint16_t>(std::clamp(m_generator.m_channels, 1, 2));
    m_waveFormat.samplesPerSec = static_cast<std::uint32_t>(s.m_sample_rate);
    m_waveFormat.blockAlign = 4;
    m_waveFormat.avgBytesPerSec = m_waveFormat.samplesPerSec * 4;
    m_waveFormat.bitsPerSample = 16;
    m_waveFormat.extraSize = 0;
}

void CGeneratorWnd::Create()
{
    m_generator.Init();
    // The program always starts on the ALSA stream, whatever mode was saved.
    m_generator.m_settings.OutputDeviceMode() = CSoundOut::kModeDirectSound;
    m_generator.m_settings.OutputChannels() = m_generator.m_channels;
    ApplyOutputSettings(m_generator.m_settings);
    m_generator.ApplySettings();
    m_nDxDevice = std::max(0, m_generator.m_settings.OutputDevice());
    m_soundOut.m_nMode = CSoundOut::kModeDirectSound;
    ResetWaveFormat();
}

bool CGeneratorWnd::OnFirstPaint()
{
    if (m_bPainted)
        return false;
    m_bPainted = true;
    LoadSettingsFile(SavedSettingsPath());
    return true;
}

void CGeneratorWnd::ApplyOutputSettings(const CSigGen_settings& record)
{
    m_generator.SetSettings(record);
    m_generator.m_significantBits = record.m_bits;
    m_generator.m_32bitOutput = record.m_32bit;
    m_nAsioDevice = record.OutputAsioDevice();
}

int CGeneratorWnd::FillFromGenerator(void* buffer, int bytes, void* context)
{
    auto* generator = static_cast<CGenerator*>(context);
    const int frameBytes = std::clamp(generator->m_channels, 1, 2) * (generator->m_32bitOutput != 0 ? 4 : 2);
    const int chunk = CGenerator::kWorkBufferWords * frameBytes;
    auto* out = static_cast<std::uint8_t*>(buffer);
    int done = 0;
    while (done < bytes)
    {
        const int part = std::min(chunk, bytes - done);
        const int rendered = generator->Render(out + done, part);
        if (rendered <= 0)
            break;
        done += rendered;
    }
    return done;
}

int CGeneratorWnd::FillFiveChannels(void* buffer, int bytes, void* context)
{
    auto* self = static_cast<CGeneratorWnd*>(context);
    const int sampleBytes = self->m_generator.m_32bitOutput != 0 ? 4 : 2;
    const int stereoFrameBytes = 2 * sampleBytes;
    const int maxFrames = static_cast<int>(self->m_stereoScratch.size()) / stereoFrameBytes;
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::array<bool, kSpeakers>& on = self->m_speakers;
    // Stream order: front left, front right, centre, rear left, rear right.
    const bool enabled[5] = {on[kLeft], on[kRight], on[kCentre], on[kSurroundLeft], on[kSurroundRight]};
    int frames = bytes / (5 * sampleBytes);
    int done = 0;
    while (frames > 0 && maxFrames > 0)
    {
        const int part = std::min(frames, maxFrames);
        std::uint8_t* stereo = self->m_stereoScratch.data();
        if (FillFromGenerator(stereo, part * stereoFrameBytes, &self->m_generator) != part * stereoFrameBytes)
            break;
        for (int i = 0; i < part; ++i, out += 5 * sampleBytes)
        {
            std::int64_t left = 0;
            std::int64_t right = 0;
            if (sampleBytes == 4)
            {
                std::int32_t pair[2];
                std::memcpy(pair, stereo + 8 * i, 8);
                left = pair[0];
                right = pair[1];
            }
            else
            {
                std::int16_t pair[2];
                std::memcpy(pair, stereo + 4 * i, 4);
                left = pair[0];
                right = pair[1];
            }
            const std::int64_t values[5] = {left, right, (left + right) / 2, left, right};
            for (int c = 0; c < 5; ++c)
            {
                const std::int64_t v = enabled[c] ? values[c] : 0;
                if (sampleBytes == 4)
                {
                    const auto sample = static_cast<std::int32_t>(v);
                    std::memcpy(out + 4 * c, &sample, 4);
                }
                else
                {
                    const auto sample = static_cast<std::int16_t>(v);
                    std::memcpy(out + 2 * c, &sample, 2);
                }
            }
        }
        frames -= part;
        done += part * 5 * sampleBytes;
    }
    return done;
}

void CGeneratorWnd::ApplySpeakerChoice(const std::array<bool, kSpeakers>& switches, bool multichannel)
{
    if (multichannel != IsMultichannel())
        OnStop();
    m_speakers = switches;
    m_waveFormat.channels = multichannel ? 5 : 2;
}

void CGeneratorWnd::ApplySoundCardChoice(int rate, int bits, bool highResolution)
{
    CSigGen_settings& s = m_generator.m_settings;
    s.m_32bit = highResolution ? 1 : 0;
    s.m_bits = bits;
    m_generator.m_significantBits = bits;
    m_generator.m_32bitOutput = s.m_32bit;
    m_waveFormat.samplesPerSec = static_cast<std::uint32_t>(rate);
    s.m_sample_rate = rate;
    m_waveFormat.avgBytesPerSec = m_waveFormat.samplesPerSec * m_waveFormat.blockAlign;
    m_generator.ApplySettings();
}

void CGeneratorWnd::OnStart()
{
    if (m_soundOut.IsRunning())
        return;
    CSoundOut& out = m_soundOut;
    out.m_format = m_waveFormat;
    out.m_nDevice = m_nDxDevice;
    if (out.m_nMode == CSoundOut::kModeAsio)
    {
        out.m_nDevice = m_nAsioDevice;
        m_generator.m_32bitOutput = 1;
    }
    out.m_nSampleRate = m_generator.m_settings.m_sample_rate;
    out.m_nChannels = std::clamp(m_generator.m_channels, 1, 2);
    out.m_nSampleBits = m_generator.m_significantBits;
    out.m_nContainerBits = (m_generator.m_significantBits > 16 || m_generator.m_32bitOutput != 0) ? 32 : 16;
    if (m_generator.m_32bitOutput == 0)
    {
        out.m_nSampleBits = std::min(out.m_nSampleBits, 16);
        out.m_nContainerBits = 16;
    }
    // The stream plays exactly what the generator renders: its rate, channels and container.
    out.m_format.samplesPerSec = static_cast<std::uint32_t>(out.m_nSampleRate);
    out.m_format.channels = static_cast<std::uint16_t>(out.m_nChannels);
    out.m_format.bitsPerSample = static_cast<std::uint16_t>(out.m_nContainerBits);

    // Five speakers: the stereo render spread over the five-channel stream.
    CAudioOut_DXStream::FillFunction fill = &CGeneratorWnd::FillFromGenerator;
    void* context = &m_generator;
    if (IsMultichannel() && out.m_nMode == CSoundOut::kModeDirectSound)
    {
        out.m_nChannels = 5;
        out.m_format.channels = 5;
        // Room for one ring of 200 ms, and the rest in pieces.
        m_stereoScratch.assign(static_cast<std::size_t>(std::max(out.m_nSampleRate, 8000) / 5 + 64) * 8, 0);
        fill = &CGeneratorWnd::FillFiveChannels;
        context = this;
    }
    const bool opened = out.Open(fill, context) == 0;
    if (opened && out.m_nMode == CSoundOut::kModeAsio)
    {
        // The driver keeps its own rate: the generator renders at it from the first buffer on.
        const int driverRate = static_cast<int>(out.m_asio.GetDriverRate());
        if (driverRate > 0 && driverRate != m_generator.m_settings.m_sample_rate)
        {
            m_generator.m_settings.m_sample_rate = driverRate;
            m_generator.ApplySettings();
            RefreshControls();
        }
    }
    if (!opened || out.Start() != 0)
    {
        const std::string reason = out.GetLastError();
        out.Close();
        if (!m_bOpenFailureTold)
        {
            m_bOpenFailureTold = true;
            Tell(std::string(kOpenFailedMessage) + reason);
        }
        return;
    }
    m_bOpenFailureTold = false;
    if (out.m_nMode == CSoundOut::kModeAsio && !out.m_asio.GetUnsupportedOutputs().empty() &&
        out.m_asio.GetUnsupportedOutputs() != m_strUnsupportedTold)
    {
        m_strUnsupportedTold = out.m_asio.GetUnsupportedOutputs();
        Tell("These ASIO outputs stay silent, their sample type is not supported:\n" + m_strUnsupportedTold);
    }
}

void CGeneratorWnd::OnStop()
{
    m_soundOut.Stop();
}

bool CGeneratorWnd::OnClose()
{
    const bool saved = SaveSettingsFile(SavedSettingsPath());
    m_soundOut.Stop();
    m_soundOut.Close();
    return saved;
}

void CGeneratorWnd::OnDefaultSettings()
{
    const bool wasRunning = m_soundOut.IsRunning();
    OnStop();
    m_generator.m_settings.SetDefaults();
    ApplyOutputSettings(m_generator.m_settings);
    m_generator.ApplySettings();
    RefreshControls();
    ResetWaveFormat();
    if (wasRunning)
        OnStart();
}

bool CGeneratorWnd::SaveSettingsFile(const std::filesystem::path& path)
{
    if (path.empty())
        return false;
    CSigGen_settings record = CurrentRecord();
    CArchive ar;
    record.Serialize(ar);
    const std::vector<std::uint8_t>& bytes = ar.Buffer();
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    if (!platform::ReplaceFileAtomically(
            path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())))
    {
        Tell("The generator settings cannot be saved to \"" + path.string() + "\".");
        return false;
    }
    return true;
}

bool CGeneratorWnd::LoadSettingsFile(const std::filesystem::path& path)
{
    if (path.empty())
        return false;
    std::string bytes;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return false;
    if (!platform::ReadFileBytes(path, bytes))
    {
        Tell("The generator settings file \"" + path.string() + "\" cannot be read.");
        return false;
    }
    CSigGen_settings record = m_generator.m_settings;
    try
    {
        CArchive ar(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
        record.Serialize(ar, *m_pNotifications);
    }
    catch (const platform::ArchiveError&)
    {
        Tell("The generator settings file \"" + path.string() +
             "\" is damaged; the settings stay as they are.");
        return false;
    }
    if (record.m_version != kSigGenVersion)
    {
        // A foreign file: the version message has been shown when it carried our tag.
        if (record.m_version == 0)
            Tell("\"" + path.string() + "\" is not a generator settings file.");
        return false;
    }
    ApplyLoadedRecord(record);
    return true;
}

CSigGen_settings CGeneratorWnd::CurrentRecord() const
{
    CSigGen_settings record = m_generator.m_settings;
    m_generator.GetSettings(record);
    return record;
}

void CGeneratorWnd::ApplyLoadedRecord(const CSigGen_settings& record)
{
    const bool wasRunning = m_soundOut.IsRunning();
    ApplyOutputSettings(record);
    m_generator.ApplySettings();
    RefreshControls();
    // The stream takes its rate from the wave format: a changed format restarts a running output.
    const WaveFormatExtensible before = m_waveFormat;
    ResetWaveFormat();
    if (wasRunning && !(before == m_waveFormat))
    {
        OnStop();
        OnStart();
    }
}

std::int32_t CGeneratorWnd::OnCopyData(std::span<const std::byte> bytes)
{
    CSigGen_settings record = m_generator.m_settings;
    if (!DecodeSettingsMessage(bytes, record))
        return 0;
    // The program keeps its own rate.
    record.m_sample_rate = m_generator.m_settings.m_sample_rate;
    m_generator.ApplySettingsCommand(record);
    const std::int32_t command = record.m_flags & 0x3FF;
    if (command == kGenCommandSaveFile)
        SaveSettingsFile(record.GetSgsPath());
    else if (command == kGenCommandLoadFile)
    {
        std::error_code error;
        if (std::filesystem::is_regular_file(record.GetSgsPath(), error))
            LoadSettingsFile(record.GetSgsPath());
    }
    else if (command == kGenCommandStart)
        OnStart();
    if ((record.m_flags & kGenCommandRefresh) != 0)
        RefreshControls();
    return 1;
}
