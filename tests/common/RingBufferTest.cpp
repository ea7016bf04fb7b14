#include "common/RingBuffer.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <numeric>
#include <vector>

namespace
{

std::vector<std::uint8_t> Sequence(int count, int first = 1)
{
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
    std::iota(bytes.begin(), bytes.end(), static_cast<std::uint8_t>(first));
    return bytes;
}

TEST(RingBufferTest, StartsEmptyWithoutStorage)
{
    CRingBuffer ring;
    EXPECT_EQ(ring.GetCapacity(), 0);
    EXPECT_EQ(ring.GetCount(), 0);
    EXPECT_EQ(ring.GetFill(), 0);
    EXPECT_EQ(ring.GetBuffer(), nullptr);
    // Without storage a write moves no bytes and touches no memory.
    const auto data = Sequence(4);
    ring.Write(data.data(), 4);
    EXPECT_EQ(ring.GetFill(), 0);
}

TEST(RingBufferTest, WriteThenReadWrapsAroundTheEnd)
{
    CRingBuffer ring;
    ring.Allocate(8);
    std::array<std::uint8_t, 8> out{};
    // Three rounds of 5 bytes cross the end of the storage twice.
    for (int round = 0; round < 3; ++round)
    {
        const auto data = Sequence(5, 10 * round);
        ring.Write(data.data(), 5);
        EXPECT_EQ(ring.GetCount(), 5);
        ring.Read(out.data(), 5);
        EXPECT_EQ(ring.GetCount(), 0);
        EXPECT_TRUE(std::equal(data.begin(), data.end(), out.begin())) << "round " << round;
    }
    EXPECT_EQ(ring.GetWritePos(), 15 % 8);
    EXPECT_EQ(ring.GetReadPos(), 15 % 8);
}

TEST(RingBufferTest, WriteReachingTheEndLeavesPositionZero)
{
    CRingBuffer ring;
    ring.Allocate(8);
    const auto data = Sequence(8);
    ring.Write(data.data(), 3);
    ring.Write(data.data(), 5);
    EXPECT_EQ(ring.GetWritePos(), 0);
    EXPECT_EQ(ring.GetFree(), 0);
}

TEST(RingBufferTest, OverlongWriteKeepsTheLastCapacityBytes)
{
    CRingBuffer ring;
    ring.Allocate(8);
    const auto data = Sequence(10);  // 1..10
    ring.Write(data.data(), 10);
    EXPECT_EQ(ring.GetCountBytes(), 10);
    EXPECT_EQ(ring.GetFill(), 8);
    EXPECT_EQ(ring.GetWritePos(), 2);
    // Bytes 3..10 are stored, byte 9 and 10 having wrapped to the front.
    const std::array<std::uint8_t, 8> expected{9, 10, 3, 4, 5, 6, 7, 8};
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), ring.GetBuffer()));
}

TEST(RingBufferTest, WrapReducesPositionsIntoTheStorage)
{
    CRingBuffer ring;
    ring.Allocate(8);
    const struct
    {
        long long position;
        int expected;
    } cases[] = {{-3, 5}, {-8, 0}, {16, 0}, {-1, 7}, {9, 1}, {0, 0}, {7, 7}};
    for (const auto& c : cases)
        EXPECT_EQ(ring.Wrap(c.position), c.expected) << c.position;
}

TEST(RingBufferTest, BorrowedStorageIsUsedAndAllocateResets)
{
    std::array<std::uint8_t, 4> storage{};
    CRingBuffer ring;
    ring.SetBuffer(storage.data(), 4);
    const auto data = Sequence(3, 7);
    ring.Write(data.data(), 3);
    EXPECT_EQ(storage[0], 7);
    EXPECT_EQ(storage[2], 9);
    ring.Free();  // borrowed: only forgotten, the caller's bytes stay
    EXPECT_EQ(storage[0], 7);

    ring.Allocate(16);
    EXPECT_EQ(ring.GetCapacity(), 16);
    EXPECT_EQ(ring.GetCount(), 0);
    EXPECT_EQ(ring.GetWritePos(), 0);
    ring.Free();
    EXPECT_EQ(ring.GetCapacity(), 0);
    EXPECT_EQ(ring.GetBuffer(), nullptr);
}

}  // namespace

namespace
{

// A plane of 8 bytes 0..7 read back by CopyEndingAt and AddEndingAt around the wrap.
TEST(RingBufferTest, CopyEndingAtTakesTheBytesBeforeTheEnd)
{
    CRingBuffer ring;
    ring.Allocate(8);
    const auto plane = Sequence(8, 0);
    const struct
    {
        int bytes;
        long long end;
        std::vector<std::uint8_t> expected;
    } cases[] = {
        {3, 5, {2, 3, 4}},
        {4, 2, {6, 7, 0, 1}},  // crosses the wrap
        {8, 0, {0, 1, 2, 3, 4, 5, 6, 7}},
        {2, -1, {5, 6}},     // negative end counts back from the end
        {3, 19, {0, 1, 2}},  // 19 wraps to 3
    };
    for (const auto& c : cases)
    {
        std::vector<std::uint8_t> out(c.expected.size(), 0xEE);
        ring.CopyEndingAt(plane.data(), out.data(), c.bytes, c.end);
        EXPECT_EQ(out, c.expected) << c.bytes << " ending at " << c.end;
    }
    // A range longer than the plane copies nothing.
    std::vector<std::uint8_t> out(9, 0xEE);
    ring.CopyEndingAt(plane.data(), out.data(), 9, 9);
    EXPECT_EQ(out, std::vector<std::uint8_t>(9, 0xEE));
}

TEST(RingBufferTest, AddEndingAtAddsFloatsAcrossTheWrap)
{
    CRingBuffer ring;
    ring.Allocate(4 * 4);  // four floats
    const std::array<float, 4> plane{1.0f, 2.0f, 3.0f, 4.0f};
    std::array<float, 3> out{10.0f, 20.0f, 30.0f};
    // Three floats ending at float 1: floats 2, 3, 0.
    ring.AddEndingAt(plane.data(), out.data(), 12, 4);
    EXPECT_EQ(out, (std::array<float, 3>{13.0f, 24.0f, 31.0f}));
    ring.AddEndingAt(plane.data(), out.data(), 12, 4);
    EXPECT_EQ(out, (std::array<float, 3>{16.0f, 28.0f, 32.0f}));
}

}  // namespace
