#include "view/LevelMonitorDuration.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace level_monitor
{

namespace
{
int Measurements(double seconds, double averageTime)
{
    const double number = std::trunc(seconds / averageTime);
    return number >= std::numeric_limits<int>::max() ? std::numeric_limits<int>::max()
                                                     : static_cast<int>(std::max(number, 0.0));
}
}  // namespace

bool IsValidAverageTime(double seconds)
{
    return std::isfinite(seconds) && seconds > 0.0;
}

bool PressPreset(Duration& duration, int k)
{
    if (!IsValidAverageTime(duration.averageTime) || k < 0 || k >= static_cast<int>(kPresetSeconds.size()))
        return false;
    double seconds = kPresetSeconds[static_cast<std::size_t>(k)];
    if (k == duration.lastPreset)
        seconds += duration.number * duration.averageTime;
    duration.number = Measurements(seconds, duration.averageTime);
    duration.lastPreset = k;
    return true;
}

bool SetDuration(Duration& duration, double seconds)
{
    if (!IsValidAverageTime(duration.averageTime))
        return false;
    duration.number = Measurements(seconds, duration.averageTime);
    duration.lastPreset = -1;
    return true;
}

}  // namespace level_monitor
