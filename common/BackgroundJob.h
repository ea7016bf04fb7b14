// The background job runner: one long computation of a measurement window on a worker thread, a
// small progress window that shows how far it has come, and a posted completion message to the
// window that started it. The runner knows nothing of the work; it starts the given thread
// procedure with the given parameter and defines how the worker reports progress, notices a stop
// request, hands back a result and finishes.
//
// Threads: the user-interface thread calls Run, IsRunning, RequestStop and the destructor; the
// worker writes m_dProgress and m_nResult, reads m_bStop and calls Finish as its last act; the
// progress window reads m_dProgress on the user-interface thread. The shared members are atomics,
// and m_nResult is stored before m_nState becomes 2.
//
// Lifetime: the destructor requests a stop and joins the worker before the members go, and
// destroys the progress window, so a job whose owner goes away never outlives it. A job class
// that derives from the runner or holds it calls StopAndJoin first in its own destructor.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>

// The window that receives a job's completion message; implemented by the window that owns the
// job. Called on the worker thread: it queues the message for its own thread and never waits.
class CJobMessageTarget
{
public:
    virtual ~CJobMessageTarget() = default;
    virtual void PostJobMessage(unsigned int message, void* param, std::int32_t lParam) = 0;
};

// The progress window of a job (a bar from 0 to 100 that follows a watched value). The
// application implements it with a window; without a factory no progress window is shown.
class CJobProgressWindow
{
public:
    virtual ~CJobProgressWindow() = default;
    // User-interface thread: the value the bar follows (a value outside 0..1 leaves the bar alone).
    virtual void SetWatchedValue(const std::atomic<double>* value) = 0;
    // User-interface thread: caption, range 0..100 at position 0, window shown.
    virtual void Start(const std::string& title) = 0;
    // Worker thread: asks the window to close on its own thread (queued, never waited for).
    virtual void PostClose() = 0;
    // User-interface thread: destroys the window (in place of delete; windows go their own way).
    virtual void DestroyWindow() = 0;
};

struct JobProgressWindowDeleter
{
    void operator()(CJobProgressWindow* window) const
    {
        if (window != nullptr)
            window->DestroyWindow();
    }
};
using JobProgressWindowPtr = std::unique_ptr<CJobProgressWindow, JobProgressWindowDeleter>;

// Creates a progress window without a parent (null when none can be made).
using JobProgressWindowFactory = JobProgressWindowPtr (*)();

class CBackgroundJob
{
public:
    // The work: receives m_pThreadParam and returns its thread's exit code.
    using ThreadProc = unsigned int (*)(void* param);

    // Message numbers of the completion messages of the two jobs built on the runner.
    static constexpr unsigned int kUserMessageBase = 0x0400;
    static constexpr unsigned int kStatisticsDoneMessage = kUserMessageBase + 14;
    static constexpr unsigned int kFileAnalysisDoneMessage = kUserMessageBase + 18;

    enum State : int
    {
        kIdle = 0,
        kRunning = 1,
        kFinished = 2
    };

    CBackgroundJob();
    ~CBackgroundJob();
    CBackgroundJob(const CBackgroundJob&) = delete;
    CBackgroundJob& operator=(const CBackgroundJob&) = delete;

    int RequestStop();
    // Requests a stop, waits for the worker to end and destroys the progress window; its
    // completion message is not posted any more. For the owner (and a derived job) that goes away
    // while the work runs: called before the members the worker uses are released.
    void StopAndJoin();
    bool IsRunning() const { return m_nState.load(std::memory_order_acquire) == kRunning; }
    // Starts the worker and waits until it has reported more than 1 % or finished. Returns the
    // worker's result when it finished during that wait, else 0; nothing when a run is going on.
    int Run();
    // Called by the worker as its last act: finished state, the progress window asked to close,
    // the completion message posted to the owner.
    int Finish();

    // Installed once by the application (user-interface thread, before any job runs).
    static void SetProgressWindowFactory(JobProgressWindowFactory factory);

    std::atomic<double> m_dProgress{-1.0};
    std::string m_strTitle;
    CJobMessageTarget* m_pOwner = nullptr;
    JobProgressWindowPtr m_pProgressDlg;
    unsigned int m_nDoneMessage = 0;
    std::int32_t m_lDoneParam = 0;
    std::thread m_pThread;
    ThreadProc m_pfnThread = nullptr;
    void* m_pThreadParam = nullptr;
    int m_bShowProgress = 1;
    std::atomic<int> m_bStop{0};
    std::atomic<int> m_nState{kIdle};
    std::atomic<int> m_nResult{0};

private:
    void JoinWorker();
    std::atomic<bool> m_bOwnerGone{false};
};
