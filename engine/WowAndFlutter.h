// The wow-and-flutter analysis of the engine as its settings dialog and its results window see it:
// the first demodulator of the conditioning chain measures the frequency deviation of a test tone
// (3150 Hz by default) on the first input channel.
#pragma once

struct WowAndFlutterSettings
{
    double centre = 3150.0;   // Hz
    int bandwidthIndex = 26;  // into the input bandwidth list (the low-pass table's cut-offs)
    int order = 5;            // low-pass order 1..8
    int weighting = 0;        // the IEC 60386 weighting
    int active = 0;
    double meanTime = 2.0;  // integration times in s
    double peakTime = 2.0;
    double rmsTime = 2.0;
    int absolute = 0;  // the plot shows the frequency in Hz instead of the relative deviation
};

struct WowAndFlutterResults
{
    double peak = 0.0;  // relative deviations, 1.0 = 100 %
    double rms = 0.0;
    double mean = 0.0;
    double centre = 0.0;     // Hz
    double bandwidth = 0.0;  // the chosen input bandwidth in Hz
    int weighting = 0;
};
