// Live speech intelligibility by the direct method: a modulated test signal is played into the room,
// and for each octave band the analyser estimates how much of the signal's intensity modulation
// survives in the microphone signal. Three modes: 0 six bands with two modulation frequencies each
// (male or female weighting), 1 the two RASTI bands, 2 STIPA with seven bands. A background-noise
// recording can be mixed into the input, and per-band signal-to-noise ratios correct the depths.
//
// Threads: ProcessBlock runs on the engine's analysis thread, after the engine has written
// m_sampleRate. Reset, SetMode, StopAndWait and the settings (m_male, m_snr, the noise settings) come
// from the user-interface thread. The two sides meet only through m_running and m_busy: the
// user-interface side clears m_running and waits up to 2.1 s while m_busy is set before it
// reconfigures, and proceeds regardless afterwards. The display reads the results without a lock.
// ProcessBlock allocates nothing: its work arrays are members sized at construction.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <span>
#include <string>

#include "dsp/Decimator.h"
#include "dsp/DesignedFilter.h"
#include "dsp/StiBandValues.h"

// The background-noise recording as the analyser reads it. The signal-processing library cannot use
// the engine's file reader, so the engine hands in an adapter. Only recordings with one channel are
// mixed.
//
// Threads: Open and Close are called from the thread that resets the analyser, Read from the analysis
// thread; never at the same time (the analyser's running and busy flags keep them apart).
class CStipaNoiseReader
{
public:
    virtual ~CStipaNoiseReader() = default;

    // Opens the recording from its start; false when it cannot be read.
    virtual bool Open(const std::string& path) = 0;
    virtual int GetChannelCount() const = 0;
    // Fills frames with the next frames of the recording, continuing at its start when it reaches
    // its end where the format allows; returns how many were delivered. Must not allocate.
    virtual int Read(std::span<float> frames) = 0;
    virtual void Close() = 0;
};

// The transmission index of a modulation depth, 0..1; depths at or above 1 and below 0 (or not a
// number) are taken as just below 1 and just above 0.
double TransmissionIndex(double m);

class CStipaAnalyzer
{
public:
    static constexpr int kMaxBands = 7;
    static constexpr int kSixBands = 6;
    static constexpr int kMaxModulations = 5;
    static constexpr int kAuxBands = 2;
    // Longer blocks are analysed in chunks of this many samples.
    static constexpr int kChunkSamples = 1024;
    static constexpr int kDefaultDecimation = 400;
    static constexpr double kSettlingSeconds = 2.0;

    CStipaAnalyzer();
    virtual ~CStipaAnalyzer();
    CStipaAnalyzer(const CStipaAnalyzer&) = delete;
    CStipaAnalyzer& operator=(const CStipaAnalyzer&) = delete;

    // Configures the filters for the mode, gender and sample rate and discards all averages; the
    // noise recording restarts at its beginning.
    void Reset();
    void SetMode(int mode);
    // Clears m_running and waits (100 ms steps, at most 21) for a block in progress to end.
    void StopAndWait();
    // Analyses count samples at m_sampleRate; adds the background noise into samples when it is on.
    void ProcessBlock(float* samples, int count);

    // The noise recording's reader, owned by the caller, who keeps it alive as long as it is set
    // (null: no noise is mixed). Takes effect at the next Reset.
    void SetNoiseReader(CStipaNoiseReader* reader) { m_noiseReader = reader; }

    // By mode: bands, band centres, modulation frequencies per band. In mode 0 j = 0 is the higher
    // and j = 1 the lower frequency; in mode 2 j = 0 is the higher and j = 1 the lower one.
    int GetBandCount() const;
    double GetBandCentre(int band) const;
    int GetModulationCount(int band) const;
    double GetModulationFrequency(int band, int j) const;
    // The modulation filter of frequency j in a band; null outside the mode's bands and frequencies.
    CDesignedFilter* GetModulationFilter(int j, int band);

    // 1 when the band's signal-to-noise ratio marks it as free of noise, else 1 / (1 + 10^(-snr/10)).
    double GetNoiseFactor(int band) const;
    // The six-band index (mode 0) and the RASTI or STIPA index (modes 1 and 2) from the present
    // depths; both fill m_mti.
    double ComputeStiSixBand();
    double ComputeSti();

    std::int32_t m_mode = 0;
    std::int32_t m_male = 1;
    std::atomic<int> m_running{0};
    std::atomic<int> m_busy{0};
    double m_sampleRate = -1.0;
    std::int32_t m_decimation = kDefaultDecimation;
    double m_decimatedRate = -1.0;
    double m_halfBandFactor;
    std::array<double, kMaxBands> m_lowerEdges{};
    std::array<double, kMaxBands> m_upperEdges{};
    // Counters in 64 bits: a long run at a high rate would overflow 32 bits within hours and turn the
    // averaging weights negative. -1: the sample rate was unknown at the reset.
    std::int64_t m_settlingSamples = -1;
    std::int64_t m_samplesSinceReset = 0;
    std::int64_t m_modulationStartSamples = -1;
    std::int64_t m_settledSamples = 0;
    std::int64_t m_decimatedSamples = 0;

    std::array<CDesignedFilter, kMaxBands> m_bandFilters;
    std::array<CDesignedFilter, kMaxBands> m_envelopeFilters;
    std::array<CDecimator, kMaxBands> m_decimators;
    std::array<CDesignedFilter, kMaxBands> m_dcFilters;
    std::array<std::array<CDesignedFilter, kMaxBands>, kMaxModulations> m_modulationFilters;
    std::array<CDesignedFilter, kSixBands> m_sixBandLowFilters;
    std::array<CDesignedFilter, kSixBands> m_sixBandHighFilters;
    std::array<CDesignedFilter, kAuxBands> m_auxFilters;

    std::array<double, kMaxBands> m_bandPower{};
    std::array<double, kAuxBands> m_auxPower{};
    std::array<double, kMaxBands> m_envelopeMean{};
    std::array<double, kMaxBands> m_envelopeAcPower{};
    std::array<std::array<double, kMaxBands>, kMaxModulations> m_modulationPower{};
    std::array<std::array<double, kMaxBands>, kMaxModulations> m_depth{};
    // Per modulation component (j, k): what turns √2·√power/mean of the intensity envelope into the
    // depth read, the envelope low-pass's loss at the component's frequency included.
    std::array<std::array<double, kMaxBands>, kMaxModulations> m_depthScale{};
    double m_depthScaleRate = -1.0;
    // Per band: whether its modulation filters run yet, and the envelope level they started at.
    std::array<int, kMaxBands> m_modulationStarted{};
    std::array<float, kMaxBands> m_modulationOffset{};
    // Per modulation component: a twin of its modulation filter, started with it and fed a sine of
    // amplitude 1 at its frequency. Its mean output power against the steady 0.5 measures how much
    // of a steady modulation the filter's build-up has let through so far; the component's power is
    // divided by that share, so a depth is right long before the narrow filter has settled.
    std::array<std::array<CDesignedFilter, kMaxBands>, kMaxModulations> m_referenceFilters;
    std::array<std::array<double, kMaxBands>, kMaxModulations> m_referencePower{};
    std::array<std::array<double, kMaxBands>, kMaxModulations> m_referencePhase{};
    std::array<double, kSixBands> m_sixBandPowerLow{};
    std::array<double, kSixBands> m_sixBandPowerHigh{};
    std::array<double, kSixBands> m_sixBandDepthLow{};
    std::array<double, kSixBands> m_sixBandDepthHigh{};
    std::array<double, kMaxBands> m_mti{};
    double m_sti = -1.0;
    double m_stiSixBand = -1.0;

    CStiBandValues m_snr;
    std::string m_noiseFile;
    std::int32_t m_noiseEnabled = 0;
    double m_noiseLevel = 0.0;

private:
    void ConfigureBandEdges();
    void ConfigureFilters();
    void ClearAccumulators();
    void ProcessChunk(float* samples, int count);
    void MixNoise(float* samples, int count);
    void UpdateFilterRates();
    void UpdateDepthScales();
    // Returns the decimated envelope samples of the chunk.
    int AnalyseBandChunk(int band, const float* samples, int count);
    double GetBandSnr(int band) const;

    CStipaNoiseReader* m_noiseReader = nullptr;
    bool m_noiseOpen = false;

    // Work arrays of the analysis thread.
    std::array<float, kChunkSamples> m_noiseWork{};
    std::array<float, kChunkSamples> m_bandWork{};
    std::array<float, kChunkSamples> m_envelopeWork{};
    std::array<float, kChunkSamples> m_modulationWork{};
    std::array<float, kChunkSamples> m_referenceWork{};
};

// The rating text of an index: "--" outside 0..1, else bad, poor, fair, good or excellent at the
// boundaries 0.30, 0.45, 0.60 and 0.75 (each boundary belongs to the lower rating).
std::string GetStipaRating(double value);
