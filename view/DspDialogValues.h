// What the DSP menu's dialogs edit, as plain values the measurement window copies from the engine
// and back (the filter designer edits the filter's own settings record): the hum filter, the RIAA filter, the
// channel delay, the octave and third-octave filterbanks and the demodulator. Also the rules these dialogs
// share with the window's handlers.
#pragma once

#include <string>
#include <vector>

struct HumFilterValues
{
    int enable = 0;
    double baseFrequency = 50.0;
    double maxFrequency = 800.0;
};

// The hum filter needs a frequency resolution of a tenth of its base frequency. When the FFT at
// this rate is coarser, returns the message that asks for a larger FFT size (the next power of two
// at or above rate / (base x 0.1)); else an empty text.
std::string HumResolutionMessage(double sampleRate, int fftSize, double baseFrequency);

struct RiaaValues
{
    int enable = 0;
    int inverse = 0;
};

struct DelayValues
{
    static constexpr int kMaxDelay = 1000000;
    int delay = 0;
    int channel = 1;  // 1-based, 1..64 (the engine's input channels)
    int active = 0;
};

struct FilterbankValues
{
    int thirdOctave = 1;  // 1: the third-octave bank, 0: the octave bank
    int centreIndex = 0;
    int enable = 0;
    int stopBand = 0;
};

// The centre frequencies the filterbank dialog offers for its bank.
std::vector<double> FilterbankCentres(bool thirdOctave);

struct DemodulatorValues
{
    int active = 0;
    int fm = 1;  // "FM" chosen; otherwise "AM"
    double centreFrequency = 3150.0;
    std::vector<double> bandwidths;
    int bandwidthIndex = 0;
    int filterOrder = 5;  // 1..8
};
