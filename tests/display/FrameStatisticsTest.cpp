#include "display/FrameStatistics.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/AppTimer.h"
#include "display/3DErrorText.h"

namespace
{

class FrameStatisticsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetAppTimerClock([this] { return m_now; });
        AppTimer(TIMER_RESET);
        AppTimer(TIMER_GETELAPSEDTIME);
    }
    void TearDown() override { SetAppTimerClock(nullptr); }

    double m_now = 1000.0;
};

TEST_F(FrameStatisticsTest, SixteenMillisecondTicksDrawEveryFourthTick)
{
    // 3 ticks are 48 ms, short of the 50 ms between frames; 4 ticks are 64 ms.
    CFrameStatistics stats;
    std::vector<int> drawn;
    for (int tick = 0; tick <= 24; ++tick)
    {
        m_now = 1000.0 + tick * 0.016;
        if (stats.BeginFrame())
        {
            drawn.push_back(tick);
            stats.EndFrame();
        }
    }
    // Tick 0 comes with no time elapsed since the timer was last read, so the first frame is tick 1.
    EXPECT_EQ(drawn, (std::vector<int>{1, 5, 9, 13, 17, 21}));
}

TEST_F(FrameStatisticsTest, StoppedTimerDrawsNothingAndTheRateComesOncePerSecond)
{
    CFrameStatistics stats;
    m_now = 1000.5;
    ASSERT_TRUE(stats.BeginFrame());
    EXPECT_TRUE(stats.EndFrame());  // the first count: more than a second since the start of time
    AppTimer(TIMER_STOP);
    for (int i = 1; i <= 10; ++i)
    {
        m_now = 1000.5 + i * 0.1;
        EXPECT_FALSE(stats.BeginFrame()) << i;
    }
    AppTimer(TIMER_START);
    // 20 frames 0.1 s apart: the first comes more than a second after the last count; after it the
    // rate is worked out once more, a second later, at 10 frames per second.
    int updates = 0;
    for (int i = 1; i <= 20; ++i)
    {
        m_now = 1001.5 + i * 0.1;
        ASSERT_TRUE(stats.BeginFrame()) << i;
        if (stats.EndFrame())
            ++updates;
    }
    EXPECT_EQ(updates, 2);
    EXPECT_NEAR(stats.m_dFramesPerSecond, 10.0, 1e-6);
}

TEST(FrameStatsTextTest, RateSizeColourDepthAndMultisample)
{
    const struct
    {
        double fps;
        int width, height, colour, depth, stencil, samples;
        const char* expected;
    } cases[] = {
        {59.5, 800, 600, 32, 24, 8, 0, "59.50 fps (800x600x32) (D24S8)"},
        {20.0, 640, 480, 16, 16, 0, 4, "20.00 fps (640x480x16) (D16) (4x Multisample)"},
        {12.345, 1024, 768, 32, 0, 0, 1, "12.35 fps (1024x768x32)"},
        {0.0, 1, 1, 32, 32, 0, 16, "0.00 fps (1x1x32) (D32) (16x Multisample)"},
        {1.0, 2, 3, 32, 24, 0, 17, "1.00 fps (2x3x32) (D24X8)"},
        {1.0, 2, 3, 32, 24, 4, 2, "1.00 fps (2x3x32) (D24X4S4) (2x Multisample)"},
        {1.0, 2, 3, 16, 15, 1, 0, "1.00 fps (2x3x16) (D15S1)"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FrameStatsText(c.fps, c.width, c.height, c.colour, c.depth, c.stencil, c.samples),
                  c.expected);
}

TEST(Text3DErrorTest, EveryCodeHasItsTextAndEachKindItsSuffix)
{
    const struct
    {
        std::uint32_t code;
        const char* start;
    } cases[] = {
        {0x8007000E, "Not enough memory."},
        {0x82000001, "Could not initialize OpenGL. You may\n"},
        {0x82000003, "Could not find any compatible OpenGL\ndevices."},
        {0x82000004, "This program cannot run in a desktop\n"},
        {0x82000005, "No hardware-accelerated OpenGL devices\nwere found."},
        {0x82000006, "This program requires functionality that is\nnot available on your OpenGL hardware\n"},
        {0x82000007, "Your OpenGL hardware accelerator cannot\nrender into a window.\n"},
        {0x82000008, "Your OpenGL hardware accelerator cannot\nrender into a window with the current\n"},
        {0x82000009,
         "This program requires functionality that is\nnot available on your OpenGL hardware\n"
         "accelerator with the current desktop display\n"},
        {0x8200000A, "An OpenGL object has a non-zero reference\n"},
        {0x8200000B, "Could not load required media."},
        {0x8200000C, "Could not reset the OpenGL device."},
        {0x8200000D, "Warning: Nothing will be rendered.\n"},
        {0x8876017C, "Not enough video memory."},
        {0x80004005, "Generic application error. Enable\ndebug output for detailed information."},
    };
    for (const auto& c : cases)
    {
        const std::string warning = Text3DError(c.code, ErrorKind::Warning);
        EXPECT_EQ(warning.rfind(c.start, 0), 0u) << std::hex << c.code << ": " << warning;
        EXPECT_EQ(warning.find("Direct"), std::string::npos) << warning;
        EXPECT_EQ(warning.find("sample"), std::string::npos) << warning;
        EXPECT_EQ(Text3DError(c.code, ErrorKind::Fatal), warning + "\n\nThis program will now exit.");
        EXPECT_EQ(Text3DError(c.code, ErrorKind::SwitchingToRef),
                  warning +
                      "\n\nSwitching to the reference rasterizer,\na software device that implements "
                      "the entire\nOpenGL feature set, but runs very slowly.");
        // The box's text fits the 512 characters it was always built in.
        EXPECT_LT(Text3DError(c.code, ErrorKind::SwitchingToRef).size(), 512u);
    }
}

}  // namespace
