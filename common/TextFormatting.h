// Numbers, durations and times turned into the texts that windows, plots, reports and file names
// show. Every number is formatted in the C locale; the decimal comma is applied only by callers
// that ask for it. No state is kept: every function may be called from any thread.
#pragma once

#include <ctime>
#include <span>
#include <string>
#include <string_view>

// The local time as "year_month_day_hour_minute_second" without zero padding, for file names.
std::string MakeTimeStamp(std::time_t time);
std::string MakeCurrentTimeStamp();

// "ON" for a non-zero flag, else "OFF".
std::string OnOffText(int flag);

// The value with about `digits` significant digits: no decimals from 10 up, `digits` decimals
// from 1 to 10, enough decimals for `digits` significant ones below 1, `digits` - 1 decimals for
// zero and negative values.
std::string FormatSignificant(double value, int digits);

// The value scaled by a power of 1000 with its SI prefix ("1.234kHz"), cut (not rounded) to
// `digits` significant digits; "-" outside 1e-12 <= |value| < 1e18.
std::string FormatEngineering(double value, int digits, std::string_view unit);

// A duration in the unit that suits its size: "50.00ms", "1.00s", "2m: 5s", "1d:1h:1m: 1s".
std::string FormatTimeSpan(double seconds);

// Display styles of FormatTimeByStyle; any other style gives days, hours, minutes and seconds.
inline constexpr int kTimeStyleMilliseconds = 103;
inline constexpr int kTimeStyleSeconds = 104;
inline constexpr int kTimeStyleSecondsOfMinute = 105;
inline constexpr int kTimeStyleMinutesSeconds = 106;
inline constexpr int kTimeStyleHoursMinutes = 107;
inline constexpr int kTimeStyleHoursMinutesSeconds = 108;

// A duration for the time axis and the readouts, in one of the styles above.
std::string FormatTimeByStyle(double seconds, int style);

// One assignment line of a numerical script, for diagnostic dumps: "name=[1.000000e+00 ];\n".
std::string FormatFloatArrayLiteral(std::string_view name, std::span<const float> values);
std::string FormatDoubleArrayLiteral(std::string_view name, std::span<const double> values);
