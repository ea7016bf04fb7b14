#include "view/ui/MeterDlg.h"

#include <gtest/gtest.h>
#include <wx/choice.h>
#include <wx/dialog.h>
#include <wx/frame.h>
#include <wx/image.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "tests/support/WxEnvironment.h"

namespace
{

class ParamViewWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        m_manager.SetWindowFactory([](CParamViewState& state)
                                   { return std::make_unique<CParamViewHandle>(nullptr, state); });
    }
    void TearDown() override
    {
        CParamView::s_runSetup = nullptr;
        m_manager.RemoveAll();
    }

    CParamView& View(int i) { return *static_cast<CParamViewHandle*>(m_manager.GetWindow(i))->GetView(); }

    CParamViewManager m_manager;
};

TEST_F(ParamViewWindowTest, ShowsItsParametersSideBySide)
{
    CParamResults results;
    results.m_adThdN[0] = 0.0031;
    results.m_adRms[0] = 0.5;
    results.m_dPhaseDiff = -200.0;
    m_manager.AddParamView();
    m_manager.AddParamView();
    m_manager.AddParamView();
    m_manager.GetState(1).nParameter = 8;
    CParamViewState& phase = m_manager.GetState(2);
    phase.nParameter = 38;
    phase.meter.bBarEnable = 1;
    phase.meter.dScaleMin = -180.0;
    phase.meter.dScaleMax = 180.0;
    phase.meter.dThreshold = 90.0;
    phase.meter.bMarkerEnable = 1;
    phase.meter.dMarkerValue = 0.0;
    phase.meter.crText = 0xFFFFFF;
    m_manager.UpdateAll(results);
    m_manager.ArrangeSideBySide(20, 30);
    wxYield();
    EXPECT_EQ(View(0).GetTitle(), "1:THD+N");
    EXPECT_EQ(View(1).GetPosition().x, 20 + View(0).GetSize().GetWidth());
    EXPECT_EQ(View(2).GetPosition().y, 30);

    const std::filesystem::path pictures = TESSARIN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(pictures);
    for (int i = 0; i < 3; ++i)
    {
        const wxImage image = View(i).RenderImage();
        ASSERT_TRUE(image.IsOk());
        EXPECT_TRUE(image.SaveFile((pictures / ("paramview-" + std::to_string(i + 1) + ".png")).string(),
                                   wxBITMAP_TYPE_PNG));
    }
    // The phase meter: a bar up to 160° of −180 … 180 (above its threshold, red) on black.
    const wxImage phaseImage = View(2).RenderImage();
    const int barEnd = static_cast<int>((160.0 + 180.0) / 360.0 * phaseImage.GetWidth());
    EXPECT_EQ(phaseImage.GetRed(barEnd - 4, 6), 255);
    EXPECT_EQ(phaseImage.GetGreen(barEnd - 4, 6), 0);
    EXPECT_EQ(phaseImage.GetRed(phaseImage.GetWidth() - 3, phaseImage.GetHeight() / 2 + 10), 0);
}

TEST_F(ParamViewWindowTest, SetupChangesTheParameterAndScale)
{
    m_manager.AddParamView();
    CParamResults results;
    results.m_adRms[1] = 0.25;
    m_manager.UpdateAll(results);
    CParamView::s_runSetup = [](wxDialog& dialog)
    {
        dynamic_cast<wxChoice*>(dialog.FindWindow(539))->SetSelection(8);
        dynamic_cast<wxChoice*>(dialog.FindWindow(543))->SetSelection(1);
        dynamic_cast<wxRadioButton*>(dialog.FindWindow(778))->SetValue(true);
        dynamic_cast<wxTextCtrl*>(dialog.FindWindow(593))->SetValue("Out");
        return static_cast<int>(wxID_OK);
    };
    ASSERT_TRUE(View(0).RunSetup());
    const CParamViewState& state = m_manager.GetState(0);
    EXPECT_EQ(state.nParameter, 8);
    EXPECT_EQ(state.nChannel, 1);
    EXPECT_EQ(state.meter.strLabel, "Out");
    m_manager.UpdateAll(results);
    EXPECT_EQ(state.scale.nScaleMode, ParamScale::kLinear);
    EXPECT_EQ(state.meter.strValueText, "0.2500");
    EXPECT_EQ(View(0).GetTitle(), "2:RMS");

    CParamView::s_runSetup = [](wxDialog&) { return static_cast<int>(wxID_CANCEL); };
    EXPECT_FALSE(View(0).RunSetup());
    EXPECT_EQ(m_manager.GetState(0).nParameter, 8);
}

}  // namespace
