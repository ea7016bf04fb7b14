// One signal generator: holds a CSigGen_settings record and turns it into blocks of 32-bit integer
// samples (sine, rectangular, triangular, white, pink and Gaussian noise, MLS, sine sweeps and chirps),
// shaped by the burst generator, a DC offset, amplitude or frequency modulation, fades and level ramps.
//
// Threads:
// - User-interface thread: the constructor, Init, ApplySettings, SetSettings, SetLevel, StartFade,
//   RampLevel, SetNotifications and every write to m_settings. ApplySettings may sleep (kMlsRebuildWait)
//   while it replaces a table that the rendering thread reads.
// - Rendering thread (the audio driver's or the refill thread): Synthesize. It allocates nothing and
//   takes no lock; it reads m_settings as the user-interface thread leaves it. The only guard is
//   m_ready: while it is clear Synthesize returns without touching its target.
#pragma once

#include "dsp/DesignedFilter.h"
#include "dsp/MlsTransform.h"
#include "dsp/RiaaFilter.h"
#include "dsp/SweepSynthesis.h"
#include "engine/AudioFileReader.h"
#include "engine/EngineNotifications.h"
#include "engine/SigGenSettings.h"

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

// Samples of `value` in `unit`: 0 samples, 1 ms, 2 seconds, 3 minutes, 4 hours, 5 days; any other
// unit counts as seconds. The caller truncates.
double TimeToSamples(double value, int unit, double sampleRate);

// The pink noise's uniform source: the 15-bit linear congruential generator of the C runtime the
// stored settings come from (0..32767, seed 1), process-wide like that runtime's rand.
void SeedPinkNoiseRandom(std::uint32_t seed);
int NextPinkNoiseRandom();

class CGenerator
{
public:
    static constexpr int kWorkBufferWords = 16384;
    // Full scale of the synthesis: (2^31 - 1) x 0.9999.
    static constexpr double kSynthesisFullScale = 2147268898.6353;
    static constexpr int kMaxLogSweepSegments = 4096;
    static constexpr double kRectangularFactor = 0.99999;
    static constexpr double kPinkNoiseFactor = 0.171;
    // Standard deviation of the Gaussian noise relative to the amplitude; it is clipped at 5 sigma.
    static constexpr double kGaussDeviation = 0.2;
    // A fade changes the level by this much over its length.
    static constexpr double kFadeRangeDb = 50.0;
    // How long ApplySettings waits with m_ready clear before it replaces a table that a running
    // block may still read.
    static constexpr std::chrono::milliseconds kMlsRebuildWait{100};

    CGenerator();
    virtual ~CGenerator();
    CGenerator(const CGenerator&) = delete;
    CGenerator& operator=(const CGenerator&) = delete;

    // Defaults of the settings and of the run-time state (see the member comments).
    void Init();
    // Prepares the run-time state from m_settings after any change of it. The settings are first
    // held to their valid ranges (CSigGen_settings::ClampToValidRanges).
    void ApplySettings();
    // Copies the exchanged fields of a record in (CSigGen_settings::Copy) and holds them to their
    // ranges; the caller applies them.
    void SetSettings(const CSigGen_settings& settings);
    void GetSettings(CSigGen_settings& settings) const;

    // Fills count samples with the waveform and its modulations (values in units of the integer full
    // scale). Rendering thread. A chirp whose table ApplySettings has not yet built gives silence.
    void Synthesize(std::int32_t* target, int count);
    void Synthesize(std::span<std::int32_t> target)
    {
        Synthesize(target.data(), static_cast<int>(target.size()));
    }

    // Linear output gain: level x attenuators in circuit x calibration x output on.
    double GetOutputGain() const;
    // CSigGen_settings::SetLevel, then the pending ramp is cleared and the balance gains recomputed.
    void SetLevel(double level);
    // Positive seconds fade in (switching the output on), negative fade out and switch it off at the
    // end; the level changes by 50 dB over the fade. A fade shorter than one sample acts at once.
    void StartFade(double seconds);
    // Changes the level smoothly to `target` over `seconds` while the output is on.
    void RampLevel(double target, double seconds);
    // Channel gains from the balance and the polarity switch.
    void ComputeBalanceGains();
    // The per-channel integer factors (always 1).
    void InitChannelFactors();

    // Where ApplySettings reports a wave file it cannot open (a message box on the user-interface
    // thread); none by default.
    void SetNotifications(CEngineNotifications* notifications);

    bool IsReady() const { return m_ready.load(std::memory_order_acquire); }

    // Output stage (GeneratorOutput.cpp). Rendering thread: Fill, Render, Render16, ApplyEffects and
    // the statistics. User-interface thread: AdjustCrestFactor and ApplySettingsCommand.
    static constexpr int kDelayMask = kWorkBufferWords - 1;
    static constexpr int kStatisticsWindow = 8192;
    static constexpr int kRender16MaxSamples = 65536;

    // Forwards to Render; the third argument is not used.
    virtual int Fill(void* buffer, int bytes, int unused);
    // Interleaved output of bytes / channels / sample size frames (at most kWorkBufferWords; a
    // larger request renders that many and leaves the rest of the buffer alone). Returns bytes.
    // While the generator is not ready the buffer stays untouched.
    int Render(void* buffer, int bytes);
    // The high 16 bits of count synthesised samples; more than kRender16MaxSamples renders nothing.
    void Render16(std::int16_t* target, int count);
    bool HasEffects() const;
    void ApplyEffects(float* block, int count);
    void ResetStatistics();
    void UpdateStatistics(const float* block, int count);
    // The distortion drive that brings the crest factor to target; -1.0 for a target <= 1.0, minus
    // the undistorted crest factor when the target is not below it.
    double AdjustCrestFactor(double target);
    // Takes the fields that the record's command selects and applies them.
    void ApplySettingsCommand(const CSigGen_settings& record);

    // Effects.
    CDesignedFilter m_freeFilter;
    CRiaaFilter m_riaaFilter;
    // Statistics of the effects output: per block in sample units, per window as fractions of full
    // scale. Written by the rendering thread, read without a lock.
    bool m_statisticsOn = false;
    int m_statisticsWindow = kStatisticsWindow;
    int m_statisticsCounter = kStatisticsWindow;
    double m_blockPeak = 0.0;
    double m_blockRms = 0.0;
    double m_blockCrest = 0.0;
    double m_windowPeak = 0.0;
    double m_windowMin = 0.0;
    double m_windowMax = 0.0;
    double m_windowRms = 0.0;
    double m_windowCrest = 0.0;
    double m_sumSquares = 0.0;
    double m_runningMin = 1e100;
    double m_runningMax = -1e100;
    double m_runningPeak = 0.0;
    // Delay ring write position (frames).
    std::uint32_t m_ringPosition = 0;

    CSigGen_settings m_settings;

    // Output format.
    int m_channels = 2;
    int m_32bitOutput = 0;
    int m_significantBits = 16;
    int m_byteOrder = 0;
    double m_fullScale = kSynthesisFullScale;
    double m_balanceGain1 = 1.0;
    double m_balanceGain2 = 1.0;
    double m_rectangularFactor = kRectangularFactor;
    double m_pinkFactor = kPinkNoiseFactor;
    double m_dutyThreshold = 0.0;
    std::array<int, 2> m_channelFactors = {1, 1};

    // Oscillator: rotator state and its step per sample.
    double m_rotCos = 0.0;
    double m_rotSin = 1.0;
    double m_stepCos = 1.0;
    double m_stepSin = 0.0;

    // Triangle.
    double m_triValue = 0.0;
    double m_triSlope = 1.0;
    double m_triIncrement = 0.0;

    // Table positions.
    int m_mlsIndex = 0;
    int m_chirpIndex = 0;

    // Burst.
    std::int64_t m_burstRemaining = 0;
    int m_burstPhase = 1;  // 1 on, 0 off
    std::int64_t m_burstOnLength = 0;
    std::int64_t m_burstOffLength = 0;
    double m_burstOnTimeUsed = -1.0;
    double m_burstOffTimeUsed = -1.0;

    // Sweep.
    double m_sweepStepCos = 1.0;
    double m_sweepStepSin = 0.0;
    double m_sweepChangeCos = 1.0;
    double m_sweepChangeSin = 0.0;
    double m_sweepStartCos = 1.0;
    double m_sweepStartSin = 0.0;
    std::int64_t m_sweepCounter = 0;
    std::int64_t m_sweepLength = 1;
    int m_segmentIndex = 0;
    std::int64_t m_segmentCounter = 0;
    std::int64_t m_segmentLength = 1;
    int m_segmentCount = 1;
    std::vector<double> m_segChangeCos;
    std::vector<double> m_segChangeSin;
    std::vector<double> m_segStartCos;
    std::vector<double> m_segStartSin;

    // Pink noise filter states.
    std::array<float, 7> m_pink{};

    // Modulation phases (radians).
    double m_fmPhase = 0.0;
    double m_amPhase = 0.0;

    // Fade.
    std::int64_t m_fadeCounter = 0;
    double m_fadeFactor = 1.0;
    double m_fadeGain = 1.0;

    // Level ramp.
    std::int64_t m_rampCounter = 0;
    double m_rampFactor = 1.0;
    double m_rampGain = 1.0;
    double m_rampTarget = 0.0;

    // Tables.
    std::unique_ptr<CMlsSequence> m_mls;
    int m_mlsBuiltLength = 1023;
    std::unique_ptr<CLinearChirp> m_linearChirp;
    std::unique_ptr<CLogSweep> m_logSweep;

    // The file played in mode 1024.
    CAudioFileReader m_reader;

    // Work buffers of the output stage (work block, float block, effects copy, delay ring).
    std::vector<std::int32_t> m_workBlock;
    std::vector<float> m_floatBlock;
    std::vector<std::int32_t> m_effectsCopy;
    std::vector<std::int32_t> m_delayRing;
    std::vector<std::int32_t> m_render16Block;

    // How long a table replacement waits; tests shorten it.
    std::chrono::milliseconds m_rebuildWait = kMlsRebuildWait;

private:
    void PrepareSweep(double sampleRate);
    void PrepareBurst(double sampleRate);
    void RebuildMlsIfNeeded();
    void RebuildChirps();
    // Waveform of one chunk at amplitude A.
    void RenderWaveform(std::int32_t* out, int count, double amplitude, int mode);
    void RenderSweep(std::int32_t* out, int count, double amplitude);
    void ApplyModulationAndEnvelopes(std::int32_t* out, int count);

    void PrepareFilePlayback();
    // The output stage's part of the constructor and of Init (GeneratorOutput.cpp).
    void ClearEffects();
    void InitOutputStage();
    // Fills the work block with n source samples at the output format's scale.
    void RenderSource(int n, bool bits32, double amplitude);

    CEngineNotifications m_noNotifications;
    CEngineNotifications* m_pNotifications = &m_noNotifications;
    std::atomic<bool> m_ready{false};
};
