// The arithmetic of the sample-rate conversion dialog: the frequency slider moves the conversion
// ratio in steps of 10 % down to 1 ppm of a centre frequency, in 100 steps either way.
#pragma once

namespace sample_rate_conversion
{

inline constexpr int kSteps = 6;  // 10 %, 1 %, 0.1 %, 100 ppm, 10 ppm, 1 ppm
inline constexpr int kSliderRange = 100;
inline constexpr int kPhaseRange = 150;

// The relative step of choice k (0 = 10 % ... 5 = 1 ppm): 0.1 · 0.1^k.
double StepOf(int choice);
// The frequency a slider position stands for: (position · step · 0.01 + 1) · centre.
double FrequencyOf(int position, double step, double centre);
// The conversion ratio of that frequency at the sample rate; 1 without a sample rate.
double RatioOf(int position, double step, double centre, double sampleRate);

}  // namespace sample_rate_conversion
