#include "engine/GeneratorLink.h"

#include "engine/EngineNotifications.h"
#include "engine/Generator.h"
#include "platform/Debug.h"
#include "platform/Ipc.h"
#include "platform/NumberFormat.h"
#include "platform/Spawn.h"

#include <sys/wait.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

bool DecodeSettingsMessage(std::span<const std::byte> bytes, CSigGen_settings& record)
{
    if (bytes.size() != kSigGenWireBytes)
    {
        platform::DebugOutput("generator link: message of %zu bytes dropped (a record has %zu)", bytes.size(),
                              kSigGenWireBytes);
        return false;
    }
    CSigGen_settings received = record;
    const std::span<const std::uint8_t> raw(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                            bytes.size());
    if (!received.FromWire(raw))
    {
        platform::DebugOutput("generator link: record of an unknown version dropped");
        return false;
    }
    record = received;
    return true;
}

CGeneratorLink::~CGeneratorLink()
{
    ReapStarted();
}

void CGeneratorLink::Notify(const std::string& text)
{
    platform::DebugOutput("generator link: %s", text.c_str());
    if (m_notifications != nullptr)
        m_notifications->ShowMessage(text);
}

bool CGeneratorLink::ReapStarted()
{
    if (m_startedPid <= 0)
        return false;
    int status = 0;
    const pid_t done = ::waitpid(m_startedPid, &status, WNOHANG);
    if (done == m_startedPid || (done < 0 && errno == ECHILD))
    {
        m_startedPid = 0;
        return true;
    }
    return false;
}

bool CGeneratorLink::StartProgram()
{
    const std::filesystem::path program = m_programFolder / kGeneratorProgramFile;
    platform::SpawnRequest request;
    request.argv = {program.string()};
    // Kept: the link reaps it itself and learns so whether it ended before its window opened.
    request.mode = platform::SpawnMode::Keep;
    const platform::SpawnResult started = platform::SpawnProgram(request);
    if (!started.Started())
    {
        Notify(std::string(std::strerror(started.error)) + ": " + program.string());
        return false;
    }
    ReapStarted();  // a program started before and ended since
    m_startedPid = started.pid;
    return true;
}

bool CGeneratorLink::FindOrStartGeneratorProgram(bool start)
{
    ReapStarted();
    m_window = FindTopWindowByTitle(kGeneratorProgramTitle);
    if (m_inputMode == kInputModeAsioPlugin)
        return true;
    if (m_window)
        return true;
    if (!start || !StartProgram())
        return false;
    const auto deadline = std::chrono::steady_clock::now() + m_startTimeout;
    for (;;)
    {
        m_window = FindTopWindowByTitle(kGeneratorProgramTitle);
        if (m_window)
            return true;
        if (ReapStarted())
        {
            Notify(platform::FormatC("The generator program \"%s\" ended before its window opened.",
                                     kGeneratorProgramTitle));
            return false;
        }
        if (std::chrono::steady_clock::now() >= deadline)
        {
            Notify(platform::FormatC(
                "The generator program \"%s\" was started, but its window did not open "
                "within %lld seconds.",
                kGeneratorProgramTitle, static_cast<long long>(m_startTimeout.count() / 1000)));
            return false;
        }
        std::this_thread::sleep_for(kPollInterval);
    }
}

bool CGeneratorLink::Send(const CSigGen_settings& record, std::uint64_t wParam)
{
    if (!m_window)
        return false;
    const std::vector<std::uint8_t> wire = record.ToWire();
    std::int32_t reply = 0;
    if (!platform::SendCopyData(m_window, wParam, std::as_bytes(std::span(wire)), reply))
    {
        platform::DebugOutput("generator link: the generator program did not take the record (command %d)",
                              record.m_flags);
        return false;
    }
    return true;
}

void CGeneratorLink::SendGeneratorSettings(CSigGen_settings& record, std::uint64_t wParam)
{
    m_lastFrequency = record.m_frequency;
    Send(record, wParam);

    // The engine's generators render 32-bit samples for the plug-in output; the record goes back to
    // the caller (and to the program's start command) with its own format.
    const std::int32_t bits = record.m_bits;
    const std::int32_t bits32 = record.m_32bit;
    record.m_bits = 32;
    record.m_32bit = 1;
    if (m_generators[0] != nullptr)
        m_generators[0]->ApplySettingsCommand(record);
    for (CGenerator* generator : m_generators)
    {
        if (generator == nullptr)
            continue;
        generator->m_settings.m_sample_rate = m_sampleRate;
        generator->ApplySettings();
    }
    record.m_bits = bits;
    record.m_32bit = bits32;

    if ((record.m_flags & kGenCommandRefresh) != 0 && m_refreshPanel)
        m_refreshPanel(0);

    if (m_window)
    {
        record.m_flags = kGenCommandStart;
        Send(record, wParam);
    }
}

void CGeneratorLink::ResetGenerators(const CSigGen_settings& engineRecord, int mlsLength,
                                     std::uint64_t mainWindow)
{
    CSigGen_settings record;
    record.SetDefaults();
    record.Copy(engineRecord);
    record.m_mls_length = mlsLength;
    record.m_flags = kGenCommandRefresh;
    // Only a program that runs already is told; none is started for a reset.
    m_window = FindTopWindowByTitle(kGeneratorProgramTitle);
    if (m_window)
        SendGeneratorSettings(record, mainWindow);
    for (int i = 0; i < kPanelGenerators; ++i)
    {
        if (m_generators[i] == nullptr)
            continue;
        m_generators[i]->Init();
        m_generators[i]->ApplySettings();
        if (m_refreshPanel)
            m_refreshPanel(i);
    }
}
