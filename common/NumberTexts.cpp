#include "common/NumberTexts.h"

#include <algorithm>

#include "platform/NumberFormat.h"

int g_bDecimalComma = 0;

namespace
{

// Levels at or beyond these bounds (and NaN) are shown as dashes.
constexpr double kLowestShownDb = -200.0;
constexpr double kHighestShownDb = 200.0;

bool IsShownLevel(double level)
{
    return level > kLowestShownDb && level < kHighestShownDb;
}

}  // namespace

void ApplyDecimalComma(std::string& text)
{
    if (g_bDecimalComma != 0)
        std::replace(text.begin(), text.end(), '.', ',');
}

std::string FormatDb(double level)
{
    std::string text = IsShownLevel(level) ? platform::FormatC("%.1fdB", level) : "-- dB";
    ApplyDecimalComma(text);
    return text;
}

std::string FormatDbNumber(double level)
{
    std::string text = IsShownLevel(level) ? platform::FormatC("%.1f", level) : "--";
    ApplyDecimalComma(text);
    return text;
}
