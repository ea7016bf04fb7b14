#include "platform/Sync.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

using platform::Event;
using namespace std::chrono_literals;

namespace
{

// Waits (bounded) until the counter reaches the value; true when it did.
bool WaitForCount(const std::atomic<int>& counter, int value)
{
    const auto deadline = std::chrono::steady_clock::now() + 5s;
    while (counter.load() < value && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(1ms);
    return counter.load() >= value;
}

// Two threads blocked in Wait() on one event, counting their releases.
class TwoWaiters : public testing::Test
{
protected:
    void Start(Event& event)
    {
        for (int i = 0; i < 2; ++i)
            m_threads.emplace_back(
                [&]
                {
                    ++m_waiting;
                    event.Wait();
                    ++m_released;
                });
        ASSERT_TRUE(WaitForCount(m_waiting, 2));
        std::this_thread::sleep_for(20ms);  // let both reach the condition variable
    }

    void TearDown() override
    {
        for (auto& thread : m_threads)
            thread.join();
    }

    std::atomic<int> m_waiting{0};
    std::atomic<int> m_released{0};
    std::vector<std::thread> m_threads;
};

}  // namespace

TEST_F(TwoWaiters, AutoResetReleasesExactlyOneWaiterPerSet)
{
    Event event(Event::ResetMode::Auto);
    Start(event);
    EXPECT_EQ(m_released.load(), 0);

    event.Set();
    ASSERT_TRUE(WaitForCount(m_released, 1));
    std::this_thread::sleep_for(100ms);
    EXPECT_EQ(m_released.load(), 1) << "one Set released both waiters";
    EXPECT_FALSE(event.Wait(0)) << "the released waiter should have cleared the event";

    event.Set();
    EXPECT_TRUE(WaitForCount(m_released, 2));
    EXPECT_FALSE(event.Wait(0));
}

TEST_F(TwoWaiters, ManualResetReleasesEveryWaiterAndStaysSet)
{
    Event event(Event::ResetMode::Manual);
    Start(event);

    event.Set();
    EXPECT_TRUE(WaitForCount(m_released, 2));
    EXPECT_TRUE(event.Wait(0));
    EXPECT_TRUE(event.Wait()) << "a manual event stays set for later waiters";

    event.Reset();
    EXPECT_FALSE(event.Wait(0));
}

TEST(Event, InitialStateAndRepeatedSet)
{
    Event autoSet(Event::ResetMode::Auto, true);
    EXPECT_TRUE(autoSet.Wait(0));
    EXPECT_FALSE(autoSet.Wait(0));

    // Setting a set event does not count: two Sets release one wait.
    autoSet.Set();
    autoSet.Set();
    EXPECT_TRUE(autoSet.Wait(0));
    EXPECT_FALSE(autoSet.Wait(0));

    Event manualSet(Event::ResetMode::Manual, true);
    EXPECT_TRUE(manualSet.Wait(0));
    EXPECT_TRUE(manualSet.Wait(0));

    Event clear(Event::ResetMode::Auto, false);
    EXPECT_FALSE(clear.Wait(0));
    clear.Set();
    clear.Reset();
    EXPECT_FALSE(clear.Wait(0)) << "Reset did not clear a pending signal";
}

TEST(Event, TimedWaitTimesOutAfterItsDeadline)
{
    for (const auto mode : {Event::ResetMode::Auto, Event::ResetMode::Manual})
    {
        Event event(mode);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_FALSE(event.Wait(60));
        EXPECT_GE(std::chrono::steady_clock::now() - start, 60ms) << "returned before the timeout";
    }
}

TEST(Event, TimedWaitReturnsTrueWhenSetFromAnotherThread)
{
    Event event(Event::ResetMode::Auto);
    std::thread setter(
        [&]
        {
            std::this_thread::sleep_for(30ms);
            event.Set();
        });
    EXPECT_TRUE(event.Wait(10000));
    setter.join();
    EXPECT_FALSE(event.Wait(0));
}
