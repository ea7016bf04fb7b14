// What a parameter window shows: the 39 parameters' names, their values from the engine's result
// block, the scale each starts with, and the text and meter value of one refresh. Plain rules; the
// windows of the toolkit show the results.
#pragma once

#include <string>

#include "engine/ParamResults.h"

// The text of a value that cannot be shown.
inline constexpr const char* kParamNoValue = "   --   ";

enum class ParamCategory
{
    None,  // the parameter's own rule gives the text
    Db20,
    Watt,
    Percent,
    Plain,
    Time,
    Angle,
};

// How a parameter window scales its value (the set-up dialog may change the mode).
struct ParamScale
{
    static constexpr int kLinear = 0;
    static constexpr int kLinearPercent = 1;
    static constexpr int kLogDb = 2;

    ParamCategory category = ParamCategory::None;
    int nScaleMode = kLinear;
    double dDbFactor = 20.0;
    double dScaleFactor = 1.0;
    std::string unit;
    std::string suffix;
};

// One refresh of a parameter window.
struct ParamReading
{
    std::string title;
    std::string text = kParamNoValue;
    double value = 0.0;  // what the meter shows
    bool valid = false;
    // LEQ presets the meter's readings from its minimum and maximum (update mode 2).
    bool presetMinMax = false;
    double minimum = 0.0;
    double maximum = 0.0;
    // The measurement time hides the minimum and maximum.
    bool hideMinMax = false;
};

inline constexpr int kParamViewParameters = 39;

// The name of parameter n ("" outside 0 … 38).
std::string GetParamViewName(int n);
// The value of parameter n of a channel; false when it is not available.
bool GetParamValue(int n, int channel, const CParamResults& results, double& value);
// The scale a parameter starts with.
ParamScale SetupParamScale(int n);
// The text and meter value of parameter n of a channel in a scale.
ParamReading ReadParamView(int n, int channel, const CParamResults& results, const ParamScale& scale);
