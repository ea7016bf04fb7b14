#include "engine/PacedDelivery.h"

void CPacedDelivery::StartDelivery()
{
    StopDelivery();
    {
        std::lock_guard lock(m_mutex);
        m_bRun = true;
        m_bPaused = false;
    }
    m_thread = std::thread([this] { Run(); });
}

void CPacedDelivery::PauseDelivery()
{
    std::unique_lock lock(m_mutex);
    m_bPaused = true;
    m_changed.notify_all();
    m_changed.wait(lock, [this] { return !m_bDelivering; });
}

void CPacedDelivery::ResumeDelivery()
{
    std::lock_guard lock(m_mutex);
    m_bPaused = false;
    m_changed.notify_all();
}

void CPacedDelivery::StopDelivery()
{
    {
        std::lock_guard lock(m_mutex);
        m_bRun = false;
        m_changed.notify_all();
    }
    if (m_thread.joinable())
        m_thread.join();
}

void CPacedDelivery::Run()
{
    std::unique_lock lock(m_mutex);
    while (m_bRun)
    {
        if (m_bPaused)
        {
            m_changed.wait(lock, [this] { return !m_bRun || !m_bPaused; });
            continue;
        }
        m_bDelivering = true;
        lock.unlock();
        DeliverBlock();
        lock.lock();
        OnBlockDelivered();
        m_bDelivering = false;
        m_changed.notify_all();
        if (!m_bRun)
            break;
        WaitForNextBlock(lock);
    }
}
