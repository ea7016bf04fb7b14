#include <gtest/gtest.h>

#include <array>
#include <string>
#include <vector>

#include "engine/GeneratorMatrix.h"
#include "tests/view/ViewFixture.h"
#include "view/SndView.h"

namespace
{

TEST(SumThirdOctaveBands, TwentyHertzToTwentyKilohertzGivesTwentyNineBands)
{
    // A flat spectrum of 1 per bin: each band's sum is its bin count.
    const std::vector<float> power(4096, 1.0f);
    std::array<float, 52> centres{};
    std::array<float, 52> sums{};
    const int count = SumThirdOctaveBands(centres, sums, power, 48000.0, 20.0, 20000.0);
    ASSERT_EQ(count, 29);
    EXPECT_FLOAT_EQ(centres[0], 25.0f);
    EXPECT_FLOAT_EQ(centres[28], 16000.0f);
    // The 1 kHz band: bins 2 · 4096 · 891 / 48000 … 2 · 4096 · 1122 / 48000.
    EXPECT_FLOAT_EQ(centres[16], 1000.0f);
    const double e = std::pow(2.0, 1.0 / 6.0);
    const int first = static_cast<int>(2.0 * 4096 * 1000.0 / e / 48000.0);
    const int end = static_cast<int>(2.0 * 4096 * 1000.0 * e / 48000.0);
    EXPECT_FLOAT_EQ(sums[16], static_cast<float>(end - first));
}

TEST(SumThirdOctaveBands, BandsAboveHalfTheRateReadNoBinsOutsideTheSpectrum)
{
    const std::vector<float> power(1024, 1.0f);
    std::array<float, 52> centres{};
    std::array<float, 52> sums{};
    // At 8 kHz half the rate is 4 kHz; bands up to 20 kHz would reach bin 5120.
    const int count = SumThirdOctaveBands(centres, sums, power, 8000.0, 20.0, 20000.0);
    ASSERT_EQ(count, 29);
    float total = 0.0f;
    for (int i = 0; i < count; ++i)
        total += sums[static_cast<std::size_t>(i)];
    EXPECT_LE(total, 1024.0f);
    EXPECT_FLOAT_EQ(sums[28], 0.0f);
    // Outputs too small for every band take what fits.
    std::array<float, 4> few{};
    std::array<float, 4> fewSums{};
    EXPECT_EQ(SumThirdOctaveBands(few, fewSums, power, 8000.0, 20.0, 20000.0), 4);
    EXPECT_EQ(SumThirdOctaveBands(few, fewSums, power, 0.0, 20.0, 20000.0), 0);
}

// The toolbar list as the main frame fills it, with a frame that keeps its selection.
class SmoothingFrame : public viewtest::FakeViewFrame
{
public:
    int GetSmoothingEntry() const override { return m_nEntry; }
    void SelectSmoothingEntry(int index) override
    {
        m_nEntry = index;
        ++m_nSelections;
    }
    int m_nEntry = 0;
    int m_nSelections = 0;
};

class SndViewOptions : public viewtest::ViewFixture
{
protected:
    SndViewOptions() { m_document.m_pFrame = &m_smoothingFrame; }
    const std::vector<std::string> m_names = {"Off",  "1/1",  "1/3",  "1/6",  "1/10",
                                              "1/12", "1/24", "1/32", "Other"};
    SmoothingFrame m_smoothingFrame;
};

TEST_F(SndViewOptions, SmoothingListSetsTheEngine)
{
    CSndView& view = MakeView();
    CSoundIn& engine = view.GetEngine();
    struct Step
    {
        std::string text;
        int smoothing, width;
    };
    const Step steps[] = {
        {"1/6", 1, 6},  {"1/24", 1, 24}, {"Other", 1, 24},
        {"Off", 0, 24}, {"1/3", 1, 3},   {"no such entry", 0, 3},
    };
    for (const Step& s : steps)
    {
        SCOPED_TRACE(s.text);
        EXPECT_EQ(view.OnSmoothingSelected(s.text, m_names), 0);
        EXPECT_EQ(engine.m_bSmoothing, s.smoothing);
        EXPECT_EQ(engine.m_nSmoothingOctaves, s.width);
    }
}

TEST_F(SndViewOptions, SmoothingListFollowsTheEngine)
{
    CSndView& view = MakeView();
    CSoundIn& engine = view.GetEngine();
    engine.m_bSmoothing = 1;
    engine.m_nSmoothingOctaves = 12;
    view.UpdateSmoothingList();
    EXPECT_EQ(m_smoothingFrame.m_nEntry, 5);
    // A width no entry has: "Other".
    engine.m_nSmoothingOctaves = 5;
    view.UpdateSmoothingList();
    EXPECT_EQ(m_smoothingFrame.m_nEntry, 8);
    engine.m_bSmoothing = 0;
    view.UpdateSmoothingList();
    EXPECT_EQ(m_smoothingFrame.m_nEntry, 0);
    // Nothing changes while the list already shows the value.
    const int selections = m_smoothingFrame.m_nSelections;
    view.UpdateSmoothingList();
    EXPECT_EQ(m_smoothingFrame.m_nSelections, selections);
    EXPECT_EQ(view.SmoothingListEntry(0), 0);
    engine.m_bSmoothing = 1;
    engine.m_nSmoothingOctaves = 3;
    EXPECT_EQ(view.SmoothingListEntry(2), 2);
    EXPECT_EQ(view.SmoothingListEntry(7), 2);
    EXPECT_EQ(view.SmoothingListEntry(-1), 2);
}

TEST_F(SndViewOptions, FrequencyLinksToggle)
{
    CSndView& view = MakeView();
    CGeneratorMatrix& matrix = view.GetEngine().m_generatorMatrix;
    using namespace view_command;
    ASSERT_EQ(matrix.m_coupling, CGeneratorMatrix::kCouplingNone);
    EXPECT_TRUE(view.OnCommand(kLinkFrequencyFactor));
    EXPECT_EQ(matrix.m_coupling, CGeneratorMatrix::kCouplingRatio);
    EXPECT_TRUE(view.IsCommandChecked(kLinkFrequencyFactor));
    EXPECT_FALSE(view.IsCommandChecked(kLinkFrequencyDiff));
    // Diff while the factor link is on switches to diff; again, it ends the link.
    EXPECT_TRUE(view.OnCommand(kLinkFrequencyDiff));
    EXPECT_EQ(matrix.m_coupling, CGeneratorMatrix::kCouplingOffset);
    EXPECT_TRUE(view.IsCommandChecked(kLinkFrequencyDiff));
    EXPECT_FALSE(view.IsCommandChecked(kLinkFrequencyFactor));
    EXPECT_EQ(matrix.m_master_index, 0);
    view.OnCommand(kLinkFrequencyDiff);
    EXPECT_EQ(matrix.m_coupling, CGeneratorMatrix::kCouplingNone);
    view.OnCommand(kLinkFrequencyFactor);
    view.OnCommand(kLinkFrequencyFactor);
    EXPECT_EQ(matrix.m_coupling, CGeneratorMatrix::kCouplingNone);
}

TEST_F(SndViewOptions, CustomReportShowsItsNote)
{
    CSndView& view = MakeView();
    EXPECT_TRUE(view.OnCommand(view_command::kCustomReport));
    ASSERT_EQ(m_smoothingFrame.m_messages.size(), 1u);
    EXPECT_NE(m_smoothingFrame.m_messages[0].find("Custom measurement reports"), std::string::npos);
}

TEST_F(SndViewOptions, ResetCustomPlotEmptiesWhatTheLastFillLeft)
{
    CSndView& view = MakeView();
    CCustomPlot& plot = view.GetCustomPlot();
    plot.m_nPoints = 29;
    plot.m_nCurves = 2;
    plot.m_dXStep = 0.5;
    plot.m_strXTitle = "Frequency [Hz]";
    plot.m_strYTitle = "Attenuation [dB]";
    plot.m_strTitle3 = "a";
    plot.m_strTitle4 = "b";
    plot.m_bTimeAxis = 1;
    plot.m_bFrequencyAxis = 1;
    plot.m_range.m_dXMin = 18.0;
    plot.m_range.m_dXMax = 22000.0;
    plot.m_range.m_bXLog = 1;

    view.ResetCustomPlot();
    EXPECT_EQ(plot.m_nPoints, 0);
    EXPECT_EQ(plot.m_nCurves, 0);
    EXPECT_EQ(plot.m_dXStep, 0.0);
    EXPECT_TRUE(plot.m_strXTitle.empty() && plot.m_strYTitle.empty());
    EXPECT_TRUE(plot.m_strTitle3.empty() && plot.m_strTitle4.empty());
    EXPECT_EQ(plot.m_bTimeAxis, 0);
    EXPECT_EQ(plot.m_bFrequencyAxis, 0);
    EXPECT_EQ(plot.m_range.m_dXMin, 0.0);
    EXPECT_EQ(plot.m_range.m_dXMax, 1.0);
    EXPECT_EQ(plot.m_range.m_bXLog, 0);
}

}  // namespace
