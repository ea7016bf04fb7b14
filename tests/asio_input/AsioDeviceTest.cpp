// The plug-in's device object over the in-memory loopback driver: sample conversion of every type in
// both directions, the order of the callbacks in one buffer switch, force stereo and multichannel
// routing, and the refusals of a driver that cannot run.
#include "asio_input/AsioDevice.h"
#include "platform/asio/AsioConvert.h"
#include "platform/asio/AsioDriverList.h"
#include "tests/support/AsioLoopbackDriver.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <vector>

namespace
{

using namespace asio::sample_type;

// What the host callbacks saw (the data callback has no context).
struct HostRecord
{
    std::vector<std::vector<float>> blocks;  // one per data callback
    std::vector<std::string>* log = nullptr;
    int outputChannels = 0;
    int counter = 0;
};
HostRecord g_host;

// Output channel k plays a ramp of its own: sample n of switch s is (k + 1) x 2^20 x (n + 1) + s.
int OutputCallback(std::int32_t* out, int frames, void* context)
{
    if (g_host.log)
        g_host.log->emplace_back("output");
    const int channels = *static_cast<int*>(context);
    for (int k = 0; k < channels; ++k)
        for (int n = 0; n < frames; ++n)
            out[k * frames + n] = (k + 1) * (1 << 20) * (n + 1) + g_host.counter;
    ++g_host.counter;
    return frames;
}

int g_dataStride = 2;
void DataCallback(const float* samples, int frames)
{
    if (g_host.log)
        g_host.log->emplace_back("data");
    g_host.blocks.emplace_back(samples, samples + static_cast<std::size_t>(frames) * g_dataStride);
}

// Input channel c carries c x 0.01 + n x 0.001 (well inside full scale, exact in every type's grid
// within its quantisation).
void InputSignal(int channel, int /*switchIndex*/, float* samples, int frames)
{
    for (int n = 0; n < frames; ++n)
        samples[n] = static_cast<float>(0.01 * (channel + 1) + 0.001 * n);
}

class AsioDeviceTest : public testsupport::TempHomeTest
{
protected:
    void TearDown() override
    {
        m_device.Close();
        UnregisterAsioDriver("Loopback");
        DeleteAsioDriverLoader();
        g_host = {};
    }

    // Registers the loopback with setup, opens the device on it (driver index 1, after "JACK").
    void Open(const CAsioLoopbackDriver::Setup& setup)
    {
        CAsioLoopbackDriver::RegisterLoopback("Loopback", setup);
        m_device.m_nDevice = 1;
        ASSERT_EQ(m_device.Open(&DataCallback, &OutputCallback, &m_outputs), 0) << m_device.GetError();
        m_outputs = m_device.GetOutputBuffers();
        g_dataStride = m_device.m_bMultichannel ? m_device.GetInputBuffers() : 2;
        m_driver = CAsioLoopbackDriver::Current();
        ASSERT_NE(m_driver, nullptr);
        m_driver->SetInputSource(&InputSignal);
        ASSERT_EQ(m_device.Start(), 0);
    }

    CAsioDevice m_device;
    CAsioLoopbackDriver* m_driver = nullptr;
    int m_outputs = 0;
};

struct TypeCase
{
    int type;
    const char* name;
    bool signal;  // the host converts it (else silence, or nothing for an unknown type)
    double tolerance;
    // The 16- and 24-bit types scale by 1/32767 of their top 16 bits: full scale reads 32768/32767.
    double gain = 1.0;
};

const TypeCase kTypes[] = {
    {kInt16MSB, "Int16MSB", false, 0},
    {kInt24MSB, "Int24MSB", false, 0},
    {kInt32MSB, "Int32MSB", false, 0},
    {kFloat32MSB, "Float32MSB", false, 0},
    {kFloat64MSB, "Float64MSB", false, 0},
    {kInt32MSB16, "Int32MSB16", false, 0},
    {kInt32MSB18, "Int32MSB18", false, 0},
    {kInt32MSB20, "Int32MSB20", false, 0},
    {kInt32MSB24, "Int32MSB24", false, 0},
    {kInt16LSB, "Int16LSB", true, 1.0 / 32767, 32768.0 / 32767},
    {kInt24LSB, "Int24LSB", true, 1.0 / 8388607, 32768.0 / 32767},
    {kInt32LSB, "Int32LSB", true, 1e-7},
    {kFloat32LSB, "Float32LSB", true, 1e-7},
    {kFloat64LSB, "Float64LSB", true, 1e-7},
    {kInt32LSB16, "Int32LSB16", false, 0},
    {kInt32LSB18, "Int32LSB18", false, 0},
    {kInt32LSB20, "Int32LSB20", false, 0},
    {kInt32LSB24, "Int32LSB24", false, 0},
    {5, "unknown type 5", false, 0},
};
constexpr int kTypeCount = static_cast<int>(std::size(kTypes));

TEST_F(AsioDeviceTest, EveryTypeConvertsBothWaysOrGivesSilence)
{
    CAsioLoopbackDriver::Setup setup;
    setup.inputs = kTypeCount;
    setup.outputs = kTypeCount;
    setup.bufferSize = 16;
    for (const TypeCase& c : kTypes)
    {
        setup.inputTypes.push_back(c.type);
        setup.outputTypes.push_back(c.type);
    }
    m_device.m_bForceStereo = 0;
    m_device.m_bMultichannel = 1;
    Open(setup);
    ASSERT_EQ(m_device.GetInputBuffers(), kTypeCount);
    m_driver->RunSwitches(2);
    ASSERT_EQ(g_host.blocks.size(), 2u);
    const std::vector<float>& block = g_host.blocks[1];
    const int frames = setup.bufferSize;
    for (int k = 0; k < kTypeCount; ++k)
    {
        const TypeCase& c = kTypes[k];
        SCOPED_TRACE(c.name);
        // Driver -> host floats.
        for (int n = 0; n < frames; ++n)
        {
            const float got = block[static_cast<std::size_t>(n * kTypeCount + k)];
            if (c.signal)
                EXPECT_NEAR(got, (0.01 * (k + 1) + 0.001 * n) * c.gain, c.tolerance + 1e-7) << "frame " << n;
            else
                EXPECT_EQ(got, 0.0f) << "frame " << n;
        }
        // Host int32 -> driver bytes, second switch (counter 1).
        const std::vector<unsigned char>& raw = m_driver->OutputBytes(k);
        const int bytes = asio::SampleBytes(c.type);
        for (int n = 0; n < frames; ++n)
        {
            const std::int32_t v = (k + 1) * (1 << 20) * (n + 1) + 1;
            const auto u = static_cast<std::uint32_t>(v);
            if (bytes == 0)
            {
                // An unknown type: the driver's buffer is left as it was (the loopback fills 0xA5).
                EXPECT_EQ(raw[static_cast<std::size_t>(frames + n)], 0xA5);
                continue;
            }
            const unsigned char* p = raw.data() + static_cast<std::size_t>((frames + n) * bytes);
            switch (c.type)
            {
                case kInt16LSB:
                {
                    std::int16_t s = 0;
                    std::memcpy(&s, p, 2);
                    EXPECT_EQ(s, static_cast<std::int16_t>(v >> 16));
                    break;
                }
                case kInt24LSB:
                    EXPECT_EQ(p[0], static_cast<unsigned char>(u >> 8));
                    EXPECT_EQ(p[1], static_cast<unsigned char>(u >> 16));
                    EXPECT_EQ(p[2], static_cast<unsigned char>(u >> 24));
                    break;
                case kInt32LSB:
                {
                    std::int32_t s = 0;
                    std::memcpy(&s, p, 4);
                    EXPECT_EQ(s, v);
                    break;
                }
                case kFloat32LSB:
                {
                    float f = 0;
                    std::memcpy(&f, p, 4);
                    EXPECT_FLOAT_EQ(f, static_cast<float>(v / 2147483648.0));
                    break;
                }
                case kFloat64LSB:
                {
                    double d = 0;
                    std::memcpy(&d, p, 8);
                    EXPECT_DOUBLE_EQ(d, v / 2147483648.0);
                    break;
                }
                default:
                    for (int b = 0; b < bytes; ++b)
                        EXPECT_EQ(p[b], 0) << "byte " << b;
                    break;
            }
        }
    }
}

TEST_F(AsioDeviceTest, OneSwitchCallsOutputThenDataThenOutputReady)
{
    CAsioLoopbackDriver::Setup setup;
    setup.bufferSize = 8;
    Open(setup);
    g_host.log = &m_driver->m_log;
    m_driver->RunSwitches(3);
    const std::vector<std::string> expected = {"output", "data",   "ready", "output", "data",
                                               "ready",  "output", "data",  "ready"};
    EXPECT_EQ(m_driver->m_log, expected);
    // The data of a switch holds the inputs of that same switch.
    ASSERT_EQ(g_host.blocks.size(), 3u);
    EXPECT_NEAR(g_host.blocks[2][0], 0.01, 1e-7);
    EXPECT_NEAR(g_host.blocks[2][1], 0.02, 1e-7);
}

TEST_F(AsioDeviceTest, WithoutOutputReadySupportTheSwitchEndsAfterTheData)
{
    CAsioLoopbackDriver::Setup setup;
    setup.outputReady = false;
    Open(setup);
    g_host.log = &m_driver->m_log;
    m_driver->RunSwitches(2);
    const std::vector<std::string> expected = {"output", "data", "output", "data"};
    EXPECT_EQ(m_driver->m_log, expected);
}

struct RoutingCase
{
    const char* name;
    int forceStereo;
    int multichannel;
    int ch1;
    int ch2;
    int driverInputs;
    int expectedBuffers;
    std::vector<int> slots;  // which input channel each delivered slot carries (-1: nothing)
};

TEST_F(AsioDeviceTest, ForceStereoAndMultichannelRouteTheInputs)
{
    const RoutingCase cases[] = {
        // Force stereo with ch1 = 2: only two buffers exist, so channels 0 and 1 feed left and right.
        {"force stereo, ch1 2", 1, 0, 2, 1, 8, 2, {0, 1}},
        // Not forced: every input exists; ch1 and ch2 choose.
        {"ch1 5, ch2 2", 0, 0, 5, 2, 8, 8, {5, 2}},
        {"ch1 out of range", 0, 0, 40, 3, 8, 8, {-1, 3}},
        {"multichannel", 0, 1, 0, 1, 8, 8, {0, 1, 2, 3, 4, 5, 6, 7}},
        {"multichannel, force stereo", 1, 1, 0, 1, 8, 2, {0, 1}},
    };
    for (const RoutingCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CAsioLoopbackDriver::Setup setup;
        setup.inputs = c.driverInputs;
        setup.outputs = c.driverInputs;
        setup.bufferSize = 4;
        m_device.m_bForceStereo = c.forceStereo;
        m_device.m_bMultichannel = c.multichannel;
        m_device.m_nCh1 = c.ch1;
        m_device.m_nCh2 = c.ch2;
        Open(setup);
        EXPECT_EQ(m_device.GetInputBuffers(), c.expectedBuffers);
        EXPECT_EQ(m_device.GetOutputBuffers(), c.expectedBuffers);
        m_driver->RunSwitches(1);
        ASSERT_EQ(g_host.blocks.size(), 1u);
        const std::size_t stride = c.slots.size();
        ASSERT_EQ(g_host.blocks[0].size(), stride * 4);
        for (std::size_t slot = 0; slot < stride; ++slot)
        {
            const int channel = c.slots[slot];
            const double expected = channel < 0 ? 0.0 : 0.01 * (channel + 1) + 0.001;
            EXPECT_NEAR(g_host.blocks[0][stride + slot], expected, 1e-7) << "slot " << slot;
        }
        m_device.Close();
        UnregisterAsioDriver("Loopback");
        g_host = {};
    }
}

TEST_F(AsioDeviceTest, ADeviceThatCannotRunDoesNotOpenAndSaysWhy)
{
    {
        CAsioLoopbackDriver::Setup setup;
        setup.failInit = true;
        CAsioLoopbackDriver::RegisterLoopback("Loopback", setup);
        m_device.m_nDevice = 1;
        EXPECT_EQ(m_device.Open(&DataCallback, &OutputCallback, &m_outputs), -1);
        EXPECT_EQ(m_device.GetError(), "loopback refused");
        EXPECT_EQ(m_device.GetInputBuffers(), 0);
        EXPECT_NE(m_device.Start(), 0);
    }
    {
        // A period the work areas are not made for is refused, not overrun.
        CAsioLoopbackDriver::Setup setup;
        setup.bufferSize = CAsioDevice::kMaxPeriod + 1;
        CAsioLoopbackDriver::RegisterLoopback("Loopback", setup);
        EXPECT_EQ(m_device.Open(&DataCallback, &OutputCallback, &m_outputs), -1);
        EXPECT_NE(m_device.GetError().find("period of 32769 frames"), std::string::npos)
            << m_device.GetError();
    }
    {
        m_device.m_nDevice = 7;
        EXPECT_EQ(m_device.Open(&DataCallback, &OutputCallback, &m_outputs), -1);
        EXPECT_EQ(m_device.GetError(), "there is no ASIO driver number 8");
    }
}

TEST_F(AsioDeviceTest, TheDeviceRunsAtTheDriversOwnRate)
{
    CAsioLoopbackDriver::Setup setup;
    setup.sampleRate = 96000.0;
    m_device.m_nSampleRate = 44100;
    Open(setup);
    EXPECT_EQ(m_device.m_nSampleRate, 96000);
    EXPECT_EQ(m_device.GetDriverRate(), 96000.0);
}

TEST(AsioDriverList, JackComesFirstAndLongNamesAreCut)
{
    CAsioLoopbackDriver::RegisterLoopback("A loopback with a long name", {});
    CAsioDriverLoader loader;
    ASSERT_GE(loader.GetDriverCount(), 2);
    char name[12];
    EXPECT_EQ(loader.GetDriverName(0, name, sizeof name), 0);
    EXPECT_STREQ(name, "JACK");
    EXPECT_EQ(loader.GetDriverName(1, name, sizeof name), 0);
    EXPECT_STREQ(name, "A loopba...");
    EXPECT_EQ(loader.GetDriverName(9, name, sizeof name), CAsioDriverLoader::kNoSuchIndex);
    EXPECT_EQ(loader.GetDriverName(0, nullptr, 4), CAsioDriverLoader::kNoOutputPointer);
    UnregisterAsioDriver("A loopback with a long name");
}

TEST(AsioHost, WithoutADriverEveryWrapperSaysNotPresent)
{
    DeleteAsioDriverLoader();
    int a = 5, b = 5, c = 5, d = 5;
    double rate = 7.0;
    EXPECT_EQ(AsioStart(), -1000);
    EXPECT_EQ(AsioStop(), -1000);
    EXPECT_EQ(AsioGetChannels(a, b), -1000);
    EXPECT_EQ(a + b, 0);
    EXPECT_EQ(AsioGetBufferSize(a, b, c, d), -1000);
    EXPECT_EQ(AsioGetSampleRate(rate), -1000);
    EXPECT_EQ(rate, 0.0);
    EXPECT_EQ(AsioCanSampleRate(48000.0), -1000);
    EXPECT_EQ(AsioDisposeBuffers(), -1000);
    EXPECT_EQ(AsioControlPanel(), -1000);
    EXPECT_EQ(AsioOutputReady(), -1000);
    asio::ChannelInfo info;
    info.type = 18;
    std::strcpy(info.name, "x");
    EXPECT_EQ(AsioGetChannelInfo(info), -1000);
    EXPECT_EQ(info.type, -1);
    EXPECT_STREQ(info.name, "None");
    asio::BufferInfo buffer;
    buffer.buffers[0] = &a;
    EXPECT_EQ(AsioCreateBuffers(&buffer, 1, 64, {}), -1000);
    EXPECT_EQ(buffer.buffers[0], nullptr);
    AsioDriverInfo driverInfo;
    EXPECT_EQ(AsioInit(driverInfo), -1000);
    EXPECT_EQ(driverInfo.name, "No ASIO Driver");
}

TEST(AsioHost, MessagesAnswerTheSelectorsTheHostKnows)
{
    struct Case
    {
        long selector, value, answer;
    };
    const Case cases[] = {{1, 2, 1}, {1, 3, 1}, {1, 4, 0},  {1, 5, 1}, {1, 6, 1}, {1, 7, 1},
                          {1, 8, 1}, {1, 9, 1}, {1, 10, 0}, {2, 0, 2}, {3, 0, 1}, {4, 0, 0},
                          {5, 0, 1}, {6, 0, 1}, {7, 0, 1},  {8, 0, 0}, {99, 0, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(AsioMessage(c.selector, c.value, nullptr, nullptr), c.answer)
            << "selector " << c.selector << " value " << c.value;
}

TEST(AsioConvert, SampleTypeBitsFollowTheTable)
{
    struct Case
    {
        int type, bits, bytes;
    };
    const Case cases[] = {{0, 16, 2},  {16, 16, 2}, {1, 24, 3},  {17, 24, 3}, {2, 32, 4},  {3, 32, 4},
                          {18, 32, 4}, {19, 32, 4}, {4, 64, 8},  {20, 64, 8}, {8, 16, 4},  {24, 16, 4},
                          {9, 18, 4},  {25, 18, 4}, {10, 20, 4}, {26, 20, 4}, {11, 24, 4}, {27, 24, 4},
                          {5, 0, 0},   {-1, 0, 0},  {28, 0, 0}};
    for (const Case& c : cases)
    {
        int bits = -1, bytes = -1;
        asio::GetSampleTypeBits(c.type, bits, bytes);
        EXPECT_EQ(bits, c.bits) << c.type;
        EXPECT_EQ(bytes, c.bytes) << c.type;
    }
}

}  // namespace
