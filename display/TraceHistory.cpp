#include "display/TraceHistory.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace
{

// Slots hold whole 32-bit words.
std::size_t RoundUpToWord(int bytes)
{
    return (static_cast<std::size_t>(bytes) + 3) & ~std::size_t{3};
}

int BlendComponent(int n, int slots, int from, int to)
{
    // The whole expression is truncated, not only the quotient: a falling component lands on the
    // lower neighbour.
    return static_cast<int>(std::trunc(static_cast<double>(n) * (to - from) / slots + from));
}

}  // namespace

bool CTraceHistory::Init(int slotCount, int itemBytes)
{
    if (slotCount < 1 || slotCount > kMaxSlots || itemBytes < 1 || itemBytes > kMaxItemBytes ||
        static_cast<std::size_t>(slotCount) * RoundUpToWord(itemBytes) > kMaxCapacity)
    {
        Free();
        return false;
    }
    const std::size_t needed = static_cast<std::size_t>(slotCount) * RoundUpToWord(itemBytes);
    if (m_buffer.size() < needed)
    {
        m_buffer.clear();
        m_buffer.shrink_to_fit();
        m_buffer.assign(std::max(needed, kMinimumCapacity), 0);
    }
    m_nFill = 0;
    m_nHead = 0;
    m_nReserved = 0;
    m_nSlots = slotCount;
    m_nItemBytes = itemBytes;
    return true;
}

void CTraceHistory::Free()
{
    m_buffer.clear();
    m_buffer.shrink_to_fit();
    m_nItemBytes = 0;
    m_nFill = 0;
    m_nReserved = 0;
    m_nHead = 0;
    m_nSlots = 0;
}

int CTraceHistory::Wrap(int k) const
{
    if (m_nSlots <= 0)
        return 0;
    const int wrapped = k % m_nSlots;
    return wrapped < 0 ? wrapped + m_nSlots : wrapped;
}

const std::uint8_t* CTraceHistory::GetSlot(int i) const
{
    if (m_buffer.empty() || i < 0 || i >= m_nSlots)
        return nullptr;
    return m_buffer.data() +
           static_cast<std::size_t>(i) * m_buffer.size() / static_cast<std::size_t>(m_nSlots);
}

std::uint8_t* CTraceHistory::SlotAddress(int i)
{
    return const_cast<std::uint8_t*>(GetSlot(i));
}

void CTraceHistory::Push(std::span<const std::uint8_t> item)
{
    if (m_buffer.empty() || m_nSlots <= 0)
        return;
    std::uint8_t* slot = SlotAddress(m_nHead);
    const std::size_t itemBytes = static_cast<std::size_t>(m_nItemBytes);
    // Only the caller's bytes are read; a short item leaves zeros, not the previous trace.
    const std::size_t copied = std::min(item.size(), itemBytes);
    if (copied > 0)
        std::memcpy(slot, item.data(), copied);
    std::memset(slot + copied, 0, itemBytes - copied);
    m_nHead = Wrap(m_nHead + 1);
    m_nFill = std::min(m_nFill + 1, m_nSlots);
}

void CTraceHistory::Push(std::span<const TracePoint> points)
{
    const auto bytes = std::as_bytes(points);
    Push(std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

COLORREF CTraceHistory::TraceColor(int n, COLORREF from, COLORREF to, ColorMapFunction colorMap) const
{
    if (m_nSlots <= 0)
        return from;
    if (colorMap)
    {
        // A single slot would make the range empty; its one trace is the newest and takes the
        // map's high end all the same.
        const double high = std::max(m_nSlots - 1, 1);
        return colorMap(n, high, 0.0);
    }
    return RgbColor(BlendComponent(n, m_nSlots, RedOf(from), RedOf(to)),
                    BlendComponent(n, m_nSlots, GreenOf(from), GreenOf(to)),
                    BlendComponent(n, m_nSlots, BlueOf(from), BlueOf(to)));
}

void CTraceHistory::Draw(TracePainter& painter, int pointCount, COLORREF from, COLORREF to,
                         ColorMapFunction colorMap) const
{
    if (m_buffer.empty() || m_nFill == 0)
        return;
    // A slot holds item-size bytes; more points than that would read the next slot or past the buffer.
    const int count = std::clamp(pointCount, 0, m_nItemBytes / static_cast<int>(sizeof(TracePoint)));
    if (count == 0)
        return;
    // Slots need not be aligned for points, so each trace is copied out first.
    std::vector<TracePoint> points(static_cast<std::size_t>(count));
    for (int n = m_nFill - 1; n >= 0; --n)
    {
        std::memcpy(points.data(), GetSlot(Wrap(m_nHead - n - 1)), points.size() * sizeof(TracePoint));
        painter.Polyline(points, TraceColor(n, from, to, colorMap), kTracePenWidth);
    }
}
