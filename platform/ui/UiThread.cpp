#include "platform/ui/UiThread.h"

#include <wx/app.h>
#include <wx/thread.h>
#include <wx/weakref.h>
#include <wx/window.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace platform::ui
{
namespace
{

std::atomic<bool> g_closing{false};

// What a sender waits on; shared with the queued call, which may run after the sender gave up.
struct SendState
{
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
};

}  // namespace

bool IsUiThread()
{
    return wxThread::IsMain();
}

void SetUiClosing(bool closing)
{
    g_closing.store(closing);
}

bool IsUiClosing()
{
    return g_closing.load();
}

bool PostToUi(std::function<void()> call)
{
    if (g_closing.load() || !wxTheApp || !call)
        return false;
    wxTheApp->CallAfter(std::move(call));
    return true;
}

bool PostToWindow(wxWindow* window, std::function<void()> call)
{
    if (!window)
        return false;
    // The weak reference is made here and read on the user-interface thread, where the window dies.
    auto target = std::make_shared<wxWeakRef<wxWindow>>(window);
    return PostToUi(
        [target, call = std::move(call)]
        {
            if (target->get())
                call();
        });
}

bool SendToUi(const std::function<void()>& call)
{
    return SendToUi(call, nullptr);
}

bool SendToUi(const std::function<void()>& call, const std::atomic<bool>* cancel)
{
    if (!call)
        return false;
    if (IsUiThread())
    {
        call();
        return true;
    }
    auto state = std::make_shared<SendState>();
    // The sender's call is copied: the queued call may outlive a sender that gave up.
    const bool queued = PostToUi(
        [state, call]
        {
            call();
            std::lock_guard lock(state->mutex);
            state->finished = true;
            state->done.notify_all();
        });
    if (!queued)
        return false;
    std::unique_lock lock(state->mutex);
    while (!state->finished)
    {
        if (g_closing.load() || (cancel != nullptr && cancel->load()))
            return false;
        state->done.wait_for(lock, std::chrono::milliseconds(50));
    }
    return true;
}

}  // namespace platform::ui
