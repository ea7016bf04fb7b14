#include "common/settings/WindowSettings.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/Archive.h"
#include "tests/support/ArchiveBytes.h"
#include "tests/support/FileBytes.h"

using testsupport::FromHex;
using testsupport::Hex;
using testsupport::LoadBytes;
using testsupport::StoreBytes;

namespace
{

// A child frame that only keeps its state, as the container's frames will.
class FakeFrame : public CPlacedWindow
{
public:
    ChildFrameState GetFrameState() const override { return m_state; }
    void SetFrameState(const ChildFrameState& state) override
    {
        m_state = state;
        ++m_applied;
    }
    ChildFrameState m_state;
    int m_applied = 0;
};

std::string HexOf(const std::vector<std::uint8_t>& bytes)
{
    return Hex(testsupport::AsString(bytes));
}

}  // namespace

TEST(WindowSettings, NewRecordStoresHiddenAndEmptyIn84Bytes)
{
    CWindow_settings record;
    const auto bytes = StoreBytes(record);
    ASSERT_EQ(bytes.size(), CWindow_settings::kStoredBytes);
    std::vector<std::uint8_t> expected(84, 0);
    expected[80] = 1;  // hidden
    EXPECT_EQ(HexOf(bytes), HexOf(expected));
}

TEST(WindowSettings, CapturedMaximisedFrameGivesGoldenBytes)
{
    auto frame = std::make_shared<FakeFrame>();
    frame->m_state = {true, false, true, {10, 20, 110, 220}, {0, 0, 800, 600}};
    CWindow_settings record;
    record.Capture(frame);
    EXPECT_EQ(record.m_bValid, 1);
    // length 44, flags 0, show maximised 3, min and max points 0, normal rectangle, current
    // rectangle, four reserved words, style visible|maximised, hidden 0.
    const auto expected = FromHex(
        "2c 00 00 00 00 00 00 00 03 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
        "0a 00 00 00 14 00 00 00 6e 00 00 00 dc 00 00 00"
        "00 00 00 00 00 00 00 00 20 03 00 00 58 02 00 00"
        "00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00"
        "00 00 00 11 00 00 00 00");
    EXPECT_EQ(HexOf(StoreBytes(record)), HexOf(expected));
}

TEST(WindowSettings, RestoreOnlyAppliesALoadedRecord)
{
    auto frame = std::make_shared<FakeFrame>();
    frame->m_state = {true, false, false, {1, 2, 3, 4}, {1, 2, 3, 4}};
    CWindow_settings built;
    EXPECT_EQ(built.Restore(frame), 0);
    EXPECT_EQ(frame->m_applied, 0);

    struct Case
    {
        ChildFrameState captured;
        bool visible;
        bool maximised;
    };
    const Case cases[] = {
        {{false, false, false, {5, 6, 50, 60}, {5, 6, 50, 60}}, false, false},
        {{true, false, true, {5, 6, 50, 60}, {0, 0, 640, 480}}, true, true},
        {{true, false, false, {7, 8, 70, 80}, {7, 8, 70, 80}}, true, false},
    };
    for (const Case& c : cases)
    {
        auto source = std::make_shared<FakeFrame>();
        source->m_state = c.captured;
        CWindow_settings stored;
        stored.Capture(source);
        EXPECT_EQ(stored.m_bHidden, c.visible ? 0 : 1);
        const auto bytes = StoreBytes(stored);

        CWindow_settings loaded;
        LoadBytes(loaded, bytes);
        EXPECT_EQ(loaded.m_bLoaded, 1);
        auto target = std::make_shared<FakeFrame>();
        loaded.Restore(target);
        EXPECT_EQ(target->m_applied, 1);
        EXPECT_EQ(target->m_state.visible, c.visible);
        EXPECT_EQ(target->m_state.maximised, c.maximised);
        EXPECT_EQ(target->m_state.normal, c.captured.normal);
    }
}

TEST(WindowSettings, VanishedWindowKeepsTheLastCapture)
{
    CWindow_settings record;
    std::vector<std::uint8_t> before;
    {
        auto frame = std::make_shared<FakeFrame>();
        frame->m_state = {true, false, false, {1, 2, 30, 40}, {1, 2, 30, 40}};
        record.Capture(frame);
        before = StoreBytes(record);
        EXPECT_EQ(record.m_bValid, 1);
    }
    // The frame is gone: storing captures again, finds nothing and writes the previous values.
    EXPECT_EQ(StoreBytes(record), before);
    EXPECT_EQ(record.m_bValid, 0);
}

TEST(WindowSettings, ShortStreamThrowsAndLeavesTheRecord)
{
    CWindow_settings source;
    source.m_rect = {1, 2, 3, 4};
    const auto bytes = StoreBytes(source);
    for (std::size_t cut = 0; cut < bytes.size(); ++cut)
    {
        CWindow_settings record;
        EXPECT_THROW(LoadBytes(record, std::span(bytes.data(), cut)), platform::ArchiveError) << cut;
        EXPECT_EQ(record.m_bLoaded, 0);
        EXPECT_EQ(record.m_rect, WindowRect{});
    }
}
