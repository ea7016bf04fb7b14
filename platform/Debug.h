// Debugger output: diagnostic lines on standard error, written only when TESSARIN_DEBUG is set.
#pragma once

namespace platform
{

// Longest line written, newline included; a longer text is cut at a character boundary.
inline constexpr int kDebugLineMax = 512;

// printf-style text in the C locale, as one line on standard error in a single write, so lines of
// different threads never interleave. Does nothing unless TESSARIN_DEBUG is set and not empty.
void DebugOutput(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace platform
