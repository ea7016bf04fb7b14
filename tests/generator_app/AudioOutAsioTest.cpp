// Pulvera's ASIO output through the in-memory loopback driver: which output carries which channel
// in which sample form, how many buffers a channel limit creates, and a driver that cannot start.
#include "generator_app/AudioOutAsio.h"

#include "platform/asio/AsioConvert.h"
#include "platform/asio/AsioDriverList.h"
#include "tests/support/AsioLoopbackDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

// Left sample of frame i, with every byte changing from frame to frame; right is its negation.
std::int32_t Left(int frame)
{
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(frame) * 0x01010101u + 0x00102030u) / 2;
}

int FillRamp(void* buffer, int bytes, void* context)
{
    auto* next = static_cast<int*>(context);
    auto* out = static_cast<std::int32_t*>(buffer);
    for (int i = 0; i < bytes / 8; ++i, ++*next)
    {
        out[2 * i] = Left(*next);
        out[2 * i + 1] = -Left(*next);
    }
    return bytes;
}

std::int32_t Expected(int frame, int output)
{
    return output % 2 == 0 ? Left(frame) : -Left(frame);
}

int DriverIndex(const std::string& name)
{
    const CAsioDriverList list;
    const CAsioDriverList::Entry* entry = list.FindByName(name);
    return entry != nullptr ? entry->index : -1;
}

struct OutputCase
{
    const char* name;
    int limit;
    int expectedOutputs;
    std::vector<int> types;
};

TEST(AudioOutAsio, OutputsAlternateLeftAndRightInTheirSampleTypeWithinTheBufferLimit)
{
    using namespace asio::sample_type;
    const std::vector<OutputCase> cases = {
        {"four Int32 outputs", 4, 4, {kInt32LSB, kInt32LSB, kInt32LSB, kInt32LSB}},
        {"limit of two buffers", 2, 2, {kInt32LSB, kInt32LSB, kInt32LSB, kInt32LSB}},
        {"mixed types", 4, 4, {kInt24LSB, kInt16LSB, kFloat32LSB, kInt32LSB}},
    };
    constexpr int kPeriod = 64;
    constexpr int kSwitches = 3;
    for (const OutputCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        CAsioLoopbackDriver::Setup setup;
        setup.inputs = 4;
        setup.outputs = 4;
        setup.bufferSize = kPeriod;
        setup.outputTypes = c.types;
        CAsioLoopbackDriver::RegisterLoopback("Loopback", setup);
        int next = 0;
        CAudioOut_ASIO out;
        ASSERT_EQ(out.Open(48000, DriverIndex("Loopback"), c.limit, &FillRamp, &next), 0)
            << out.GetLastError();
        EXPECT_EQ(out.GetOutputBuffers(), c.expectedOutputs);
        EXPECT_EQ(out.GetInputBuffers(), c.expectedOutputs);
        CAsioLoopbackDriver* driver = CAsioLoopbackDriver::Current();
        ASSERT_NE(driver, nullptr);
        EXPECT_EQ(driver->m_createdBuffers, 2 * c.expectedOutputs);
        EXPECT_EQ(out.Start(), asio::kOk);
        driver->RunSwitches(kSwitches);
        for (int o = 0; o < c.expectedOutputs; ++o)
        {
            SCOPED_TRACE(o);
            const std::vector<unsigned char>& bytes = driver->OutputBytes(o);
            const int type = c.types[static_cast<std::size_t>(o)];
            const int size = asio::SampleBytes(type);
            ASSERT_EQ(bytes.size(), static_cast<std::size_t>(kPeriod * kSwitches * size));
            for (int f = 0; f < kPeriod * kSwitches; ++f)
            {
                const std::int32_t want = Expected(f, o);
                const unsigned char* got = bytes.data() + static_cast<std::size_t>(f * size);
                if (type == kInt32LSB || type == kInt24LSB || type == kInt16LSB)
                {
                    // The upper bytes of the little-endian sample, in order.
                    unsigned char full[4];
                    std::memcpy(full, &want, 4);
                    ASSERT_EQ(std::memcmp(got, full + 4 - size, static_cast<std::size_t>(size)), 0) << f;
                }
                else
                {
                    float value = 0.0f;
                    std::memcpy(&value, got, 4);
                    ASSERT_FLOAT_EQ(value, static_cast<float>(want / 2147483648.0)) << f;
                }
            }
        }
        EXPECT_TRUE(out.GetUnsupportedOutputs().empty());
        out.Close();
        EXPECT_FALSE(out.IsOpen());
    }
    UnregisterAsioDriver("Loopback");
}

TEST(AudioOutAsio, UnsupportedOutputsAreNamedAndAFailedStartIsReported)
{
    using namespace asio::sample_type;
    CAsioLoopbackDriver::Setup setup;
    setup.outputTypes = {kInt32LSB, kInt32LSB20};
    CAsioLoopbackDriver::RegisterLoopback("Loopback", setup);
    int next = 0;
    CAudioOut_ASIO out;
    ASSERT_EQ(out.Open(48000, DriverIndex("Loopback"), 2, &FillRamp, &next), 0);
    EXPECT_EQ(out.GetUnsupportedOutputs(), "output 2: ASIOSTInt32LSB20\n");
    out.Close();

    setup.failInit = true;
    CAsioLoopbackDriver::RegisterLoopback("Loopback", setup);
    EXPECT_LT(out.Open(48000, DriverIndex("Loopback"), 2, &FillRamp, &next), 0);
    EXPECT_NE(out.GetLastError().find("loopback refused"), std::string::npos) << out.GetLastError();
    EXPECT_FALSE(out.IsOpen());
    EXPECT_LT(out.Open(48000, 99, 2, &FillRamp, &next), 0);
    EXPECT_FALSE(out.GetLastError().empty());
    UnregisterAsioDriver("Loopback");
}

}  // namespace
