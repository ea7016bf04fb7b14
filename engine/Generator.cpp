#include "engine/Generator.h"

#include "dsp/RandomGenerator.h"
#include "engine/GaussRandom.h"

#include <algorithm>
#include <cmath>
#include <ctime>
#include <limits>
#include <numbers>
#include <thread>

namespace
{

constexpr double kTwoPi = 2.0 * std::numbers::pi;

// Truncation toward zero that saturates instead of overflowing: a level or calibration far above
// full scale clips rather than wrapping round.
inline std::int32_t ToSample(double x)
{
    if (x >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    if (x != x)
        return 0;
    return static_cast<std::int32_t>(x);
}

// A sample count from a time, at least one sample and no more than a phase counter holds.
std::int64_t LengthInSamples(double samples)
{
    constexpr double kMaxLength = 9.0e15;
    if (!(samples >= 1.0))
        return 1;
    return static_cast<std::int64_t>(std::min(samples, kMaxLength));
}

std::atomic<std::uint32_t> g_pinkRandomState{1};

}  // namespace

double TimeToSamples(double value, int unit, double sampleRate)
{
    switch (unit)
    {
        case 0:
            return value;
        case 1:
            return value * 0.001 * sampleRate;
        case 3:
            return value * 60.0 * sampleRate;
        case 4:
            return value * 3600.0 * sampleRate;
        case 5:
            return value * 86400.0 * sampleRate;
        default:
            return value * sampleRate;
    }
}

void SeedPinkNoiseRandom(std::uint32_t seed)
{
    g_pinkRandomState.store(seed, std::memory_order_relaxed);
}

int NextPinkNoiseRandom()
{
    const std::uint32_t state = g_pinkRandomState.load(std::memory_order_relaxed) * 214013u + 2531011u;
    g_pinkRandomState.store(state, std::memory_order_relaxed);
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

CGenerator::CGenerator()
    : m_segChangeCos(kMaxLogSweepSegments, 0.0),
      m_segChangeSin(kMaxLogSweepSegments, 0.0),
      m_segStartCos(kMaxLogSweepSegments, 0.0),
      m_segStartSin(kMaxLogSweepSegments, 0.0),
      m_linearChirp(std::make_unique<CLinearChirp>(0, 0.0, 0.0)),
      m_logSweep(std::make_unique<CLogSweep>(0, 0.0, 0.0))
{
    CGaussRandom::Seed(static_cast<std::uint32_t>(std::time(nullptr)));
    ClearEffects();
}

CGenerator::~CGenerator() = default;

void CGenerator::Init()
{
    m_settings.SetDefaults();
    if (m_workBlock.empty())
    {
        m_workBlock.assign(kWorkBufferWords, 0);
        m_floatBlock.assign(kWorkBufferWords, 0.0f);
        m_effectsCopy.assign(kWorkBufferWords, 0);
        m_delayRing.assign(kWorkBufferWords, 0);
    }
    m_settings.m_32bit = 0;
    m_settings.m_bits = 16;
    m_settings.m_sample_rate = 44100;
    m_settings.m_frequency = 1000.0;
    m_settings.m_freq_min = 10.0;
    m_settings.m_freq_max = 20000.0;
    m_settings.m_output_on = 0;
    m_settings.m_delay = 0;
    m_settings.m_mode = kGenModeSine;
    m_settings.m_mls_length = 1023;
    m_32bitOutput = 0;
    m_significantBits = 16;
    m_channels = 2;
    m_byteOrder = 0;
    m_balanceGain1 = 1.0;
    m_balanceGain2 = 1.0;
    m_rotCos = 0.0;
    m_rotSin = 1.0;
    const double w = kTwoPi * m_settings.m_frequency / m_settings.m_sample_rate;
    m_stepCos = std::cos(w);
    m_stepSin = std::sin(w);
    m_fmPhase = 0.0;
    m_amPhase = 0.0;
    m_burstPhase = 1;
    if (!m_mls)
    {
        m_mls = std::make_unique<CMlsSequence>(1023, 16, 0);
        m_mlsBuiltLength = 1023;
        m_mlsIndex = 0;
    }
    m_ready.store(true, std::memory_order_release);
    m_pink.fill(0.0f);
    m_reader.m_strPath = m_settings.GetWavefileName();
    m_reader.m_dFadeInSeconds = m_settings.m_fade_in;
    m_reader.m_dFadeOutSeconds = m_settings.m_fade_out;
    m_fadeCounter = 0;
    m_fadeFactor = 1.0;
    m_fadeGain = 1.0;
    m_rampCounter = 0;
    m_rampFactor = 1.0;
    m_rampGain = 1.0;
    InitOutputStage();
}

void CGenerator::SetNotifications(CEngineNotifications* notifications)
{
    m_pNotifications = notifications != nullptr ? notifications : &m_noNotifications;
}

void CGenerator::SetSettings(const CSigGen_settings& settings)
{
    m_settings.Copy(settings);
    m_settings.ClampToValidRanges();
    m_32bitOutput = m_settings.m_32bit;
    m_significantBits = m_settings.m_bits;
    m_reader.m_strPath = m_settings.GetWavefileName();
    m_reader.m_dFadeInSeconds = m_settings.m_fade_in;
    m_reader.m_dFadeOutSeconds = m_settings.m_fade_out;
    m_freeFilter.SetSettings(m_settings.m_filter);
    m_riaaFilter.m_bReload = 1;
}

void CGenerator::GetSettings(CSigGen_settings& settings) const
{
    settings.Copy(m_settings);
    settings.m_freq_fine = m_settings.m_freq_fine;
    settings.m_32bit = m_32bitOutput;
    settings.m_bits = m_significantBits;
}

double CGenerator::GetOutputGain() const
{
    double gain = m_settings.m_level;
    for (int i = 0; i < kSigGenAttenuatorCount; ++i)
    {
        if (m_settings.m_attenuator[i] != 0)
            gain *= kAttenuatorFactors[i];
    }
    return gain * std::pow(10.0, m_settings.m_calibration_db * 0.05) * m_settings.m_output_on;
}

void CGenerator::ComputeBalanceGains()
{
    double b = m_settings.m_balance;
    if (std::fabs(b) < 0.05)
    {
        b = 0.0;
        m_settings.m_balance = 0.0;
    }
    m_balanceGain1 = b > 0.0 ? 1.0 - b : 1.0;
    m_balanceGain2 = b > 0.0 ? 1.0 : 1.0 + b;
    if (m_settings.m_invert != 0)
        m_balanceGain2 = -m_balanceGain2;
}

void CGenerator::InitChannelFactors()
{
    m_channelFactors = {1, 1};
}

void CGenerator::SetLevel(double level)
{
    m_settings.SetLevel(level);
    m_rampCounter = 0;
    m_rampGain = 1.0;
    ComputeBalanceGains();
}

void CGenerator::StartFade(double seconds)
{
    if (seconds >= 0.0)
        m_settings.m_output_on = 1;
    const bool fadeIn = seconds >= 0.0;
    if (m_fadeCounter == 0)
        m_fadeGain = 1.0;
    else if ((m_fadeCounter > 0) != fadeIn)
        m_fadeGain = 1.0 - m_fadeGain;
    const double samples = m_settings.m_sample_rate * seconds;
    const auto counter = static_cast<std::int64_t>(std::clamp(samples, -9.0e15, 9.0e15));
    if (counter == 0)
    {
        // Shorter than one sample: the fade is over before it starts.
        m_fadeCounter = 0;
        m_fadeGain = 1.0;
        if (!fadeIn)
            m_settings.m_output_on = 0;
        return;
    }
    m_fadeFactor = std::pow(10.0, (-kFadeRangeDb / static_cast<double>(std::llabs(counter))) * 0.05);
    m_fadeCounter = counter;
}

void CGenerator::RampLevel(double target, double seconds)
{
    m_rampTarget = target;
    if (m_settings.m_output_on == 0)
    {
        m_rampCounter = 0;
        m_rampGain = 1.0;
        return;
    }
    if (m_rampCounter == 0)
        m_rampGain = 1.0;
    const double samples = m_settings.m_sample_rate * seconds;
    const auto counter = static_cast<std::int64_t>(std::clamp(samples, 0.0, 9.0e15));
    const double from = m_rampGain * m_settings.m_level;
    // A ramp shorter than a sample, or one from silence (no ratio exists), sets the level at once.
    if (counter <= 0 || !(from > 0.0) || !(target > 0.0))
    {
        SetLevel(target);
        return;
    }
    m_rampFactor = std::pow(target / from, 1.0 / static_cast<double>(counter));
    m_rampCounter = counter;
}

void CGenerator::ApplySettings()
{
    CSigGen_settings& s = m_settings;
    s.ClampToValidRanges();
    ComputeBalanceGains();
    PrepareFilePlayback();
    const double fs = s.m_sample_rate;

    const double f = (s.m_mode == kGenModeSweep) ? s.m_sweep_start : s.m_frequency;
    const double w = kTwoPi * f / fs;
    m_stepCos = std::cos(w);
    m_stepSin = std::sin(w);
    m_dutyThreshold = std::sin(std::numbers::pi / 2.0 - s.m_pulse_width * std::numbers::pi);

    if (s.m_mode == kGenModeSweep)
        PrepareSweep(fs);

    m_triValue = 0.0;
    m_triSlope = 1.0;
    m_triIncrement = 4.0 * s.m_frequency / fs;

    PrepareBurst(fs);
    RebuildMlsIfNeeded();
    if (s.m_chirp_on != 0)
        RebuildChirps();
}

void CGenerator::PrepareFilePlayback()
{
    CSigGen_settings& s = m_settings;
    if (s.m_mode != kGenModeWaveFile)
    {
        m_reader.Close();
        return;
    }
    if (m_reader.IsOpen())
        return;
    const std::string name = s.GetWavefileName();
    m_reader.m_dFadeInSeconds = s.m_fade_in;
    m_reader.m_dFadeOutSeconds = s.m_fade_out;
    m_reader.Open(name);
    if (!m_reader.IsOpen())
    {
        m_pNotifications->ShowMessage("Failed to open " + name + " file.");
        m_reader.Close();
        s.m_mode = kGenModeSine;
    }
}

void CGenerator::PrepareSweep(double fs)
{
    const CSigGen_settings& s = m_settings;
    m_rotCos = 0.0;
    m_rotSin = 1.0;
    const double n =
        s.m_chirp_on != 0 ? static_cast<double>(s.m_chirp_length) : std::floor(fs * s.m_sweep_time);
    m_sweepLength = std::max<std::int64_t>(1, static_cast<std::int64_t>(n));
    m_sweepCounter = 0;
    const double fStart = s.m_sweep_start;
    const double fStop = s.m_sweep_stop;
    m_sweepStartCos = m_sweepStepCos = std::cos(kTwoPi * fStart / fs);
    m_sweepStartSin = m_sweepStepSin = std::sin(kTwoPi * fStart / fs);
    const double d = kTwoPi * (fStop - fStart) / fs / static_cast<double>(m_sweepLength);
    m_sweepChangeCos = std::cos(d);
    m_sweepChangeSin = std::sin(d);
    m_segmentIndex = 0;
    m_segmentCounter = 0;
    if (s.m_sweep_log == 0)
        return;
    const std::int64_t segments = std::min<std::int64_t>(m_sweepLength, kMaxLogSweepSegments);
    const std::int64_t length = m_sweepLength / segments;
    m_segmentCount = static_cast<int>(segments);
    m_segmentLength = length;
    const double k = std::pow(fStop / fStart, 1.0 / static_cast<double>(m_sweepLength));
    double fPrev = fStart;
    // Segment j glides linearly from the sweep's frequency at j L to that at (j + 1) L.
    for (int j = 0; j < m_segmentCount; ++j)
    {
        const double fi = fStart * std::pow(k, static_cast<double>((j + 1) * length));
        const double change = kTwoPi * (fi - fPrev) / fs / static_cast<double>(length);
        m_segChangeCos[j] = std::cos(change);
        m_segChangeSin[j] = std::sin(change);
        m_segStartCos[j] = std::cos(kTwoPi * fPrev / fs);
        m_segStartSin[j] = std::sin(kTwoPi * fPrev / fs);
        fPrev = fi;
    }
}

void CGenerator::PrepareBurst(double fs)
{
    const CSigGen_settings& s = m_settings;
    if (s.m_burst_on_time == m_burstOnTimeUsed && s.m_burst_off_time == m_burstOffTimeUsed)
        return;
    // A phase never lasts less than one sample, so the burst always makes progress.
    m_burstOnLength = LengthInSamples(std::trunc(TimeToSamples(s.m_burst_on_time, s.m_burst_on_unit, fs)));
    m_burstOffLength = LengthInSamples(std::trunc(TimeToSamples(s.m_burst_off_time, s.m_burst_off_unit, fs)));
    m_burstOnTimeUsed = s.m_burst_on_time;
    m_burstOffTimeUsed = s.m_burst_off_time;
    m_burstRemaining = m_burstOnLength;
    m_burstPhase = 0;
}

void CGenerator::RebuildMlsIfNeeded()
{
    const int length = m_settings.m_mls_length;
    if (m_mls && length == m_mlsBuiltLength)
        return;
    m_ready.store(false, std::memory_order_release);
    std::this_thread::sleep_for(m_rebuildWait);
    m_mls = std::make_unique<CMlsSequence>(length, 16, 0);
    m_mlsIndex = 0;
    m_mlsBuiltLength = length;
    m_ready.store(true, std::memory_order_release);
}

void CGenerator::RebuildChirps()
{
    const CSigGen_settings& s = m_settings;
    const int length = s.m_chirp_length;
    const double f1 = s.m_sweep_start / s.m_sample_rate;
    const double f2 = s.m_sweep_stop / s.m_sample_rate;
    // A table that must grow is reallocated: the rendering thread must not be reading it then.
    const bool grows = length > m_linearChirp->m_capacity || length > m_logSweep->m_capacity;
    if (grows)
    {
        m_ready.store(false, std::memory_order_release);
        std::this_thread::sleep_for(m_rebuildWait);
    }
    m_linearChirp->Set(length, f1, f2);
    m_logSweep->Set(length, f1, f2);
    if (m_chirpIndex >= length)
        m_chirpIndex = 0;
    if (grows)
        m_ready.store(true, std::memory_order_release);
}

void CGenerator::Synthesize(std::int32_t* target, int count)
{
    if (target == nullptr || count <= 0 || !m_ready.load(std::memory_order_acquire))
        return;
    const CSigGen_settings& s = m_settings;
    const int mode = s.m_mode & 0x1FFF;
    if (mode == kGenModeSweep && s.m_chirp_on != 0)
    {
        // A chirp switched on but not yet prepared: rebuilding its table here would allocate and
        // wait on the rendering thread, so the block stays silent until ApplySettings has run.
        const int have = s.m_chirp_type == 1 ? m_linearChirp->m_length : m_logSweep->m_length;
        if (have < s.m_chirp_length)
        {
            std::fill_n(target, count, 0);
            return;
        }
    }

    const double norm = std::hypot(m_rotCos, m_rotSin);
    if (norm > 0.0)
    {
        m_rotCos /= norm;
        m_rotSin /= norm;
    }
    else
    {
        m_rotCos = 0.0;
        m_rotSin = 1.0;
    }
    const double stepNorm = std::hypot(m_sweepStepCos, m_sweepStepSin);
    if (stepNorm > 0.0)
    {
        m_sweepStepCos /= stepNorm;
        m_sweepStepSin /= stepNorm;
    }

    const bool modulated = s.m_fm_on != 0 || s.m_am_on != 0;
    const double a = modulated ? kSynthesisFullScale : GetOutputGain() * kSynthesisFullScale;

    int pos = 0;
    while (pos < count)
    {
        int chunk = count - pos;
        double amplitude = a;
        if (s.m_burst_on != 0)
        {
            if (m_burstRemaining <= 0)
            {
                if (m_burstPhase == 0)
                {
                    m_burstRemaining = std::max<std::int64_t>(1, m_burstOnLength);
                    if (s.m_burst_restart != 0)
                    {
                        m_rotCos = 0.0;
                        m_rotSin = 1.0;
                    }
                }
                else
                {
                    m_burstRemaining = std::max<std::int64_t>(1, m_burstOffLength);
                }
                m_burstPhase ^= 1;
            }
            chunk = static_cast<int>(std::min<std::int64_t>(m_burstRemaining, chunk));
            m_burstRemaining -= chunk;
            amplitude = a * (m_burstPhase != 0 ? s.m_burst_on_level : s.m_burst_off_level);
            if (s.m_burst_gate == 0)
            {
                std::fill_n(target + pos, chunk, ToSample(amplitude));
                pos += chunk;
                continue;
            }
        }
        RenderWaveform(target + pos, chunk, amplitude, mode);
        pos += chunk;
    }
    ApplyModulationAndEnvelopes(target, count);
}

void CGenerator::RenderWaveform(std::int32_t* out, int count, double amplitude, int mode)
{
    const CSigGen_settings& s = m_settings;
    switch (mode)
    {
        case kGenModeSine:
        {
            double c = m_rotCos;
            double sn = m_rotSin;
            const double sc = m_stepCos;
            const double ss = m_stepSin;
            for (int i = 0; i < count; ++i)
            {
                const double nc = c * sc - sn * ss;
                sn = sn * sc + c * ss;
                c = nc;
                out[i] = ToSample(c * amplitude);
            }
            m_rotCos = c;
            m_rotSin = sn;
            break;
        }
        case kGenModeRectangular:
        {
            double c = m_rotCos;
            double sn = m_rotSin;
            const double sc = m_stepCos;
            const double ss = m_stepSin;
            const std::int32_t high = ToSample(amplitude * m_rectangularFactor);
            const std::int32_t low = ToSample(-amplitude * m_rectangularFactor);
            for (int i = 0; i < count; ++i)
            {
                const double nc = c * sc - sn * ss;
                sn = sn * sc + c * ss;
                c = nc;
                out[i] = c > m_dutyThreshold ? high : low;
            }
            m_rotCos = c;
            m_rotSin = sn;
            break;
        }
        case kGenModeTriangular:
        {
            // Both edges keep a finite slope: the duty cycle is held off 0 and 1 here only.
            const double p = std::clamp(s.m_pulse_width, 1.0e-6, 1.0 - 1.0e-6);
            const double fall = (0.5 / p) * m_triIncrement;
            const double rise = (0.5 / (1.0 - p)) * m_triIncrement;
            double v = m_triValue;
            double slope = m_triSlope;
            for (int i = 0; i < count; ++i)
            {
                v += slope;
                if (v >= 1.0)
                {
                    slope = -fall;
                    v = 1.0 - (v - 1.0) * fall / rise;
                }
                else if (v <= -1.0)
                {
                    slope = rise;
                    v = -1.0 - (v + 1.0) * rise / fall;
                    if (v <= -1.0)
                        v = -1.0;
                }
                out[i] = ToSample(v * amplitude);
            }
            m_triValue = v;
            m_triSlope = slope;
            break;
        }
        case kGenModeWhiteNoise:
            for (int i = 0; i < count; ++i)
                out[i] = ToSample((2.0 * GetRandomUniform() - 1.0) * amplitude);
            break;
        case kGenModeMls:
        {
            const CMlsSequence* seq = m_mls.get();
            if (seq == nullptr || seq->m_length <= 0)
            {
                std::fill_n(out, count, 0);
                break;
            }
            // Wrap at the length of the sequence in hand, which is the settings' length once applied.
            const int length = seq->m_length;
            const double scale = amplitude * m_rectangularFactor / 32768.0;
            int index = m_mlsIndex % length;
            for (int i = 0; i < count; ++i)
            {
                out[i] = ToSample(seq->m_data[index] * scale);
                if (++index >= length)
                    index = 0;
            }
            m_mlsIndex = index;
            break;
        }
        case kGenModeSweep:
            RenderSweep(out, count, amplitude);
            break;
        case kGenModePinkNoise:
        {
            auto& b = m_pink;
            const double scale = amplitude * m_pinkFactor;
            for (int i = 0; i < count; ++i)
            {
                const float w = static_cast<float>(NextPinkNoiseRandom()) * (1.0f / 32767.0f) - 0.5f;
                b[0] = 0.99886f * b[0] + 0.0555179f * w;
                b[1] = 0.99332f * b[1] + 0.0750759f * w;
                b[2] = 0.969f * b[2] + 0.153852f * w;
                b[3] = 0.8665f * b[3] + 0.3104856f * w;
                b[4] = 0.55f * b[4] + 0.5329522f * w;
                b[5] = -0.7616f * b[5] - 0.016898f * w;
                const float pink = b[0] + b[1] + b[2] + b[3] + b[4] + b[5] + b[6] + 0.5362f * w;
                b[6] = 0.115926f * w;
                out[i] = ToSample(pink * scale);
            }
            break;
        }
        case kGenModeGaussNoise:
            for (int i = 0; i < count; ++i)
            {
                double z = CGaussRandom::Next() * kGaussDeviation;
                while (std::fabs(z) > 1.0)
                    z = CGaussRandom::Next() * kGaussDeviation;
                out[i] = ToSample(z * amplitude);
            }
            break;
        default:
            // File playback and unknown codes are not synthesised.
            std::fill_n(out, count, 0);
            break;
    }
}

void CGenerator::RenderSweep(std::int32_t* out, int count, double amplitude)
{
    const CSigGen_settings& s = m_settings;
    if (s.m_chirp_on != 0)
    {
        const bool linear = s.m_chirp_type == 1;
        const float* table = linear ? m_linearChirp->m_samples.data() : m_logSweep->m_samples.data();
        const int have = linear ? m_linearChirp->m_length : m_logSweep->m_length;
        const int length = std::min(s.m_chirp_length, have);
        if (length <= 0)
        {
            std::fill_n(out, count, 0);
            return;
        }
        int index = m_chirpIndex < length ? m_chirpIndex : 0;
        for (int i = 0; i < count; ++i)
        {
            out[i] = ToSample(table[index] * amplitude);
            if (++index >= length)
                index = 0;
        }
        m_chirpIndex = index;
        return;
    }
    const bool logarithmic = s.m_sweep_log != 0;
    double c = m_rotCos;
    double sn = m_rotSin;
    double sc = m_sweepStepCos;
    double ss = m_sweepStepSin;
    double dc = m_sweepChangeCos;
    double ds = m_sweepChangeSin;
    for (int i = 0; i < count; ++i)
    {
        const double nc = c * sc - sn * ss;
        sn = sn * sc + c * ss;
        c = nc;
        out[i] = ToSample(c * amplitude);
        if (logarithmic)
        {
            dc = m_segChangeCos[m_segmentIndex];
            ds = m_segChangeSin[m_segmentIndex];
            // Past the last segment (a length that is no multiple of the segment count) the sweep
            // goes on with the last segment's glide until it restarts.
            if (++m_segmentCounter >= m_segmentLength && m_segmentIndex + 1 < m_segmentCount)
            {
                m_segmentCounter = 0;
                ++m_segmentIndex;
                sc = m_segStartCos[m_segmentIndex];
                ss = m_segStartSin[m_segmentIndex];
            }
        }
        const double nsc = sc * dc - ss * ds;
        ss = ss * dc + sc * ds;
        sc = nsc;
        if (++m_sweepCounter >= m_sweepLength)
        {
            sc = m_sweepStartCos;
            ss = m_sweepStartSin;
            m_segmentIndex = 0;
            m_segmentCounter = 0;
            c = 0.0;
            sn = 1.0;
            m_sweepCounter = 0;
        }
    }
    m_rotCos = c;
    m_rotSin = sn;
    m_sweepStepCos = sc;
    m_sweepStepSin = ss;
}

void CGenerator::ApplyModulationAndEnvelopes(std::int32_t* out, int count)
{
    CSigGen_settings& s = m_settings;
    const double fs = s.m_sample_rate;
    const double fullScale = kSynthesisFullScale;

    if (s.m_fm_on == 0 && s.m_dc_offset != 0.0)
    {
        const double offset = s.m_dc_offset * fullScale;
        for (int i = 0; i < count; ++i)
            out[i] = ToSample(out[i] + offset);
    }

    if (s.m_am_on != 0)
    {
        const double g = GetOutputGain() * fullScale;
        const double m = s.m_am_depth / fullScale;
        const double w = kTwoPi * s.m_am_frequency / fs;
        for (int i = 0; i < count; ++i)
            out[i] = ToSample(std::cos(w * i + m_amPhase) * (out[i] * m + 1.0) * g * 0.5);
        m_amPhase += w * count;
        m_amPhase -= kTwoPi * std::floor(m_amPhase / kTwoPi);
    }

    if (s.m_fm_on != 0)
    {
        const double g = GetOutputGain() * fullScale;
        const double k = kTwoPi * s.m_fm_deviation / fs / fullScale;
        const double offset = s.m_dc_offset * fullScale;
        double phase = m_fmPhase;
        for (int i = 0; i < count; ++i)
        {
            phase += (out[i] + offset) * k;
            out[i] = ToSample(std::cos(phase) * g);
        }
        m_fmPhase = phase - kTwoPi * std::trunc(phase / kTwoPi);
    }

    if (m_fadeCounter != 0)
    {
        int i = 0;
        if (m_fadeCounter > 0)
        {
            for (; i < count && m_fadeCounter > 0; ++i)
            {
                out[i] = ToSample(out[i] * (1.0 - m_fadeGain));
                m_fadeGain *= m_fadeFactor;
                --m_fadeCounter;
            }
            if (m_fadeCounter == 0)
                m_fadeGain = 1.0;
        }
        else
        {
            for (; i < count && m_fadeCounter < 0; ++i)
            {
                out[i] = ToSample(out[i] * m_fadeGain);
                m_fadeGain *= m_fadeFactor;
                ++m_fadeCounter;
            }
            if (m_fadeCounter == 0)
            {
                s.m_output_on = 0;
                m_fadeGain = 1.0;
                std::fill(out + i, out + count, 0);
            }
        }
    }

    if (m_rampCounter > 0)
    {
        for (int i = 0; i < count && m_rampCounter > 0; ++i)
        {
            out[i] = ToSample(out[i] * m_rampGain);
            m_rampGain *= m_rampFactor;
            --m_rampCounter;
        }
        if (m_rampCounter == 0)
            SetLevel(m_rampTarget);
    }
}
