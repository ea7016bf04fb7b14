// The last polylines of one curve, drawn as fading traces behind the live curve. Each plot keeps
// one per curve slot. Used on the user-interface thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "display/ColorPalette.h"

// One stored point of a polyline (two int32, the device-point form).
struct TracePoint
{
    std::int32_t x = 0;
    std::int32_t y = 0;
    friend bool operator==(const TracePoint&, const TracePoint&) = default;
};

// What the history needs of a painter: one polyline in a solid pen.
class TracePainter
{
public:
    virtual ~TracePainter() = default;
    virtual void Polyline(std::span<const TracePoint> points, COLORREF color, int width) = 0;
};

// The sonagram's colour map by value on a range from high to low (ColorMapRgb's form).
using ColorMapFunction = COLORREF (*)(double value, double high, double low);

class CTraceHistory
{
public:
    // The smallest buffer ever allocated, so small changes of the item size reuse it.
    static constexpr std::size_t kMinimumCapacity = 65536;
    // Sizes beyond these are refused by Init.
    static constexpr int kMaxSlots = 4096;
    static constexpr int kMaxItemBytes = 16 * 1024 * 1024;
    static constexpr std::size_t kMaxCapacity = 256 * 1024 * 1024;
    static constexpr int kTracePenWidth = 2;

    CTraceHistory() = default;

    // Prepares n slots of b bytes each; a buffer large enough is reused, else a new one of at least
    // kMinimumCapacity bytes replaces it. Fill and head restart at 0. A slot count or item size
    // outside 1..kMaxSlots / 1..kMaxItemBytes, or slots needing more than kMaxCapacity bytes, free
    // the history and return false.
    bool Init(int slotCount, int itemBytes);
    void Free();
    // Copies one item into the next slot; a shorter item is padded with zeros, a longer one cut
    // to the item size. Nothing happens before Init.
    void Push(std::span<const std::uint8_t> item);
    void Push(std::span<const TracePoint> points);
    // Draws the stored items oldest first, each as a polyline of at most pointCount points (never
    // more than one item holds). With a colour map the oldest trace takes its low end and the
    // newest its high end; without one the colour runs from `from` (newest) toward `to`.
    void Draw(TracePainter& painter, int pointCount, COLORREF from, COLORREF to,
              ColorMapFunction colorMap) const;
    // The colour of the trace n items older than the newest.
    COLORREF TraceColor(int n, COLORREF from, COLORREF to, ColorMapFunction colorMap) const;

    // Start of slot i (i × capacity / slot count); null before Init.
    const std::uint8_t* GetSlot(int i) const;
    // k modulo the slot count in 0..slot count-1, also for negative k; 0 before Init.
    int Wrap(int k) const;

    std::size_t GetCapacity() const { return m_buffer.size(); }
    int GetItemBytes() const { return m_nItemBytes; }
    int GetFill() const { return m_nFill; }
    int GetHead() const { return m_nHead; }
    int GetSlotCount() const { return m_nSlots; }

private:
    std::uint8_t* SlotAddress(int i);

    int m_nItemBytes = 0;
    int m_nFill = 0;
    int m_nReserved = 0;
    int m_nHead = 0;
    int m_nSlots = 0;
    std::vector<std::uint8_t> m_buffer;  // its size is the capacity
};
