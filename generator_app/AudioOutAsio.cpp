#include "generator_app/AudioOutAsio.h"

#include "platform/asio/AsioConvert.h"
#include "platform/asio/AsioDriverList.h"
#include "platform/asio/AsioHost.h"

#include <algorithm>
#include <cstring>

namespace
{

// A driver rate above this (or at 0 or below) is asked for once more.
constexpr double kHighestRate = 192000.0;

// The driver's callbacks are plain functions: they reach the one open output through this.
std::atomic<CAudioOut_ASIO*> g_output{nullptr};

void OnBufferSwitch(int index, int)
{
    if (CAudioOut_ASIO* output = g_output.load())
        output->BufferSwitch(index);
}

asio::TimeInfo* OnBufferSwitchTimeInfo(asio::TimeInfo* time, int index, int)
{
    if (CAudioOut_ASIO* output = g_output.load())
        output->BufferSwitch(index);
    return time;
}

void OnSampleRateChanged(double) {}

const char* TypeName(int type)
{
    switch (type)
    {
        case asio::sample_type::kFloat32LSB:
            return "ASIOSTFloat32LSB";
        case asio::sample_type::kFloat64LSB:
            return "ASIOSTFloat64LSB";
        case asio::sample_type::kInt32LSB24:
            return "ASIOSTInt32LSB24";
        case asio::sample_type::kInt32LSB16:
            return "ASIOSTInt32LSB16";
        case asio::sample_type::kInt32LSB18:
            return "ASIOSTInt32LSB18";
        case asio::sample_type::kInt32LSB20:
            return "ASIOSTInt32LSB20";
        default:
            return "a sample type this output cannot write";
    }
}

}  // namespace

CAudioOut_ASIO::~CAudioOut_ASIO()
{
    Close();
}

int CAudioOut_ASIO::Open(int sampleRate, int driverIndex, int bufferLimit, FillFunction fill, void* context)
{
    Close();
    m_strError.clear();
    m_strUnsupported.clear();
    m_fill = fill;
    m_pContext = context;
    m_nSampleRate = sampleRate;
    const std::string name = GetAsioDriverNameByIndex(driverIndex).substr(0, 1024);
    AsioDriverInfo info;
    if (name.empty())
    {
        m_strError = "There is no ASIO driver number " + std::to_string(driverIndex + 1) + ".";
        return -1;
    }
    if (!LoadAsioDriver(name) || AsioInit(info) != asio::kOk)
    {
        m_strError = "The ASIO driver \"" + name + "\" cannot be started: " + info.errorMessage;
        if (name == "JACK")
            m_strError = "The ASIO driver \"JACK\" cannot be started: no JACK server is running.";
        return -2;
    }
    m_bLoaded = true;
    if (const int result = QueryDriver(); result != 0)
    {
        m_strError = "The ASIO driver \"" + name + "\" does not answer (" + std::to_string(result) + ").";
        Close();
        return -3;
    }
    if (const int result = CreateBuffers(bufferLimit); result != 0)
    {
        if (m_strError.empty())
            m_strError = "The ASIO driver \"" + name + "\" cannot create its buffers.";
        Close();
        return -4;
    }
    m_bOpen = true;
    return 0;
}

int CAudioOut_ASIO::QueryDriver()
{
    AsioDriverSetup setup;
    const int result = AsioQuerySetup(m_nSampleRate, kHighestRate, setup);
    m_nDriverInputs = setup.inputs;
    m_nDriverOutputs = setup.outputs;
    m_nPeriod = setup.preferredSize;
    m_dDriverRate = setup.sampleRate;
    m_bOutputReady = setup.outputReady;
    return result;
}

int CAudioOut_ASIO::CreateBuffers(int bufferLimit)
{
    const int limit = std::min(bufferLimit > 0 ? bufferLimit : 32, asio::kMaxChannels);
    m_nInputBuffers = std::clamp(m_nDriverInputs, 0, limit);
    m_nOutputBuffers = std::clamp(m_nDriverOutputs, 0, limit);
    if (m_nPeriod < 1 || m_nPeriod > kMaxPeriod)
    {
        m_strError = "The ASIO driver's period of " + std::to_string(m_nPeriod) +
                     " frames is not supported (1 to " + std::to_string(kMaxPeriod) + ").";
        return -1;
    }
    m_stereo.assign(static_cast<std::size_t>(m_nPeriod) * 2, 0);
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
    g_output.store(this);
    if (const int result = AsioCreateBuffers(m_buffers.data(), n, m_nPeriod, callbacks); result != asio::kOk)
        return result;
    for (int i = 0; i < n; ++i)
    {
        asio::ChannelInfo info;
        info.channel = m_buffers[static_cast<std::size_t>(i)].channelNum;
        info.isInput = m_buffers[static_cast<std::size_t>(i)].isInput;
        if (AsioGetChannelInfo(info) != asio::kOk)
            info.type = -1;
        m_types[static_cast<std::size_t>(i)] = info.type;
        const bool signal =
            info.type == asio::sample_type::kInt16LSB || info.type == asio::sample_type::kInt24LSB ||
            info.type == asio::sample_type::kInt32LSB || info.type == asio::sample_type::kFloat32LSB ||
            info.type == asio::sample_type::kFloat64LSB;
        if (info.isInput == 0 && !signal)
            m_strUnsupported +=
                "output " + std::to_string(info.channel + 1) + ": " + TypeName(info.type) + "\n";
    }
    int inputLatency = 0;
    int outputLatency = 0;
    AsioGetLatencies(inputLatency, outputLatency);
    return 0;
}

int CAudioOut_ASIO::Start()
{
    return m_bOpen ? AsioStart() : asio::kNotPresent;
}

int CAudioOut_ASIO::Stop()
{
    return m_bOpen ? AsioStop() : asio::kNotPresent;
}

void CAudioOut_ASIO::Close()
{
    if (m_bLoaded)
    {
        AsioStop();
        AsioDisposeBuffers();
        AsioExit();
        if (HasAsioDriverLoader())
            GetAsioDriverLoader().UnloadCurrentDriver();
    }
    CAudioOut_ASIO* self = this;
    g_output.compare_exchange_strong(self, nullptr);
    m_bLoaded = false;
    m_bOpen = false;
}

void CAudioOut_ASIO::BufferSwitch(int index)
{
    const int half = index & 1;
    const int frames = m_nPeriod;
    const int bytes = frames * 8;
    if (m_fill == nullptr || m_fill(m_stereo.data(), bytes, m_pContext) != bytes)
        std::fill(m_stereo.begin(), m_stereo.end(), 0);
    int output = 0;
    const int count = m_nInputBuffers + m_nOutputBuffers;
    for (int i = 0; i < count; ++i)
    {
        const asio::BufferInfo& buffer = m_buffers[static_cast<std::size_t>(i)];
        if (buffer.isInput != 0)
            continue;
        // Left on the first output, right on the second, and so on.
        const std::int32_t* source = m_stereo.data() + (output & 1);
        ++output;
        const int type = m_types[static_cast<std::size_t>(i)];
        if (buffer.buffers[half] != nullptr)
            asio::ConvertFromHostSamples(type, source, 2, buffer.buffers[half], frames);
    }
    if (m_bOutputReady)
        AsioOutputReady();
}
