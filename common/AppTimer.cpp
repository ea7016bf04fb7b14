#include "common/AppTimer.h"

#include <chrono>
#include <mutex>
#include <utility>

namespace
{

double SteadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

struct TimerState
{
    std::mutex mutex;
    AppTimerClock clock;
    double baseTime = 0.0;
    double stopTime = 0.0;
    double lastElapsedTime = 0.0;
    bool stopped = false;
};

TimerState& State()
{
    static TimerState state;
    return state;
}

// The advance command moves a stopped timer on by this much.
constexpr double kAdvanceStep = 0.1;

}  // namespace

double AppTimer(int command)
{
    TimerState& s = State();
    std::lock_guard lock(s.mutex);
    const double clockNow = s.clock ? s.clock() : SteadySeconds();
    const bool usesStopTime = s.stopped && command != TIMER_START && command != TIMER_GETABSOLUTETIME;
    const double now = usesStopTime ? s.stopTime : clockNow;

    switch (command)
    {
        case TIMER_RESET:
            s.baseTime = now;
            s.stopTime = 0.0;
            s.stopped = false;
            return 0.0;
        case TIMER_START:
            if (s.stopped)
                s.baseTime += now - s.stopTime;
            s.stopTime = 0.0;
            s.stopped = false;
            return 0.0;
        case TIMER_STOP:
            s.stopTime = now;
            s.lastElapsedTime = now;
            s.stopped = true;
            return 0.0;
        case TIMER_ADVANCE:
            s.stopTime += kAdvanceStep;
            return 0.0;
        case TIMER_GETABSOLUTETIME:
            return now;
        case TIMER_GETAPPTIME:
            return now - s.baseTime;
        case TIMER_GETELAPSEDTIME:
        {
            const double elapsed = now - s.lastElapsedTime;
            s.lastElapsedTime = now;
            return elapsed;
        }
        default:
            return -1.0;
    }
}

AppTimerClock SetAppTimerClock(AppTimerClock clock)
{
    TimerState& s = State();
    std::lock_guard lock(s.mutex);
    return std::exchange(s.clock, std::move(clock));
}
