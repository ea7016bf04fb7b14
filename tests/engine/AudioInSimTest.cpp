// The simulated input: a 1 kHz sine at the pace of real time, without any sound card.
#include "engine/AudioInSim.h"

#include "tests/engine/BlockRecorder.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
InputDeviceConfig Config(int rate, int frames, int channels, int bits)
{
    InputDeviceConfig config;
    config.sampleRate = rate;
    config.bufferFrames = frames;
    config.channels = channels;
    config.bits = bits;
    return config;
}

TEST(AudioInSimTest, BlockPeriodIsWholeMilliseconds)
{
    BlockRecorder sink;
    CAudioIn_Sim sim;
    ASSERT_EQ(sim.Open(Config(48000, 1024, 1, 16), sink), 0);
    EXPECT_EQ(sim.GetBlockPeriodMs(), 21);
    sim.Close();
}

TEST(AudioInSimTest, StereoSixteenBitBlocksCarryOneContinuousSine)
{
    BlockRecorder sink;
    CAudioIn_Sim sim;
    ASSERT_EQ(sim.Open(Config(8000, 64, 2, 16), sink), 0);  // 8 ms blocks
    ASSERT_TRUE(sink.WaitForBlocks(4, std::chrono::seconds(5)));
    sim.Close();
    std::lock_guard lock(sink.m_mutex);
    ASSERT_GE(sink.m_pcm.size(), 4u * 64 * 2);
    for (std::size_t f = 0; f < 4 * 64; ++f)
    {
        // sin(n x 1000 x 2 pi / 8000), truncated toward zero, across block boundaries without a jump.
        const auto expected = static_cast<std::int16_t>(std::sin(f * 1000.0 * 6.2831853 / 8000.0) * 32767.0);
        ASSERT_EQ(sink.m_pcm[2 * f], expected) << f;
        ASSERT_EQ(sink.m_pcm[2 * f + 1], expected) << f;
    }
}

TEST(AudioInSimTest, AboveSixteenBitsDeliversFloats)
{
    BlockRecorder sink;
    CAudioIn_Sim sim;
    ASSERT_EQ(sim.Open(Config(8000, 32, 1, 24), sink), 0);
    ASSERT_TRUE(sink.WaitForBlocks(2, std::chrono::seconds(5)));
    sim.Close();
    std::lock_guard lock(sink.m_mutex);
    EXPECT_TRUE(sink.m_pcm.empty());
    ASSERT_EQ(sink.m_floatFrames[0], 32);
    EXPECT_FLOAT_EQ(sink.m_float[2], static_cast<float>(std::sin(2 * 1000.0 * 6.2831853 / 8000.0)));
}

TEST(AudioInSimTest, PauseStopsDeliveryAndResumeStartsThePhaseAgain)
{
    BlockRecorder sink;
    CAudioIn_Sim sim;
    ASSERT_EQ(sim.Open(Config(8000, 16, 1, 16), sink), 0);  // 2 ms blocks
    ASSERT_TRUE(sink.WaitForBlocks(3, std::chrono::seconds(5)));
    sim.Pause();
    const std::size_t paused = sink.Blocks();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(sink.Blocks(), paused) << "nothing arrives while paused";
    sim.Resume();
    ASSERT_TRUE(sink.WaitForBlocks(paused + 1, std::chrono::seconds(5)));
    sim.Close();
    std::lock_guard lock(sink.m_mutex);
    EXPECT_EQ(sink.m_pcm[paused * 16], 0) << "the first sample after a resume is sin(0)";
    EXPECT_EQ(sink.m_pcm[paused * 16 + 1],
              static_cast<std::int16_t>(std::sin(1000.0 * 6.2831853 / 8000.0) * 32767.0));
}

TEST(AudioInSimTest, KeepsRealTimePace)
{
    BlockRecorder sink;
    CAudioIn_Sim sim;
    ASSERT_EQ(sim.Open(Config(48000, 480, 2, 16), sink), 0);  // 100 blocks a second
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sim.Close();
    // Never ahead of the clock; the lower bound only catches a stalled thread.
    EXPECT_LE(sink.Blocks(), 51u);
    EXPECT_GE(sink.Blocks(), 25u);
}

}  // namespace
