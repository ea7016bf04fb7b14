#include "common/FloatRingBuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <vector>

namespace
{

TEST(FloatRingBufferTest, CountsSamplesAndBytesOverTheCallersBuffer)
{
    std::array<float, 5> storage{};
    CFloatRingBuffer ring;
    ring.SetBuffer(storage.data(), 5);
    EXPECT_EQ(ring.GetCapacity(), 5);

    std::vector<float> in(3);
    std::iota(in.begin(), in.end(), 1.0f);
    ring.Write(in.data(), 3);
    EXPECT_EQ(ring.GetCount(), 3);
    EXPECT_EQ(ring.GetCountBytes(), 12);
    EXPECT_EQ(ring.GetFree(), 2);
    EXPECT_EQ(ring.GetWritePos(), 3);
    EXPECT_EQ(storage[2], 3.0f);
}

TEST(FloatRingBufferTest, StreamsWithoutLosingOrRepeatingASample)
{
    std::array<float, 7> storage{};
    CFloatRingBuffer ring;
    ring.SetBuffer(storage.data(), 7);
    float next = 0.0f;
    float expected = 0.0f;
    // Uneven write and read sizes walk every phase of the wrap.
    for (int round = 0; round < 50; ++round)
    {
        const int n = 1 + round % 6;
        std::vector<float> in(static_cast<std::size_t>(n));
        for (float& x : in)
            x = next++;
        ring.Write(in.data(), n);
        std::vector<float> out(static_cast<std::size_t>(n));
        ring.Read(out.data(), n);
        for (float x : out)
            ASSERT_EQ(x, expected++) << "round " << round;
        ASSERT_EQ(ring.GetCount(), 0);
    }
}

TEST(FloatRingBufferTest, OverlongWriteKeepsTheNewestSamples)
{
    std::array<float, 4> storage{};
    CFloatRingBuffer ring;
    ring.SetBuffer(storage.data(), 4);
    std::vector<float> in(6);
    std::iota(in.begin(), in.end(), 1.0f);  // 1..6
    ring.Write(in.data(), 6);
    EXPECT_EQ(ring.GetFill(), 4);
    EXPECT_EQ(ring.GetCount(), 6);
    EXPECT_EQ(ring.GetWritePos(), 2);
    EXPECT_EQ(storage, (std::array<float, 4>{5.0f, 6.0f, 3.0f, 4.0f}));
}

}  // namespace
