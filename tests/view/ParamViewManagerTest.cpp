#include "view/ParamViewManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "display/settings/ViewSettings.h"
#include "platform/Archive.h"

namespace
{

// A window that remembers where it is and how often it was painted.
class FakeParamViewWindow : public CParamViewWindow
{
public:
    void ShowWindow() override { m_bShown = true; }
    bool IsWindowShown() const override { return m_bShown; }
    void Repaint() override { ++m_nRepaints; }
    void GetPlacement(int& x, int& y, int& width, int& height) const override
    {
        x = m_x;
        y = m_y;
        width = m_width;
        height = m_height;
    }
    void SetPlacement(int x, int y, int width, int height) override
    {
        m_x = x;
        m_y = y;
        m_width = width;
        m_height = height;
    }
    bool m_bShown = false;
    int m_nRepaints = 0;
    int m_x = 0, m_y = 0, m_width = 160, m_height = 60;
};

class ParamViewManagerTest : public ::testing::Test
{
protected:
    ParamViewManagerTest()
    {
        m_manager.SetWindowFactory(
            [this](CParamViewState&)
            {
                auto window = std::make_unique<FakeParamViewWindow>();
                m_windows.push_back(window.get());
                return window;
            });
    }
    FakeParamViewWindow& Window(int i) { return *static_cast<FakeParamViewWindow*>(m_manager.GetWindow(i)); }

    CParamViewManager m_manager;
    std::vector<FakeParamViewWindow*> m_windows;
};

TEST_F(ParamViewManagerTest, SixteenAtMost)
{
    for (int i = 1; i <= 16; ++i)
        EXPECT_EQ(m_manager.AddParamView(), i);
    EXPECT_EQ(m_manager.AddParamView(), 16);
    EXPECT_EQ(m_windows.size(), 16u) << "the 17th window is never made";
    EXPECT_TRUE(Window(15).m_bShown);
    m_manager.RemoveAll();
    EXPECT_EQ(m_manager.GetCount(), 0);
}

TEST_F(ParamViewManagerTest, UpdateShowsTheParameterAndItsChannel)
{
    m_manager.AddParamView();
    CParamViewState& state = m_manager.GetState(0);
    EXPECT_EQ(state.nParameter, 2);
    CParamResults results;
    results.m_adThdN[1] = 0.01;
    state.nChannel = 1;
    m_manager.UpdateAll(results);
    EXPECT_EQ(state.strTitle, "2:THD+N");
    EXPECT_EQ(state.meter.strValueText, "-40.00dB");
    EXPECT_EQ(state.meter.bValid, 1);
    EXPECT_EQ(Window(0).m_nRepaints, 1);
    // A parameter change resets the readings and the scale.
    state.meter.dMinimum = -50.0;
    state.nParameter = 3;
    m_manager.UpdateAll(results);
    EXPECT_EQ(state.meter.dMinimum, MeterState::kNoReading);
    EXPECT_EQ(state.scale.nScaleMode, ParamScale::kLinearPercent);
    EXPECT_EQ(state.meter.strValueText, "1.0000%");
    // LEQ presets its readings from LEQ min and max.
    results.m_adLeq[1] = 0.01;
    results.m_adLeqMin[1] = 0.001;
    results.m_adLeqMax[1] = 0.1;
    state.nParameter = 17;
    m_manager.UpdateAll(results);
    EXPECT_EQ(state.meter.nMinUpdateMode, 2);
    EXPECT_DOUBLE_EQ(state.meter.dMinimum, -30.0);
    EXPECT_DOUBLE_EQ(state.meter.dMaximum, -10.0);
}

TEST_F(ParamViewManagerTest, ArrangeLinesUpTheShownWindows)
{
    m_manager.AddParamView();
    m_manager.AddParamView();
    m_manager.AddParamView();
    Window(1).m_width = 200;
    Window(2).m_bShown = false;
    m_manager.ArrangeSideBySide(100, 40);
    EXPECT_EQ(Window(0).m_x, 100);
    EXPECT_EQ(Window(1).m_x, 260);
    EXPECT_EQ(Window(1).m_y, 40);
    EXPECT_EQ(Window(1).m_width, 200);
    EXPECT_EQ(Window(2).m_x, 0) << "a hidden window stays";
}

TEST_F(ParamViewManagerTest, SavedWorkspaceRestoresTheWindows)
{
    m_manager.AddParamView();
    m_manager.AddParamView();
    CParamViewState& second = m_manager.GetState(1);
    second.nParameter = 38;
    second.nChannel = 3;
    second.meter.bBarEnable = 1;
    second.meter.dScaleMin = -180.0;
    second.meter.dScaleMax = 180.0;
    second.meter.crBackground = 0x102030;
    second.meter.nFontSize = 24;
    second.meter.strLabel = "Phase";
    Window(1).SetPlacement(300, 200, 180, 70);

    CViewSettings settings;
    settings.m_ParamViews[5].m_bInUse = 1;  // a stale slot is cleared by the save
    m_manager.SaveToSettings(settings);
    CArchive store;
    settings.Serialize(store);
    store.Flush();
    CViewSettings loaded;
    CArchive load(store.Buffer());
    loaded.Serialize(load);

    CParamViewManager restored;
    std::vector<FakeParamViewWindow*> windows;
    restored.SetWindowFactory(
        [&windows](CParamViewState&)
        {
            auto window = std::make_unique<FakeParamViewWindow>();
            windows.push_back(window.get());
            return window;
        });
    restored.RestoreFromSettings(loaded);
    ASSERT_EQ(restored.GetCount(), 2);
    const CParamViewState& back = restored.GetState(1);
    EXPECT_EQ(back.nParameter, 38);
    EXPECT_EQ(back.nChannel, 3);
    EXPECT_EQ(back.meter.bBarEnable, 1);
    EXPECT_EQ(back.meter.dScaleMin, -180.0);
    EXPECT_EQ(back.meter.crBackground, 0x102030u);
    EXPECT_EQ(back.meter.nFontSize, 24);
    EXPECT_EQ(back.meter.strLabel, "Phase");
    ASSERT_EQ(windows.size(), 2u);
    EXPECT_EQ(windows[1]->m_x, 300);
    EXPECT_EQ(windows[1]->m_width, 180);
    EXPECT_TRUE(windows[1]->m_bShown);
    for (const CParamView_settings& slot : loaded.m_ParamViews)
        EXPECT_EQ(slot.m_bInUse, 0) << "used flags are cleared after the restore";
}

}  // namespace
