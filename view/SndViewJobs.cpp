// The window's background job: one thread at a time that runs a report or a wait on the window's
// behalf, the ways it reaches the window, and its stop when the window goes.
#include "view/SndView.h"

#include "common/BackgroundJob.h"
#include "common/TextFormatting.h"
#include "engine/FileAnalysis.h"
#include "engine/StatisticsJob.h"
#include "platform/NumberFormat.h"
#include "platform/Sync.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <utility>
#include <vector>

namespace
{

// How far below normal the job thread runs.
constexpr int kJobNiceIncrement = 5;
// The step in which a job's sleep looks at the stop request.
constexpr int kJobSleepStepMs = 10;

// Carries a background job's completion message over to the window's thread.
class CViewJobMessages : public CJobMessageTarget
{
public:
    explicit CViewJobMessages(CSndView& view) : m_view(view) {}
    void PostJobMessage(unsigned int message, void* param, std::int32_t /*lParam*/) override
    {
        CSndView& view = m_view;
        const auto deliver = [&view, message, param] { view.OnJobMessage(message, param); };
        if (CViewWindow* window = view.GetWindow())
            window->PostToWindow(deliver);
        else
            deliver();
    }

private:
    CSndView& m_view;
};

}  // namespace

int CSndView::StartJob(int kind, JobWork work)
{
    if (const int busy = m_bJobBusy.load(); busy != 0)
        return busy;
    // The thread of the previous job has returned (its busy flag is clear): it is joined here.
    if (m_jobThread.joinable())
        m_jobThread.join();
    m_bJobStop.store(false);
    m_bJobBusy.store(1);
    m_nJobKind.store(kind);
    m_jobThread = std::thread(&CSndView::ViewJobThread, this, std::move(work));
    return 0;
}

void CSndView::ViewJobThread(CSndView* view, JobWork work)
{
    platform::LowerCurrentThreadPriority(kJobNiceIncrement);
    if (work)
        work(*view);
    view->m_bJobBusy.store(0);
}

int CSndView::StartAutoScaleJob()
{
    return StartJob(kJobAutoScale,
                    [](CSndView& view)
                    {
                        // Real time, whatever the window's senders are told to sleep.
                        const std::uint64_t before = view.GetEventCounter(kEventRefresh);
                        for (int step = 0;
                             step < kJobRedrawSteps && view.GetEventCounter(kEventRefresh) == before; ++step)
                        {
                            if (view.m_bJobStop.load())
                                return;
                            std::this_thread::sleep_for(std::chrono::milliseconds(kJobRedrawStepMs));
                        }
                        view.SendRemoteCode(16);
                    });
}

void CSndView::StopJob()
{
    m_bJobStop.store(true);
    if (m_jobThread.joinable())
        m_jobThread.join();
    m_bJobBusy.store(0);
}

void CSndView::StopAllJobs()
{
    // The report waits on the window with time limits and ends early when asked.
    m_pReportJob.reset();
    StopJob();
    m_pStatisticsJob.reset();
    m_pFileAnalysisJob.reset();
}

bool CSndView::CallOnWindowThread(const std::function<void()>& call)
{
    if (m_bJobStop.load())
        return false;
    if (!m_pWindow)
    {
        call();
        return true;
    }
    return m_pWindow->SendToWindow(call);
}

bool CSndView::JobSleep(int milliseconds)
{
    if (m_bJobStop.load())
        return false;
    if (m_remoteSleep)
    {
        m_remoteSleep(milliseconds);
        return !m_bJobStop.load();
    }
    for (int left = milliseconds; left > 0 && !m_bJobStop.load(); left -= kJobSleepStepMs)
        std::this_thread::sleep_for(std::chrono::milliseconds(std::min(left, kJobSleepStepMs)));
    return !m_bJobStop.load();
}

void CSndView::MarkImpulseCurvesStale()
{
    CallOnWindowThread(
        [this]
        {
            // A stored id other than the impulse's makes the next set-up compute the curves anew.
            ++m_impulseKey.id;
            if (m_impulseKey.id == m_impulse.m_nId)
                ++m_impulseKey.id;
            m_bRedrawRequest = 1;
            m_pPlot->m_bDataDirty = 1;
            // The paint sets the curves up; the refresh timer of a stopped window is slow.
            if (m_pWindow)
                m_pWindow->Invalidate();
        });
}

int CSndView::WaitForImpulseCurves(int timeoutMs)
{
    for (int waited = 0;; waited += kRecomputeStepMs)
    {
        bool done = false;
        if (!CallOnWindowThread([this, &done] { done = m_impulseKey.id == m_impulse.m_nId; }))
            return -1;
        if (done)
            return 0;
        if (waited >= timeoutMs || !JobSleep(kRecomputeStepMs))
            return -1;
    }
}

CStatisticsJob& CSndView::GetStatisticsJob()
{
    if (!m_pJobMessages)
        m_pJobMessages = std::make_unique<CViewJobMessages>(*this);
    if (!m_pStatisticsJob)
    {
        m_pStatisticsJob = std::make_unique<CStatisticsJob>(m_engine);
        m_pStatisticsJob->m_pOwner = m_pJobMessages.get();
    }
    return *m_pStatisticsJob;
}

CFileAnalysisJob& CSndView::GetFileAnalysisJob()
{
    if (!m_pJobMessages)
        m_pJobMessages = std::make_unique<CViewJobMessages>(*this);
    if (!m_pFileAnalysisJob)
    {
        m_pFileAnalysisJob = std::make_unique<CFileAnalysisJob>();
        m_pFileAnalysisJob->m_Job.m_pOwner = m_pJobMessages.get();
    }
    return *m_pFileAnalysisJob;
}

bool CSndView::IsFileAnalysisRunning() const
{
    return m_pFileAnalysisJob && m_pFileAnalysisJob->m_Job.IsRunning();
}

long CSndView::OnJobMessage(unsigned int message, void* job)
{
    if (message == CBackgroundJob::kStatisticsDoneMessage && job != nullptr && job == m_pStatisticsJob.get())
        return OnStatisticsDone(*m_pStatisticsJob);
    if (message == CBackgroundJob::kFileAnalysisDoneMessage && job != nullptr &&
        job == m_pFileAnalysisJob.get())
        return OnFileAnalysisDone(*m_pFileAnalysisJob);
    return 0;
}

long CSndView::OnStatisticsDone(CStatisticsJob& job)
{
    if (job.m_nResult.load() >= 0)
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(
                platform::FormatC(kStatisticsDoneMessage, (job.m_folder + "/" + job.m_fileName).c_str()));
    return 0;
}

long CSndView::OnFileAnalysisDone(CFileAnalysisJob& job)
{
    if (job.m_Job.m_nResult.load() >= 0)
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(
                platform::FormatC(kFileAnalysisDoneMessage, FormatTimeSpan(job.m_dElapsed).c_str()));
    return 0;
}
