// The "Display properties" command: the values the sheet shows, the range checks that send the
// user back to the sheet, and what OK and Cancel leave behind.
#include "ViewFixture.h"
#include "engine/AudioInSim.h"

#include <gtest/gtest.h>

#include <functional>

namespace
{

using viewtest::FakeViewWindow;
using viewtest::ViewFixture;

// A window whose sheet answers with scripted edits: each call applies the next edit and answers
// OK, or Cancel once the script is used up.
class SheetWindow : public FakeViewWindow
{
public:
    bool EditDisplayProperties(DisplayPropertiesValues& values) override
    {
        shown.push_back(values);
        if (next >= edits.size())
            return false;
        edits[next++](values);
        return true;
    }

    std::vector<std::function<void(DisplayPropertiesValues&)>> edits;
    std::size_t next = 0;
    std::vector<DisplayPropertiesValues> shown;
};

class SndViewProperties : public ViewFixture
{
protected:
    CSndView& MakeSheetView()
    {
        SheetWindow& window = m_window;
        m_engine.m_nSampleRate = 48000;
        m_view = std::make_unique<CSndView>(m_document, m_engine);
        m_view->m_nStopWaitMs = 0;
        m_view->m_nPauseWaitMs = 0;
        m_view->SetWindow(&window);
        m_view->OnInitialUpdate();
        return *m_view;
    }
    // The window outlives its view.
    SheetWindow m_window;
    std::unique_ptr<CSndView> m_view;
};

TEST(CheckAxisRanges, NamesEveryRangeThatIsWrong)
{
    struct Case
    {
        int logX;
        double xMin, xMax, yMin, yMax;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {1, 20.0, 20000.0, -100.0, 0.0, {}},
        {0, -1.0, 100.0, -1.0, 1.0, {"x min must not be negative"}},
        {1,
         -1.0,
         100.0,
         -1.0,
         1.0,
         {"x min must not be negative", "negative x axis range can't be logarithmic"}},
        {0, 10.0, 10.0, 0.0, 1.0, {"x max must be larger than x min"}},
        {0, 0.0, 10.0, 5.0, 1.0, {"y max must be larger than y min"}},
    };
    for (const Case& c : cases)
    {
        DisplayPropertiesValues values;
        values.m_bLogX = c.logX;
        values.m_dXMin = c.xMin;
        values.m_dXMax = c.xMax;
        values.m_dYMin = c.yMin;
        values.m_dYMax = c.yMax;
        EXPECT_EQ(CheckAxisRanges(values), c.messages) << c.xMin << " " << c.logX;
    }
}

TEST_F(SndViewProperties, AWrongRangeReopensTheSheetWithTheEnteredValues)
{
    SheetWindow& window = m_window;
    window.edits = {
        [](DisplayPropertiesValues& v)
        {
            v.m_bLogX = 1;
            v.m_dXMin = -1.0;
        },
        [](DisplayPropertiesValues& v)
        {
            v.m_dXMin = 50.0;
            v.m_dXMax = 30000.0;  // above half the rate
            v.m_nRefreshMs = 250;
            v.m_nMaxHarmonics = 7;
        },
    };
    CSndView& view = MakeSheetView();
    view.OnCommand(view_command::kDisplayProperties);
    // Both messages of the wrong range, then the sheet again with what was entered.
    EXPECT_EQ(m_frame.CountMessages("x min must not be negative"), 1);
    EXPECT_EQ(m_frame.CountMessages("negative x axis range can't be logarithmic"), 1);
    ASSERT_EQ(window.shown.size(), 2u);
    EXPECT_EQ(window.shown[1].m_dXMin, -1.0);
    EXPECT_EQ(window.shown[1].m_bLogX, 1);
    // OK stored the values; x max at half the rate less 100 Hz.
    const CViewSettings& settings = *view.GetSettings();
    EXPECT_EQ(settings.m_Axes.m_dXMin, 50.0);
    EXPECT_EQ(settings.m_Axes.m_dXMax, 0.5 * 48000 - 100.0);
    EXPECT_EQ(settings.m_nRefreshMs, 250);
    EXPECT_EQ(settings.m_nMaxHarmonics, 7);
    // Stopped, the window refreshes at the idle pace; running, at the period just entered.
    EXPECT_EQ(window.m_timers[CSndView::kTimerRefresh], CSndView::kIdleTimerMs);
    EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);
    m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
    m_engine.m_nInputMode = CSoundIn::kInputSimulated;
    view.OnCommand(view_command::kStart);
    EXPECT_EQ(window.m_timers[CSndView::kTimerRefresh], 250);
}

// The spectrogram page shows the plot's sonagram look and sets it: grey map, reversed time and
// frequency, time along x; a change starts the picture anew.
TEST_F(SndViewProperties, SpectrogramPageSetsTheSonagramsLook)
{
    SheetWindow& window = m_window;
    window.edits = {[](DisplayPropertiesValues& v)
                    {
                        v.m_bSonagramGrey = 1;
                        v.m_bSonagramReverseTime = 1;
                        v.m_bSonagramReverseFrequency = 1;
                        v.m_bSonagramSwap = 1;
                    }};
    CSndView& view = MakeSheetView();
    CPlot& plot = view.GetPlot();
    plot.m_sonagram.SetSize(40, 30);
    view.OnCommand(view_command::kDisplayProperties);
    ASSERT_EQ(window.shown.size(), 1u);
    EXPECT_EQ(window.shown[0].m_bSonagramGrey, 0);
    EXPECT_EQ(window.shown[0].m_bSonagramSwap, 0);
    EXPECT_EQ(plot.m_nColorMode, 0);
    EXPECT_EQ(plot.m_sonagram.m_time.m_nValue8, 1);
    EXPECT_EQ(plot.m_sonagram.m_frequency.m_nValue8, 1);
    EXPECT_EQ(plot.m_sonagram.m_nOrientation, 1);
    EXPECT_EQ(plot.m_sonagram.GetWidth(), 0) << "the picture starts anew";
    // The next showing offers what was set.
    view.OnCommand(view_command::kDisplayProperties);
    ASSERT_EQ(window.shown.size(), 2u);
    EXPECT_EQ(window.shown[1].m_bSonagramGrey, 1);
    EXPECT_EQ(window.shown[1].m_bSonagramReverseTime, 1);
    EXPECT_EQ(window.shown[1].m_bSonagramReverseFrequency, 1);
    EXPECT_EQ(window.shown[1].m_bSonagramSwap, 1);
}

TEST_F(SndViewProperties, CancelLeavesEverythingAsItWas)
{
    SheetWindow& window = m_window;
    CSndView& view = MakeSheetView();
    m_engine.m_bProcessingEnabled.store(1);
    const CAxisProp before = [&]
    {
        CAxisProp copy;
        copy.CopyFrom(view.GetSettings()->m_Axes);
        return copy;
    }();
    view.OnCommand(view_command::kDisplayProperties);
    ASSERT_EQ(window.shown.size(), 1u);
    // The sheet showed the axes in force.
    EXPECT_EQ(window.shown[0].m_dXMin, before.m_dXMin);
    EXPECT_EQ(window.shown[0].m_dYMax, before.m_dYMax);
    EXPECT_EQ(view.GetSettings()->m_Axes.m_dXMin, before.m_dXMin);
    EXPECT_EQ(view.GetSettings()->m_Axes.m_dXMax, before.m_dXMax);
    EXPECT_TRUE(m_frame.m_messages.empty());
    EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);
}

}  // namespace

namespace
{
TEST_F(SndViewProperties, The3dStyleWordGoesToTheEngineAndThePlotsFeed)
{
    SheetWindow& window = m_window;
    window.edits = {[](DisplayPropertiesValues& v) { v.m_n3dStyle = 0x14000302; }};
    CSndView& view = MakeSheetView();
    view.OnCommand(view_command::kDisplayProperties);
    ASSERT_EQ(window.shown.size(), 1u);
    EXPECT_EQ(window.shown[0].m_n3dStyle, 0x640000C2u);
    EXPECT_EQ(m_engine.Get3dStyleWord(), 0x14000302u);
    EXPECT_EQ(m_engine.m_stored.reportWords[0], 0x14000302);
    EXPECT_EQ(view.GetPlot().m_waterfall.m_nStyle, 0x14000302u);
}
}  // namespace
