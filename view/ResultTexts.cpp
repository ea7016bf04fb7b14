#include "view/ResultTexts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "dsp/RoomAcoustics.h"
#include "platform/NumberFormat.h"

namespace
{

constexpr double kMillisecondsFrom = 2.0;

std::string Decibels(double ratio)
{
    return platform::FormatC("%.1fdB", 10.0 * std::log10(ratio));
}

}  // namespace

std::string FormatDecayTime(double seconds)
{
    if (seconds < 0.0 || std::isnan(seconds))
        return "--";
    if (seconds < kMillisecondsFrom)
        return platform::FormatC("%.2fs", seconds);
    return platform::FormatC("%.0fms", seconds * 1000.0);
}

std::array<std::string, kRoomAcousticTexts> MakeRoomAcousticTexts(const CRoomAcousticResults* results)
{
    std::array<std::string, kRoomAcousticTexts> texts;
    texts.fill("--");
    if (!results)
        return texts;
    texts[kTextRt60] = FormatDecayTime(results->m_decayTimes[0]);
    texts[kTextRt30] = FormatDecayTime(results->m_decayTimes[1]);
    texts[kTextEdt] = FormatDecayTime(results->m_decayTimes[2]);
    if (results->m_d50 > 0.0)
    {
        texts[kTextD50] = platform::FormatC("%.2f%%", results->m_d50 * 100.0);
        texts[kTextD80] = platform::FormatC("%.2f%%", results->m_d80 * 100.0);
        texts[kTextC50] = Decibels(results->m_c50);
        texts[kTextC80] = Decibels(results->m_c80);
    }
    return texts;
}

std::string BuildResultsText(const ResultsTable& table, bool transpose, bool decimalComma)
{
    const int curves = std::clamp(table.curveCount, 0, kMaxResultCurves);
    const int points = std::max(0, table.pointCount);
    std::string text;
    // Sized for every cell whatever its width.
    text.reserve(static_cast<std::size_t>(points) * static_cast<std::size_t>(curves + 1) * 16);
    char cell[64];
    const auto append = [&](int curve, int point)
    {
        const double v =
            table.value ? static_cast<double>(static_cast<float>(table.value(curve, point))) : 0.0;
        const int n = std::snprintf(cell, sizeof cell, "%f\t", v);
        text.append(cell, static_cast<std::size_t>(std::clamp(n, 0, static_cast<int>(sizeof cell) - 1)));
    };
    if (!transpose)
        for (int point = 0; point < points; ++point)
        {
            for (int curve = -1; curve < curves; ++curve)
                append(curve, point);
            text += '\n';
        }
    else
        for (int curve = -1; curve < curves; ++curve)
        {
            for (int point = 0; point < points; ++point)
                append(curve, point);
            text += '\n';
        }
    if (decimalComma)
        std::replace(text.begin(), text.end(), '.', ',');
    return text;
}
