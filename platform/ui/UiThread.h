// Carrying work over to the user-interface thread. Worker threads never touch a window: they post a
// call (queued, the worker goes on) or send one (run on the user-interface thread while the worker
// waits for it; a direct call when the caller is already on that thread).
//
// Threads: every function may be called from any thread. Posted and sent calls run on the
// user-interface thread in the order they were queued.
#pragma once

#include <atomic>
#include <functional>

class wxWindow;

namespace platform::ui
{

// True on the thread that runs the windows.
bool IsUiThread();

// Queues the call for the user-interface thread. False (the call is dropped) when no window
// toolkit runs or the user interface is closing.
bool PostToUi(std::function<void()> call);

// The same, for a call that belongs to one window: dropped when the window is destroyed before
// the call would run.
bool PostToWindow(wxWindow* window, std::function<void()> call);

// Runs the call on the user-interface thread and returns when it has run (true). False when it
// could not run: no toolkit, or the user interface closed while the caller waited (a worker that
// sends during shut-down is then not left waiting for a loop that no longer turns).
bool SendToUi(const std::function<void()>& call);
// The same; the sender also gives up as soon as `cancel` becomes true (the window it sends to is
// closing and waits for the sender's thread). A call that was queued may still run later.
bool SendToUi(const std::function<void()>& call, const std::atomic<bool>* cancel);

// Once set, posts and sends are refused and waiting senders give up; the application sets it when
// its message loop ends and before it joins its workers.
void SetUiClosing(bool closing);
bool IsUiClosing();

}  // namespace platform::ui
