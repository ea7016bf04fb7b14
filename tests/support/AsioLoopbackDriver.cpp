#include "tests/support/AsioLoopbackDriver.h"

#include "platform/asio/AsioConvert.h"
#include "platform/asio/AsioDriverList.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{
CAsioLoopbackDriver* g_current = nullptr;

std::int32_t ToInt(float v)
{
    const double scaled = std::round(static_cast<double>(v) * 2147483648.0);
    return static_cast<std::int32_t>(std::clamp(scaled, -2147483648.0, 2147483647.0));
}

void PutBigEndian(unsigned char* p, std::uint64_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        p[i] = static_cast<unsigned char>(v >> (8 * (bytes - 1 - i)));
}
}  // namespace

CAsioLoopbackDriver* CAsioLoopbackDriver::Current()
{
    return g_current;
}

void CAsioLoopbackDriver::RegisterLoopback(const std::string& name, const Setup& setup)
{
    RegisterAsioDriver(name, [setup] { return std::make_unique<CAsioLoopbackDriver>(setup); });
}

CAsioLoopbackDriver::CAsioLoopbackDriver(Setup setup) : m_setup(std::move(setup))
{
    g_current = this;
}

CAsioLoopbackDriver::~CAsioLoopbackDriver()
{
    if (g_current == this)
        g_current = nullptr;
}

void CAsioLoopbackDriver::Encode(int type, const float* samples, void* target, int frames)
{
    using namespace asio::sample_type;
    auto* p = static_cast<unsigned char*>(target);
    for (int n = 0; n < frames; ++n)
    {
        const std::int32_t v = ToInt(samples[n]);
        const auto u = static_cast<std::uint32_t>(v);
        switch (type)
        {
            case kInt16LSB:
            {
                const auto s = static_cast<std::int16_t>(v >> 16);
                std::memcpy(p + 2 * n, &s, 2);
                break;
            }
            case kInt24LSB:
                p[3 * n] = static_cast<unsigned char>(u >> 8);
                p[3 * n + 1] = static_cast<unsigned char>(u >> 16);
                p[3 * n + 2] = static_cast<unsigned char>(u >> 24);
                break;
            case kInt32LSB:
            case kInt32LSB16:
            case kInt32LSB18:
            case kInt32LSB20:
            case kInt32LSB24:
                std::memcpy(p + 4 * n, &v, 4);
                break;
            case kFloat32LSB:
                std::memcpy(p + 4 * n, &samples[n], 4);
                break;
            case kFloat64LSB:
            {
                const double d = samples[n];
                std::memcpy(p + 8 * n, &d, 8);
                break;
            }
            case kInt16MSB:
                PutBigEndian(p + 2 * n, u >> 16, 2);
                break;
            case kInt24MSB:
                PutBigEndian(p + 3 * n, u >> 8, 3);
                break;
            case kFloat32MSB:
            {
                std::uint32_t f = 0;
                std::memcpy(&f, &samples[n], 4);
                PutBigEndian(p + 4 * n, f, 4);
                break;
            }
            case kFloat64MSB:
            {
                const double d = samples[n];
                std::uint64_t f = 0;
                std::memcpy(&f, &d, 8);
                PutBigEndian(p + 8 * n, f, 8);
                break;
            }
            default:
                if (asio::SampleBytes(type) == 4)
                    PutBigEndian(p + 4 * n, u, 4);
                break;
        }
    }
}

bool CAsioLoopbackDriver::Init(void*)
{
    return !m_setup.failInit;
}

int CAsioLoopbackDriver::Start()
{
    m_started = true;
    return asio::kOk;
}

int CAsioLoopbackDriver::Stop()
{
    m_started = false;
    return asio::kOk;
}

int CAsioLoopbackDriver::GetChannels(int& inputs, int& outputs)
{
    inputs = m_setup.inputs;
    outputs = m_setup.outputs;
    return asio::kOk;
}

int CAsioLoopbackDriver::GetLatencies(int& input, int& output)
{
    input = output = m_setup.bufferSize;
    return asio::kOk;
}

int CAsioLoopbackDriver::GetBufferSize(int& minimum, int& maximum, int& preferred, int& granularity)
{
    minimum = maximum = preferred = m_setup.bufferSize;
    granularity = 0;
    return asio::kOk;
}

int CAsioLoopbackDriver::CanSampleRate(double rate)
{
    return rate == m_setup.sampleRate ? asio::kOk : asio::kInvalidMode;
}

int CAsioLoopbackDriver::GetSampleRate(double& rate)
{
    rate = m_setup.sampleRate;
    return asio::kOk;
}

int CAsioLoopbackDriver::SetSampleRate(double rate)
{
    return CanSampleRate(rate);
}

int CAsioLoopbackDriver::GetClockSources(int& count)
{
    count = 1;
    return asio::kOk;
}

int CAsioLoopbackDriver::GetSamplePosition(std::int64_t& position, std::int64_t& systemTimeNs)
{
    position = m_position;
    systemTimeNs = m_position * 1000;
    return asio::kOk;
}

int CAsioLoopbackDriver::TypeOf(bool input, int channel) const
{
    const std::vector<int>& types = input ? m_setup.inputTypes : m_setup.outputTypes;
    return channel < static_cast<int>(types.size()) ? types[static_cast<std::size_t>(channel)]
                                                    : asio::sample_type::kFloat32LSB;
}

int CAsioLoopbackDriver::GetChannelInfo(asio::ChannelInfo& info)
{
    if (info.channel < 0 || info.channel >= (info.isInput ? m_setup.inputs : m_setup.outputs))
        return asio::kInvalidParameter;
    info.type = TypeOf(info.isInput != 0, info.channel);
    info.channelGroup = 0;
    std::snprintf(info.name, sizeof info.name, "loop %d", info.channel);
    return asio::kOk;
}

int CAsioLoopbackDriver::CreateBuffers(asio::BufferInfo* infos, int count, int bufferSize,
                                       const asio::Callbacks& callbacks)
{
    if (bufferSize != m_setup.bufferSize)
        return asio::kInvalidMode;
    m_buffers.clear();
    for (int i = 0; i < count; ++i)
    {
        Buffer buffer;
        buffer.input = infos[i].isInput != 0;
        buffer.channel = infos[i].channelNum;
        const int bytes = std::max(asio::SampleBytes(TypeOf(buffer.input, buffer.channel)), 1);
        buffer.halves.assign(2 * static_cast<std::size_t>(bytes * bufferSize), 0xA5);
        m_buffers.push_back(std::move(buffer));
    }
    for (int i = 0; i < count; ++i)
    {
        const std::size_t half = m_buffers[static_cast<std::size_t>(i)].halves.size() / 2;
        infos[i].buffers[0] = m_buffers[static_cast<std::size_t>(i)].halves.data();
        infos[i].buffers[1] = m_buffers[static_cast<std::size_t>(i)].halves.data() + half;
    }
    m_callbacks = callbacks;
    m_createdBuffers = count;
    m_outFloats.assign(static_cast<std::size_t>(m_setup.outputs), {});
    m_outBytes.assign(static_cast<std::size_t>(m_setup.outputs), {});
    return asio::kOk;
}

int CAsioLoopbackDriver::DisposeBuffers()
{
    m_buffers.clear();
    m_callbacks = {};
    m_createdBuffers = 0;
    return asio::kOk;
}

int CAsioLoopbackDriver::OutputReady()
{
    if (!m_setup.outputReady)
        return asio::kNotPresent;
    if (m_started)
        m_log.emplace_back("ready");
    return asio::kOk;
}

void CAsioLoopbackDriver::RunSwitches(int count)
{
    const int frames = m_setup.bufferSize;
    std::vector<float> signal(static_cast<std::size_t>(frames));
    for (int s = 0; s < count; ++s)
    {
        const int half = m_switches % 2;
        for (Buffer& buffer : m_buffers)
        {
            if (!buffer.input)
                continue;
            std::fill(signal.begin(), signal.end(), 0.0f);
            if (m_source)
                m_source(buffer.channel, m_switches, signal.data(), frames);
            else if (buffer.channel < static_cast<int>(m_outFloats.size()))
            {
                const std::vector<float>& played = m_outFloats[static_cast<std::size_t>(buffer.channel)];
                if (played.size() >= static_cast<std::size_t>(frames))
                    std::copy(played.end() - frames, played.end(), signal.begin());
            }
            const std::size_t bytes = buffer.halves.size() / 2;
            Encode(TypeOf(true, buffer.channel), signal.data(), buffer.halves.data() + half * bytes, frames);
        }
        if (m_callbacks.bufferSwitchTimeInfo)
        {
            asio::TimeInfo time;
            time.samplePosition = static_cast<double>(m_position);
            time.sampleRate = m_setup.sampleRate;
            m_callbacks.bufferSwitchTimeInfo(&time, half, 0);
        }
        else if (m_callbacks.bufferSwitch)
            m_callbacks.bufferSwitch(half, 0);
        for (Buffer& buffer : m_buffers)
        {
            if (buffer.input)
                continue;
            const std::size_t bytes = buffer.halves.size() / 2;
            const unsigned char* data = buffer.halves.data() + half * bytes;
            auto& raw = m_outBytes[static_cast<std::size_t>(buffer.channel)];
            raw.insert(raw.end(), data, data + bytes);
            auto& floats = m_outFloats[static_cast<std::size_t>(buffer.channel)];
            const std::size_t at = floats.size();
            floats.resize(at + static_cast<std::size_t>(frames));
            asio::ConvertToFloatSamples(TypeOf(false, buffer.channel), data, floats.data() + at, 1, frames);
        }
        m_position += frames;
        ++m_switches;
    }
}
