#include "engine/ExtGeneratorUsb.h"

#include "platform/NumberFormat.h"
#include "platform/Places.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <system_error>
#include <thread>

CExtGeneratorUsb::CExtGeneratorUsb() : CExtGeneratorUsb(platform::ProgramFolder(), {}) {}

CExtGeneratorUsb::CExtGeneratorUsb(const std::filesystem::path& folder, WaitFunction wait)
    : m_wait(std::move(wait))
{
    const std::filesystem::path path = folder / kLibraryName;
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return;
    if (!m_library.Open(path.string()))
        return;
    m_read = reinterpret_cast<TransferFunction>(m_library.GetSymbol("CH375ReadData"));
    m_write = reinterpret_cast<TransferFunction>(m_library.GetSymbol("CH375WriteData"));
    m_reset = reinterpret_cast<ResetFunction>(m_library.GetSymbol("CH375ResetDevice"));
    m_openDevice = reinterpret_cast<OpenFunction>(m_library.GetSymbol("CH375OpenDevice"));
    m_closeDevice = reinterpret_cast<CloseFunction>(m_library.GetSymbol("CH375CloseDevice"));
    SetSine();
    SetFrequency(17384.1);
    SetFrequency(1000.0);
    SetAmplitudeRms(0.05);
    SetLocal();
}

CExtGeneratorUsb::~CExtGeneratorUsb()
{
    if (m_open != 0)
        CloseDevice();
}

void CExtGeneratorUsb::Wait(int ms) const
{
    if (m_wait)
        m_wait(ms);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

int CExtGeneratorUsb::OpenDevice()
{
    if (m_openDevice == nullptr)
        return -1;
    m_openDevice(m_index);
    m_open = 1;
    return 0;
}

int CExtGeneratorUsb::CloseDevice()
{
    if (m_closeDevice == nullptr)
        return -1;
    m_closeDevice(m_index);
    m_open = 0;
    return 0;
}

int CExtGeneratorUsb::SendCommand(const std::string& text)
{
    if (m_reset != nullptr)
    {
        m_reset(m_index);
        Wait(kResetWaitMs);
    }
    // Blanks, the text, a line feed and a terminating zero; a text too long for the buffer is cut.
    std::array<char, kBufferSize> buffer;
    buffer.fill(' ');
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(kBufferSize - 2));
    std::memcpy(buffer.data(), text.data(), length);
    buffer[length] = '\n';
    buffer[length + 1] = '\0';
    if (m_write == nullptr)
        return -1;
    unsigned int count = static_cast<unsigned int>(length + 1);
    const int result = m_write(m_index, buffer.data(), &count);
    Wait(kWriteWaitMs);
    return result;
}

int CExtGeneratorUsb::Command(const std::string& text)
{
    if (m_open == 0)
        OpenDevice();
    SendCommand(text);
    return 0;
}

std::string CExtGeneratorUsb::FrequencyText(const std::string& name, double hz)
{
    if (hz > 1000.0)
        return platform::FormatC("%s FREQ %fkHz", name.c_str(), hz / 1000.0);
    return platform::FormatC("%s FREQ %fHz", name.c_str(), hz);
}

std::string CExtGeneratorUsb::AmplitudeText(const std::string& name, double volts)
{
    if (volts > 0.5)
        return platform::FormatC("%s AMPLRMS %fV ", name.c_str(), volts);
    return platform::FormatC("%s AMPLRMS %fmV ", name.c_str(), volts * 1000.0);
}

int CExtGeneratorUsb::SetFrequency(double hz)
{
    return Command(FrequencyText(m_name, hz));
}

int CExtGeneratorUsb::SetAmplitudeRms(double volts)
{
    return Command(AmplitudeText(m_name, volts));
}

int CExtGeneratorUsb::SetLocal()
{
    return Command("LOCAL");
}

int CExtGeneratorUsb::SetSine()
{
    return Command(m_name + " SINE");
}

int CExtGeneratorUsb::SetSquare()
{
    return Command(m_name + " SQUAR");
}

int CExtGeneratorUsb::SetTriangle()
{
    return Command(m_name + " TRIAN");
}
