#include "asio_input/AsioDevice.h"

#include "platform/Debug.h"
#include "platform/NumberFormat.h"
#include "platform/Registry.h"
#include "platform/asio/AsioConvert.h"
#include "platform/asio/AsioDriverList.h"

#include <algorithm>
#include <cstring>

namespace
{

// A driver rate above this (or at 0 or below) is asked for once more.
constexpr double kHighestRate = 96000.0;

// The device whose buffers the driver calls back into (one at a time).
CAsioDevice* g_device = nullptr;

void OnBufferSwitch(int index, int /*direct*/)
{
    // The time record is not used by the conversion; it is built as drivers expect.
    (void)AsioMakeTimeInfo(0.0);
    if (g_device)
        g_device->BufferSwitchTimeInfo(index);
}

asio::TimeInfo* OnBufferSwitchTimeInfo(asio::TimeInfo* time, int index, int /*direct*/)
{
    if (g_device)
        g_device->BufferSwitchTimeInfo(index);
    return time;
}

void OnSampleRateChanged(double /*rate*/) {}

std::int32_t ReadDword(const platform::RegistryKey& key, const std::string& name, std::int32_t fallback)
{
    const auto value = key.ReadValue(name);
    if (!value || value->type != platform::RegistryType::Dword || value->data.size() != 4)
        return fallback;
    std::int32_t v = 0;
    std::memcpy(&v, value->data.data(), 4);
    return v;
}

void WriteDword(const platform::RegistryKey& key, const std::string& name, std::int32_t v)
{
    char bytes[4];
    std::memcpy(bytes, &v, 4);
    key.WriteValue(name, platform::RegistryType::Dword, std::string_view(bytes, 4));
}

}  // namespace

CAsioDevice::CAsioDevice()
{
    for (int i = 0; i < kMaxChannels; ++i)
        m_inputMatrix[static_cast<std::size_t>(i)] = m_outputMatrix[static_cast<std::size_t>(i)] = i;
}

CAsioDevice::~CAsioDevice()
{
    Close();
}

void CAsioDevice::LoadSettings()
{
    const platform::RegistryKey key = platform::RegistryKey::Open(kRegistryKey, false);
    if (!key)
        return;
    m_nDevice = ReadDword(key, "device", m_nDevice);
    m_bForceStereo = ReadDword(key, "force stereo", m_bForceStereo);
    m_nCh1 = ReadDword(key, "ch1", m_nCh1);
    m_nCh2 = ReadDword(key, "ch2", m_nCh2);
    m_bMultichannel = ReadDword(key, "multichannel", m_bMultichannel);
    for (int i = 0; i < kMaxChannels; ++i)
    {
        auto& in = m_inputMatrix[static_cast<std::size_t>(i)];
        auto& out = m_outputMatrix[static_cast<std::size_t>(i)];
        in = ReadDword(key, platform::FormatC("inputMatrix ch%i", i + 1), in);
        out = ReadDword(key, platform::FormatC("outputMatrix ch%i", i + 1), out);
    }
}

void CAsioDevice::SaveSettings() const
{
    const platform::RegistryKey key = platform::RegistryKey::Open(kRegistryKey, true);
    if (!key)
        return;
    WriteDword(key, "device", m_nDevice);
    WriteDword(key, "force stereo", m_bForceStereo);
    WriteDword(key, "ch1", m_nCh1);
    WriteDword(key, "ch2", m_nCh2);
    WriteDword(key, "multichannel", m_bMultichannel);
    for (int i = 0; i < kMaxChannels; ++i)
    {
        WriteDword(key, platform::FormatC("inputMatrix ch%i", i + 1),
                   m_inputMatrix[static_cast<std::size_t>(i)]);
        WriteDword(key, platform::FormatC("outputMatrix ch%i", i + 1),
                   m_outputMatrix[static_cast<std::size_t>(i)]);
    }
}

bool CAsioDevice::Fail(const std::string& reason)
{
    m_error = reason;
    Close();
    return false;
}

int CAsioDevice::Open(InputDataCallback data, InputOutputCallback output, void* context)
{
    m_dataCallback = data;
    m_outputCallback = output;
    m_outputContext = context;
    m_error.clear();

    const CAsioDriverList list;
    const CAsioDriverList::Entry* entry = list.GetEntry(m_nDevice);
    if (!entry)
        return Fail(list.GetCount() == 0
                        ? "no ASIO driver is installed"
                        : platform::FormatC("there is no ASIO driver number %i", m_nDevice + 1)),
               -1;
    if (!LoadAsioDriver(entry->description))
        return Fail("the driver \"" + entry->description + "\" cannot be loaded"), -1;
    m_bDriverLoaded = true;
    if (AsioInit(m_info) != asio::kOk)
    {
        m_bDriverLoaded = false;
        return Fail(m_info.errorMessage), -1;
    }
    // The device runs at the driver's own rate.
    double rate = 0.0;
    if (AsioGetSampleRate(rate) != asio::kOk || AsioCanSampleRate(rate) != asio::kOk)
        return Fail("the driver reports no usable sample rate"), -1;
    m_nSampleRate = static_cast<std::int32_t>(rate);
    if (const int result = Initialise(); result != 0)
        return Fail(platform::FormatC("the driver cannot be initialised (%i)", result)), -1;
    g_device = this;
    if (const int result = CreateBuffers(); result != 0)
    {
        g_device = nullptr;
        return Fail(m_error.empty() ? platform::FormatC("the driver's buffers cannot be created (%i)", result)
                                    : m_error),
               -1;
    }
    AsioGetSampleRate(m_dSampleRate);
    int clocks = 0;
    AsioGetClockSources(clocks);
    return 0;
}

int CAsioDevice::Initialise()
{
    AsioDriverSetup setup;
    const int result = AsioQuerySetup(m_nSampleRate, kHighestRate, setup);
    m_nDriverInputs = setup.inputs;
    m_nDriverOutputs = setup.outputs;
    m_nMinSize = setup.minimumSize;
    m_nMaxSize = setup.maximumSize;
    m_nPreferredSize = setup.preferredSize;
    m_nGranularity = setup.granularity;
    m_dSampleRate = setup.sampleRate;
    m_bOutputReady = setup.outputReady;
    return result;
}

int CAsioDevice::CreateBuffers()
{
    const int limit = m_bForceStereo ? 2 : kMaxChannels;
    m_nInputBuffers = std::clamp(m_nDriverInputs, 0, limit);
    m_nOutputBuffers = std::clamp(m_nDriverOutputs, 0, limit);
    const int period = m_nPreferredSize;
    if (period < 1 || period > kMaxPeriod)
    {
        m_error = platform::FormatC("the driver's period of %i frames is not supported (1 to %i)", period,
                                    kMaxPeriod);
        return -1;
    }
    const int inputSlots = m_bMultichannel ? m_nInputBuffers : 2;
    m_outputWork.assign(
        static_cast<std::size_t>(std::max(m_nOutputBuffers, 1)) * static_cast<std::size_t>(period), 0);
    m_inputWork.assign(static_cast<std::size_t>(std::max(inputSlots, 2)) * static_cast<std::size_t>(period),
                       0.0f);

    int n = 0;
    for (int i = 0; i < m_nInputBuffers; ++i, ++n)
        m_buffers[static_cast<std::size_t>(n)] = {1, i, {nullptr, nullptr}};
    for (int i = 0; i < m_nOutputBuffers; ++i, ++n)
        m_buffers[static_cast<std::size_t>(n)] = {0, i, {nullptr, nullptr}};
    asio::Callbacks callbacks;
    callbacks.bufferSwitch = &OnBufferSwitch;
    callbacks.sampleRateDidChange = &OnSampleRateChanged;
    callbacks.asioMessage = &AsioMessage;
    callbacks.bufferSwitchTimeInfo = &OnBufferSwitchTimeInfo;
    if (const int result = AsioCreateBuffers(m_buffers.data(), n, period, callbacks); result != asio::kOk)
        return result;
    m_bBuffersCreated = true;
    for (int i = 0; i < n; ++i)
    {
        asio::ChannelInfo& info = m_channels[static_cast<std::size_t>(i)];
        info = {};
        info.channel = m_buffers[static_cast<std::size_t>(i)].channelNum;
        info.isInput = m_buffers[static_cast<std::size_t>(i)].isInput;
        AsioGetChannelInfo(info);
    }
    AsioGetLatencies(m_nInputLatency, m_nOutputLatency);
    return 0;
}

int CAsioDevice::GetFirstChannelType() const
{
    return m_bBuffersCreated && m_nInputBuffers + m_nOutputBuffers > 0 ? m_channels[0].type : -1;
}

int CAsioDevice::Start()
{
    const int result = AsioStart();
    if (result == asio::kOk)
        m_bRunning = 1;
    return result;
}

int CAsioDevice::Stop()
{
    const int result = AsioStop();
    m_bRunning = 0;
    return result;
}

void CAsioDevice::Close()
{
    if (m_bDriverLoaded)
    {
        AsioStop();
        if (m_bBuffersCreated)
            AsioDisposeBuffers();
        AsioExit();
    }
    if (g_device == this)
        g_device = nullptr;
    m_bDriverLoaded = false;
    m_bBuffersCreated = false;
    m_bRunning = 0;
    m_nInputBuffers = m_nOutputBuffers = 0;
}

void CAsioDevice::BufferSwitchTimeInfo(int index)
{
    const int n = m_nPreferredSize;
    const int half = index & 1;
    if (m_outputCallback)
        m_outputCallback(m_outputWork.data(), n, m_outputContext);
    const int stride = m_bMultichannel ? std::max(m_nInputBuffers, 1) : 2;
    int input = 0;
    int output = 0;
    const int count = m_nInputBuffers + m_nOutputBuffers;
    for (int b = 0; b < count; ++b)
    {
        const asio::BufferInfo& buffer = m_buffers[static_cast<std::size_t>(b)];
        const int type = m_channels[static_cast<std::size_t>(b)].type;
        if (!buffer.isInput)
        {
            asio::ConvertFromHostSamples(type, m_outputWork.data() + static_cast<std::size_t>(output) * n, 1,
                                         buffer.buffers[half], n);
            ++output;
            continue;
        }
        const int i = input++;
        int slot = -1;
        if (m_bMultichannel)
            slot = i;
        else if (i == m_nCh2 || (i == 1 && m_bForceStereo))
            slot = 1;
        else if (i == m_nCh1 || (i == 0 && m_bForceStereo))
            slot = 0;
        if (slot >= 0)
            asio::ConvertToFloatSamples(type, buffer.buffers[half], m_inputWork.data() + slot, stride, n);
    }
    if (m_dataCallback)
        m_dataCallback(m_inputWork.data(), n);
    if (m_bOutputReady)
        AsioOutputReady();
}
