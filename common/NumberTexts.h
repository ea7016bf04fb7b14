// Level texts in dB and the program-wide decimal-comma setting that display texts follow.
#pragma once

#include <string>

// Non-zero when the user's locale writes numbers with a decimal comma. 0 until set, once, at
// start-up before any other thread runs; read-only afterwards.
extern int g_bDecimalComma;

// Replaces every "." of the text by "," when g_bDecimalComma is set.
void ApplyDecimalComma(std::string& text);

// "-12.3dB" for levels strictly between -200 and 200 dB, else "-- dB" (also for NaN).
std::string FormatDb(double level);

// "-12.3" for levels strictly between -200 and 200 dB, else "--" (also for NaN).
std::string FormatDbNumber(double level);
