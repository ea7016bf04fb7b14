#include "display/AxisNumbers.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/NumberFormat.h"

namespace
{

// See PlotAxis.cpp: quotients a hair off a whole number count as that number.
constexpr double kMultipleTolerance = 1e-9;

// Values beyond this are not rounded to an integer text (it would not fit).
constexpr double kLargestWhole = 9.0e18;

}  // namespace

int StepPrecision(double step, int maxPrecision)
{
    static constexpr double kDecimalSteps[] = {1.0, 0.1, 0.01, 0.001, 0.0001, 0.00001, 0.000001};
    const int last = std::clamp(maxPrecision, 0, 6);
    for (int precision = 0; precision <= last; ++precision)
    {
        if (step >= kDecimalSteps[precision])
            return precision;
    }
    return last + 1;
}

int DecimalsForStep(double step, int precision, int maxPrecision)
{
    step = std::fabs(step);
    while (precision < maxPrecision)
    {
        const double scaled = step * std::pow(10.0, precision);
        if (std::fabs(scaled - std::round(scaled)) <= 1e-6 * std::max(1.0, scaled))
            break;
        ++precision;
    }
    return precision;
}

void NiceGridStep(double from, double to, int divisions, double* step, double* first, double* last)
{
    if (divisions < 1 || !(to - from > 0.0))
        return;
    const double raw = (to - from) / divisions;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / power;
    static constexpr double kFactors[] = {1.0, 2.0, 2.5, 5.0, 10.0};
    double factor = 10.0;
    for (double f : kFactors)
    {
        if (f >= mantissa * (1.0 - kMultipleTolerance))
        {
            factor = f;
            break;
        }
    }
    const double s = power * factor;
    *step = s;
    *first = std::ceil(from / s - kMultipleTolerance) * s;
    *last = std::floor(to / s + kMultipleTolerance) * s;
}

std::string FormatAxisNumber(double value, double step)
{
    if (step >= 1.0)
    {
        if (std::fabs(value) < kLargestWhole)
        {
            const auto rounded = static_cast<std::int64_t>(value + std::copysign(0.5, value));
            if (value >= 1000.0 - 0.5)
            {
                // The nearest whole thousand: integer division alone would call 1999 "1k".
                const std::int64_t thousands = (rounded + 500) / 1000;
                if (std::llabs(rounded - thousands * 1000) <= 1)
                    return platform::FormatC("%lldk", static_cast<long long>(thousands));
            }
            if (step >= 10.0)
                return platform::FormatC("%lld", static_cast<long long>(rounded));
        }
        return platform::FormatC("%.1f", value);
    }
    const int precision = StepPrecision(step, 4);
    if (precision > 4)
        return platform::FormatC("%0.4G", value);
    return platform::FormatC("%.*f", DecimalsForStep(step, precision, 4), value);
}
