// Plug-Ins > Time correlation on the real engine with the simulated 1 kHz input: the window shows
// the correlation over the time lag, whose magnitude follows |cos(2π f τ)| of a sine: largest at lag
// 0 and at whole periods, nothing at a quarter period.
#include <gtest/gtest.h>
#include <wx/app.h>

#include <algorithm>
#include <cmath>

#include "engine/AudioInSim.h"
#include "tests/app/MainFrameFixture.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"

namespace
{

class TimeCorrelationMenuTest : public testsupport::EngineFrameFixture
{
};

TEST_F(TimeCorrelationMenuTest, ShowsTheSinesCorrelationOverTheLag)
{
    CSndView* view = NewWindowOnSimulatedInput();
    ASSERT_NE(view, nullptr);
    m_engine.SetFftSize(4096);
    m_engine.m_bWindowEnable = 1;
    m_engine.m_nWindowType = 3;
    m_engine.m_nWeightingType = 1;
    g_bDisplayRestart = 1;
    m_engine.m_bProcessingEnabled.store(1);

    RunCommand(view_command::kTimeCorrelation);
    EXPECT_EQ(view->GetViewMode(), 7);
    // Rectangular blocks (opening the input sets the window-enable flag again; type 0 is the
    // rectangular window).
    EXPECT_EQ(m_engine.m_nWindowType, 0);
    EXPECT_EQ(m_engine.m_nWeightingType, 0);
    EXPECT_TRUE(view->IsTimeAxis());

    const long start = m_engine.m_nAnalysisCounter.load();
    ASSERT_TRUE(PumpUntil([&] { return m_engine.m_nAnalysisCounter.load() > start + 3; }, 8000));
    ASSERT_TRUE(PumpUntil([&] { return view->GetPlot().GetPointCount() == 4096; }, 5000));
    const float* curve = view->GetPlot().GetChannelData(0);
    ASSERT_NE(curve, nullptr);
    // Lag 0 sits in the middle of the 4096 points; a 1 kHz period is 48 samples at 48 kHz.
    const int zero = 2048;
    const float largest = *std::max_element(curve, curve + 4096);
    ASSERT_GT(largest, 0.0f);
    EXPECT_NEAR(curve[zero], largest, 0.02 * largest);
    EXPECT_NEAR(curve[zero + 48], curve[zero], 0.05 * largest);
    EXPECT_NEAR(curve[zero - 48], curve[zero], 0.05 * largest);
    EXPECT_LT(curve[zero + 12], 0.05 * largest);
    EXPECT_LT(curve[zero - 12], 0.05 * largest);
    m_engine.StopInput();
}

}  // namespace
