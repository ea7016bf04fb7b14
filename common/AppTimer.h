// The program-wide high-resolution application timer, driven by command codes. The 3D view paces
// its frames with it; other parts read the application time (command 5) as a stopwatch.
//
// Threads: every command may be called from any thread. The state sits behind one mutex, so a
// reader on another thread never sees half of a start, stop or reset made on the user-interface
// thread.
#pragma once

#include <functional>

// The commands of AppTimer.
enum AppTimerCommand
{
    TIMER_RESET = 0,
    TIMER_START = 1,
    TIMER_STOP = 2,
    TIMER_ADVANCE = 3,
    TIMER_GETABSOLUTETIME = 4,
    TIMER_GETAPPTIME = 5,
    TIMER_GETELAPSEDTIME = 6,
};

// Runs one command and returns its result in seconds (0 for the commands that only change the
// timer, -1 for an unknown command). While the timer is stopped every command except start and
// absolute time takes the stop time as "now".
double AppTimer(int command);

// The clock that "now" is read from, in seconds. Tests install a clock they drive; an empty
// function brings back the monotonic system clock. Returns the clock it replaces.
using AppTimerClock = std::function<double()>;
AppTimerClock SetAppTimerClock(AppTimerClock clock);
