#include "common/BackgroundJob.h"

#include <chrono>

namespace
{

constexpr auto kWaitStep = std::chrono::milliseconds(20);
constexpr double kStartedProgress = 0.01;

std::atomic<JobProgressWindowFactory> g_progressWindowFactory{nullptr};

}  // namespace

CBackgroundJob::CBackgroundJob() = default;

CBackgroundJob::~CBackgroundJob()
{
    StopAndJoin();
}

void CBackgroundJob::StopAndJoin()
{
    m_bOwnerGone.store(true, std::memory_order_release);
    RequestStop();
    // The worker uses the job's members until Finish: it ends before they go.
    JoinWorker();
    m_pProgressDlg.reset();
}

int CBackgroundJob::RequestStop()
{
    m_bStop.store(1, std::memory_order_release);
    return 0;
}

void CBackgroundJob::SetProgressWindowFactory(JobProgressWindowFactory factory)
{
    g_progressWindowFactory.store(factory);
}

void CBackgroundJob::JoinWorker()
{
    if (m_pThread.joinable())
        m_pThread.join();
}

int CBackgroundJob::Run()
{
    if (m_nState.load(std::memory_order_acquire) == kRunning)
        return 0;
    if (m_pfnThread == nullptr)
        return 0;
    // A finished worker may still be leaving Finish; it has ended before its window goes.
    JoinWorker();
    m_bOwnerGone.store(false, std::memory_order_release);
    // A stop request of an earlier run does not end this one before it starts.
    m_bStop.store(0, std::memory_order_release);
    m_nState.store(kRunning, std::memory_order_release);

    if (m_bShowProgress != 0)
    {
        m_pProgressDlg.reset();
        if (const JobProgressWindowFactory factory = g_progressWindowFactory.load())
            m_pProgressDlg = factory();
    }
    if (m_pProgressDlg)
    {
        m_pProgressDlg->SetWatchedValue(&m_dProgress);
        m_pProgressDlg->Start(m_strTitle);
    }

    m_pThread = std::thread(m_pfnThread, m_pThreadParam);

    while (m_nState.load(std::memory_order_acquire) == kRunning &&
           !(m_dProgress.load(std::memory_order_acquire) > kStartedProgress))
        std::this_thread::sleep_for(kWaitStep);
    if (m_nState.load(std::memory_order_acquire) == kFinished)
        return m_nResult.load(std::memory_order_acquire);
    return 0;
}

int CBackgroundJob::Finish()
{
    // Read before the state changes: the next Run may replace the window once it sees state 2,
    // after it has joined this thread.
    CJobProgressWindow* const progress = m_pProgressDlg.get();
    CJobMessageTarget* const owner = m_pOwner;
    m_nState.store(kFinished, std::memory_order_release);
    if (progress != nullptr)
        progress->PostClose();
    if (owner != nullptr && !m_bOwnerGone.load(std::memory_order_acquire))
        owner->PostJobMessage(m_nDoneMessage, m_pThreadParam, m_lDoneParam);
    return 0;
}
