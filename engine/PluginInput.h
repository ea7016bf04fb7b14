// The input back-ends of the plug-in modes: CAsioPluginInput drives the ASIO plug-in (input mode 5)
// and CLibraryInput the generic input library (input mode 4), both through the engine's binding.
// Their blocks arrive through CSoundIn::OnPluginInputBlock on the plug-in's thread.
//
// Threads: every member runs on the engine's lifecycle thread.
#pragma once

#include "engine/InputDevice.h"

class CSoundIn;

class CAsioPluginInput : public CInputDevice
{
public:
    explicit CAsioPluginInput(CSoundIn& engine) : m_engine(engine) {}

    // Binds and opens the plug-in once to learn its channel counts and the driver's rate, then
    // closes it again. Channels 0 when the device did not open (the reason in GetLastError).
    bool QueryFormat(int& channels, int& sampleRate) override;
    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override;
    void Pause() override;
    void Resume() override;
    void Close() override;
    std::string GetLastError() const override { return m_error; }
    std::string GetDeviceName() const override { return "ASIO"; }

private:
    CSoundIn& m_engine;
    std::string m_error;
    bool m_bOpen = false;
};

class CLibraryInput : public CInputDevice
{
public:
    explicit CLibraryInput(CSoundIn& engine) : m_engine(engine) {}

    // Takes the library's sample rate into the engine; the channels stay the engine's.
    bool QueryFormat(int& channels, int& sampleRate) override;
    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override;
    void Pause() override;
    void Resume() override;
    void Close() override;
    std::string GetLastError() const override { return m_error; }

private:
    CSoundIn& m_engine;
    std::string m_error;
    bool m_bOpen = false;
};
