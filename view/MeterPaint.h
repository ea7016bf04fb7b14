// The analog meter of the meter windows and parameter windows: the fields a user of the meter sets
// and the painting of one frame on a canvas (value text with automatic font size, bar meter with its
// colour strip, hexagon marker, minimum and maximum readings).
#pragma once

#include <array>
#include <string>

#include "platform/gfx/Canvas.h"

struct MeterAlarm
{
    int bEnable = 0;
    double dLevel = 1e99;
    gfx::Color crColor = 0x0000FF;  // red
};

struct MeterRange
{
    double dLow = 0.0;
    double dHigh = -1.0;  // empty
    gfx::Color crColor = 0;
};

struct MeterState
{
    static constexpr double kInvalidMarker = 7.967715e+102;
    static constexpr const char* kPlaceholder = "\x01";
    static constexpr double kNoReading = 1e99;

    double dValue = kInvalidMarker;
    double dInvalid = kInvalidMarker;
    std::string strValueText = kPlaceholder;
    std::string strValueFormat = "%e";
    std::string strLabel;
    int bValid = 1;
    int nFontSize = -20;  // > 0 fixed height; otherwise automatic
    int bTextEnable = 1;
    int bTextVertical = 0;
    int bBarEnable = 0;
    int bBarVertical = 0;
    double dScaleMin = 0.0;
    double dScaleMax = 100.0;
    double dThreshold = 50.0;
    gfx::Color crBackground = 0x000000;
    gfx::Color crText = 0xFF0000;      // blue
    gfx::Color crBarBelow = 0x00FF00;  // green
    gfx::Color crBarAbove = 0x0000FF;  // red
    gfx::Color crMinText = 0x00FF00;
    gfx::Color crMaxText = 0x0000FF;
    std::array<MeterAlarm, 4> alarms{};
    int bRangeMode = 0;
    std::array<MeterRange, 4> ranges{};
    int bMarkerEnable = 0;
    double dMarkerValue = 0.0;
    int bMinMaxEnable = 1;
    double dMinimum = kNoReading;
    double dMaximum = -kNoReading;
    int nMinUpdateMode = 1;  // 1 update and show, 2 show the owner's value, 0 hide
    int nMaxUpdateMode = 1;
    double dSmallFontHeight = 10.0;

    void ResetStatistics()
    {
        dMinimum = kNoReading;
        dMaximum = -kNoReading;
    }
};

// The text a meter shows; `valid` false when it shows no value.
std::string MeterValueText(const MeterState& meter, bool& valid);
// The text colour after the alarm levels.
gfx::Color MeterTextColor(const MeterState& meter, double value);
// The value font height for a client area (automatic unless the size is fixed).
int MeterFontHeight(gfx::Canvas& canvas, const MeterState& meter, const std::string& text, int width,
                    int height);
// Paints one frame of the meter into a client area of width × height and updates the readings.
void PaintMeter(gfx::Canvas& canvas, MeterState& meter, int width, int height);
