#include "common/TextFormatting.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "platform/NumberFormat.h"

namespace
{

// The micro sign, U+00B5.
constexpr const char* kMicro = "\xC2\xB5";

// A duration cut to whole seconds (towards zero) and split into days, hours within the day,
// minutes within the hour and seconds within the minute. Values beyond the integer range
// saturate, and a value that is not a number counts as zero, so no input is undefined.
struct TimeParts
{
    long long days;
    long long hours;
    long long minutes;
    long long seconds;
};

TimeParts SplitSeconds(double t)
{
    constexpr double limit = 9.2e18;
    long long whole = 0;
    if (t >= limit)
        whole = INT64_MAX;
    else if (t <= -limit)
        whole = INT64_MIN;
    else if (!std::isnan(t))
        whole = static_cast<long long>(t);
    return {whole / 86400, (whole % 86400) / 3600, (whole % 3600) / 60, whole % 60};
}

std::string FormatDaysHoursMinutesSeconds(const TimeParts& parts)
{
    return platform::FormatC("%lldd:%lldh:%lldm:%2.0fs", parts.days, parts.hours, parts.minutes,
                             static_cast<double>(parts.seconds));
}

// The value in fixed notation, rounded to the 15 significant digits that a double always carries
// faithfully, so that 3.3 (stored as 3.2999999999999998...) reads "3.300..." and not "3.299...".
// At least minimumCharacters characters long.
std::string SignificantDecimals(double value, int minimumCharacters)
{
    constexpr int kFaithfulDigits = 15;
    const std::string plain = platform::FormatC("%.0f", value);
    const int integerDigits = static_cast<int>(plain.size());
    const int decimals = std::max({kFaithfulDigits - integerDigits, minimumCharacters - integerDigits, 1});
    return platform::FormatC("%.*f", decimals, value);
}

template <typename T>
std::string FormatArrayLiteral(std::string_view name, std::span<const T> values)
{
    std::string text(name);
    text += "=[";
    for (const T value : values)
        text += platform::FormatC("%e ", static_cast<double>(value));
    text += "];\n";
    return text;
}

}  // namespace

std::string MakeTimeStamp(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    return platform::FormatC("%i_%i_%i_%i_%i_%i", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                             local.tm_hour, local.tm_min, local.tm_sec);
}

std::string MakeCurrentTimeStamp()
{
    return MakeTimeStamp(std::time(nullptr));
}

std::string OnOffText(int flag)
{
    return flag != 0 ? "ON" : "OFF";
}

std::string FormatSignificant(double value, int digits)
{
    int decimals = digits - 1;
    if (value >= 10.0)
        decimals = 0;
    else if (value >= 1.0)
        decimals = digits;
    else if (value > 0.0)
        decimals = digits - static_cast<int>(std::floor(std::log10(value))) - 1;
    // A negative precision would silently mean six decimals.
    decimals = std::max(decimals, 0);
    return platform::FormatC("%*.*f", 0, decimals, value);
}

std::string FormatEngineering(double value, int digits, std::string_view unit)
{
    static constexpr const char* kLargePrefixes[] = {"", "k", "M", "G", "T", "P"};
    static constexpr const char* kSmallPrefixes[] = {"m", kMicro, "n", "p"};

    const double magnitude = std::log10(std::fabs(value));
    if (!(magnitude > -20.0 && magnitude < 20.0))
        return "-";
    const double third = magnitude * 0.3333333333333333;
    const int exponent = static_cast<int>(std::floor(third));
    const char* prefix = nullptr;
    if (third >= 0.0 && exponent <= 5)
        prefix = kLargePrefixes[exponent];
    else if (third < 0.0 && exponent >= -4)
        prefix = kSmallPrefixes[-exponent - 1];
    else
        return "-";

    // Powers of ten up to 10^15 are exact, so dividing or multiplying by one rounds only once.
    const double scaled =
        exponent >= 0 ? value / std::pow(10.0, 3.0 * exponent) : value * std::pow(10.0, -3.0 * exponent);
    const std::string full = SignificantDecimals(std::fabs(scaled), digits + 1);
    // Digits are cut, never rounded up: the point counts only when it falls among the kept digits.
    const std::size_t count = static_cast<std::size_t>(std::max(digits, 1));
    std::size_t taken = std::min(count, full.size());
    if (std::string_view(full).substr(0, taken).find('.') != std::string_view::npos)
        taken = std::min(count + 1, full.size());
    std::string text = scaled < 0.0 ? "-" : "";
    text.append(full, 0, taken);
    text += prefix;
    text += unit;
    return text;
}

std::string FormatTimeSpan(double t)
{
    const double a = std::fabs(t);
    if (a < 1e-9)
        return "0";
    if (a < 1e-7)
        return platform::FormatC("%3.2fns", t * 1e9);
    if (a < 0.0001)
        return platform::FormatC("%3.2f%ss", t * 1e6, kMicro);
    if (a < 0.001)
        return platform::FormatC("%.0f%ss", t * 1e6, kMicro);
    if (a < 0.1)
        return platform::FormatC("%3.2fms", t * 1000.0);
    if (a < 0.9999)
        return platform::FormatC("%.0fms", t * 1000.0);
    if (a < 60.0)
        return platform::FormatC("%2.2fs", t);
    const TimeParts parts = SplitSeconds(t);
    if (a < 3600.0)
        return platform::FormatC("%lldm:%2.0fs", parts.minutes, static_cast<double>(parts.seconds));
    if (a < 86400.0)
        return platform::FormatC("%lldh:%lldm:%2.0fs", parts.hours, parts.minutes,
                                 static_cast<double>(parts.seconds));
    return FormatDaysHoursMinutesSeconds(parts);
}

std::string FormatTimeByStyle(double t, int style)
{
    const TimeParts parts = SplitSeconds(t);
    switch (style)
    {
        case kTimeStyleMilliseconds:
            return platform::FormatC("%3.2f", t * 1000.0);
        case kTimeStyleSeconds:
            return platform::FormatC("%2.2f", t);
        case kTimeStyleSecondsOfMinute:
            return platform::FormatC("%llds", parts.seconds);
        case kTimeStyleMinutesSeconds:
            return platform::FormatC("%lldm:%2.0f", parts.minutes, static_cast<double>(parts.seconds));
        case kTimeStyleHoursMinutes:
            return platform::FormatC("%2.2lld:%2.2lld", parts.hours, parts.minutes);
        case kTimeStyleHoursMinutesSeconds:
            return platform::FormatC("%lldh:%lldm:%llds", parts.hours, parts.minutes, parts.seconds);
        default:
            return FormatDaysHoursMinutesSeconds(parts);
    }
}

std::string FormatFloatArrayLiteral(std::string_view name, std::span<const float> values)
{
    return FormatArrayLiteral(name, values);
}

std::string FormatDoubleArrayLiteral(std::string_view name, std::span<const double> values)
{
    return FormatArrayLiteral(name, values);
}
