// Room-like impulse responses for the impulse tests: noise with random signs decaying by 60 dB in
// the decay time (energy ∝ e^(−13.8155·t/T)), written as 32-bit float WAVE so that no quantisation
// floor cuts the decay.
#pragma once

#include "engine/WaveRecorder.h"

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace viewtest
{

// `noiseFloor` adds steady noise of that amplitude below the decay, as a measured response has.
// False when the file could not be written.
inline bool WriteDecayWave(const std::string& path, double decayTime, int rate, double seconds,
                           double noiseFloor = 0.0)
{
    CWaveRecorder recorder;
    recorder.m_nFileChannels = 1;
    recorder.m_nSourceChannels = 1;
    recorder.m_bChannelEnabled[0] = 1;
    recorder.m_nBits = 32;
    recorder.m_bFloat = 1;
    recorder.m_nSampleRate = rate;
    if (recorder.Open(path) != 1)
        return false;
    const int frames = static_cast<int>(seconds * rate);
    std::vector<float> samples(static_cast<std::size_t>(frames));
    std::uint32_t state = 12345;
    for (int i = 0; i < frames; ++i)
    {
        state = state * 1664525u + 1013904223u;
        const double sign = (state >> 31) ? 1.0 : -1.0;
        const double floor = noiseFloor * (((state >> 8) & 0xFFFF) / 65536.0 - 0.5);
        samples[static_cast<std::size_t>(i)] =
            static_cast<float>(0.9 * sign * std::exp(-13.8155 / 2.0 * i / rate / decayTime) + floor);
    }
    recorder.WriteFloatBlock(samples.data(), frames, 0);
    recorder.Close();
    return recorder.GetFailure() == CWaveRecorder::kFailNone;
}

}  // namespace viewtest
