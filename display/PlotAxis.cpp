#include "display/PlotAxis.h"

#include <algorithm>
#include <cmath>

#include "common/TextFormatting.h"
#include "display/AxisNumbers.h"
#include "platform/NumberFormat.h"

namespace
{

// Quotients such as 0.3 / 0.1 land a hair off the whole number they stand for; a multiple closer
// than this to a whole number counts as that number, so a grid never loses its first or last line.
constexpr double kMultipleTolerance = 1e-9;

// Pixels far outside any window; a mapping never hands a painter a non-finite or huge coordinate.
constexpr double kPixelLimit = 1e9;

double CeilMultiple(double value, double step)
{
    return std::ceil(value / step - kMultipleTolerance) * step;
}

double FloorMultiple(double value, double step)
{
    return std::floor(value / step + kMultipleTolerance) * step;
}

double LimitPixel(double pixel, double fallback)
{
    if (std::isnan(pixel))
        return fallback;
    return std::clamp(pixel, -kPixelLimit, kPixelLimit);
}

// A tick that stands for zero is zero: -1 + 5 * 0.2 would otherwise read "-0.0" or "0.0000000001".
double SnapToZero(double value, double step)
{
    return std::fabs(value) < step * kMultipleTolerance ? 0.0 : value;
}

// Base units of the clock-time steps with the multiples each may take.
struct TimeUnit
{
    double seconds;
    const double* factors;
    int factorCount;
};

constexpr double kSecondFactors[] = {1, 2, 5, 10, 15, 30};
constexpr double kHourFactors[] = {1, 2, 3, 6};
constexpr double kDayFactors[] = {1, 2, 5, 10, 15, 30};
constexpr double kMinuteSpan = 120.0;
constexpr double kHourSpan = 7200.0;
constexpr double kDaySpan = 86400.0;
// FormatTimeByStyle gives days, hours, minutes and seconds for a style it does not list.
constexpr int kTimeStyleDays = 0;

}  // namespace

void AxisNiceStep(double from, double to, int divisions, double* step, double* first, double* last)
{
    if (divisions < 1 || !(to - from > 0.0))
        return;
    const double raw = (to - from) / divisions;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    const double mantissa = raw / power;
    static constexpr double kFactors[] = {1.25, 2.0, 2.5, 5.0, 10.0};
    double factor = 1.0;
    if (mantissa > 1.0 + kMultipleTolerance)
    {
        factor = 10.0;
        for (double f : kFactors)
        {
            if (f >= mantissa * (1.0 - kMultipleTolerance))
            {
                factor = f;
                break;
            }
        }
    }
    const double s = power * factor;
    *step = s;
    *first = CeilMultiple(from, s);
    *last = FloorMultiple(to, s);
}

void TimeAxisStep(double from, double to, int divisions, double* step, double* first, double* last,
                  int* style)
{
    const double span = to - from;
    if (divisions < 1 || !(span >= 0.0))
        return;
    const double raw = span / divisions;
    TimeUnit unit{1.0, kSecondFactors, 6};
    int chosenStyle = from > 10.0 ? kTimeStyleHoursMinutesSeconds : kTimeStyleSecondsOfMinute;
    // A span of exactly two minutes or two hours takes the coarser unit, as longer spans do.
    if (span >= kDaySpan)
    {
        unit = {86400.0, kDayFactors, 6};
        chosenStyle = kTimeStyleDays;
    }
    else if (span >= kHourSpan)
    {
        unit = {3600.0, kHourFactors, 4};
        chosenStyle = kTimeStyleHoursMinutes;
    }
    else if (span >= kMinuteSpan)
    {
        unit = {60.0, kSecondFactors, 6};
        chosenStyle = kTimeStyleHoursMinutes;
    }
    double factor = unit.factors[unit.factorCount - 1];
    for (int i = 0; i < unit.factorCount; ++i)
    {
        if (unit.factors[i] * unit.seconds >= raw)
        {
            factor = unit.factors[i];
            break;
        }
    }
    const double s = unit.seconds * factor;
    *step = s;
    *first = CeilMultiple(from, s);
    *last = FloorMultiple(to, s);
    *style = chosenStyle;
}

double MapToPixels(double value, double from, double to, double pixelFrom, double pixelTo, int logarithmic)
{
    double fraction = 0.0;
    if (logarithmic)
    {
        const double decades = std::log10(to / from);
        if (from > 0.0 && to > 0.0 && decades != 0.0 && std::isfinite(decades))
            fraction = std::log10(value / from) / decades;
    }
    else if (to != from)
    {
        fraction = (value - from) / (to - from);
    }
    return LimitPixel(pixelFrom + (pixelTo - pixelFrom) * fraction, pixelFrom);
}

CPlotAxis::CPlotAxis()
{
    // 1999-03-19 22:15:00 in local time.
    std::tm base{};
    base.tm_year = 1999 - 1900;
    base.tm_mon = 2;
    base.tm_mday = 19;
    base.tm_hour = 22;
    base.tm_min = 15;
    base.tm_isdst = -1;
    m_timeBase = std::mktime(&base);
}

CPlotAxis::~CPlotAxis() = default;

double CPlotAxis::ValueToPixel(double value) const
{
    double offset = 0.0;
    if (m_bLogarithmic)
    {
        if (value > 0.0 && m_dMinimum > 0.0)
            offset = std::log10(value / m_dMinimum) * m_dPixelsPerDecade;
        else
            offset = -kPixelLimit;
    }
    else if (m_dMaximum != m_dMinimum)
    {
        offset = (value - m_dMinimum) * m_dPixelLength / (m_dMaximum - m_dMinimum);
    }
    offset = LimitPixel(offset, 0.0);
    if (m_bInverted)
        return m_dEndPixel - offset;
    return m_dStartPixel + offset;
}

double CPlotAxis::TimeOfDay() const
{
    if (!m_bUseTimeBase)
        return 0.0;
    std::tm local{};
    const std::time_t base = m_timeBase;
    if (localtime_r(&base, &local) == nullptr)
        return 0.0;
    return local.tm_hour * 3600.0 + local.tm_min * 60.0 + local.tm_sec;
}

void CPlotAxis::BuildTicks()
{
    m_dPixelLength = m_dEndPixel - m_dStartPixel;
    m_dPixelsPerDecade = 0.0;
    if (m_dMinimum > 0.0 && m_dMaximum > m_dMinimum)
        m_dPixelsPerDecade = m_dPixelLength / std::log10(m_dMaximum / m_dMinimum);
    m_nMajorTicks = 0;
    if (!(m_dMaximum > m_dMinimum))
        return;

    if (m_nType == kTypeClockTime)
    {
        double step = 0.0, first = 0.0, last = -1.0;
        int style = m_nTimeLabelStyle;
        TimeAxisStep(m_dMinimum, m_dMaximum, m_nMajorDivisions, &step, &first, &last, &style);
        if (!(step > 0.0))
            return;
        m_dMajorStep = step;
        m_dMajorFirst = first;
        m_dMajorLast = last;
        m_nTimeLabelStyle = style;
        for (int i = 0; m_nMajorTicks < kMaxTicks; ++i)
        {
            const double value = first + i * step;
            if (value > last + step * kMultipleTolerance)
                break;
            AddTick(value);
        }
        return;
    }

    double step = 0.0, first = 0.0, last = -1.0;
    AxisNiceStep(m_dMinimum, m_dMaximum, m_nMajorDivisions, &step, &first, &last);
    if (!(step > 0.0))
        return;
    m_dMajorStep = step;
    m_dMajorFirst = first;
    m_dMajorLast = last;
    if (m_bLogarithmic)
    {
        if (!(m_dMinimum > 0.0))
            return;
        // The decade at the minimum itself is not a tick: the first is the next power of ten above it.
        int exponent = static_cast<int>(std::floor(std::log10(m_dMinimum)));
        while (std::pow(10.0, exponent) <= m_dMinimum * (1.0 + kMultipleTolerance))
            ++exponent;
        for (; m_nMajorTicks < kMaxTicks && exponent < 310; ++exponent)
        {
            const double value = std::pow(10.0, exponent);
            if (value > m_dMaximum * (1.0 + kMultipleTolerance))
                break;
            AddTick(value);
        }
        return;
    }
    for (int i = 0; m_nMajorTicks < kMaxTicks; ++i)
    {
        const double value = SnapToZero(first + i * step, step);
        if (value > last + step * kMultipleTolerance)
            break;
        AddTick(value);
    }
}

void CPlotAxis::BuildMinorTicks()
{
    m_nMinorTicks = 0;
    if (!(m_dMaximum > m_dMinimum))
        return;
    const long long divisions = 5LL * m_nMajorDivisions;
    double step = 0.0, first = 0.0, last = -1.0;
    AxisNiceStep(m_dMinimum, m_dMaximum, static_cast<int>(std::clamp(divisions, 0LL, 1LL << 30)), &step,
                 &first, &last);
    if (!(step > 0.0))
        return;
    m_dMinorStep = step;
    m_dMinorFirst = first;
    m_dMinorLast = last;
    if (m_bLogarithmic)
    {
        if (!(m_dMinimum > 0.0))
            return;
        // Every multiple 2..10 of each decade from the one at or below the minimum.
        const int firstExponent = static_cast<int>(std::floor(std::log10(m_dMinimum)));
        for (int exponent = firstExponent; exponent < 310 && m_nMinorTicks < kMaxTicks; ++exponent)
        {
            const double decade = std::pow(10.0, exponent);
            if (decade * 2.0 > m_dMaximum * (1.0 + kMultipleTolerance))
                return;
            for (int multiple = 2; multiple <= 10 && m_nMinorTicks < kMaxTicks; ++multiple)
            {
                const double value = decade * multiple;
                if (value > m_dMaximum * (1.0 + kMultipleTolerance))
                    return;
                if (value >= m_dMinimum * (1.0 - kMultipleTolerance))
                    AddMinorTick(value);
            }
        }
        return;
    }
    for (int i = 0; m_nMinorTicks < kMaxTicks; ++i)
    {
        const double value = SnapToZero(first + i * step, step);
        if (value > last + step * kMultipleTolerance)
            break;
        AddMinorTick(value);
    }
}

std::string CPlotAxis::FormatTick(double value, double step) const
{
    if (m_nLabelMode == 1)
    {
        // A step of 2.5 or 1.25 needs decimals although it is not below 1.
        const bool wholeStep = std::fabs(step - std::round(step)) <= 1e-6 * std::max(1.0, step);
        if (step >= 1.0 && wholeStep)
        {
            const double whole = std::trunc(std::clamp(value, -9.0e18, 9.0e18));
            const long long integer = static_cast<long long>(whole);
            if (value > 1000.0 && integer % 1000 == 0)
                return platform::FormatC("%lldk", integer / 1000);
            return platform::FormatC("%lld", integer);
        }
        const int precision = StepPrecision(step, 5);
        return platform::FormatC("%*.*f", 0, DecimalsForStep(step, precision, 6), value);
    }
    const double magnitude = std::max(std::fabs(m_dMinimum), std::fabs(m_dMaximum));
    int precision = 4;
    if (magnitude > 1000.0)
        precision = 0;
    else if (magnitude > 100.0)
        precision = 1;
    else if (magnitude > 10.0)
        precision = 2;
    else if (magnitude > 1.0)
        precision = 3;
    return platform::FormatC("%*.*f", 2, precision, value);
}

void CPlotAxis::AddTick(double value)
{
    if (m_nMajorTicks < 0 || m_nMajorTicks >= kMaxTicks)
        return;
    std::string label;
    if (m_nType == kTypeClockTime)
    {
        label = FormatTimeByStyle(value, m_nTimeLabelStyle);
    }
    else
    {
        // Decade ticks below the linear step would all read "0" with the step's precision; each
        // takes the precision of its own size instead.
        double step = m_dMajorStep;
        if (m_bLogarithmic && value > 0.0 && value < step)
            step = value;
        label = FormatTick(value, step);
    }
    m_adMajorTicks[static_cast<std::size_t>(m_nMajorTicks)] = value;
    m_arrMajorLabels[static_cast<std::size_t>(m_nMajorTicks)] = std::move(label);
    ++m_nMajorTicks;
}

void CPlotAxis::AddMinorTick(double value)
{
    if (m_nMinorTicks < 0 || m_nMinorTicks >= kMaxTicks)
        return;
    m_adMinorTicks[static_cast<std::size_t>(m_nMinorTicks)] = value;
    ++m_nMinorTicks;
}
