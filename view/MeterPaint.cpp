#include "view/MeterPaint.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <string_view>
#include <vector>

#include "platform/NumberFormat.h"

namespace
{

std::string Vformat(const char* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::string text = platform::FormatCV(format, args);
    va_end(args);
    return text;
}

constexpr int kTrialHeight = 20;
constexpr int kStripHeight = 5;
constexpr gfx::Color kCyan = 0xFFFF00;

// The owner's format when it holds exactly one floating-point conversion, else "%e".
std::string FormatValue(const std::string& format, double value)
{
    int conversions = 0;
    bool usable = true;
    for (std::size_t i = 0; i < format.size() && usable; ++i)
    {
        if (format[i] != '%')
            continue;
        if (i + 1 < format.size() && format[i + 1] == '%')
        {
            ++i;
            continue;
        }
        std::size_t j = i + 1;
        while (j < format.size() &&
               std::string_view("-+ #0123456789.").find(format[j]) != std::string_view::npos)
            ++j;
        usable = j < format.size() && std::string_view("eEfFgG").find(format[j]) != std::string_view::npos;
        ++conversions;
        i = j;
    }
    const char* chosen = usable && conversions == 1 ? format.c_str() : "%e";
    return Vformat(chosen, value);
}

bool ReadingShown(double reading)
{
    return std::fabs(reading) < MeterState::kNoReading;
}

// The position of a value on a scale of `length` pixels, kept inside it; -1 for a scale without
// extent.
int ScalePosition(double value, double minimum, double maximum, int length)
{
    if (!(maximum > minimum) || length <= 0)
        return -1;
    const double f = (value - minimum) / (maximum - minimum);
    if (!(f > 0.0))
        return 0;
    return static_cast<int>(std::min(f, 1.0) * length);
}

}  // namespace

std::string MeterValueText(const MeterState& meter, bool& valid)
{
    valid = meter.bValid != 0;
    if (meter.strValueText != MeterState::kPlaceholder)
        return meter.strValueText;
    if (meter.dValue == meter.dInvalid)
    {
        valid = false;
        return "--";
    }
    return FormatValue(meter.strValueFormat, meter.dValue);
}

gfx::Color MeterTextColor(const MeterState& meter, double value)
{
    gfx::Color colour = meter.crText;
    for (int i = 0; i < 3; ++i)
    {
        const MeterAlarm& alarm = meter.alarms[static_cast<std::size_t>(i)];
        if (alarm.bEnable && value > alarm.dLevel)
            colour = alarm.crColor;
    }
    if (meter.alarms[3].bEnable && value > meter.alarms[3].dLevel)
        colour = meter.alarms[3].crColor;
    return colour;
}

int MeterFontHeight(gfx::Canvas& canvas, const MeterState& meter, const std::string& text, int width,
                    int height)
{
    if (meter.nFontSize > 0)
        return meter.nFontSize;
    canvas.SetFont({"Arial", kTrialHeight, false});
    const int textWidth = std::max(1, canvas.TextWidth(text));
    int textHeight = std::max(1, canvas.TextHeight(text));
    if (!meter.strLabel.empty())
        textHeight *= 2;
    double size = 0.0;
    if (meter.bTextVertical)
    {
        size = static_cast<double>(kTrialHeight) / textWidth * height * 0.9;
    }
    else
    {
        const int minMaxLine = meter.bMinMaxEnable ? static_cast<int>(meter.dSmallFontHeight) : 0;
        size = std::min(static_cast<double>(kTrialHeight) / textWidth * width * 0.9,
                        static_cast<double>(kTrialHeight) / textHeight * (height - minMaxLine) * 0.9);
    }
    return std::max(1, static_cast<int>(size));
}

void PaintMeter(gfx::Canvas& canvas, MeterState& meter, int width, int height)
{
    bool valid = true;
    const std::string text = MeterValueText(meter, valid);
    const double value = meter.dValue;
    const bool numeric = valid && value != meter.dInvalid && std::isfinite(value);

    canvas.FillRect({0, 0, width, height}, meter.crBackground);
    const gfx::Color textColour = numeric ? MeterTextColor(meter, value) : meter.crText;

    if (meter.bBarEnable)
    {
        const bool vertical = meter.bBarVertical != 0;
        const int length = vertical ? height : width;
        const int bar = numeric ? ScalePosition(value, meter.dScaleMin, meter.dScaleMax, length) : -1;
        // A scale without extent draws no bar and no strip.
        if (ScalePosition(meter.dScaleMin, meter.dScaleMin, meter.dScaleMax, length) >= 0)
        {
            gfx::Color barColour = value > meter.dThreshold ? meter.crBarAbove : meter.crBarBelow;
            if (meter.bRangeMode)
            {
                barColour = meter.crBarBelow;
                for (const MeterRange& range : meter.ranges)
                    if (range.dHigh >= range.dLow && value >= range.dLow && value <= range.dHigh)
                        barColour = range.crColor;
            }
            if (bar > 0)
            {
                const gfx::Rect r =
                    vertical ? gfx::Rect{0, height - bar, width, height} : gfx::Rect{0, 0, bar, height};
                canvas.FillRect(r, barColour);
            }
            // The colour strip along the top (or the left of a vertical bar).
            const auto strip = [&](double from, double to, gfx::Color colour)
            {
                const int a = ScalePosition(from, meter.dScaleMin, meter.dScaleMax, length);
                const int b = ScalePosition(to, meter.dScaleMin, meter.dScaleMax, length);
                if (b <= a)
                    return;
                const int thickness = std::min(kStripHeight, vertical ? width : height);
                canvas.FillRect(vertical ? gfx::Rect{0, height - b, thickness, height - a}
                                         : gfx::Rect{a, 0, b, thickness},
                                colour);
            };
            if (meter.bRangeMode)
            {
                for (const MeterRange& range : meter.ranges)
                    if (range.dHigh >= range.dLow)
                        strip(range.dLow, range.dHigh, range.crColor);
            }
            else
            {
                strip(meter.dScaleMin, meter.dThreshold, meter.crBarBelow);
                strip(meter.dThreshold, meter.dScaleMax, meter.crBarAbove);
            }
        }
    }

    if (meter.bMarkerEnable)
    {
        const int x = ScalePosition(meter.dMarkerValue, meter.dScaleMin, meter.dScaleMax, width - 1);
        if (x >= 0)
        {
            const int half = std::max(2, width * 2 / 100);
            const int cy = height / 2;
            const double hy = height / 2.0;
            const auto px = [&](double u)
            { return std::clamp(x + static_cast<int>(std::lround(u * half)), 0, width - 1); };
            const auto py = [&](double v)
            { return std::clamp(cy + static_cast<int>(std::lround(v * hy)), 0, height - 1); };
            const std::vector<gfx::Point> hexagon = {{px(0), py(-1)},       {px(1), py(-1.0 / 3)},
                                                     {px(1), py(1.0 / 3)},  {px(0), py(1)},
                                                     {px(-1), py(1.0 / 3)}, {px(-1), py(-1.0 / 3)}};
            canvas.SetPen({textColour, 1, gfx::PenStyle::Solid});
            canvas.SetBrush({kCyan, false});
            canvas.Polygon(hexagon);
            canvas.SetPen({textColour, 2, gfx::PenStyle::Solid});
            canvas.MoveTo(0, cy);
            canvas.LineTo(width, cy);
            const int zero = ScalePosition(0.0, meter.dScaleMin, meter.dScaleMax, width - 1);
            canvas.MoveTo(zero, 0);
            canvas.LineTo(zero, height);
        }
    }

    if (meter.bTextEnable)
    {
        const int fontHeight = MeterFontHeight(canvas, meter, text, width, height);
        canvas.SetFont({"Arial", fontHeight, false});
        canvas.SetTextColor(textColour);
        canvas.SetTextBackground(gfx::kTransparentText);
        if (meter.bTextVertical)
        {
            const int w = canvas.TextWidth(text);
            const int h = canvas.TextHeight(text);
            canvas.DrawRotatedText(text, (width - h) / 2, (height + w) / 2, 90.0);
        }
        else if (!meter.strLabel.empty())
        {
            canvas.DrawText(meter.strLabel, {0, 0, width, height / 2}, gfx::Align::Centre);
            canvas.DrawText(text, {0, height / 2, width, height}, gfx::Align::Centre);
        }
        else
        {
            canvas.DrawText(text, {0, 0, width, height}, gfx::Align::Centre);
        }
    }

    if (meter.bMinMaxEnable)
    {
        if (numeric)
        {
            if (meter.nMaxUpdateMode == 1)
                meter.dMaximum = std::max(meter.dMaximum, value);
            if (meter.nMinUpdateMode == 1)
                meter.dMinimum = std::min(meter.dMinimum, value);
        }
        const int small = static_cast<int>(meter.dSmallFontHeight);
        canvas.SetFont({"Courier", small, false});
        canvas.SetTextBackground(gfx::kTransparentText);
        const gfx::Rect line = {2, height - small - 1, width - 2, height - 1};
        if (meter.nMinUpdateMode != 0)
        {
            canvas.SetTextColor(meter.crMinText);
            canvas.DrawText(ReadingShown(meter.dMinimum) ? platform::FormatC("%3.2f", meter.dMinimum) : "--",
                            line, gfx::Align::Left);
        }
        if (meter.nMaxUpdateMode != 0)
        {
            canvas.SetTextColor(meter.crMaxText);
            canvas.DrawText(ReadingShown(meter.dMaximum) ? platform::FormatC("%3.2f", meter.dMaximum) : "--",
                            line, gfx::Align::Right);
        }
    }
}
