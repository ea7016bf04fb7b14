#include "engine/LevelMonitor.h"

#include <algorithm>

namespace
{

constexpr std::int64_t kMaxHistoryLength = std::int64_t{1} << 24;

// One exponential average with time constant t over values r seconds apart; before t has passed its
// output is the plain mean of the values so far.
void Average(double& state, double& output, double v, double t, double elapsed, double r)
{
    const double a = 1.0 / (1.0 + t / r);
    if (elapsed > t)
    {
        state = (1.0 - a) * state + a * v;
        output = state;
    }
    else
    {
        state += a * v;
        output = (state / a) / (elapsed / r + 1.0);
    }
}

}  // namespace

bool CLevelMonitor::EnsureHistoryBuffers(int channels, std::int64_t length)
{
    if (channels < 1 || channels > kMaxChannels || length < 1 || length > kMaxHistoryLength)
        return false;
    bool missing = length > m_nHistoryLength;
    for (int c = 0; c < channels; ++c)
        missing = missing ||
                  m_channels[static_cast<std::size_t>(c)].history.size() < static_cast<std::size_t>(length);
    if (missing)
    {
        for (auto& ch : m_channels)
            std::vector<float>().swap(ch.history);
        for (int c = 0; c < channels; ++c)
            m_channels[static_cast<std::size_t>(c)].history.assign(static_cast<std::size_t>(length),
                                                                   kEmptyHistoryValue);
    }
    m_nHistoryLength = length;
    Reset();
    return true;
}

void CLevelMonitor::Reset()
{
    for (auto& ch : m_channels)
    {
        std::fill(ch.history.begin(), ch.history.end(), kEmptyHistoryValue);
        std::vector<float> history;
        history.swap(ch.history);
        ch = Channel{};
        ch.history.swap(history);
    }
    m_nWriteIndex = 0;
    m_nValuesCounted = 0;
    m_dShortElapsed = 0.0;
    m_dLongElapsed = 0.0;
    m_dTotalTime = 0.0;
}

void CLevelMonitor::AddValues(std::span<const float> values, std::span<const int> enabled, double interval)
{
    if (interval <= 0.0 || m_nHistoryLength <= 0)
        return;
    const std::size_t channels = std::min({values.size(), enabled.size(), m_channels.size()});
    const auto length = static_cast<std::size_t>(m_nHistoryLength);
    for (std::size_t c = 0; c < channels; ++c)
    {
        if (!enabled[c])
            continue;
        Channel& ch = m_channels[c];
        const double v = values[c];
        ch.stepSum += v;
        ch.energyTotal += v;
        ch.mean = ch.energyTotal / static_cast<double>(m_nValuesCounted + 1);
        Average(ch.shortState, ch.shortOutput, v, m_dShortTime, m_dShortElapsed, interval);
        Average(ch.longState, ch.longOutput, v, m_dLongTime, m_dLongElapsed, interval);
        if (ch.history.size() >= length)
        {
            auto at = static_cast<std::size_t>(m_nWriteIndex);
            if (at >= length)
            {
                // Full: the history scrolls by one value.
                std::copy(ch.history.begin() + 1, ch.history.begin() + static_cast<std::ptrdiff_t>(length),
                          ch.history.begin());
                at = length - 1;
            }
            ch.history[at] = static_cast<float>(ch.stepSum);
        }
        ch.stepSum = 0.0;
        ch.minimum = std::min(ch.minimum, v);
        ch.maximum = std::max(ch.maximum, v);
    }
    m_dShortElapsed += interval;
    m_dLongElapsed += interval;
    m_dTotalTime += interval;
    ++m_nValuesCounted;
    m_nWriteIndex = std::min(m_nWriteIndex + 1, m_nHistoryLength);
}
