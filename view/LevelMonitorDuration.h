// The level monitor's duration: a number of measurements of one average time each, set from the
// dialog's preset buttons ("30s" .. "24h", a second press of the same button adds its time) or from
// a duration typed in the date-and-time dialog.
#pragma once

#include <array>

namespace level_monitor
{

// Seconds of the presets "30s", "1min", "5min", "10min", "30min", "1h", "2h", "4h", "8h", "24h".
inline constexpr std::array<double, 10> kPresetSeconds = {30,   60,   300,   600,   1800,
                                                          3600, 7200, 14400, 28800, 86400};

struct Duration
{
    double averageTime = 1.0;  // s
    int number = 0;            // measurements
    int lastPreset = -1;       // the preset pressed last, -1 none
};

// An average time that cannot divide a duration (0, negative or not a number).
bool IsValidAverageTime(double seconds);

// Preset k (0..9): the duration becomes the preset's time, or grows by it when k was also the last
// preset pressed. False (nothing changed) for an invalid average time or index.
bool PressPreset(Duration& duration, int k);

// The duration typed in seconds; the last preset is forgotten. False for an invalid average time.
bool SetDuration(Duration& duration, double seconds);

}  // namespace level_monitor
