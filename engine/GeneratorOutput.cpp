#include "engine/GeneratorOutput.h"

#include "engine/Generator.h"
#include "platform/NumberFormat.h"
#include "platform/Places.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <limits>
#include <numbers>

namespace
{

constexpr double kFullScale16 = 32767.0;
constexpr double kFullScale32 = 2147483647.0;
constexpr int kSoftClipTableSize = 32768;
constexpr double kSoftClipSaturation = 0.9999;
// Drives of the crest-factor search.
constexpr int kCrestFrames = 8192;
constexpr int kCrestWindow = 8190;
constexpr int kCrestTries = 10;
constexpr double kCrestTolerance = 0.03;

// Truncation toward zero that saturates: effects may push a sample beyond full scale.
template <typename T>
T Saturate(double x)
{
    constexpr double lo = static_cast<double>(std::numeric_limits<T>::min());
    constexpr double hi = static_cast<double>(std::numeric_limits<T>::max());
    if (!(x == x))
        return 0;
    if (x >= hi)
        return std::numeric_limits<T>::max();
    if (x <= lo)
        return std::numeric_limits<T>::min();
    return static_cast<T>(x);
}

const std::array<std::int32_t, kSoftClipTableSize>& SoftClipTable()
{
    static const std::array<std::int32_t, kSoftClipTableSize> table = []
    {
        std::array<std::int32_t, kSoftClipTableSize> t{};
        for (int k = 0; k < kSoftClipTableSize; ++k)
            t[k] = static_cast<std::int32_t>(std::sin(k * std::numbers::pi / 65536.0) * 32735232.0);
        return t;
    }();
    return table;
}

// The 24 permutations of four bytes in lexicographic order.
constexpr std::array<std::array<std::uint8_t, 4>, kByteOrderCount> kPermutations = []
{
    std::array<std::array<std::uint8_t, 4>, kByteOrderCount> result{};
    std::array<std::uint8_t, 4> p = {0, 1, 2, 3};
    for (int i = 0; i < kByteOrderCount; ++i)
    {
        result[i] = p;
        // Next permutation, by hand so that the table stays a constant expression.
        int k = 2;
        while (k >= 0 && p[k] > p[k + 1])
            --k;
        if (k < 0)
            break;
        int l = 3;
        while (p[l] < p[k])
            --l;
        std::swap(p[k], p[l]);
        for (int a = k + 1, b = 3; a < b; ++a, --b)
            std::swap(p[a], p[b]);
    }
    return result;
}();

}  // namespace

double SoftClip(double x)
{
    if (!(x == x))
        return 0.0;
    const auto& table = SoftClipTable();
    const double u = std::fabs(x) * 65536.0 / std::numbers::pi;
    const double sign = x < 0.0 ? -1.0 : 1.0;
    if (u >= kSoftClipTableSize - 1)
        return sign * kSoftClipSaturation;
    const int k = static_cast<int>(u);
    const double y = (table[k] + (u - k) * (table[k + 1] - table[k])) * (1.0 / 33554432.0);
    return sign * y;
}

void ApplyDistortion(float* block, int count, double amplitude, double drive)
{
    const double c = SoftClip(drive);
    // Without an amplitude or a drive the curve has no scale: 0/0 would fill the block with NaN.
    if (!(amplitude > 0.0) || c == 0.0)
        return;
    const float scaleIn = static_cast<float>(drive / amplitude);
    const float scaleOut = static_cast<float>(amplitude * 0.999 / c);
    for (int i = 0; i < count; ++i)
        block[i] = static_cast<float>(SoftClip(block[i] * scaleIn)) * scaleOut;
}

std::uint32_t ReorderBytes(std::uint32_t value, int order)
{
    if (order <= 0 || order >= kByteOrderCount)
        return value;
    const auto& p = kPermutations[order];
    std::uint32_t result = 0;
    for (int i = 0; i < 4; ++i)
        result |= ((value >> (8 * i)) & 0xFFu) << (8 * p[i]);
    return result;
}

void CGenerator::ClearEffects()
{
    m_freeFilter.m_full.m_bEnabled = 0;
    m_riaaFilter.m_filter.m_bEnabled = 0;
    m_statisticsOn = false;
}

void CGenerator::InitOutputStage()
{
    if (m_render16Block.empty())
        m_render16Block.assign(kRender16MaxSamples, 0);
    // Channel 2 carries silence until the delay has filled with signal.
    std::fill(m_delayRing.begin(), m_delayRing.end(), 0);
    m_ringPosition = 0;
    m_statisticsOn = true;
    m_statisticsWindow = kStatisticsWindow;
    ResetStatistics();
}

int CGenerator::Fill(void* buffer, int bytes, int unused)
{
    (void)unused;
    return Render(buffer, bytes);
}

void CGenerator::Render16(std::int16_t* target, int count)
{
    if (count > kRender16MaxSamples || count < 0 ||
        m_render16Block.size() < static_cast<std::size_t>(kRender16MaxSamples))
    {
        m_pNotifications->ShowMessage("internal error #57");
        return;
    }
    Synthesize(m_render16Block.data(), count);
    for (int i = 0; i < count; ++i)
        target[i] = static_cast<std::int16_t>(m_render16Block[i] >> 16);
    m_fullScale = kFullScale16;
}

void CGenerator::RenderSource(int n, bool bits32, double amplitude)
{
    std::int32_t* work = m_workBlock.data();
    if (m_settings.m_mode == kGenModeWaveFile)
    {
        // The reader delivers every channel of the file; read in pieces that fit the float block
        // (planar, so the first channel is the piece's first part) and play the first channel.
        float* f = m_floatBlock.data();
        const int channels = std::clamp(m_reader.m_nChannels, 1, CAudioFileReader::kMaxChannels);
        const int piece = std::max(1, static_cast<int>(kWorkBufferWords) / channels);
        int have = 0;
        bool rewound = false;
        while (have < n && m_reader.IsOpen())
        {
            const int want = std::min(piece, n - have);
            const int got = m_reader.Read(f, want, 1);
            if (got <= 0)
            {
                // The end of a stream that does not loop by itself: start again, once per block.
                if (rewound)
                    break;
                m_reader.SeekFrame(0);
                rewound = true;
                continue;
            }
            for (int i = 0; i < got && have < n; ++i)
                work[have++] = Saturate<std::int32_t>(f[i] * amplitude);
        }
        std::fill(work + have, work + n, 0);
        return;
    }
    Synthesize(work, n);
    if (!bits32)
    {
        for (int i = 0; i < n; ++i)
            work[i] >>= 16;
    }
}

int CGenerator::Render(void* buffer, int bytes)
{
    if (!IsReady() || buffer == nullptr || bytes <= 0 || m_workBlock.size() < kWorkBufferWords)
        return bytes;
    const bool bits32 = m_32bitOutput != 0;
    const int sampleSize = bits32 ? 4 : 2;
    const int channels = std::clamp(m_channels, 1, 2);
    const int n = std::min(bytes / channels / sampleSize, static_cast<int>(kWorkBufferWords));
    const double fullScale = bits32 ? kFullScale32 : kFullScale16;
    m_fullScale = fullScale;
    const int bits = std::clamp(m_significantBits, 1, 32);
    const std::uint32_t mask = 0xFFFFFFFFu << (32 - bits);
    const double amplitude = GetOutputGain() * fullScale;

    RenderSource(n, bits32, amplitude);
    std::int32_t* work = m_workBlock.data();
    const bool ch1Only = m_settings.m_effects_ch1_only != 0;
    if (ch1Only)
        std::copy_n(work, n, m_effectsCopy.data());

    // The float round trip costs the low bits of a 32-bit sample, so the block goes back only when
    // an effect has changed it; the statistics alone only read it.
    const bool changing = m_freeFilter.m_full.m_bEnabled != 0 || m_riaaFilter.m_filter.m_bEnabled != 0 ||
                          m_settings.m_distortion_on != 0;
    if (HasEffects())
    {
        float* f = m_floatBlock.data();
        for (int i = 0; i < n; ++i)
            f[i] = static_cast<float>(work[i]);
        ApplyEffects(f, n);
        if (changing)
        {
            for (int i = 0; i < n; ++i)
                work[i] = bits32 ? Saturate<std::int32_t>(f[i]) : Saturate<std::int16_t>(f[i]);
        }
    }

    const std::int32_t* second = ch1Only ? m_effectsCopy.data() : work;
    const int delay = std::clamp(static_cast<int>(m_settings.m_delay), 0, kDelayMask);
    std::int32_t* ring = m_delayRing.data();
    std::uint32_t position = m_ringPosition;
    const double gain1 = m_balanceGain1;
    const double gain2 = m_balanceGain2;
    const int order = m_byteOrder;
    auto* out32 = static_cast<std::int32_t*>(buffer);
    auto* out16 = static_cast<std::int16_t*>(buffer);
    for (int i = 0; i < n; ++i)
    {
        ring[(position + delay) & kDelayMask] = second[i];
        const std::int32_t y = ring[position & kDelayMask];
        const double v1 = work[i] * gain1;
        const double v2 = y * gain2;
        if (bits32)
        {
            const auto c1 = static_cast<std::uint32_t>(Saturate<std::int32_t>(v1)) & mask;
            out32[i * channels] = static_cast<std::int32_t>(ReorderBytes(c1, order));
            if (channels > 1)
            {
                const auto c2 = static_cast<std::uint32_t>(Saturate<std::int32_t>(v2)) & mask;
                out32[i * channels + 1] = static_cast<std::int32_t>(ReorderBytes(c2, order));
            }
        }
        else
        {
            out16[i * channels] = Saturate<std::int16_t>(v1);
            if (channels > 1)
                out16[i * channels + 1] = Saturate<std::int16_t>(v2);
        }
        ++position;
    }
    m_ringPosition = position;
    return bytes;
}

bool CGenerator::HasEffects() const
{
    return m_freeFilter.m_full.m_bEnabled != 0 || m_riaaFilter.m_filter.m_bEnabled != 0 || m_statisticsOn ||
           m_settings.m_distortion_on != 0;
}

void CGenerator::ApplyEffects(float* block, int count)
{
    const double rate = m_settings.m_sample_rate;
    m_freeFilter.m_dSampleRate = rate;
    m_riaaFilter.m_dSampleRate = rate;
    if (m_freeFilter.m_full.m_bEnabled != 0)
        m_freeFilter.Process(block, count);
    if (m_riaaFilter.m_filter.m_bEnabled != 0)
        m_riaaFilter.Process(block, count);
    if (m_settings.m_distortion_on != 0)
    {
        const int mode = m_settings.m_mode;
        const double drive = m_settings.m_distortion_drive *
                             ((mode == kGenModeWhiteNoise || mode == kGenModePinkNoise) ? 10.0 : 1.0);
        ApplyDistortion(block, count, GetOutputGain() * m_fullScale, drive);
    }
    if (m_statisticsOn)
        UpdateStatistics(block, count);
}

void CGenerator::ResetStatistics()
{
    m_windowMin = 1e-15;
    m_windowMax = 0.0;
    m_windowPeak = 0.0;
    m_windowRms = 0.0;
    m_windowCrest = 0.0;
    m_blockPeak = 0.0;
    m_blockRms = 0.0;
    m_blockCrest = 0.0;
    m_sumSquares = 0.0;
    m_runningPeak = 0.0;
    m_runningMin = 1e100;
    m_runningMax = -1e100;
    m_statisticsWindow = std::max(1, m_statisticsWindow);
    m_statisticsCounter = m_statisticsWindow;
}

void CGenerator::UpdateStatistics(const float* block, int count)
{
    if (count <= 0)
        return;
    double sum = 0.0;
    double peak = 0.0;
    for (int i = 0; i < count; ++i)
    {
        const double x = block[i];
        sum += x * x;
        peak = std::max(peak, std::fabs(x));
    }
    m_blockRms = std::sqrt(sum / count);
    m_blockPeak = peak;
    m_blockCrest = m_blockRms > 0.0 ? peak / m_blockRms : 0.0;

    const double fs = m_fullScale > 0.0 ? m_fullScale : 1.0;
    for (int i = 0; i < count; ++i)
    {
        if (m_statisticsCounter < 1)
        {
            m_windowPeak = m_runningPeak / fs;
            m_windowMin = m_runningMin / fs;
            m_windowMax = m_runningMax / fs;
            m_windowRms = std::sqrt(m_sumSquares / m_statisticsWindow) / fs;
            m_windowCrest = m_windowRms > 0.0 ? m_windowPeak / m_windowRms : 0.0;
            m_sumSquares = 0.0;
            m_runningPeak = 0.0;
            m_runningMin = 1e100;
            m_runningMax = -1e100;
            m_statisticsCounter = m_statisticsWindow;
        }
        const double x = block[i];
        m_runningMax = std::max(m_runningMax, x);
        m_runningMin = std::min(m_runningMin, x);
        m_runningPeak = std::max(m_runningPeak, std::fabs(x));
        m_sumSquares += x * x;
        --m_statisticsCounter;
    }
}

double CGenerator::AdjustCrestFactor(double target)
{
    if (target <= 1.0)
        return -1.0;
    CSigGen_settings record;
    GetSettings(record);
    auto probe = std::make_unique<CGenerator>();
    probe->Init();
    probe->m_channels = 1;
    record.m_output_on = 1;
    probe->SetSettings(record);
    probe->m_statisticsWindow = kCrestWindow;
    probe->m_settings.m_distortion_on = 1;
    probe->m_settings.m_distortion_drive = 0.0001;
    probe->ApplySettings();
    std::array<std::int32_t, kCrestFrames> buffer{};
    const int bytes = kCrestFrames * (probe->m_32bitOutput != 0 ? 4 : 2);
    auto measure = [&]
    {
        probe->ResetStatistics();
        probe->Render(buffer.data(), bytes);
        return probe->m_windowCrest;
    };
    const double c0 = measure();
    if (target >= c0)
        return -c0;
    double drive = 0.8;
    double step = 1.2;
    int direction = 0;
    for (int i = 0; i < kCrestTries; ++i)
    {
        probe->m_settings.m_distortion_drive = drive;
        const double c = measure();
        if (std::fabs(c - target) < kCrestTolerance)
            break;
        if (c > target)
        {
            if (direction == -1)
                step = (step - 1.0) * 0.5 + 1.0;
            drive *= step;
            direction = 1;
        }
        else
        {
            if (direction == 1)
                step = (step - 1.0) * 0.5 + 1.0;
            drive /= step;
            direction = -1;
        }
    }
    return drive;
}

void CGenerator::ApplySettingsCommand(const CSigGen_settings& r)
{
    // A trace of the last command, for finding out what a driving program sent; it lives in the
    // configuration folder, never in whatever folder the program was started from.
    std::error_code error;
    const std::filesystem::path folder = platform::ConfigFolder();
    std::filesystem::create_directories(folder, error);
    if (std::FILE* trace = std::fopen((folder / "SigGenSetting").c_str(), "w"))
    {
        const std::string text =
            platform::FormatC("Flag=$%x %i\n", static_cast<unsigned>(r.m_flags), r.m_flags) +
            platform::FormatC("Frequency=%e\n", r.m_frequency) +
            platform::FormatC("Sample rate=%e\n", static_cast<double>(r.m_sample_rate)) +
            platform::FormatC("Mode=%i\n", r.m_mode) + platform::FormatC("Mute=%i\n", r.m_output_on) +
            platform::FormatC("Volume=%f\n", r.m_level) +
            platform::FormatC("MLS length=%i\n", r.m_mls_length) + "m_wavefile_name=" + r.GetWavefileName() +
            "\n";
        std::fwrite(text.data(), 1, text.size(), trace);
        std::fclose(trace);
    }
    CSigGen_settings& s = m_settings;
    auto takeLevel = [&]
    {
        s.m_output_on = r.m_output_on;
        s.m_level = r.m_level;
        // The -1 and -2 dB switches are the panel's own and keep their state.
        for (int i = 2; i < kSigGenAttenuatorCount; ++i)
            s.m_attenuator[i] = r.m_attenuator[i];
    };
    switch (r.m_flags & 0x3FF)
    {
        case 0:
            SetSettings(r);
            break;
        case 1:
            s.m_frequency = r.m_frequency;
            s.m_mode = r.m_mode;
            s.m_output_on = r.m_output_on;
            break;
        case 2:
            s.m_mode = r.m_mode;
            takeLevel();
            break;
        case 3:
            s.m_mode = r.m_mode;
            s.m_mls_length = r.m_mls_length;
            break;
        case 4:
            takeLevel();
            break;
        case 5:
            s.m_frequency = r.m_frequency;
            break;
        case 6:
            s.m_mode = r.m_mode;
            break;
        case 7:
            s.m_output_on = r.m_output_on;
            break;
        case 8:
            s.m_mode = kGenModeSweep;
            s.m_chirp_length = r.m_chirp_length;
            s.m_sweep_start = r.m_sweep_start;
            s.m_sweep_stop = r.m_sweep_stop;
            s.m_chirp_type = 0;
            s.m_chirp_on = 1;
            break;
        default:
            return;
    }
    ApplySettings();
}
