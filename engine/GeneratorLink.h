// The link to the stand-alone generator program "Pulvera": finds its window by title (and starts
// the program from the program folder when asked), sends it whole generator settings records with
// the command word and applies the same record to the engine's own generators. The receiving side
// (DecodeSettingsMessage) is here too, so that both programs read the record the same way.
//
// Threads: everything runs on the user-interface thread; FindOrStartGeneratorProgram may wait up to
// m_startTimeout for a started program's window.
#pragma once

#include "common/WindowSearch.h"
#include "engine/SigGenSettings.h"

#include <sys/types.h>

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <span>

class CEngineNotifications;
class CGenerator;

// The generator program's window title and its file in the program folder.
inline constexpr const char* kGeneratorProgramTitle = "Pulvera";
inline constexpr const char* kGeneratorProgramFile = "Pulvera";

// Command words beyond the settings commands of CGenerator::ApplySettingsCommand.
inline constexpr std::int32_t kGenCommandLoadFile = 100;
inline constexpr std::int32_t kGenCommandSaveFile = 101;
inline constexpr std::int32_t kGenCommandStart = 102;
inline constexpr std::int32_t kGenCommandRefresh = 1024;

// Takes a received message: exactly one wire record (kSigGenWireBytes) of the known version. A
// malformed message is logged (platform::DebugOutput) and refused: false, `record` unchanged.
bool DecodeSettingsMessage(std::span<const std::byte> bytes, CSigGen_settings& record);

class CGeneratorLink
{
public:
    static constexpr int kInputModeAsioPlugin = 5;
    // The engine's generators 0..9, generator 10 ("Test signal") and its test-signal generator.
    static constexpr int kGeneratorSlots = 12;
    static constexpr int kPanelGenerators = 11;
    static constexpr std::chrono::milliseconds kPollInterval{100};
    static constexpr std::chrono::milliseconds kStartTimeout{10000};

    CGeneratorLink() = default;
    ~CGeneratorLink();
    CGeneratorLink(const CGeneratorLink&) = delete;
    CGeneratorLink& operator=(const CGeneratorLink&) = delete;

    // Looks the window up and stores it in m_window. In input mode 5 the engine's own generators
    // play, so nothing is started and the result is true whether or not the window was found.
    // Otherwise true when the window answers; with start, an absent program is started from the
    // program folder and its window awaited (polled every kPollInterval up to m_startTimeout; when
    // the wait ends or the start fails the user is told and the result is false).
    bool FindOrStartGeneratorProgram(bool start);
    // Sends the record to the program (when its window is known), applies it to the engine's
    // generators, and sends it again with the start command. The record keeps the start command.
    void SendGeneratorSettings(CSigGen_settings& record, std::uint64_t wParam);
    // Resets the generators of both programs to the defaults taken over by `engineRecord`.
    void ResetGenerators(const CSigGen_settings& engineRecord, int mlsLength, std::uint64_t mainWindow);

    // The engine's side of the link.
    WindowHandle m_window;
    double m_lastFrequency = 0.0;  // the frequency last sent
    std::filesystem::path m_programFolder;
    int m_inputMode = 0;
    int m_sampleRate = 48000;
    std::array<CGenerator*, kGeneratorSlots> m_generators{};
    // Refreshes the controls of generator panel i; set while panel i has a window.
    std::function<void(int)> m_refreshPanel;
    CEngineNotifications* m_notifications = nullptr;
    std::chrono::milliseconds m_startTimeout = kStartTimeout;
    // The program this link started last (0 when none); it is never ended by the link.
    pid_t m_startedPid = 0;

private:
    bool Send(const CSigGen_settings& record, std::uint64_t wParam);
    bool StartProgram();
    void Notify(const std::string& text);
    // Collects the started program's exit status once it has ended; true when it has.
    bool ReapStarted();
};
