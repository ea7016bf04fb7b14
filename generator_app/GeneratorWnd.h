// The generator program's working core: one generator, its output engine and the wave format, the
// program's start, stop and default commands, the ".sgs" files (among them "saved.sgs", which
// carries the settings from one run to the next) and the settings records that Tessarin sends.
// The window that shows it (generator_app/ui) calls in here; this part knows no windows and tells
// the user through CEngineNotifications.
//
// Threads: user-interface thread only. The output engine's refill thread calls the generator's
// rendering through FillFromGenerator.
#pragma once

#include "common/settings/WindowSettings.h"
#include "engine/EngineNotifications.h"
#include "engine/Generator.h"
#include "generator_app/SoundOut.h"
#include "generator_app/WaveFormat.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>
#include <string>
#include <vector>

class CGeneratorWnd
{
public:
    static constexpr const char* kSavedSettingsFile = "saved.sgs";
    static constexpr const char* kWindowText = "SGWINDATA";
    static constexpr const char* kOpenFailedMessage = "Can  not open sound device\n";

    CGeneratorWnd();
    ~CGeneratorWnd();
    CGeneratorWnd(const CGeneratorWnd&) = delete;
    CGeneratorWnd& operator=(const CGeneratorWnd&) = delete;

    // The generator with its defaults, the wave format from its record, always on the ALSA stream.
    void Create();
    // The first paint: loads "saved.sgs" when it exists. True once done (it runs only once).
    bool OnFirstPaint();
    bool HasPainted() const { return m_bPainted; }

    // A message from the link: 1 when the record was taken, 0 when it was refused (wrong length or
    // version). The record's sample rate is replaced by the program's own; the answer comes after
    // the command has been carried out.
    std::int32_t OnCopyData(std::span<const std::byte> bytes);
    // Starts the output (nothing while it runs). A device that will not open is told once (until an
    // open succeeds again); the program goes on with the output stopped.
    void OnStart();
    void OnStop();
    // Saves "saved.sgs" and stops the output. False (after a message) when the file could not be
    // written.
    bool OnClose();
    void OnDefaultSettings();
    // Saves the generator's settings; false (after a message) when the file cannot be written.
    bool SaveSettingsFile(const std::filesystem::path& path);
    // Loads and applies a ".sgs"; a missing file does nothing and gives false, a damaged or foreign
    // one is told and changes nothing.
    bool LoadSettingsFile(const std::filesystem::path& path);
    void ApplyOutputSettings(const CSigGen_settings& record);
    // The wave format from the generator's record (channel count, rate, 16-bit PCM, block align 4).
    void ResetWaveFormat();

    // The INI configuration (GeneratorWndConfig.cpp). The base section and the frame's placement;
    // the panel's sections come with the panel. A path of 1024 characters or more is refused with a
    // message. Loading applies what the file holds (missing keys keep their values), takes the wave
    // format from it and restarts a running output, and puts the frame back where it was.
    static constexpr const char* kConfigSection = "Generator";
    static constexpr const char* kMainframeSection = "Generator.Mainframe";
    bool SaveConfig(const std::filesystem::path& path, CWindow_settings& mainframe);
    bool LoadConfig(const std::filesystem::path& path, CWindow_settings& mainframe);

    // Write Wave file: stereo, whole blocks of kWaveBlockFrames frames covering the length (whole
    // seconds) at the generator's rate; 16-bit, or with the 32-bit flag the generator's bits. The
    // output is stopped and stays stopped. False (after a message) when the file cannot be created
    // or written.
    static constexpr int kWaveBlockFrames = 2048;
    bool WriteWaveFile(const std::filesystem::path& path, double seconds);
    // The header the file gets: the wave format's plain part, stereo, and with the 32-bit flag the
    // generator's bits rounded up to whole bytes.
    WaveFormatExtensible WaveFileFormat() const;

    // Select Speaker: the five switches in the order centre, left, surround left, right, surround
    // right, and whether the stream carries five channels. A changed layout stops the output.
    static constexpr int kSpeakers = 5;
    enum Speaker
    {
        kCentre = 0,
        kLeft,
        kSurroundLeft,
        kRight,
        kSurroundRight
    };
    void ApplySpeakerChoice(const std::array<bool, kSpeakers>& switches, bool multichannel);
    bool IsMultichannel() const { return m_waveFormat.channels > 2; }
    std::array<bool, kSpeakers> m_speakers{true, true, true, true, true};
    // The fill function of a five-channel stream (context: this window): front left, front right,
    // centre, rear left, rear right from the generator's stereo render; switched-off speakers are
    // silent.
    static int FillFiveChannels(void* buffer, int bytes, void* context);

    // The SoundCard settings' result: bits, high resolution and rate into the record, the
    // generator and the wave format (the output is the caller's business).
    void ApplySoundCardChoice(int rate, int bits, bool highResolution);

    bool IsRunning() const { return m_soundOut.IsRunning(); }
    void SetNotifications(CEngineNotifications* notifications);
    std::filesystem::path SavedSettingsPath() const;
    // Called after the panel's controls would be refreshed (bit 0x400, loads, defaults).
    std::function<void()> m_onSettingsChanged;

    // The fill function of the output engine: renders exactly `bytes` bytes from the generator.
    static int FillFromGenerator(void* buffer, int bytes, void* context);

    WaveFormatExtensible m_waveFormat;
    CSoundOut m_soundOut;
    CGenerator m_generator;
    int m_nDxDevice = 0;
    int m_nAsioDevice = 0;
    double m_dCreationScale = 96.0;

private:
    void Tell(const std::string& text);
    // Applies a record read from a file: the generator, the panel, the wave format, and a running
    // output restarted when the format changed.
    void ApplyLoadedRecord(const CSigGen_settings& record);
    // The generator's settings as they stand now.
    CSigGen_settings CurrentRecord() const;
    void RefreshControls();

    CEngineNotifications m_silent;
    CEngineNotifications* m_pNotifications = &m_silent;
    bool m_bPainted = false;
    // The stereo render behind a five-channel stream, sized for the largest request.
    std::vector<std::uint8_t> m_stereoScratch;
    // A failed open has been told; cleared by the next open that succeeds.
    bool m_bOpenFailureTold = false;
    // The ASIO outputs of an unsupported type last told (told again only when they change).
    std::string m_strUnsupportedTold;
};
