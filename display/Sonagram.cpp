#include "display/Sonagram.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "common/Log10.h"
#include "display/ColorMap.h"
#include "dsp/Fft.h"

namespace
{

bool Reversed(const CAxisText& record)
{
    return record.m_nValue8 != 0;
}

}  // namespace

bool CSonagram::ParamsEqual(const Params& a, const Params& b)
{
    // The reverse flags are not part of the axis-text equality but turn the picture.
    return a.width == b.width && a.height == b.height && a.rect == b.rect && a.orientation == b.orientation &&
           a.frequency == b.frequency && a.time == b.time && a.level == b.level &&
           Reversed(a.frequency) == Reversed(b.frequency) && Reversed(a.time) == Reversed(b.time) &&
           a.copied == b.copied && a.sampleRate == b.sampleRate && a.sampleCount == b.sampleCount &&
           a.rows == b.rows && a.fftLength == b.fftLength && a.columns == b.columns && a.samples == b.samples;
}

CSonagram::Params CSonagram::CurrentParams() const
{
    Params p;
    p.width = m_nWidth;
    p.height = m_nHeight;
    p.rect = m_rect;
    p.orientation = m_nOrientation;
    p.frequency = m_frequency;
    p.time = m_time;
    p.level = m_level;
    p.copied = m_anCopied;
    p.sampleRate = m_dSampleRate;
    p.sampleCount = m_nSampleCount;
    p.rows = m_nOrientation == 0 ? m_nHeight : m_nWidth;
    p.fftLength = m_nFftLength;
    p.columns = m_nOrientation == 0 ? m_nWidth : m_nHeight;
    p.samples = m_pSamples;
    return p;
}

void CSonagram::SetSize(int width, int height, int colorMode)
{
    if (width != m_nWidth || height != m_nHeight)
        Stop();
    m_nWidth = std::max(0, width);
    m_nHeight = std::max(0, height);
    if (m_dib.Create(m_nWidth, m_nHeight))
        m_abyIndices.assign(static_cast<std::size_t>(m_nWidth) * static_cast<std::size_t>(m_nHeight), 0);
    else
    {
        m_nWidth = 0;
        m_nHeight = 0;
        m_abyIndices.clear();
    }
    for (int i = 0; i < kColors; ++i)
        m_colorTable[static_cast<std::size_t>(i)] =
            colorMode < 1 ? static_cast<std::uint32_t>(i) * 0x010101u : ColorMapBgr(i, 0.0, 255.0);
    // Black pixels carry index 0.
    std::fill(m_dib.Pixels().begin(), m_dib.Pixels().end(), m_colorTable[0]);
}

void CSonagram::Stop()
{
    m_nWidth = 0;
    m_nHeight = 0;
    m_dib.Release();
    m_abyIndices.clear();
    m_abyIndices.shrink_to_fit();
}

void CSonagram::Put(int x, int y, int index)
{
    const std::size_t at =
        static_cast<std::size_t>(x) + static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth);
    m_abyIndices[at] = static_cast<std::uint8_t>(index);
    m_dib.Pixels()[at] = m_colorTable[static_cast<std::size_t>(index)];
}

void CSonagram::BuildColumnMap()
{
    // Sized to the picture: a wide window or a printer page has as many columns as it needs.
    m_anColumnMap.assign(static_cast<std::size_t>(std::max(0, m_nColumns)), 0);
    const double fMin = m_frequency.m_dValue1;
    const double fMax = m_frequency.m_dValue2;
    const double binWidth = m_dSampleRate / std::max(1, m_nFftLength);
    const bool logarithmic = m_frequency.m_nValue2 == 1 && fMin > 0.0 && fMax > 0.0;
    const double decades = logarithmic ? std::log10(fMax / fMin) : 0.0;
    const int lastBin = std::max(0, m_nFftLength / 2 - 1);
    for (int i = 0; i < m_nColumns; ++i)
    {
        const double f = logarithmic ? fMin * std::pow(10.0, i * decades / m_nColumns)
                                     : fMin + (fMax - fMin) * i / m_nColumns;
        const double bin = binWidth > 0.0 ? f / binWidth : 0.0;
        m_anColumnMap[static_cast<std::size_t>(i)] =
            std::isfinite(bin) ? std::clamp(static_cast<int>(bin), 0, lastBin) : 0;
    }
}

void CSonagram::ComputeRows()
{
    const int count = std::max(0, m_nSampleCount);
    const int n = m_nFftLength;
    m_afSegment.resize(static_cast<std::size_t>(n));
    int s0 = static_cast<int>(m_time.m_dValue1 * m_dSampleRate);
    if (s0 < 0 || s0 > count - 1)
        s0 = 0;
    int s1 = count - 1;
    const bool windowed = m_time.m_dValue2 > m_time.m_dValue1;
    if (windowed)
    {
        const double last = m_time.m_dValue2 * m_dSampleRate;
        s1 = last >= 0.0 && last <= count - 1 ? static_cast<int>(last) : count - 1;
    }
    const int hop = windowed ? (s1 - s0) / m_nRows : count / m_nRows;
    const double levelMin = m_level.m_dValue1;
    const double levelMax = m_level.m_dValue2;
    const double perDb = levelMax != levelMin ? 255.0 / (levelMax - levelMin) : 0.0;
    const bool reverseTime = Reversed(m_time);
    const bool reverseFrequency = Reversed(m_frequency);
    const float scale = 1.0f / (static_cast<float>(n) * static_cast<float>(n));

    for (int r = 0; r < m_nRows; ++r)
    {
        const int start = s0 + r * hop;
        const int available = std::clamp(s1 + 1 - start, 0, n);
        if (available > 0)
            std::memcpy(m_afSegment.data(), m_pSamples + start,
                        static_cast<std::size_t>(available) * sizeof(float));
        std::fill(m_afSegment.begin() + available, m_afSegment.end(), 0.0f);
        // The power spectrum's values of the mapped bins only (the phases are never shown): from
        // the packed transform, [0] 4 X(0)^2 / N^2 and [k] 2 |X(k)|^2 / N^2.
        RealFft(m_afSegment.data(), n);
        for (int i = 0; i < m_nColumns; ++i)
        {
            const int bin = m_anColumnMap[static_cast<std::size_t>(i)];
            const float re = m_afSegment[static_cast<std::size_t>(bin)];
            const float im = bin > 0 ? m_afSegment[static_cast<std::size_t>(n - bin)] : 0.0f;
            const float power = (bin > 0 ? 2.0f : 4.0f) * (re * re + im * im) * scale;
            const double level = power > 0.0f ? 10.0 * FastLog10(power) : -1000.0;
            const double position = (level - levelMin) * perDb;
            const int index = position > 0.0 ? (position < 255.0 ? static_cast<int>(position) : 255) : 0;
            if (m_nOrientation == 0)
                Put(i, reverseTime ? r : m_nRows - 1 - r, index);
            else
                Put(reverseTime ? m_nRows - 1 - r : r, reverseFrequency ? m_nColumns - 1 - i : i, index);
        }
    }
}

void CSonagram::Compute()
{
    m_nRows = m_nOrientation == 0 ? m_nHeight : m_nWidth;
    m_nColumns = m_nOrientation == 0 ? m_nWidth : m_nHeight;
    if (m_dib.IsEmpty() || m_nRows <= 0 || m_nColumns <= 0)
        return;
    ++m_nComputeCount;
    std::fill(m_abyIndices.begin(), m_abyIndices.end(), 0);
    std::fill(m_dib.Pixels().begin(), m_dib.Pixels().end(), m_colorTable[0]);
    if (m_pSamples == nullptr || m_nSampleCount <= 0 || !(m_dSampleRate > 0.0) ||
        Log2OfPowerOfTwo(m_nFftLength) == 0)
        return;
    BuildColumnMap();
    ComputeRows();
}

int CSonagram::GetScrollDirection() const
{
    const bool reverseTime = Reversed(m_time);
    if (m_nOrientation == 0)
        return reverseTime ? 1 : 0;
    return reverseTime ? 3 : 2;
}

int CSonagram::GetLineLength() const
{
    return m_nOrientation == 0 ? m_nWidth : m_nHeight;
}

void CSonagram::AddLiveLine(std::span<const std::uint8_t> indices, bool hold)
{
    if (m_dib.IsEmpty())
        return;
    const int w = m_nWidth;
    const int h = m_nHeight;
    const std::size_t row = static_cast<std::size_t>(w);
    std::uint32_t* pixels = m_dib.Pixels().data();
    std::uint8_t* marks = m_abyIndices.data();
    const int direction = GetScrollDirection();
    // Rows of the buffer count from the bottom: the bottom edge is row 0.
    if (!hold)
    {
        switch (direction)
        {
            case 0:
                std::memmove(pixels + row, pixels, row * (h - 1) * sizeof(std::uint32_t));
                std::memmove(marks + row, marks, row * (h - 1));
                break;
            case 1:
                std::memmove(pixels, pixels + row, row * (h - 1) * sizeof(std::uint32_t));
                std::memmove(marks, marks + row, row * (h - 1));
                break;
            case 2:
                for (int y = 0; y < h; ++y)
                {
                    std::memmove(pixels + y * row + 1, pixels + y * row, (row - 1) * sizeof(std::uint32_t));
                    std::memmove(marks + y * row + 1, marks + y * row, row - 1);
                }
                break;
            default:
                for (int y = 0; y < h; ++y)
                {
                    std::memmove(pixels + y * row, pixels + y * row + 1, (row - 1) * sizeof(std::uint32_t));
                    std::memmove(marks + y * row, marks + y * row + 1, row - 1);
                }
                break;
        }
    }
    const int length = GetLineLength();
    const bool reverseFrequency = Reversed(m_frequency);
    for (int k = 0; k < length; ++k)
    {
        const int index = k < static_cast<int>(indices.size()) ? indices[static_cast<std::size_t>(k)] : 0;
        switch (direction)
        {
            case 0:
                Put(k, 0, index);
                break;
            case 1:
                Put(k, h - 1, index);
                break;
            case 2:
                Put(0, reverseFrequency ? h - 1 - k : k, index);
                break;
            default:
                Put(w - 1, reverseFrequency ? h - 1 - k : k, index);
                break;
        }
    }
}

int CSonagram::IndexAt(int x, int y) const
{
    if (x < 0 || y < 0 || x >= m_nWidth || y >= m_nHeight || m_abyIndices.empty())
        return 0;
    return m_abyIndices[static_cast<std::size_t>(x) +
                        static_cast<std::size_t>(m_nHeight - 1 - y) * static_cast<std::size_t>(m_nWidth)];
}
