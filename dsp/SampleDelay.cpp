#include "dsp/SampleDelay.h"

#include <algorithm>
#include <array>
#include <climits>

namespace
{
constexpr int kMaxChunk = 1 << 20;
constexpr int kMaxDelay = INT_MAX / static_cast<int>(sizeof(float)) - kMaxChunk;
}  // namespace

void CSampleDelay::SetDelay(int samples)
{
    m_nChunk = std::clamp(m_nChunk, 1, kMaxChunk);
    // The ring's size in bytes must stay an int.
    samples = std::clamp(samples, 0, kMaxDelay);
    m_ring.Free();
    m_ring.Allocate((samples + m_nChunk) * static_cast<int>(sizeof(float)));

    static constexpr std::array<float, 64> kZeros{};
    int remaining = samples;
    while (remaining > 0)
    {
        const int piece = std::min(remaining, static_cast<int>(kZeros.size()));
        m_ring.Write(kZeros.data(), piece * static_cast<int>(sizeof(float)));
        remaining -= piece;
    }
    m_nDelay = samples;
}

int CSampleDelay::Process(float* samples, int count)
{
    if (!m_bEnabled || count <= 0)
        return 0;
    // The ring holds the delay plus one chunk; a chunk size changed after SetDelay must not write
    // past unread samples.
    const int chunk = std::min(m_nChunk, m_ring.GetCapacity() / static_cast<int>(sizeof(float)) - m_nDelay);
    if (chunk <= 0)
        return 0;
    for (int done = 0; done < count;)
    {
        const int piece = std::min(count - done, chunk);
        const int bytes = piece * static_cast<int>(sizeof(float));
        m_ring.Write(samples + done, bytes);
        m_ring.Read(samples + done, bytes);
        done += piece;
    }
    return 0;
}

void CSampleDelay::Free()
{
    m_ring.Free();
}
