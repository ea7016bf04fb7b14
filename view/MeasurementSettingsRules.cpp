#include "view/MeasurementSettingsRules.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <limits>

namespace settings_rules
{

namespace
{
constexpr std::array<const char*, kListedWindowCount> kListedWindows = {
    "Hanning",        "Flat-Top",       "Blackman-Harris", "Bartlett",        "Kaiser-Bessel",
    "Gauss",          "Rife-Vincent 3", "Rife-Vincent 4",  "Rife-Vincent 5",  "Rife-Vincent 6",
    "Rife-Vincent 7", "Rife-Vincent 8", "Rife-Vincent 9",  "Rife-Vincent 10", "Rife-Vincent 11"};
constexpr int kSmallBlock = 512;
constexpr int kSmallSequence = 510;
}  // namespace

std::span<const char* const> ListedWindowNames()
{
    return kListedWindows;
}

WindowChoice WindowTypeToChoice(int type)
{
    if (type >= 0 && type < kListedWindowFirst)
        return {type, 0};
    if (type >= kListedWindowFirst && type < kListedWindowFirst + kListedWindowCount)
        return {kListedWindowFirst, type - kListedWindowFirst};
    return {0, 0};
}

int WindowTypeFromChoice(const WindowChoice& choice)
{
    if (choice.radio < kListedWindowFirst)
        return choice.radio < 0 ? 0 : choice.radio;
    const int index = choice.listIndex >= 0 && choice.listIndex < kListedWindowCount ? choice.listIndex : 0;
    return kListedWindowFirst + index;
}

int TriggerMsToFrames(double milliseconds, int sampleRate)
{
    return static_cast<int>(std::trunc(sampleRate * milliseconds * 0.001));
}

double TriggerFramesToMs(int frames, int sampleRate)
{
    return sampleRate > 0 ? frames * 1000.0 / sampleRate : 0.0;
}

ImdShown ImdToDialog(double storedFrequency1, double storedFrequency2)
{
    return {std::fabs(storedFrequency1), std::fabs(storedFrequency2), storedFrequency1 < 0.0};
}

double ImdStoredFrequency1(double shownFrequency1, bool autoDetect)
{
    return autoDetect ? -shownFrequency1 : shownFrequency1;
}

int FindBandCentreIndex(std::span<const double> centres, double frequency)
{
    for (std::size_t i = 0; i < centres.size(); ++i)
        if (centres[i] + 0.1 >= frequency)
            return static_cast<int>(i);
    return centres.empty() ? -1 : static_cast<int>(centres.size()) - 1;
}

bool InRange(double value, double minimum, double maximum)
{
    // NaN lies in no range.
    return value >= minimum && value <= maximum;
}

std::string RangeMessage(const std::string& field, double minimum, double maximum)
{
    char text[200];
    std::snprintf(text, sizeof text, "%s: please enter a number between %g and %g.", field.c_str(), minimum,
                  maximum);
    return text;
}

FftCheckResult CheckFftSettings(const FftCheckValues& values)
{
    FftCheckResult result;
    result.smallBlockWarning = values.sequenceSize <= kSmallSequence || values.fftSize < kSmallBlock;
    // The chirp band matters only with the chirp on: a rate below twice an unused chirp's stop
    // frequency is accepted.
    if (values.excitation != 2)
        return result;
    if (values.chirpStart >= values.chirpStop)
        result.failure = 2;
    else if (values.chirpStop >= values.sampleRate * 0.5)
        result.failure = 3;
    return result;
}

int FitFftSizeToTimeWindow(int fftSize, double sampleRate, double windowSeconds, int maxSize)
{
    if (fftSize <= 0 || !std::isfinite(sampleRate * windowSeconds))
        return -1;
    const double needed = sampleRate * windowSeconds;
    int size = fftSize;
    while (needed > size)
    {
        if (size >= maxSize)
            return -1;
        size *= 2;
    }
    return size;
}

double SecondsToMinutes(double seconds)
{
    return seconds * (1.0 / 60.0);
}

double MinutesToSeconds(double minutes)
{
    return minutes * 60.0;
}

DateTimeFields DurationToFields(double seconds)
{
    constexpr double kDay = 86400.0;
    DateTimeFields fields;
    const long long days = static_cast<long long>(std::floor(seconds / kDay));
    fields.year = static_cast<int>(days / 365);
    const long long rest = days % 365;
    fields.month = static_cast<int>(rest / 30);
    fields.day = static_cast<int>(rest % 30);
    double remaining = seconds - (fields.day + 365.0 * fields.year + 30.0 * fields.month) * kDay;
    fields.hour = static_cast<int>(std::trunc(remaining / 3600.0));
    remaining -= 3600.0 * fields.hour;
    fields.minute = static_cast<int>(std::trunc(remaining / 60.0));
    fields.second = remaining - 60.0 * fields.minute;
    return fields;
}

double FieldsToDuration(const DateTimeFields& fields)
{
    return (365.0 * fields.year + 30.0 * fields.month + fields.day) * 86400.0 + 60.0 * fields.minute +
           3600.0 * fields.hour + fields.second;
}

DateTimeFields DateToFields(std::time_t time)
{
    std::tm local{};
    localtime_r(&time, &local);
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
            local.tm_hour,        local.tm_min,     static_cast<double>(local.tm_sec)};
}

std::time_t FieldsToDate(const DateTimeFields& fields)
{
    std::tm local{};
    local.tm_year = fields.year - 1900;
    local.tm_mon = fields.month - 1;
    local.tm_mday = fields.day;
    local.tm_hour = fields.hour;
    local.tm_min = fields.minute;
    local.tm_sec = static_cast<int>(fields.second);
    local.tm_isdst = -1;
    return std::mktime(&local);
}

void FitAxisPresetToRate(double& xMin, double& xMax, bool frequencyAxis, bool rateChanged, int newRate)
{
    if (!frequencyAxis && rateChanged)
    {
        xMin = 0.0;
        xMax = -1.0;
    }
    const double limit = 0.5 * newRate - 100.0;
    if (xMax > limit)
        xMax = limit;
}

bool ResolveDualChannelMode(int& channelMode, int& dualPlot)
{
    constexpr int kDual = 3;
    if (channelMode != kDual || dualPlot != kDual)
        return false;
    channelMode = 0;
    dualPlot = 0;
    return true;
}

int NearestPrescalerIndex(double prescaler)
{
    int best = 0;
    double bestDistance = std::numeric_limits<double>::infinity();
    for (int i = 0; i < static_cast<int>(std::size(kPrescalers)); ++i)
    {
        const double w = kPrescalers[i];
        const double distance = std::fabs(w - prescaler) / std::fabs(w);
        if (distance < bestDistance)
        {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

int InputChannelFromEntry(double entry)
{
    constexpr int kLastChannel = 63;
    if (!(entry >= 1.0))
        return 0;
    if (entry >= kLastChannel + 1)
        return kLastChannel;
    return static_cast<int>(std::trunc(entry)) - 1;
}

}  // namespace settings_rules
