#include "common/AppTimer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

namespace
{

// Drives the timer's clock by hand for one test and gives the system clock back afterwards.
class AppTimerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetAppTimerClock([this] { return m_now; });
        m_now = 100.0;
        AppTimer(TIMER_RESET);
        AppTimer(TIMER_GETELAPSEDTIME);
    }
    void TearDown() override { SetAppTimerClock(nullptr); }

    double m_now = 0.0;
};

TEST_F(AppTimerTest, CommandsFollowTheTable)
{
    // Each step: the clock moves to `clock`, the command runs, and its result is checked.
    const struct
    {
        double clock;
        int command;
        double expected;
    } steps[] = {
        {101.0, TIMER_GETAPPTIME, 1.0},
        {101.5, TIMER_GETABSOLUTETIME, 101.5},
        {102.0, TIMER_GETELAPSEDTIME, 2.0},
        {102.25, TIMER_GETELAPSEDTIME, 0.25},
        {103.0, TIMER_STOP, 0.0},
        // Stopped: time stands at the stop time, except for the absolute time.
        {105.0, TIMER_GETAPPTIME, 3.0},
        {105.0, TIMER_GETABSOLUTETIME, 105.0},
        {105.0, TIMER_GETELAPSEDTIME, 0.0},
        {105.0, TIMER_ADVANCE, 0.0},
        {106.0, TIMER_GETAPPTIME, 3.1},
        {106.0, TIMER_ADVANCE, 0.0},
        {106.0, TIMER_GETELAPSEDTIME, 0.2},
        // Starting moves the base on by the stopped span (from the advanced stop time).
        {107.0, TIMER_START, 0.0},
        {107.0, TIMER_GETAPPTIME, 3.2},
        {108.0, TIMER_GETAPPTIME, 4.2},
        {108.0, TIMER_RESET, 0.0},
        {108.5, TIMER_GETAPPTIME, 0.5},
        {108.5, 7, -1.0},
        {108.5, -1, -1.0},
    };
    for (const auto& step : steps)
    {
        m_now = step.clock;
        EXPECT_NEAR(AppTimer(step.command), step.expected, 1e-9)
            << "command " << step.command << " at " << step.clock;
    }
}

TEST_F(AppTimerTest, StoppedTimerKeepsTheSameApplicationTimeUntilStarted)
{
    m_now = 110.0;
    AppTimer(TIMER_STOP);
    for (double t : {111.0, 150.0, 900.0})
    {
        m_now = t;
        EXPECT_DOUBLE_EQ(AppTimer(TIMER_GETAPPTIME), 10.0);
    }
    AppTimer(TIMER_START);
    m_now = 901.0;
    EXPECT_DOUBLE_EQ(AppTimer(TIMER_GETAPPTIME), 11.0);
}

TEST(AppTimerThreads, ReadersOnOtherThreadsNeverSeeTimeRunBackwards)
{
    // The system clock; one thread stops and starts the timer while others read the stopwatch.
    SetAppTimerClock(nullptr);
    AppTimer(TIMER_RESET);
    std::atomic<bool> done{false};
    std::atomic<int> backwards{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 2; ++r)
        readers.emplace_back(
            [&]
            {
                double last = AppTimer(TIMER_GETAPPTIME);
                while (!done.load())
                {
                    const double t = AppTimer(TIMER_GETAPPTIME);
                    if (t < last)
                        backwards.fetch_add(1);
                    last = t;
                }
            });
    for (int i = 0; i < 20000; ++i)
    {
        AppTimer(TIMER_STOP);
        AppTimer(TIMER_START);
    }
    done = true;
    for (auto& t : readers)
        t.join();
    EXPECT_EQ(backwards.load(), 0);
}

}  // namespace
