// The ids of the table texts that the measurement window shows (its titles, units, readout labels
// and messages) and the units it writes itself, in one place for all of the window's files.
#pragma once

namespace view_text
{
inline constexpr int kMeasurement = 1000024;
inline constexpr int kPeak = 1000025;
inline constexpr int kLevel = 1000026;
inline constexpr int kFrequency = 1000030;
inline constexpr int kTime = 1000031;
inline constexpr int kInputLevel = 1000034;
inline constexpr int kCursor = 1000042;
inline constexpr int kInbandLevel = 1000043;
inline constexpr int kProgress = 1000045;
inline constexpr int kValue = 1000078;
inline constexpr int kImpedance = 1000129;
inline constexpr int kPhase = 1000130;
inline constexpr int kAmplitude = 1000131;
inline constexpr int kCorrelation = 1000132;
inline constexpr int kOutputLevel = 1000237;
inline constexpr int kReverbTime = 1000284;
inline constexpr int kNoValue = 1000362;
inline constexpr int kMustBeLarger = 1000384;
inline constexpr int kMustNotBeNegative = 1000385;
inline constexpr int kNoLogarithmicNegative = 1000386;
// The unit of phases and angles (UTF-8).
inline constexpr const char* kDegreeSign = "\xC2\xB0";
}  // namespace view_text
