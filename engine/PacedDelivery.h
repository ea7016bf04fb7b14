// The delivering thread of an input device that makes its own blocks (the test signal, a file): it
// delivers one block, waits until the next is due, and so on until it is closed.
//
// Threads: Start, Pause, Resume and Stop on the engine's control thread; DeliverBlock on the
// delivering thread. Pause and Stop wait until the delivery in progress has returned. A derived
// class calls Stop in its own destructor, before its members go.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

class CPacedDelivery
{
public:
    CPacedDelivery() = default;
    CPacedDelivery(const CPacedDelivery&) = delete;
    CPacedDelivery& operator=(const CPacedDelivery&) = delete;
    virtual ~CPacedDelivery() = default;

protected:
    // Starts the thread, not paused.
    void StartDelivery();
    // Holds the thread before its next block; returns once a block in hand has been delivered.
    void PauseDelivery();
    void ResumeDelivery();
    // Ends and joins the thread; harmless when it does not run.
    void StopDelivery();

    // Makes and hands over one block, without the lock.
    virtual void DeliverBlock() = 0;
    // Under the lock, after each delivered block.
    virtual void OnBlockDelivered() {}
    // Waits until the next block is due, with the lock held on entry and on return; it may release
    // the lock meanwhile. Returning early, when stopped or paused, is allowed.
    virtual void WaitForNextBlock(std::unique_lock<std::mutex>& lock) = 0;
    // For a wait on m_changed: the thread is to stop or pause.
    bool IsInterrupted() const { return !m_bRun || m_bPaused; }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;

private:
    void Run();

    bool m_bRun = false;
    bool m_bPaused = false;
    bool m_bDelivering = false;
    std::thread m_thread;
};
