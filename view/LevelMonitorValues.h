// What the level monitor's dialog edits: the monitor's settings, the duration and the recorder's
// settings that run with it.
#pragma once

struct LevelMonitorValues
{
    int active = 0;
    int weighting = 0;  // 0 none, 1 A, 2 C
    double averageTime = 1.0;
    int number = 0;
    int fullSpan = 1;
    double minFrequency = 20.0;
    double maxFrequency = 20000.0;
    int recorder = 0;
    int storeSpectrum = 1;
    // The recorder dialog's values.
    int mp3 = 0;
    double fileLengthMinutes = 30.0;
    // Set when the monitor's own on/off and its band settings are not to be changed here.
    int fixed = 0;
};
