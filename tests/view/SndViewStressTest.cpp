// Mode switching against a running engine on the simulated input: no crash, no deadlock, no thread
// left behind, and the analysis still runs afterwards.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <thread>

#include "ViewFixture.h"
#include "engine/AudioInSim.h"

namespace
{

namespace cmd = view_command;

int CountThreads()
{
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task"))
        ++count;
    return count;
}

// Ends the process when the guarded work stops making progress: a deadlock would otherwise hang the
// whole run. Progress, not total time, is judged, so that a slow machine or a sanitiser build that
// takes longer over the same work is not taken for a deadlock.
class Watchdog
{
public:
    explicit Watchdog(std::chrono::seconds silence)
        : m_thread(
              [this, silence]
              {
                  std::unique_lock lock(m_mutex);
                  while (!m_bDone)
                  {
                      const std::uint64_t ticks = m_nTicks;
                      m_changed.wait_for(lock, silence, [&] { return m_bDone || m_nTicks != ticks; });
                      if (!m_bDone && m_nTicks == ticks)
                      {
                          std::fprintf(stderr, "Mode switching made no progress for %lld s: deadlock?\n",
                                       static_cast<long long>(silence.count()));
                          std::abort();
                      }
                  }
              })
    {
    }
    ~Watchdog() { Stop(); }
    // Marks one step of the guarded work as done.
    void Tick()
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_nTicks;
        }
        m_changed.notify_all();
    }
    void Stop()
    {
        {
            std::lock_guard lock(m_mutex);
            m_bDone = true;
        }
        m_changed.notify_all();
        if (m_thread.joinable())
            m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::uint64_t m_nTicks = 0;
    bool m_bDone = false;
    std::thread m_thread;
};

class SndViewStress : public viewtest::ViewFixture
{
protected:
    void SetUp() override
    {
        m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
        m_engine.m_nInputMode = CSoundIn::kInputSimulated;
        m_engine.m_nSampleRate = 48000;
        ASSERT_TRUE(m_engine.SetFftSize(1024));
    }

    void RefreshAll()
    {
        for (std::size_t i = 0; i < m_views.size(); ++i)
        {
            m_views[i].view->OnTimer(CSndView::kTimerRefresh);
            m_views[i].view->OnTimer(CSndView::kTimerProgress);
        }
    }
};

TEST_F(SndViewStress, ThousandModeSwitchesOnALiveEngine)
{
    const int threadsBefore = CountThreads();
    Watchdog watchdog(std::chrono::seconds(20));

    MakeView();
    for (auto& entry : m_views)
        entry.window->m_bPaint = true;
    View(0).OnCommand(cmd::kStart);
    ASSERT_EQ(m_engine.GetState(), CSoundIn::kStateRunning);

    const std::vector<std::function<void(CSndView&)>> switches = {
        [](CSndView& v) { v.OnCommand(cmd::kFftAnalyzer); },
        [](CSndView& v) { v.OnCommand(cmd::kMls); },
        [](CSndView& v) { v.OnCommand(cmd::kOscilloscope); },
        [](CSndView& v) { v.OnCommand(cmd::kBarGraph); },
        [](CSndView& v) { v.OnCommand(cmd::kSpectrogram); },
        [](CSndView& v) { v.OnCommand(cmd::kImpedance); },
        [](CSndView& v) { v.OnCommand(cmd::kDualChannel); },
        [](CSndView& v) { v.SetViewMode(10002); },
        [](CSndView& v) { v.SetViewMode(0); },
        [](CSndView& v) { v.SetViewMode(257); },
        [](CSndView& v) { v.SetViewMode(265); },
        [](CSndView& v) { v.SetViewMode(9); },
        [](CSndView& v) { v.SetViewMode(271); },
        [](CSndView& v) { v.SetViewMode(10001); },
        [](CSndView& v) { v.OnCommand(cmd::kYAutoScale); },
    };
    constexpr int kSwitches = 1000;
    std::int64_t analyses = 0;
    for (int i = 0; i < kSwitches; ++i)
    {
        // Half way a second window opens: the oscilloscope then stays in the pressed window.
        if (i == kSwitches / 2)
        {
            MakeView();
            m_views.back().window->m_bPaint = true;
        }
        CSndView& view = View(i % static_cast<int>(m_views.size()));
        switches[static_cast<std::size_t>(i) % switches.size()](view);
        // Once per round, after the switches that keep the input running, give the input and the
        // analysis time to deliver a few blocks.
        if (static_cast<std::size_t>(i) % switches.size() == switches.size() - 1)
            std::this_thread::sleep_for(std::chrono::milliseconds(60));
        RefreshAll();
        analyses = std::max(analyses, m_engine.m_nAnalysisCounter.load());
        watchdog.Tick();
    }
    // The refreshes ran against results of the engine, not only against an idle one.
    EXPECT_GT(analyses, 0);

    // The plain analyser runs again and produces results.
    View(0).OnCommand(cmd::kFftAnalyzer);
    ASSERT_EQ(m_engine.GetState(), CSoundIn::kStateRunning);
    const std::int64_t start = m_engine.m_nAnalysisCounter.load();
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (m_engine.m_nAnalysisCounter.load() < start + 3 && std::chrono::steady_clock::now() < deadline)
    {
        RefreshAll();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    EXPECT_GE(m_engine.m_nAnalysisCounter.load(), start + 3);
    EXPECT_EQ(View(0).GetViewMode(), 0);
    EXPECT_GT(View(0).m_nRefreshEvents.load(), 0u);
    EXPECT_FALSE(View(0).IsProcessingPaused());

    watchdog.Tick();
    m_engine.StopInput();
    m_views.clear();
    watchdog.Stop();
    EXPECT_EQ(CountThreads(), threadsBefore);
}

}  // namespace
