#include "common/ChannelRingBuffer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <thread>
#include <vector>

namespace
{

// Frame totals are encoded as sample values (exact in a float below 2^24); channel c adds c x 2^20
// wherever totals stay below 2^20, so a frame from the wrong plane shows.
float Value(std::int64_t total, int channel)
{
    return static_cast<float>(total % (1 << 20) + static_cast<std::int64_t>(channel) * (1 << 20));
}

class ChannelRing : public ::testing::Test
{
protected:
    static constexpr int kChannels = 3;
    static constexpr int kCapacity = 16;
    static constexpr int kStride = 40;  // elements between the rows of a block

    void SetUp() override
    {
        ASSERT_TRUE(m_ring.Init(m_storage.data(), kCapacity, 4, kChannels, kStride, kStride));
    }

    // Writes `frames` frames continuing the running total.
    int Write(int frames)
    {
        std::vector<float> block(static_cast<std::size_t>(kChannels * kStride));
        for (int c = 0; c < kChannels; ++c)
            for (int i = 0; i < frames; ++i)
                block[static_cast<std::size_t>(c * kStride + i)] = Value(m_next + i, c);
        const int written = m_ring.WriteBlock(block.data(), frames);
        m_next += written;
        return written;
    }

    std::vector<float> Read(int frames, int* got = nullptr)
    {
        std::vector<float> block(static_cast<std::size_t>(kChannels * kStride), -1.0f);
        const int n = m_ring.ReadBlock(block.data(), frames);
        if (got)
            *got = n;
        return block;
    }

    std::vector<float> m_storage = std::vector<float>(kChannels * kCapacity);
    CChannelRingBuffer m_ring;
    std::int64_t m_next = 0;
};

TEST_F(ChannelRing, ReadBackReturnsTheNewestFramesOldestFirst)
{
    Write(10);
    Write(11);  // 21 frames: the ring has wrapped
    m_ring.SetReadBack(6);
    EXPECT_EQ(m_ring.GetAvailable(), 6);
    EXPECT_EQ(m_ring.GetReadFrame(), (21 - 6) % kCapacity);
    int got = 0;
    const auto block = Read(6, &got);
    ASSERT_EQ(got, 6);
    for (int c = 0; c < kChannels; ++c)
        for (int i = 0; i < 6; ++i)
            EXPECT_EQ(block[static_cast<std::size_t>(c * kStride + i)], Value(15 + i, c)) << c << "," << i;
    EXPECT_EQ(m_ring.GetAvailable(), 0);
}

TEST_F(ChannelRing, AddBlockAddsTheSameFramesEachTime)
{
    Write(12);
    m_ring.SetReadBack(4);
    std::vector<float> sum(static_cast<std::size_t>(kChannels * kStride), 0.0f);
    ASSERT_EQ(m_ring.AddBlock(sum.data(), 4), 4);
    ASSERT_EQ(m_ring.AddBlock(sum.data(), 4), 4);
    for (int c = 0; c < kChannels; ++c)
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(sum[static_cast<std::size_t>(c * kStride + i)], 2.0f * Value(8 + i, c));
    EXPECT_EQ(m_ring.GetReadFrame(), 8);  // the read frame stayed
}

TEST_F(ChannelRing, StreamsAcrossTheWrapWithoutLosingOrRepeatingAFrame)
{
    std::int64_t expected = 0;
    for (int round = 0; round < 200; ++round)
    {
        ASSERT_EQ(Write(1 + round % 7), 1 + round % 7);
        while (m_ring.GetAvailable() >= 5)
        {
            int got = 0;
            const auto block = Read(5, &got);
            ASSERT_EQ(got, 5);
            for (int i = 0; i < 5; ++i)
                for (int c = 0; c < kChannels; ++c)
                    ASSERT_EQ(block[static_cast<std::size_t>(c * kStride + i)], Value(expected + i, c));
            expected += 5;
        }
    }
    EXPECT_EQ(expected + m_ring.GetAvailable(), m_next);
    EXPECT_EQ(m_ring.GetSkippedFrames() + m_ring.GetDroppedFrames(), 0);
}

TEST_F(ChannelRing, ReadingMoreThanWasWrittenCopiesNothing)
{
    Write(3);
    int got = -1;
    const auto block = Read(4, &got);
    EXPECT_EQ(got, 0);
    EXPECT_EQ(block[0], -1.0f);
    EXPECT_EQ(m_ring.GetAvailable(), 3);
    Read(kCapacity + 1, &got);
    EXPECT_EQ(got, 0);
}

TEST_F(ChannelRing, OverrunSkipsTheOldestUnreadFrames)
{
    Write(10);
    EXPECT_EQ(m_ring.GetFree(), kCapacity - 10);
    Write(10);  // 4 unread frames must go
    EXPECT_EQ(m_ring.GetSkippedFrames(), 4);
    EXPECT_EQ(m_ring.GetAvailable(), kCapacity);
    int got = 0;
    const auto block = Read(kCapacity, &got);
    ASSERT_EQ(got, kCapacity);
    for (int i = 0; i < kCapacity; ++i)
        EXPECT_EQ(block[static_cast<std::size_t>(i)], Value(4 + i, 0));
    // A block longer than the whole ring keeps its newest frames that fit: never past an end.
    std::vector<float> huge(static_cast<std::size_t>(kChannels * kStride), 7.0f);
    EXPECT_EQ(m_ring.WriteBlock(huge.data(), kStride), kCapacity);
    EXPECT_EQ(m_ring.GetDroppedFrames(), kStride - kCapacity);
}

TEST(ChannelRingBufferTest, InitRefusesImpossibleGeometry)
{
    std::vector<float> storage(64 * 8);
    CChannelRingBuffer ring;
    const struct
    {
        int capacity, channels;
        bool ok;
    } cases[] = {{8, 1, true}, {8, 64, true}, {8, 0, false}, {8, 65, false}, {0, 1, false}, {-4, 2, false}};
    for (const auto& c : cases)
    {
        EXPECT_EQ(ring.Init(storage.data(), c.capacity, 4, c.channels, 8, 8), c.ok)
            << c.capacity << "x" << c.channels;
        if (!c.ok)
        {
            EXPECT_EQ(ring.GetChannels(), 0);
            float one = 1.0f;
            EXPECT_EQ(ring.WriteBlock(&one, 1), 0);
        }
    }
    EXPECT_FALSE(ring.Init(nullptr, 8, 4, 1, 8, 8));
}

// One producer and one consumer thread. With back-pressure (the producer waits for room) every
// frame arrives once and in order; without it, frames are lost only between blocks: every block
// the consumer takes is still a run of consecutive frames, never a torn mixture of old and new.
class ChannelRingThreads : public ::testing::TestWithParam<bool>
{
};

TEST_P(ChannelRingThreads, ConsumerSeesWholeBlocks)
{
    const bool waitForRoom = GetParam();
    constexpr int kChannels = 2;
    constexpr int kCapacity = 256;
    constexpr int kBlock = 48;
    constexpr std::int64_t kTotal = 400000;
    std::vector<float> storage(kChannels * kCapacity);
    CChannelRingBuffer ring;
    ASSERT_TRUE(ring.Init(storage.data(), kCapacity, 4, kChannels, 64, kBlock));
    std::atomic<bool> done{false};

    std::thread producer(
        [&]
        {
            std::vector<float> block(kChannels * 64);
            std::int64_t next = 0;
            int size = 1;
            while (next < kTotal)
            {
                size = size % 37 + 1;
                const int n = static_cast<int>(std::min<std::int64_t>(size, kTotal - next));
                if (waitForRoom)
                    while (ring.GetFree() < n)
                        std::this_thread::yield();
                for (int c = 0; c < kChannels; ++c)
                    for (int i = 0; i < n; ++i)
                        block[static_cast<std::size_t>(c * 64 + i)] =
                            static_cast<float>((next + i) % (1 << 22)) + c * 0.5f;
                // Frames dropped while the consumer held the room are offered again, so the
                // stream in the ring itself stays consecutive; only the consumer's skips leave gaps.
                next += ring.WriteBlock(block.data(), n);
            }
            done = true;
        });

    std::vector<float> out(kChannels * kBlock);
    std::int64_t expected = 0;
    std::int64_t taken = 0;
    bool torn = false;
    bool gap = false;
    while (!done || ring.GetAvailable() >= kBlock)
    {
        if (ring.ReadBlock(out.data(), kBlock) != kBlock)
        {
            std::this_thread::yield();
            continue;
        }
        const float first = out[0];
        if (waitForRoom && first != static_cast<float>(expected % (1 << 22)))
            gap = true;
        for (int c = 0; c < kChannels; ++c)
            for (int i = 0; i < kBlock; ++i)
            {
                const float want =
                    std::fmod(first + static_cast<float>(i), static_cast<float>(1 << 22)) + c * 0.5f;
                if (out[static_cast<std::size_t>(c * kBlock + i)] != want)
                    torn = true;
            }
        expected += kBlock;
        taken += kBlock;
    }
    producer.join();
    EXPECT_FALSE(torn);
    if (waitForRoom)
    {
        EXPECT_FALSE(gap);
        EXPECT_EQ(taken + ring.GetAvailable(), kTotal);
        EXPECT_EQ(ring.GetSkippedFrames() + ring.GetDroppedFrames(), 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Producer, ChannelRingThreads, ::testing::Values(true, false),
                         [](const auto& info) { return info.param ? "WaitsForRoom" : "Overruns"; });

}  // namespace
