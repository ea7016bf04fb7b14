// The measurement window's impulse response read from an audio file, and what the engine's decay
// analysis is then given.
#include "ViewFixture.h"

#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

namespace
{

using viewtest::ViewFixture;

std::string U16(std::uint16_t v)
{
    return {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
}

std::string U32(std::uint32_t v)
{
    return U16(static_cast<std::uint16_t>(v & 0xFFFF)) + U16(static_cast<std::uint16_t>(v >> 16));
}

// A 16-bit PCM WAVE file of interleaved frames.
std::string Wave(int channels, int rate, const std::vector<std::int16_t>& samples)
{
    std::string data;
    for (std::int16_t s : samples)
        data += U16(static_cast<std::uint16_t>(s));
    const std::string fmt = "fmt " + U32(16) + U16(1) + U16(static_cast<std::uint16_t>(channels)) +
                            U32(static_cast<std::uint32_t>(rate)) +
                            U32(static_cast<std::uint32_t>(rate * 2 * channels)) +
                            U16(static_cast<std::uint16_t>(2 * channels)) + U16(16);
    const std::string chunks = fmt + "data" + U32(static_cast<std::uint32_t>(data.size())) + data;
    return "RIFF" + U32(static_cast<std::uint32_t>(4 + chunks.size())) + "WAVE" + chunks;
}

class SndViewImpulseTest : public ViewFixture
{
protected:
    testsupport::TempHome m_home;
};

// A stereo file is held one row per channel at the file's rate; the engine analyses its first
// channel. Reading past a WAVE file's end would loop: exactly its frames are read.
TEST_F(SndViewImpulseTest, HoldsTheFileRowByRowAndHandsTheFirstChannelToTheEngine)
{
    CSndView& view = MakeView();
    std::vector<std::int16_t> samples;
    for (int i = 0; i < 3000; ++i)
    {
        samples.push_back(static_cast<std::int16_t>(i));
        samples.push_back(static_cast<std::int16_t>(-2 * i));
    }
    const auto path = m_home.File("ir.wav");
    ASSERT_TRUE(testsupport::WriteBytes(path, Wave(2, 44100, samples)));
    int frames = 0, rate = 0, channels = 0;
    ASSERT_TRUE(view.LoadImpulseFromAudioFile(path.string(), frames, rate, channels));
    EXPECT_EQ(frames, 3000);
    EXPECT_EQ(rate, 44100);
    EXPECT_EQ(channels, 2);
    ASSERT_EQ(view.m_impulseResponse.size(), 6000u);
    for (int i = 0; i < 3000; ++i)
    {
        ASSERT_FLOAT_EQ(view.m_impulseResponse[static_cast<std::size_t>(i)], i / 32768.0f) << i;
        ASSERT_FLOAT_EQ(view.m_impulseResponse[static_cast<std::size_t>(3000 + i)], -2 * i / 32768.0f) << i;
    }
    EXPECT_EQ(m_engine.m_pHeldImpulse, view.m_impulseResponse.data());
    EXPECT_EQ(m_engine.m_nHeldImpulseLength, 3000);
    EXPECT_EQ(m_engine.m_nHeldImpulseRate, 44100);
}

// A file that cannot be read leaves the held response as it was; closing the window lets the engine
// go of it.
TEST_F(SndViewImpulseTest, UnreadableFileKeepsTheHeldResponse)
{
    auto view = std::make_unique<CSndView>(m_document, m_engine);
    const auto good = m_home.File("good.wav");
    ASSERT_TRUE(testsupport::WriteBytes(good, Wave(1, 48000, std::vector<std::int16_t>(100, 1000))));
    int frames = 0, rate = 0, channels = 0;
    ASSERT_TRUE(view->LoadImpulseFromAudioFile(good.string(), frames, rate, channels));
    const auto damaged = m_home.File("damaged.wav");
    ASSERT_TRUE(testsupport::WriteBytes(damaged, "RIFF\x04"));
    for (const auto& path : {damaged, m_home.File("missing.wav")})
    {
        frames = rate = channels = -1;
        EXPECT_FALSE(view->LoadImpulseFromAudioFile(path.string(), frames, rate, channels));
        EXPECT_EQ(frames, -1);
        EXPECT_EQ(view->m_nImpulseFrames, 100);
        EXPECT_EQ(m_engine.m_nHeldImpulseLength, 100);
    }
    view.reset();
    EXPECT_EQ(m_engine.m_pHeldImpulse, nullptr);
    EXPECT_EQ(m_engine.m_nHeldImpulseLength, 0);
}

}  // namespace
