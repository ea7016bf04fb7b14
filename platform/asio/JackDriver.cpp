#include "platform/asio/JackDriver.h"

#include "platform/Debug.h"

#include <jack/jack.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>

#include <errno.h>

namespace
{

std::mutex g_nameLock;
std::string g_clientName;

std::string ClientName()
{
    std::lock_guard lock(g_nameLock);
    if (!g_clientName.empty())
        return g_clientName;
    return program_invocation_short_name ? program_invocation_short_name : "Tessarin";
}

std::vector<std::string> PhysicalPorts(jack_client_t* client, unsigned long flags)
{
    std::vector<std::string> names;
    if (const char** ports =
            jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, JackPortIsPhysical | flags))
    {
        for (const char** p = ports; *p; ++p)
            names.emplace_back(*p);
        jack_free(ports);
    }
    return names;
}

// JACK's own messages (a missing server is an expected case) go to the debug output, not stderr.
void ReportJackText(const char* text)
{
    platform::DebugOutput("JACK: %s\n", text);
}

int PortCount(std::size_t physical)
{
    return std::clamp(static_cast<int>(physical), CAsioJackDriver::kMinPorts, 64);
}

}  // namespace

CAsioJackDriver::CAsioJackDriver() = default;

CAsioJackDriver::~CAsioJackDriver()
{
    Close();
}

void CAsioJackDriver::SetClientName(const std::string& name)
{
    std::lock_guard lock(g_nameLock);
    g_clientName = name;
}

std::string CAsioJackDriver::GetClientName() const
{
    return m_client ? jack_get_client_name(m_client) : std::string();
}

bool CAsioJackDriver::Init(void* /*systemHandle*/)
{
    if (m_client)
        return true;
    jack_set_error_function(&ReportJackText);
    jack_set_info_function(&ReportJackText);
    jack_status_t status{};
    m_client = jack_client_open(ClientName().c_str(), JackNoStartServer, &status);
    if (!m_client)
    {
        m_error = (status & JackServerFailed) || (status & JackServerError)
                      ? kNoServerMessage
                      : "the JACK server refused the client";
        return false;
    }
    m_capturePorts = PhysicalPorts(m_client, JackPortIsOutput);
    m_playbackPorts = PhysicalPorts(m_client, JackPortIsInput);
    jack_set_process_callback(m_client, &CAsioJackDriver::Process, this);
    return true;
}

void CAsioJackDriver::Close()
{
    if (!m_client)
        return;
    Stop();
    DisposeBuffers();
    jack_client_close(m_client);
    m_client = nullptr;
}

int CAsioJackDriver::Start()
{
    if (!m_client || m_buffers.empty())
        return asio::kInvalidMode;
    if (m_active)
        return asio::kOk;
    m_half = 0;
    if (jack_activate(m_client) != 0)
        return asio::kHardwareFailure;
    m_active = true;
    Connect();
    return asio::kOk;
}

void CAsioJackDriver::Connect()
{
    for (const Buffer& buffer : m_buffers)
    {
        const auto index = static_cast<std::size_t>(buffer.channel);
        if (buffer.input && index < m_capturePorts.size())
            jack_connect(m_client, m_capturePorts[index].c_str(), jack_port_name(buffer.port));
        else if (!buffer.input && index < m_playbackPorts.size())
            jack_connect(m_client, jack_port_name(buffer.port), m_playbackPorts[index].c_str());
    }
}

int CAsioJackDriver::Stop()
{
    if (!m_client)
        return asio::kNotPresent;
    if (m_active)
        jack_deactivate(m_client);
    m_active = false;
    return asio::kOk;
}

int CAsioJackDriver::GetChannels(int& inputs, int& outputs)
{
    if (!m_client)
        return asio::kNotPresent;
    inputs = PortCount(m_capturePorts.size());
    outputs = PortCount(m_playbackPorts.size());
    return asio::kOk;
}

int CAsioJackDriver::GetLatencies(int& input, int& output)
{
    if (!m_client)
        return asio::kNotPresent;
    input = output = static_cast<int>(jack_get_buffer_size(m_client));
    return asio::kOk;
}

int CAsioJackDriver::GetBufferSize(int& minimum, int& maximum, int& preferred, int& granularity)
{
    if (!m_client)
        return asio::kNotPresent;
    minimum = maximum = preferred = static_cast<int>(jack_get_buffer_size(m_client));
    granularity = 0;
    return asio::kOk;
}

int CAsioJackDriver::CanSampleRate(double rate)
{
    if (!m_client)
        return asio::kNotPresent;
    return rate == static_cast<double>(jack_get_sample_rate(m_client)) ? asio::kOk : asio::kInvalidMode;
}

int CAsioJackDriver::GetSampleRate(double& rate)
{
    if (!m_client)
        return asio::kNotPresent;
    rate = jack_get_sample_rate(m_client);
    return asio::kOk;
}

int CAsioJackDriver::SetSampleRate(double rate)
{
    // The server's rate is the only one there is.
    return CanSampleRate(rate);
}

int CAsioJackDriver::GetClockSources(int& count)
{
    count = 1;
    return m_client ? asio::kOk : asio::kNotPresent;
}

int CAsioJackDriver::GetSamplePosition(std::int64_t& position, std::int64_t& systemTimeNs)
{
    if (!m_client)
        return asio::kNotPresent;
    position = m_position.load(std::memory_order_relaxed);
    systemTimeNs = m_timeNs.load(std::memory_order_relaxed);
    return asio::kOk;
}

int CAsioJackDriver::GetChannelInfo(asio::ChannelInfo& info)
{
    if (!m_client)
        return asio::kNotPresent;
    int inputs = 0;
    int outputs = 0;
    GetChannels(inputs, outputs);
    if (info.channel < 0 || info.channel >= (info.isInput ? inputs : outputs))
        return asio::kInvalidParameter;
    info.isActive = 0;
    for (const Buffer& buffer : m_buffers)
        if (buffer.input == (info.isInput != 0) && buffer.channel == info.channel)
            info.isActive = 1;
    info.channelGroup = 0;
    info.type = asio::sample_type::kFloat32LSB;
    std::snprintf(info.name, sizeof info.name, "%s_%d", info.isInput ? "in" : "out", info.channel + 1);
    return asio::kOk;
}

int CAsioJackDriver::CreateBuffers(asio::BufferInfo* infos, int count, int bufferSize,
                                   const asio::Callbacks& callbacks)
{
    if (!m_client)
        return asio::kNotPresent;
    if (!infos || count < 1 || count > 2 * asio::kMaxChannels || m_active)
        return asio::kInvalidMode;
    if (bufferSize != static_cast<int>(jack_get_buffer_size(m_client)))
        return asio::kInvalidMode;
    DisposeBuffers();
    int inputs = 0;
    int outputs = 0;
    GetChannels(inputs, outputs);
    for (int i = 0; i < count; ++i)
    {
        asio::BufferInfo& info = infos[i];
        info.buffers[0] = info.buffers[1] = nullptr;
        if (info.channelNum < 0 || info.channelNum >= (info.isInput ? inputs : outputs))
        {
            DisposeBuffers();
            return asio::kInvalidParameter;
        }
        Buffer buffer;
        buffer.input = info.isInput != 0;
        buffer.channel = info.channelNum;
        char name[32];
        std::snprintf(name, sizeof name, "%s_%d", buffer.input ? "in" : "out", buffer.channel + 1);
        buffer.port = jack_port_register(m_client, name, JACK_DEFAULT_AUDIO_TYPE,
                                         buffer.input ? JackPortIsInput : JackPortIsOutput, 0);
        if (!buffer.port)
        {
            DisposeBuffers();
            return asio::kHardwareFailure;
        }
        buffer.halves = std::make_unique<float[]>(2 * static_cast<std::size_t>(bufferSize));
        info.buffers[0] = buffer.halves.get();
        info.buffers[1] = buffer.halves.get() + bufferSize;
        m_buffers.push_back(std::move(buffer));
    }
    m_bufferSize = bufferSize;
    m_callbacks = callbacks;
    return asio::kOk;
}

int CAsioJackDriver::DisposeBuffers()
{
    if (!m_client)
        return asio::kNotPresent;
    if (m_active)
        Stop();
    for (Buffer& buffer : m_buffers)
        if (buffer.port)
            jack_port_unregister(m_client, buffer.port);
    m_buffers.clear();
    m_callbacks = {};
    return asio::kOk;
}

int CAsioJackDriver::ControlPanel()
{
    return asio::kNotPresent;
}

int CAsioJackDriver::OutputReady()
{
    return asio::kNotPresent;
}

int CAsioJackDriver::Process(unsigned frames, void* self)
{
    auto& driver = *static_cast<CAsioJackDriver*>(self);
    const int half = driver.m_half;
    const auto n = static_cast<std::size_t>(frames);
    // A period of another size than the buffers were made for (the server changed it) plays silence.
    const bool fits = static_cast<int>(frames) == driver.m_bufferSize;
    for (Buffer& buffer : driver.m_buffers)
        if (buffer.input && fits)
        {
            const auto* port = static_cast<const float*>(jack_port_get_buffer(buffer.port, frames));
            std::memcpy(buffer.halves.get() + half * driver.m_bufferSize, port, n * sizeof(float));
        }
    if (fits)
    {
        const auto now = std::chrono::steady_clock::now().time_since_epoch();
        driver.m_timeNs.store(std::chrono::duration_cast<std::chrono::nanoseconds>(now).count(),
                              std::memory_order_relaxed);
        if (driver.m_callbacks.bufferSwitch)
            driver.m_callbacks.bufferSwitch(half, 1);
        driver.m_position.fetch_add(frames, std::memory_order_relaxed);
    }
    for (Buffer& buffer : driver.m_buffers)
        if (!buffer.input)
        {
            auto* port = static_cast<float*>(jack_port_get_buffer(buffer.port, frames));
            if (fits)
                std::memcpy(port, buffer.halves.get() + half * driver.m_bufferSize, n * sizeof(float));
            else
                std::memset(port, 0, n * sizeof(float));
        }
    driver.m_half = 1 - half;
    return 0;
}
