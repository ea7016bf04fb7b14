#include "engine/GeneratorMatrix.h"

#include "engine/Generator.h"
#include "platform/Archive.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace
{

constexpr double kLevelReference = 0.35355339;  // 1 / (2 sqrt 2)
constexpr double kChannelLevel = 0.5;

std::int32_t SaturateSample(double x)
{
    if (!(x == x))
        return 0;
    if (x >= 2147483647.0)
        return std::numeric_limits<std::int32_t>::max();
    if (x <= -2147483648.0)
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(x);
}

}  // namespace

CGeneratorMatrix::CGeneratorMatrix() = default;

int CGeneratorMatrix::GeneratorCount() const
{
    return std::clamp(static_cast<int>(m_generator_count), 0, kMaxGenerators);
}

void CGeneratorMatrix::Serialize(CArchive& ar)
{
    if (ar.IsStoring())
    {
        ar << m_master_level << m_master_frequency << m_coupling << m_reserved << m_master_index
           << m_generator_count;
        return;
    }
    ar >> m_master_level >> m_master_frequency >> m_coupling >> m_reserved >> m_master_index >>
        m_generator_count;
    if (m_coupling != kCouplingNone)
        SelectMasterChannel(m_master_index);
}

void CGeneratorMatrix::SelectMasterChannel(int index)
{
    for (int i = 0; i < GeneratorCount(); ++i)
    {
        if (m_generators[i] != nullptr)
        {
            m_frequency[i] = m_generators[i]->m_settings.m_frequency;
            m_level[i] = m_generators[i]->m_settings.m_level;
        }
    }
    // A master outside the generators (from a damaged workspace) couples nothing.
    if (index >= 0 && index < kMaxGenerators)
    {
        m_master_frequency = m_frequency[index];
        m_master_level = m_level[index];
    }
    m_master_index = index;
}

void CGeneratorMatrix::CoupleFrequencies()
{
    if (m_coupling == kCouplingNone)
        return;
    const int master = m_master_index;
    if (master < 0 || master >= GeneratorCount() || m_generators[master] == nullptr)
        return;
    const double f = m_generators[master]->m_settings.m_frequency;
    if (f == m_master_frequency)
        return;
    const double fMaster = m_frequency[master];
    for (int i = 0; i < GeneratorCount(); ++i)
    {
        if (i == master || m_generators[i] == nullptr)
            continue;
        double fi = m_generators[i]->m_settings.m_frequency;
        if (m_coupling == kCouplingRatio)
        {
            // A remembered master frequency of 0 gives no ratio; the generator keeps its frequency.
            if (fMaster != 0.0)
                fi = f / fMaster * m_frequency[i];
        }
        else
            fi = f - fMaster + m_frequency[i];
        m_generators[i]->m_settings.m_frequency = std::max(0.0, fi);
    }
    for (int i = 0; i < GeneratorCount(); ++i)
    {
        if (m_generators[i] == nullptr)
            continue;
        m_generators[i]->ApplySettings();
        if (m_refreshFrequency)
            m_refreshFrequency(i);
    }
    m_master_frequency = f;
}

void CGeneratorMatrix::SetSampleRate(double rate)
{
    for (auto& stats : m_stats)
        stats.SetSampleRate(rate);
}

double CGeneratorMatrix::GetOutputRms(int channel) const
{
    if (channel < 0 || channel >= kGeneratorOutputChannels)
        return 0.0;
    return m_stats[channel].GetRms();
}

double CGeneratorMatrix::GetOutputRmsCalibrated(int channel) const
{
    if (channel < 0 || channel >= kGeneratorOutputChannels)
        return 0.0;
    const auto& record = m_settings.m_channel[channel];
    const double rms = m_stats[channel].GetRms();
    return record.m_calibrated != 0 ? rms * record.m_calibration_factor : rms;
}

void CGeneratorMatrix::SetChannelLevels(double level)
{
    for (auto& r : m_settings.m_channel)
    {
        if (r.m_calibrated == 0)
            continue;
        const double c = r.m_calibration_factor;
        r.m_level_factor =
            (level / c / c) / (std::pow(10.0, (r.m_scale_db + r.m_pre_scale_db + m_global_level_db) * 0.05) *
                               r.m_scale * r.m_pre_scale * kLevelReference);
        if (m_generators[0] != nullptr)
            m_generators[0]->SetLevel(kChannelLevel);
    }
}

void CGeneratorMatrix::MixGenerators(std::span<std::int32_t> out, int outputChannels, int frames,
                                     std::span<const std::int32_t* const> renders, int channelsPerRender)
{
    if (frames <= 0 || outputChannels <= 0)
        return;
    const int channels = std::min({outputChannels, kGeneratorOutputChannels,
                                   static_cast<int>(out.size() / static_cast<std::size_t>(frames))});
    std::fill(out.begin(), out.end(), 0);
    const int c = std::max(1, channelsPerRender);
    auto render = [&](int g) -> const std::int32_t*
    { return g >= 0 && static_cast<std::size_t>(g) < renders.size() ? renders[g] : nullptr; };
    const double master = std::pow(10.0, m_global_level_db * 0.05);
    for (int k = 0; k < channels; ++k)
    {
        const CGenerator_channel_settings& r = m_settings.m_channel[k];
        if (r.m_active == 0)
            continue;
        std::int32_t* block = out.data() + static_cast<std::size_t>(k) * frames;
        if (r.m_test_generator != 0)
        {
            if (const std::int32_t* src = render(kTestGenerator))
            {
                for (int n = 0; n < frames; ++n)
                    block[n] = src[static_cast<std::size_t>(n) * c];
            }
        }
        else
        {
            double gain = std::pow(10.0, r.m_scale_db * 0.05) * r.m_scale;
            if (r.m_calibrated != 0)
                gain *= r.m_calibration_factor * r.m_level_factor;
            gain *= master;
            auto add = [&](int g, int offset)
            {
                const std::int32_t* src = render(g);
                // A generator that was not rendered adds nothing; a second channel needs one.
                if (src == nullptr || offset >= c)
                    return;
                for (int n = 0; n < frames; ++n)
                    block[n] =
                        SaturateSample(block[n] + src[static_cast<std::size_t>(n) * c + offset] * gain);
            };
            for (int i = 0; i < r.CountA(); ++i)
                add(r.m_generators_a[i], 0);
            for (int i = 0; i < r.CountB(); ++i)
                add(r.m_generators_b[i], 1);
        }
        m_stats[k].AddBlock(block, frames);
    }
}
