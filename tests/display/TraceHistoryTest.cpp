#include "display/TraceHistory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{

struct DrawnTrace
{
    std::vector<TracePoint> points;
    COLORREF color;
    int width;
};

struct RecordingPainter : TracePainter
{
    std::vector<DrawnTrace> traces;
    void Polyline(std::span<const TracePoint> points, COLORREF color, int width) override
    {
        traces.push_back({{points.begin(), points.end()}, color, width});
    }
};

// A trace of two points whose coordinates name the item.
std::vector<TracePoint> Item(int id)
{
    return {{id, 10 * id}, {id + 1, 10 * id + 1}};
}

constexpr int kTwoPoints = 2 * sizeof(TracePoint);

TEST(TraceHistory, NewHistoryHoldsAndDrawsNothing)
{
    CTraceHistory history;
    EXPECT_EQ(history.GetCapacity(), 0u);
    EXPECT_EQ(history.GetSlot(0), nullptr);
    EXPECT_EQ(history.Wrap(5), 0);
    history.Push(Item(1));
    EXPECT_EQ(history.GetFill(), 0);
    RecordingPainter painter;
    history.Draw(painter, 2, 0, 0, nullptr);
    EXPECT_TRUE(painter.traces.empty());
}

TEST(TraceHistory, InitSizesTheBuffer)
{
    const struct
    {
        int slots;
        int itemBytes;
        std::size_t capacity;
    } cases[] = {
        {5, 10, 65536},                                // small requests get the minimum buffer
        {100, 1000, 100000},                           // exactly what is needed above it
        {20000 / 8, 5, 65536}, {4000, 17, 4000 * 20},  // items are rounded up to whole words
        {1, 65536, 65536},     {1, 65537, 65540},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.slots << " x " << c.itemBytes);
        CTraceHistory history;
        ASSERT_TRUE(history.Init(c.slots, c.itemBytes));
        EXPECT_EQ(history.GetCapacity(), c.capacity);
        EXPECT_EQ(history.GetSlotCount(), c.slots);
        EXPECT_EQ(history.GetItemBytes(), c.itemBytes);
        // Slot i starts at i * capacity / slots, and the last one ends inside the buffer.
        const std::uint8_t* base = history.GetSlot(0);
        EXPECT_EQ(history.GetSlot(c.slots - 1) - base,
                  static_cast<std::ptrdiff_t>((c.slots - 1) * c.capacity / c.slots));
        EXPECT_LE(static_cast<std::size_t>(history.GetSlot(c.slots - 1) - base) + c.itemBytes, c.capacity);
        EXPECT_EQ(history.GetSlot(c.slots), nullptr);
        EXPECT_EQ(history.GetSlot(-1), nullptr);
    }
}

TEST(TraceHistory, InitWithTheSameOrASmallerSizeKeepsTheBuffer)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(100, 1000));
    const std::uint8_t* buffer = history.GetSlot(0);
    history.Push(Item(1));
    history.Push(Item(2));
    for (auto [slots, bytes] : {std::pair{100, 1000}, std::pair{50, 16}, std::pair{100, 997}})
    {
        ASSERT_TRUE(history.Init(slots, bytes));
        EXPECT_EQ(history.GetSlot(0), buffer);
        EXPECT_EQ(history.GetCapacity(), 100000u);
        EXPECT_EQ(history.GetFill(), 0);
        EXPECT_EQ(history.GetHead(), 0);
    }
    ASSERT_TRUE(history.Init(101, 1000));  // larger: a new buffer
    EXPECT_EQ(history.GetCapacity(), 101000u);
}

TEST(TraceHistory, SizesOutsideTheLimitsAreRefused)
{
    const struct
    {
        int slots;
        int itemBytes;
    } cases[] = {{0, 8},
                 {-1, 8},
                 {5, 0},
                 {5, -8},
                 {CTraceHistory::kMaxSlots + 1, 8},
                 {2, CTraceHistory::kMaxItemBytes + 1},
                 {CTraceHistory::kMaxSlots, CTraceHistory::kMaxItemBytes}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(testing::Message() << c.slots << " x " << c.itemBytes);
        CTraceHistory history;
        ASSERT_TRUE(history.Init(4, kTwoPoints));
        history.Push(Item(1));
        EXPECT_FALSE(history.Init(c.slots, c.itemBytes));
        EXPECT_EQ(history.GetCapacity(), 0u);
        EXPECT_EQ(history.GetSlotCount(), 0);
        history.Push(Item(2));  // harmless after a refusal
        EXPECT_EQ(history.GetFill(), 0);
    }
}

TEST(TraceHistory, WrapIsAlwaysInsideTheSlots)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(5, 8));
    const struct
    {
        int k;
        int expected;
    } cases[] = {{0, 0},  {4, 4},  {5, 0},   {7, 2},       {-1, 4},
                 {-5, 0}, {-6, 4}, {-13, 2}, {INT_MIN, 2}, {INT_MAX, 2}};
    for (const auto& c : cases)
        EXPECT_EQ(history.Wrap(c.k), c.expected) << c.k;
}

TEST(TraceHistory, AfterMorePushesThanSlotsTheLastOnesAreDrawnOldestFirst)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(3, kTwoPoints));
    for (int id = 1; id <= 5; ++id)
        history.Push(Item(id));
    EXPECT_EQ(history.GetFill(), 3);
    EXPECT_EQ(history.GetHead(), 2);

    RecordingPainter painter;
    history.Draw(painter, 2, RgbColor(255, 0, 0), RgbColor(0, 0, 0), nullptr);
    ASSERT_EQ(painter.traces.size(), 3u);
    for (int i = 0; i < 3; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(painter.traces[i].points, Item(3 + i));
        EXPECT_EQ(painter.traces[i].width, 2);
    }
    // Newest in the "from" colour, older ones stepping toward "to" by a third each.
    EXPECT_EQ(painter.traces[2].color, RgbColor(255, 0, 0));
    EXPECT_EQ(painter.traces[1].color, RgbColor(170, 0, 0));
    EXPECT_EQ(painter.traces[0].color, RgbColor(85, 0, 0));
}

TEST(TraceHistory, PartlyFilledHistoryDrawsOnlyWhatWasPushed)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(8, kTwoPoints));
    history.Push(Item(1));
    history.Push(Item(2));
    RecordingPainter painter;
    history.Draw(painter, 2, 0, 0, nullptr);
    ASSERT_EQ(painter.traces.size(), 2u);
    EXPECT_EQ(painter.traces[0].points, Item(1));
    EXPECT_EQ(painter.traces[1].points, Item(2));
}

TEST(TraceHistory, BlendedColourTruncatesTheWholeExpression)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(20, 8));
    const COLORREF from = RgbColor(10, 200, 0);
    const COLORREF to = RgbColor(0, 0, 250);
    const struct
    {
        int n;
        COLORREF expected;
    } cases[] = {
        {0, RgbColor(10, 200, 0)},
        {1, RgbColor(9, 190, 12)},  // 9.5, 190, 12.5
        {10, RgbColor(5, 100, 125)},
        {19, RgbColor(0, 10, 237)},  // 0.5, 10, 237.5
    };
    for (const auto& c : cases)
        EXPECT_EQ(history.TraceColor(c.n, from, to, nullptr), c.expected) << c.n;
}

// Stands in for the sonagram's colour map: encodes where on the range a value lies.
COLORREF FakeColorMap(double value, double high, double low)
{
    return static_cast<COLORREF>(value * 10000 + high * 100 + low);
}

TEST(TraceHistory, ColourMapRunsFromTheOldestSlotToTheNewest)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(4, kTwoPoints));
    for (int id = 1; id <= 4; ++id)
        history.Push(Item(id));
    RecordingPainter painter;
    history.Draw(painter, 2, 0, 0, FakeColorMap);
    ASSERT_EQ(painter.traces.size(), 4u);
    EXPECT_EQ(painter.traces[0].color, FakeColorMap(3, 3, 0));  // oldest: the map's low end
    EXPECT_EQ(painter.traces[3].color, FakeColorMap(0, 3, 0));  // newest: its high end

    // A single slot has no range; its trace still asks for a value the map can place.
    CTraceHistory single;
    ASSERT_TRUE(single.Init(1, kTwoPoints));
    EXPECT_EQ(single.TraceColor(0, 0, 0, FakeColorMap), FakeColorMap(0, 1, 0));
}

TEST(TraceHistory, DrawNeverReadsMorePointsThanAnItemHolds)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(2, kTwoPoints + 3));  // room for two whole points
    history.Push(Item(1));
    const struct
    {
        int pointCount;
        std::size_t drawn;
    } cases[] = {{1, 1}, {2, 2}, {3, 2}, {100000, 2}, {0, 0}, {-5, 0}};
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.pointCount);
        RecordingPainter painter;
        history.Draw(painter, c.pointCount, 0, 0, nullptr);
        if (c.drawn == 0)
        {
            EXPECT_TRUE(painter.traces.empty());
            continue;
        }
        ASSERT_EQ(painter.traces.size(), 1u);
        EXPECT_EQ(painter.traces[0].points.size(), c.drawn);
    }
}

TEST(TraceHistory, PushReadsOnlyTheCallersItem)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(2, kTwoPoints));
    history.Push(Item(7));
    history.Push(Item(8));
    // A one-point item into a slot that held two: the rest becomes zero, not the old trace.
    const TracePoint one[] = {{5, 6}};
    history.Push(std::span<const TracePoint>(one));
    // A longer item is cut to the item size.
    const TracePoint three[] = {{1, 1}, {2, 2}, {3, 3}};
    history.Push(std::span<const TracePoint>(three));

    RecordingPainter painter;
    history.Draw(painter, 2, 0, 0, nullptr);
    ASSERT_EQ(painter.traces.size(), 2u);
    EXPECT_EQ(painter.traces[0].points, (std::vector<TracePoint>{{5, 6}, {0, 0}}));
    EXPECT_EQ(painter.traces[1].points, (std::vector<TracePoint>{{1, 1}, {2, 2}}));

    // Bytes that are not whole points are kept as they are.
    const std::uint8_t raw[] = {1, 0, 0, 0, 2, 0, 0, 0, 3};
    history.Push(std::span<const std::uint8_t>(raw));
    EXPECT_EQ(std::memcmp(history.GetSlot(0), raw, sizeof raw), 0);
    EXPECT_EQ(history.GetSlot(0)[sizeof raw], 0);
}

TEST(TraceHistory, FreeEmptiesTheHistory)
{
    CTraceHistory history;
    ASSERT_TRUE(history.Init(3, kTwoPoints));
    history.Push(Item(1));
    history.Free();
    EXPECT_EQ(history.GetCapacity(), 0u);
    EXPECT_EQ(history.GetFill(), 0);
    RecordingPainter painter;
    history.Draw(painter, 2, 0, 0, nullptr);
    EXPECT_TRUE(painter.traces.empty());
}

}  // namespace
