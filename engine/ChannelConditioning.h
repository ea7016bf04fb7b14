// The filters of the engine's per-channel conditioning chain: the demodulators on the first row,
// each channel's ten designed filters, its C-weighted peak meter, its RIAA filter and delay line,
// and the band-limiting table filters that the channels share.
//
// Threads: the settings and Prepare/Free belong to the control side while the input is closed;
// the Process calls run on the delivering thread under the engine's input lock. Prepare allocates
// and builds every filter for the rate, so the Process calls never allocate.
#pragma once

#include "dsp/BandPassTableFilter.h"
#include "dsp/BiquadFilter.h"
#include "dsp/Demodulator.h"
#include "dsp/DesignedFilter.h"
#include "dsp/FixedEqualizer.h"
#include "dsp/Notch1kHzFilter.h"
#include "dsp/OctaveBandFilter.h"
#include "dsp/RiaaFilter.h"
#include "dsp/SampleDelay.h"
#include "dsp/ThirdOctaveBandFilter.h"
#include "dsp/WeightingFilters.h"

#include <array>
#include <memory>
#include <span>
#include <vector>

class CChannelConditioning
{
public:
    static constexpr int kMaxChannels = 64;
    static constexpr int kDesignedFilters = 10;
    // The meters work on copies of at most this many samples on the stack.
    static constexpr int kMeterChunk = 512;

    // Per channel: what Prepare builds.
    struct BiquadSettings
    {
        int enabled = 0;
        int type = kBiquadPeaking;
        double frequency = 1000.0;  // Hz
        double gainDb = 0.0;
        double q = 1.4142135623730951;
        int twice = 0;
    };
    struct ChannelSettings
    {
        BiquadSettings biquad{};
        std::array<CDesignedFilterSettings, kDesignedFilters> designed{};
        int riaaEnabled = 0;
        int riaaInverse = 0;   // playback curve instead of the recording curve
        int delaySamples = 0;  // 0: no delay line
        int delayActive = 1;   // 0: the delay is kept but not applied
    };

    CChannelConditioning();
    ~CChannelConditioning();
    CChannelConditioning(const CChannelConditioning&) = delete;
    CChannelConditioning& operator=(const CChannelConditioning&) = delete;

    // Control side, input closed: the filters of `channels` channels (clamped to 1..64) built for
    // `sampleRate`. Throws std::bad_alloc; then nothing is prepared.
    void Prepare(int channels, int sampleRate);
    void Free();
    int GetPreparedChannels() const { return static_cast<int>(m_channels.size()); }

    // --- delivering thread ---
    // Each enabled demodulator replaces the first row by its output.
    void Demodulate(float* firstRow, int frames);
    // The channel's biquad, the fixed equaliser (when on) and the enabled designed filters.
    void FilterChannel(int channel, float* samples, int frames);
    // C-weighted peak of the samples (left unchanged) into m_dCPeak.
    void MeasureCPeak(int channel, const float* samples, int frames);
    // MeasureCPeak for every channel c whose rows[c] is not null, frames samples each, with the
    // weightings of several channels side by side; the peaks are bit for bit those of MeasureCPeak.
    void MeasureCPeaks(std::span<const float* const> rows, int frames);
    // RIAA, band-pass and notch, third-octave and octave filters, then the delay line.
    void BandLimitChannel(int channel, float* samples, int frames);
    void ResetPeaks() { m_dCPeak.fill(0.0); }

    CDesignedFilter* GetDesignedFilter(int channel, int index);
    CDemodulator& GetDemodulator(int index) { return m_demodulators[static_cast<std::size_t>(index & 1)]; }

    // ===== settings =====
    std::array<ChannelSettings, kMaxChannels> m_settings{};
    std::array<int, 2> m_bDemodulator{};
    int m_bEqualizer = 0;  // the fixed equaliser of every channel
    int m_bBandPass = 0;
    int m_bNotch = 0;
    int m_bThirdOctave = 0;
    int m_nThirdOctaveBand = 20;
    int m_nThirdOctaveSet = 0;
    int m_bOctave = 0;
    int m_nOctaveBand = 5;
    int m_nOctaveSet = 0;

    // ===== results =====
    std::array<double, kMaxChannels> m_dCPeak{};

private:
    struct ChannelFilters
    {
        CBiquadFilter biquad;
        CFixedEqualizer equalizer;
        std::array<CDesignedFilter, kDesignedFilters> designed;
        CCWeightingFilter cWeighting;
        CRiaaFilter riaa;
        CSampleDelay delay;
    };
    ChannelFilters* Channel(int channel);

    std::vector<std::unique_ptr<ChannelFilters>> m_channels;
    // Channel 0 uses the first of each pair, every other channel the second (which carries its
    // state from one channel to the next).
    std::array<CBandPassTableFilter, 2> m_bandPass;
    std::array<CNotch1kHzFilter, 2> m_notch;
    std::array<CThirdOctaveBandFilter, 2> m_thirdOctave;
    std::array<COctaveBandFilter, 2> m_octave;
    std::array<CDemodulator, 2> m_demodulators;
    int m_nSampleRate = 0;
};
