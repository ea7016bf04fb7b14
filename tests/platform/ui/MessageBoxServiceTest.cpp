#include "platform/ui/MessageBoxService.h"
#include "platform/ui/UiThread.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/msgdlg.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{

class MessageBoxServiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display";
        platform::ui::SetUiClosing(false);
    }
};

TEST_F(MessageBoxServiceTest, ResponderAnswersAndSeesTheRequest)
{
    platform::ui::MessageBoxRequest seen;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            seen = request;
            return wxID_NO;
        });
    EXPECT_EQ(platform::ui::ShowMessageBox("Delete?", "Halvek", wxYES_NO | wxICON_QUESTION), wxID_NO);
    EXPECT_EQ(seen.text, "Delete?");
    EXPECT_EQ(seen.caption, "Halvek");
    EXPECT_EQ(seen.style, wxYES_NO | wxICON_QUESTION);
}

TEST_F(MessageBoxServiceTest, WorkerBoxIsAnsweredOnUiThread)
{
    std::atomic<bool> onUi{false};
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest&)
        {
            onUi = platform::ui::IsUiThread();
            return wxID_YES;
        });
    std::atomic<int> answer{0};
    std::thread worker([&] { answer = platform::ui::ShowMessageBox("Go on?", "Halvek", wxYES_NO); });
    const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (answer.load() == 0 && std::chrono::steady_clock::now() < limit)
    {
        wxTheApp->ProcessPendingEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    worker.join();
    EXPECT_EQ(answer.load(), wxID_YES);
    EXPECT_TRUE(onUi);
}

TEST_F(MessageBoxServiceTest, ScopedResponderRestoresThePreviousOne)
{
    platform::ui::ScopedMessageBoxResponder outer([](const platform::ui::MessageBoxRequest&)
                                                  { return wxID_OK; });
    {
        platform::ui::ScopedMessageBoxResponder inner([](const platform::ui::MessageBoxRequest&)
                                                      { return wxID_CANCEL; });
        EXPECT_EQ(platform::ui::ShowMessageBox("x", "c", wxOK | wxCANCEL), wxID_CANCEL);
    }
    EXPECT_EQ(platform::ui::ShowMessageBox("x", "c", wxOK | wxCANCEL), wxID_OK);
}

TEST_F(MessageBoxServiceTest, WorkerGetsUnattendedAnswerWhileUiCloses)
{
    platform::ui::ScopedMessageBoxResponder responder([](const platform::ui::MessageBoxRequest&)
                                                      { return wxID_YES; });
    platform::ui::SetUiClosing(true);
    int yesNo = 0, okCancel = 0, ok = 0;
    std::thread worker(
        [&]
        {
            yesNo = platform::ui::ShowMessageBox("a", "c", wxYES_NO);
            okCancel = platform::ui::ShowMessageBox("b", "c", wxOK | wxCANCEL);
            ok = platform::ui::ShowMessageBox("c", "c", wxOK);
        });
    worker.join();
    platform::ui::SetUiClosing(false);
    // A question that nobody can answer must not be taken as consent.
    EXPECT_EQ(yesNo, wxID_NO);
    EXPECT_EQ(okCancel, wxID_CANCEL);
    EXPECT_EQ(ok, wxID_OK);
}

}  // namespace
