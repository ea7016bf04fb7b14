#include "engine/ChannelConditioning.h"

#include "dsp/BiquadLanes.h"

#include <algorithm>
#include <cmath>

CChannelConditioning::CChannelConditioning()
{
    // A channel filters nothing until the user turns one of its filters on.
    for (ChannelSettings& channel : m_settings)
        for (CDesignedFilterSettings& designed : channel.designed)
            designed.m_bEnabled = 0;
}

CChannelConditioning::~CChannelConditioning() = default;

void CChannelConditioning::Prepare(int channels, int sampleRate)
{
    Free();
    channels = std::clamp(channels, 1, kMaxChannels);
    std::vector<std::unique_ptr<ChannelFilters>> built;
    built.reserve(static_cast<std::size_t>(channels));
    for (int c = 0; c < channels; ++c)
    {
        const ChannelSettings& settings = m_settings[static_cast<std::size_t>(c)];
        auto filters = std::make_unique<ChannelFilters>();
        CBiquadFilter& biquad = filters->biquad;
        biquad.m_bEnabled = settings.biquad.enabled;
        biquad.m_nType = settings.biquad.type;
        biquad.m_dFrequency = settings.biquad.frequency;
        biquad.m_dGainDb = settings.biquad.gainDb;
        biquad.m_dQ = settings.biquad.q;
        biquad.m_bTwice = settings.biquad.twice;
        biquad.m_dSampleRate = sampleRate;
        biquad.Process(nullptr, 0);
        filters->equalizer.m_bEnabled = m_bEqualizer;
        filters->equalizer.m_nSampleRate = sampleRate;
        filters->equalizer.Process(nullptr, 0);
        for (int k = 0; k < kDesignedFilters; ++k)
        {
            CDesignedFilter& filter = filters->designed[static_cast<std::size_t>(k)];
            filter.SetSettings(settings.designed[static_cast<std::size_t>(k)]);
            filter.m_dSampleRate = sampleRate;
            // A pass over no samples designs the filter here rather than on the first block.
            filter.UpdateDecimation();
            filter.Process(nullptr, 0);
        }
        filters->cWeighting.m_nSampleRate = sampleRate;
        filters->cWeighting.Process(nullptr, 0);
        filters->riaa.m_filter.m_bEnabled = settings.riaaEnabled;
        filters->riaa.m_filter.m_nOption = settings.riaaInverse;
        filters->riaa.m_dSampleRate = sampleRate;
        if (settings.riaaEnabled)
            filters->riaa.Process(nullptr, 0);
        if (settings.delayActive && settings.delaySamples > 0)
        {
            filters->delay.SetDelay(settings.delaySamples);
            filters->delay.m_bEnabled = 1;
        }
        built.push_back(std::move(filters));
    }
    const auto prime = [&](auto& pair)
    {
        for (auto& filter : pair)
        {
            filter.m_nSampleRate = sampleRate;
            filter.Process(nullptr, 0);
        }
    };
    prime(m_bandPass);
    prime(m_notch);
    for (auto& filter : m_thirdOctave)
    {
        filter.m_nBand = m_nThirdOctaveBand;
        filter.m_nTableSet = m_nThirdOctaveSet;
    }
    prime(m_thirdOctave);
    for (auto& filter : m_octave)
    {
        filter.m_nBand = m_nOctaveBand;
        filter.m_nTableSet = m_nOctaveSet;
    }
    prime(m_octave);
    for (CDemodulator& demodulator : m_demodulators)
    {
        demodulator.m_dSampleRate = sampleRate;
        demodulator.Setup();
    }
    m_channels = std::move(built);
    m_nSampleRate = sampleRate;
    ResetPeaks();
}

void CChannelConditioning::Free()
{
    m_channels.clear();
    m_channels.shrink_to_fit();
}

CChannelConditioning::ChannelFilters* CChannelConditioning::Channel(int channel)
{
    if (channel < 0 || channel >= static_cast<int>(m_channels.size()))
        return nullptr;
    return m_channels[static_cast<std::size_t>(channel)].get();
}

CDesignedFilter* CChannelConditioning::GetDesignedFilter(int channel, int index)
{
    ChannelFilters* filters = Channel(channel);
    if (!filters || index < 0 || index >= kDesignedFilters)
        return nullptr;
    return &filters->designed[static_cast<std::size_t>(index)];
}

void CChannelConditioning::Demodulate(float* firstRow, int frames)
{
    if (!firstRow || frames <= 0 || m_channels.empty())
        return;
    // The first measures wow and flutter (the row becomes its deviation), the second demodulates.
    if (m_bDemodulator[0])
        m_demodulators[0].ProcessDeviation(firstRow, frames);
    if (m_bDemodulator[1])
        m_demodulators[1].Demodulate(firstRow, frames);
}

void CChannelConditioning::FilterChannel(int channel, float* samples, int frames)
{
    ChannelFilters* filters = Channel(channel);
    if (!filters || !samples || frames <= 0)
        return;
    filters->biquad.m_dSampleRate = m_nSampleRate;
    filters->biquad.Process(samples, frames);
    filters->equalizer.m_bEnabled = m_bEqualizer;
    filters->equalizer.m_nSampleRate = m_nSampleRate;
    filters->equalizer.Process(samples, frames);
    for (CDesignedFilter& filter : filters->designed)
        if (filter.m_full.m_bEnabled)
        {
            filter.m_dSampleRate = m_nSampleRate;
            filter.UpdateDecimation();
            filter.Process(samples, frames);
        }
}

void CChannelConditioning::MeasureCPeak(int channel, const float* samples, int frames)
{
    if (channel < 0 || channel >= kMaxChannels)
        return;
    std::array<const float*, kMaxChannels> rows{};
    rows[static_cast<std::size_t>(channel)] = samples;
    MeasureCPeaks(std::span<const float* const>(rows.data(), static_cast<std::size_t>(channel) + 1), frames);
}

void CChannelConditioning::MeasureCPeaks(std::span<const float* const> rows, int frames)
{
    // Channels in groups whose weighted copies stay on the stack.
    constexpr int kGroup = 8;
    if (frames <= 0)
        return;
    std::array<std::array<float, kMeterChunk>, kGroup> copies;
    std::array<CBiquadLanes::WeightingLane, kGroup> lanes{};
    std::array<std::size_t, kGroup> channels{};
    const std::size_t count = std::min<std::size_t>(rows.size(), kMaxChannels);
    for (std::size_t next = 0; next < count;)
    {
        int used = 0;
        for (; next < count && used < kGroup; ++next)
            if (rows[next] && Channel(static_cast<int>(next)))
                channels[static_cast<std::size_t>(used++)] = next;
        for (int done = 0; done < frames;)
        {
            const int piece = std::min(frames - done, kMeterChunk);
            for (int l = 0; l < used; ++l)
            {
                const std::size_t k = static_cast<std::size_t>(l);
                CCWeightingFilter& weighting = Channel(static_cast<int>(channels[k]))->cWeighting;
                weighting.m_nSampleRate = m_nSampleRate;
                lanes[k] = {&weighting, rows[channels[k]] + done, copies[k].data()};
            }
            CBiquadLanes::RunWeightings(
                std::span<const CBiquadLanes::WeightingLane>(lanes.data(), static_cast<std::size_t>(used)),
                piece);
            for (int l = 0; l < used; ++l)
            {
                const std::size_t k = static_cast<std::size_t>(l);
                double& peak = m_dCPeak[channels[k]];
                const auto [low, high] = std::minmax_element(copies[k].begin(), copies[k].begin() + piece);
                peak =
                    std::max(peak, std::max(std::abs(static_cast<double>(*low)), static_cast<double>(*high)));
            }
            done += piece;
        }
    }
}

void CChannelConditioning::BandLimitChannel(int channel, float* samples, int frames)
{
    ChannelFilters* filters = Channel(channel);
    if (!filters || !samples || frames <= 0)
        return;
    if (filters->riaa.m_filter.m_bEnabled)
    {
        filters->riaa.m_dSampleRate = m_nSampleRate;
        filters->riaa.Process(samples, frames);
    }
    const std::size_t shared = channel == 0 ? 0 : 1;
    if (m_bBandPass)
        m_bandPass[shared].Process(samples, frames);
    if (m_bNotch)
        m_notch[shared].Process(samples, frames);
    if (m_bThirdOctave)
        m_thirdOctave[shared].Process(samples, frames);
    // Only the first two channels have an octave filter.
    if (m_bOctave && channel < 2)
        m_octave[static_cast<std::size_t>(channel)].Process(samples, frames);
    if (filters->delay.m_bEnabled)
        filters->delay.Process(samples, frames);
}
