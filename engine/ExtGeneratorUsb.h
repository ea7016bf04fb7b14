// CExtGeneratorUsb: the external generator instrument behind a USB-to-parallel bridge. The bridge's
// library "CH375DLL.so" is loaded from the program folder when that file exists and its five entry
// points are resolved by name; each may be missing, and then its step is skipped. Every command is
// a line of text ending in a line feed, written after a reset of the bridge; the waits after the
// reset (500 ms) and after the write (1000 ms) go through a wait function that tests replace.
//
// Threads: the commands block their caller for the waits; no lock (one caller at a time).
#pragma once

#include "engine/ExtGenerator.h"
#include "platform/SharedLibrary.h"

#include <filesystem>
#include <functional>
#include <string>

class CExtGeneratorUsb : public CExtGenerator
{
public:
    static constexpr const char* kLibraryName = "CH375DLL.so";
    static constexpr int kResetWaitMs = 500;
    static constexpr int kWriteWaitMs = 1000;
    static constexpr int kBufferSize = 256;

    // The bridge's entry points (C linkage in the library).
    using OpenFunction = void* (*)(unsigned int index);
    using CloseFunction = void (*)(unsigned int index);
    using ResetFunction = int (*)(unsigned int index);
    using TransferFunction = int (*)(unsigned int index, void* buffer, unsigned int* length);
    // Waits the given number of milliseconds.
    using WaitFunction = std::function<void(int)>;

    // Looks for the library in the program folder.
    CExtGeneratorUsb();
    // Looks for the library in `folder` and waits through `wait` (a real sleep when empty). When the
    // library is there, sends sine, 17384.1 Hz, 1000 Hz, 0.05 V and local operation.
    CExtGeneratorUsb(const std::filesystem::path& folder, WaitFunction wait);
    ~CExtGeneratorUsb() override;
    CExtGeneratorUsb(const CExtGeneratorUsb&) = delete;
    CExtGeneratorUsb& operator=(const CExtGeneratorUsb&) = delete;

    int SetFrequency(double hz) override;
    int SetAmplitudeRms(double volts) override;
    int SetLocal() override;
    int SetSine() override;
    int SetSquare() override;
    int SetTriangle() override;

    // 0, or -1 when the entry point is missing.
    int OpenDevice();
    int CloseDevice();
    // The bridge's write result; -1 when nothing could be sent.
    int SendCommand(const std::string& text);

    bool IsLoaded() const { return m_library.IsOpen(); }
    // The texts of the commands (without the line feed).
    static std::string FrequencyText(const std::string& name, double hz);
    static std::string AmplitudeText(const std::string& name, double volts);

    std::string m_name = "CHA";
    unsigned int m_index = 0;
    int m_open = 0;

private:
    int Command(const std::string& text);
    void Wait(int ms) const;

    platform::SharedLibrary m_library;
    WaitFunction m_wait;
    TransferFunction m_read = nullptr;  // resolved, never called: the instrument's reply is not read
    TransferFunction m_write = nullptr;
    ResetFunction m_reset = nullptr;
    OpenFunction m_openDevice = nullptr;
    CloseFunction m_closeDevice = nullptr;
};
