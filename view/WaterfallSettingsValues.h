// What the waterfall settings dialog edits: the engine's waterfall ranges and the plot's 3D time
// range, level scale and direction.
#pragma once

#include <string>

struct WaterfallSettingsValues
{
    int xLog = 1;
    float yMax = 0.0f;
    float yMin = -90.0f;
    float xMax = 20000.0f;
    float xMin = 20.0f;
    double start = 0.0;  // s
    double stop = 0.0;   // s; -1 the whole signal
    int yLog = 1;        // levels in dB
    int invert = 0;      // rows written from the back
};

// Empty when the ranges can be used, else the message that says what is wrong.
std::string CheckWaterfallSettings(const WaterfallSettingsValues& values);
