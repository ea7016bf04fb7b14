// The remote senders against a live measurement window: worker threads send while the window
// refreshes on the user-interface thread; every record runs exactly once and nothing hangs.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/Ipc.h"
#include "platform/ui/UiThread.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/MeasurementsDlg.h"

namespace
{

class SndViewRemoteWindowTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, 3));
        View().OnStart();
        ASSERT_TRUE(WaitForRefreshes(2));
    }
    void TearDown() override { CloseLiveView(); }
};

TEST_F(SndViewRemoteWindowTest, AThousandSendsFromFourThreadsRunOnceEachWhileTheWindowRefreshes)
{
    CSndView& view = View();
    // Short waits for the mailbox keep the test quick; the handshake is the same.
    view.m_remoteSleep = [](int) { std::this_thread::sleep_for(std::chrono::milliseconds(1)); };
    constexpr int kThreads = 4;
    constexpr int kSendsPerThread = 250;
    const std::uint64_t scalesBefore = view.GetEventCounter(CSndView::kEventAutoScale);
    const std::uint64_t refreshesBefore = view.GetEventCounter(CSndView::kEventRefresh);
    std::atomic<int> finished{0};
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t)
        senders.emplace_back(
            [&]
            {
                RemoteCommand record;
                record.code = 16;
                for (int i = 0; i < kSendsPerThread; ++i)
                    view.SendRemoteCommand(record);
                finished.fetch_add(1);
            });
    // The user-interface thread turns its loop (refreshes included) until the senders are done;
    // the watchdog ends a hang.
    const auto watchdog = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (finished.load() < kThreads && std::chrono::steady_clock::now() < watchdog)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const bool hung = finished.load() < kThreads;
    if (hung)
        platform::ui::SetUiClosing(true);  // lets waiting senders give up, so that they can be joined
    for (std::thread& sender : senders)
        sender.join();
    platform::ui::SetUiClosing(false);
    ASSERT_FALSE(hung) << "deadlock";
    EXPECT_EQ(view.GetEventCounter(CSndView::kEventAutoScale) - scalesBefore,
              static_cast<std::uint64_t>(kThreads * kSendsPerThread));
    EXPECT_TRUE(view.GetMailbox().IsFree());
    EXPECT_EQ(view.WaitRemoteReady(0), 0);
    EXPECT_GT(view.GetEventCounter(CSndView::kEventRefresh), refreshesBefore)
        << "the window refreshed meanwhile";
}

TEST_F(SndViewRemoteWindowTest, AReadoutAnswersUnderItsNewTitleAfterTheFirstRefresh)
{
    CMeasurementsDlg* readout = m_window->GetReadoutWindow(0);
    ASSERT_NE(readout, nullptr);
    const std::string title = readout->GetTitle().utf8_string();
    ASSERT_EQ(title.rfind("Measurement V:1 ", 0), 0u) << title;
    EXPECT_EQ(title.find("Curve:"), std::string::npos) << "retitled by the refresh";
    EXPECT_TRUE(platform::FindWindowSocket(title));
    EXPECT_FALSE(platform::FindWindowSocket("Measurement V:1 Curve:1")) << "the old name is dropped";
}

}  // namespace
