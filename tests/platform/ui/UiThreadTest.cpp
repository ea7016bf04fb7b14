#include "platform/ui/UiThread.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/window.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

namespace
{

class UiThreadTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display";
        platform::ui::SetUiClosing(false);
    }
    void TearDown() override { platform::ui::SetUiClosing(false); }

    // Turns the user-interface thread's queue until the condition holds (or a generous limit).
    template <typename Condition>
    static bool PumpUntil(Condition condition)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!condition())
        {
            if (std::chrono::steady_clock::now() > limit)
                return false;
            wxTheApp->ProcessPendingEvents();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
};

TEST_F(UiThreadTest, SendFromWorkerRunsOnUiThreadAndWaitsForTheResult)
{
    std::atomic<bool> ranOnUi{false};
    std::atomic<bool> workerSawResult{false};
    std::atomic<bool> finished{false};
    int value = 0;  // written on the user-interface thread, read by the worker after the send
    std::thread worker(
        [&]
        {
            const bool sent = platform::ui::SendToUi(
                [&]
                {
                    ranOnUi = platform::ui::IsUiThread();
                    value = 42;
                });
            workerSawResult = sent && value == 42;
            finished = true;
        });
    EXPECT_TRUE(PumpUntil([&] { return finished.load(); }));
    worker.join();
    EXPECT_TRUE(ranOnUi);
    EXPECT_TRUE(workerSawResult);
    EXPECT_TRUE(platform::ui::IsUiThread());
}

TEST_F(UiThreadTest, SendOnUiThreadIsADirectCall)
{
    int calls = 0;
    EXPECT_TRUE(platform::ui::SendToUi([&] { ++calls; }));
    EXPECT_EQ(calls, 1);  // ran before SendToUi returned, without a turn of the queue
}

TEST_F(UiThreadTest, PostsRunInOrderOnUiThread)
{
    std::vector<int> order;
    std::atomic<bool> allOnUi{true};
    std::thread worker(
        [&]
        {
            for (int i = 0; i < 50; ++i)
                platform::ui::PostToUi(
                    [&, i]
                    {
                        allOnUi = allOnUi && platform::ui::IsUiThread();
                        order.push_back(i);
                    });
        });
    worker.join();
    EXPECT_TRUE(PumpUntil([&] { return order.size() == 50; }));
    for (int i = 0; i < static_cast<int>(order.size()); ++i)
        EXPECT_EQ(order[i], i);
    EXPECT_TRUE(allOnUi);
}

TEST_F(UiThreadTest, WaitingSenderGivesUpWhenUiCloses)
{
    // The user-interface thread never turns its queue here (as when it joins its workers at
    // shut-down): the sender must come back once the closing flag is set.
    std::atomic<int> result{-1};
    std::thread worker([&] { result = platform::ui::SendToUi([] {}) ? 1 : 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    platform::ui::SetUiClosing(true);
    worker.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_FALSE(platform::ui::PostToUi([] {}));
    platform::ui::SetUiClosing(false);
    // The abandoned call may still run later; it must not touch anything gone.
    wxTheApp->ProcessPendingEvents();
}

TEST_F(UiThreadTest, WaitingSenderGivesUpWhenItsCancelFlagIsSet)
{
    // A window that closes waits for its worker: the worker's send comes back on the window's
    // flag while the rest of the user interface goes on taking calls.
    std::atomic<bool> cancel{false};
    std::atomic<int> result{-1};
    std::atomic<int> runs{0};
    std::thread worker([&] { result = platform::ui::SendToUi([&runs] { ++runs; }, &cancel) ? 1 : 0; });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    cancel.store(true);
    worker.join();
    EXPECT_EQ(result.load(), 0);
    EXPECT_TRUE(platform::ui::PostToUi([] {}));
    // The abandoned call is a copy of its own and may still run.
    wxTheApp->ProcessPendingEvents();
    EXPECT_LE(runs.load(), 1);
}

TEST_F(UiThreadTest, PostToDestroyedWindowIsDropped)
{
    auto* window = new wxWindow();  // not created: destroyed at once below
    bool ran = false;
    ASSERT_TRUE(platform::ui::PostToWindow(window, [&] { ran = true; }));
    delete window;
    wxTheApp->ProcessPendingEvents();
    EXPECT_FALSE(ran);
}

}  // namespace
