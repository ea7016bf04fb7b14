// The background job runner: the order of a run's steps (initial wait, result, completion
// message, progress window), a second run while one is going on, and a job destroyed while its
// worker runs. Ordering is checked with gates the test opens, never with timings.
#include "common/BackgroundJob.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <vector>

namespace
{

struct PostedMessage
{
    unsigned int message;
    void* param;
    std::int32_t lParam;
};

class RecordingOwner : public CJobMessageTarget
{
public:
    void PostJobMessage(unsigned int message, void* param, std::int32_t lParam) override
    {
        std::lock_guard lock(m_mutex);
        m_messages.push_back({message, param, lParam});
        m_changed.notify_all();
    }
    std::vector<PostedMessage> Messages()
    {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    bool WaitForMessages(std::size_t count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(10), [&] { return m_messages.size() >= count; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<PostedMessage> m_messages;
};

// A gate the worker waits at until the test opens it.
class Gate
{
public:
    void Open()
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }
    void Wait()
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_open; });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
};

// What the fake progress windows saw; one record per window, shared by all windows of a test.
struct ProgressWindowLog
{
    std::mutex mutex;
    int created = 0;
    int destroyed = 0;
    int closeRequests = 0;
    std::vector<std::string> titles;
    std::vector<const std::atomic<double>*> watched;
};
ProgressWindowLog* g_log = nullptr;

class FakeProgressWindow : public CJobProgressWindow
{
public:
    void SetWatchedValue(const std::atomic<double>* value) override
    {
        std::lock_guard lock(g_log->mutex);
        g_log->watched.push_back(value);
    }
    void Start(const std::string& title) override
    {
        std::lock_guard lock(g_log->mutex);
        g_log->titles.push_back(title);
    }
    void PostClose() override
    {
        std::lock_guard lock(g_log->mutex);
        ++g_log->closeRequests;
    }
    void DestroyWindow() override
    {
        {
            std::lock_guard lock(g_log->mutex);
            ++g_log->destroyed;
        }
        delete this;
    }
};

JobProgressWindowPtr MakeFakeWindow()
{
    std::lock_guard lock(g_log->mutex);
    ++g_log->created;
    return JobProgressWindowPtr(new FakeProgressWindow);
}

// A job whose work the test scripts: an early progress report, a gate, a result.
struct ScriptedJob
{
    CBackgroundJob job;
    double earlyProgress = 0.0;
    int result = 0;
    Gate gate;
    bool waitAtGate = false;
    bool loopUntilStop = false;
    std::atomic<int> starts{0};
    std::atomic<bool> sawStop{false};

    ScriptedJob(CJobMessageTarget* owner)
    {
        job.m_pOwner = owner;
        job.m_nDoneMessage = CBackgroundJob::kStatisticsDoneMessage;
        job.m_lDoneParam = 77;
        job.m_pfnThread = &Work;
        job.m_pThreadParam = this;
        job.m_strTitle = "Erzeugen der Statistik";
    }
    static unsigned int Work(void* param)
    {
        auto* self = static_cast<ScriptedJob*>(param);
        ++self->starts;
        self->job.m_dProgress = 0.0;
        if (self->earlyProgress > 0.0)
            self->job.m_dProgress = self->earlyProgress;
        if (self->waitAtGate)
            self->gate.Wait();
        while (self->loopUntilStop && self->job.m_bStop.load() == 0)
            std::this_thread::yield();
        self->sawStop = self->job.m_bStop.load() != 0;
        self->job.m_nResult = self->result;
        self->job.Finish();
        return 0;
    }
};

class BackgroundJobTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_log = &m_log;
        CBackgroundJob::SetProgressWindowFactory(&MakeFakeWindow);
    }
    void TearDown() override
    {
        CBackgroundJob::SetProgressWindowFactory(nullptr);
        g_log = nullptr;
    }
    ProgressWindowLog m_log;
    RecordingOwner m_owner;
};

TEST_F(BackgroundJobTest, ConstructionStateIsIdleWithNoProgress)
{
    CBackgroundJob job;
    EXPECT_EQ(job.m_dProgress.load(), -1.0);
    EXPECT_EQ(job.m_nState.load(), CBackgroundJob::kIdle);
    EXPECT_EQ(job.m_bShowProgress, 1);
    EXPECT_EQ(job.m_bStop.load(), 0);
    EXPECT_EQ(job.m_nResult.load(), 0);
    EXPECT_EQ(job.m_pOwner, nullptr);
    EXPECT_FALSE(job.m_pProgressDlg);
    EXPECT_FALSE(job.IsRunning());
    EXPECT_EQ(job.Run(), 0) << "no thread procedure: nothing starts";
    EXPECT_EQ(job.m_nState.load(), CBackgroundJob::kIdle);
    EXPECT_EQ(job.RequestStop(), 0);
    EXPECT_EQ(job.m_bStop.load(), 1);
}

TEST_F(BackgroundJobTest, SecondRunWhileTheFirstRunsStartsNothing)
{
    ScriptedJob work(&m_owner);
    work.earlyProgress = 0.5;
    work.waitAtGate = true;
    EXPECT_EQ(work.job.Run(), 0);
    EXPECT_TRUE(work.job.IsRunning());
    EXPECT_EQ(work.job.Run(), 0);
    EXPECT_TRUE(work.job.IsRunning());
    work.gate.Open();
    ASSERT_TRUE(m_owner.WaitForMessages(1));
    EXPECT_EQ(work.starts.load(), 1);
    EXPECT_EQ(m_log.created, 1);
    EXPECT_EQ(m_owner.Messages().size(), 1u);
}

TEST_F(BackgroundJobTest, FailureBeforeTheFirstPercentIsReturnedAndPosted)
{
    ScriptedJob work(&m_owner);
    work.result = -2;
    EXPECT_EQ(work.job.Run(), -2);
    EXPECT_EQ(work.job.m_nState.load(), CBackgroundJob::kFinished);
    ASSERT_TRUE(m_owner.WaitForMessages(1));
    const PostedMessage posted = m_owner.Messages().at(0);
    EXPECT_EQ(posted.message, 1038u);
    EXPECT_EQ(posted.param, &work);
    EXPECT_EQ(posted.lParam, 77);
}

TEST_F(BackgroundJobTest, EarlyProgressReturnsBeforeTheWorkEndsAndTheMessageComesLater)
{
    ScriptedJob work(&m_owner);
    work.earlyProgress = 0.5;
    work.waitAtGate = true;
    work.result = 5;
    EXPECT_EQ(work.job.Run(), 0);
    // Run came back while the worker still waits at the gate: no message yet.
    EXPECT_TRUE(work.job.IsRunning());
    EXPECT_TRUE(m_owner.Messages().empty());
    work.gate.Open();
    ASSERT_TRUE(m_owner.WaitForMessages(1));
    EXPECT_EQ(work.job.m_nResult.load(), 5);
    EXPECT_FALSE(work.job.IsRunning());
}

TEST_F(BackgroundJobTest, ProgressWindowFollowsTheJobAndIsReplacedByTheNextRun)
{
    ScriptedJob work(&m_owner);
    EXPECT_EQ(work.job.Run(), 0);
    ASSERT_TRUE(m_owner.WaitForMessages(1));
    {
        std::lock_guard lock(m_log.mutex);
        EXPECT_EQ(m_log.created, 1);
        ASSERT_EQ(m_log.titles.size(), 1u);
        EXPECT_EQ(m_log.titles[0], "Erzeugen der Statistik");
        EXPECT_EQ(m_log.watched.at(0), &work.job.m_dProgress);
        EXPECT_EQ(m_log.closeRequests, 1);
        EXPECT_EQ(m_log.destroyed, 0) << "the window object stays until the next run";
    }
    // A finished job runs again; the window of the previous run goes first.
    EXPECT_EQ(work.job.Run(), 0);
    ASSERT_TRUE(m_owner.WaitForMessages(2));
    EXPECT_EQ(work.starts.load(), 2);
    std::lock_guard lock(m_log.mutex);
    EXPECT_EQ(m_log.created, 2);
    EXPECT_EQ(m_log.destroyed, 1);
}

TEST_F(BackgroundJobTest, WithoutProgressTheJobRunsTheSameWithNoWindow)
{
    ScriptedJob work(&m_owner);
    work.job.m_bShowProgress = 0;
    work.result = 3;
    EXPECT_EQ(work.job.Run(), 3);
    ASSERT_TRUE(m_owner.WaitForMessages(1));
    EXPECT_EQ(m_log.created, 0);
    EXPECT_FALSE(work.job.m_pProgressDlg);
}

TEST_F(BackgroundJobTest, StopRequestEndsTheWorkAndTheNextRunStartsUnstopped)
{
    ScriptedJob work(&m_owner);
    work.earlyProgress = 0.5;
    work.loopUntilStop = true;
    work.result = -1;
    EXPECT_EQ(work.job.Run(), 0);
    work.job.RequestStop();
    ASSERT_TRUE(m_owner.WaitForMessages(1));
    EXPECT_TRUE(work.sawStop.load());
    EXPECT_EQ(work.job.m_nResult.load(), -1);

    work.loopUntilStop = false;
    work.result = 0;
    EXPECT_EQ(work.job.Run(), 0);
    ASSERT_TRUE(m_owner.WaitForMessages(2));
    EXPECT_FALSE(work.sawStop.load());
}

TEST_F(BackgroundJobTest, OwnerGoingAwayMidRunStopsAndJoinsTheWorkerAndDestroysTheWindow)
{
    auto work = std::make_unique<ScriptedJob>(&m_owner);
    work->earlyProgress = 0.5;
    work->loopUntilStop = true;
    EXPECT_EQ(work->job.Run(), 0);
    EXPECT_TRUE(work->job.IsRunning());
    std::atomic<bool>* sawStop = &work->sawStop;
    work->job.StopAndJoin();
    // The worker has ended: it saw the stop and finished; the owner hears nothing.
    EXPECT_TRUE(sawStop->load());
    EXPECT_FALSE(work->job.IsRunning());
    work.reset();
    EXPECT_TRUE(m_owner.Messages().empty());
    std::lock_guard lock(m_log.mutex);
    EXPECT_EQ(m_log.created, 1);
    EXPECT_EQ(m_log.destroyed, 1);
}

TEST_F(BackgroundJobTest, DestroyingARunningJobJoinsItsWorker)
{
    // The runner held as the first member: destroying the holder destroys the runner while the
    // worker still loops; the destructor stops and joins it before the members are released.
    struct Holder
    {
        std::atomic<int> iterations{0};
        CBackgroundJob job;
        static unsigned int Work(void* param)
        {
            auto* self = static_cast<Holder*>(param);
            self->job.m_dProgress = 0.5;
            while (self->job.m_bStop.load() == 0)
                ++self->iterations;
            self->job.Finish();
            return 0;
        }
    };
    auto holder = std::make_unique<Holder>();
    holder->job.m_pOwner = &m_owner;
    holder->job.m_pfnThread = &Holder::Work;
    holder->job.m_pThreadParam = holder.get();
    EXPECT_EQ(holder->job.Run(), 0);
    holder.reset();
    EXPECT_TRUE(m_owner.Messages().empty());
    std::lock_guard lock(m_log.mutex);
    EXPECT_EQ(m_log.destroyed, 1);
}

}  // namespace
