// The texts of the "Measurements" readouts from given curve statistics: the number formats, the
// limits that turn a value into "--", "invalid" or "no value", and which curve each window follows.
#include "ViewFixture.h"

#include <gtest/gtest.h>

namespace
{

using viewtest::ViewFixture;
using R = CReadoutTexts;

class SndViewReadoutsText : public ViewFixture
{
protected:
    // A spectrum window with two channels whose statistics the test writes.
    CSndView& MakeSpectrumView()
    {
        m_engine.m_nAnalysisChannels = 2;
        CSndView& view = MakeView();
        view.RestartDisplay();
        view.SetupCurves();
        EXPECT_EQ(view.GetPlot().GetCurveCount(), 2);
        return view;
    }

    static CCurveStatistics& Stats(CSndView& view, int channel)
    {
        return view.GetPlot().m_arrStats[static_cast<std::size_t>(channel)];
    }
};

TEST_F(SndViewReadoutsText, DistortionLinesFormatTheirRatiosWithinTheirLimits)
{
    struct Case
    {
        double thdN;
        double thd;
        const char* thdNText;
        const char* thdText;
    };
    const Case cases[] = {
        {0.01, 0.005, "1.0000%=-40.00dB", "0.5000%=-46.02dB"},
        {1.0, 4.0, "100.00%=0.00dB", "400.0%=12.04dB"},
        {1.01, 4.01, "--", "invalid"},
        {1e-9, -0.1, "--", "invalid"},
        {0.5, 0.0, "50.00%=-6.02dB", "--"},
    };
    CSndView& view = MakeSpectrumView();
    for (const Case& c : cases)
    {
        Stats(view, 0).m_dThdN = c.thdN;
        Stats(view, 0).m_dDistortion = c.thd;
        view.UpdateReadouts();
        const CReadoutTexts& first = view.GetReadoutTexts(0);
        EXPECT_EQ(first.Text(R::kFirstLineLabel), "THD+N");
        EXPECT_EQ(first.Text(R::kFirstLineValue), c.thdNText) << c.thdN;
        EXPECT_EQ(first.Text(R::kSecondLineLabel), "THD");
        EXPECT_EQ(first.Text(R::kSecondLineValue), c.thdText) << c.thd;
        // The second window has no distortion lines.
        EXPECT_EQ(view.GetReadoutTexts(1).Text(R::kFirstLineValue), "");
    }

    // With "Enable THD" off the THD line stays blank; with "Enable IMD" on it shows the
    // intermodulation instead and THD+N goes.
    view.GetSettings()->m_bEnableThd = 0;
    view.UpdateReadouts();
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kSecondLineValue), "");
    view.GetSettings()->m_bEnableImd = 1;
    Stats(view, 0).m_dProductRatio = 1e-4;
    view.UpdateReadouts();
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kSecondLineLabel), "IMD");
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kSecondLineValue), "1.0000%=-40.00dB");
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kFirstLineValue), "");
}

TEST_F(SndViewReadoutsText, PeakAndLevelShowNoValueBelowTheDecibelFloor)
{
    CSndView& view = MakeSpectrumView();
    Stats(view, 0).m_dMaximum = -300.5;
    Stats(view, 0).m_dPeak = -300.5;
    Stats(view, 0).m_dSum = 0.0;
    view.UpdateReadouts();
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kPeakValue), "no value");
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kLevelValue), "no value");

    // A level of 0.5 (mean square) reads -3.0 dB and 707 mV; the peak with the ladder's decimals.
    Stats(view, 0).m_dMaximum = -12.5;
    Stats(view, 0).m_dPeak = -12.5;
    Stats(view, 0).m_dXOfMaximum = 1000.0;
    m_engine.m_bWindowEnable = 0;
    Stats(view, 0).m_dSum = 0.5;
    view.UpdateReadouts();
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kPeakValue), "-12.50dB");
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kPeakPosition), "1000.0Hz");
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kLevelValue), "-3.0dB/707.1mV");
    EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kLevelLabel), "Inband level");
}

TEST_F(SndViewReadoutsText, TheSecondWindowKeepsCurveOneWhateverIsSelected)
{
    m_engine.m_bPeakInterpolate = 0;
    CSndView& view = MakeSpectrumView();
    Stats(view, 0).m_dMaximum = -10.0;
    Stats(view, 1).m_dMaximum = -20.0;
    for (int selected : {0, 1})
    {
        view.GetPlot().m_nActiveCurve = selected;
        view.UpdateReadouts();
        EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kPeakValue), selected == 0 ? "-10.000dB" : "-20.00dB");
        EXPECT_EQ(view.GetReadoutTexts(1).Text(R::kPeakValue), "-20.00dB");
        EXPECT_EQ(view.GetReadoutTexts(1).m_strTitle, "Measurement V:1 Ch#2");
    }
    EXPECT_EQ(view.GetReadoutTexts(0).m_strTitle, "Measurement V:1 Ch#2");
}

TEST_F(SndViewReadoutsText, TheResultRingKeepsEightRecordsAndPublishesTheNewest)
{
    m_engine.m_bPeakInterpolate = 0;
    CSndView& view = MakeSpectrumView();
    for (int refresh = 0; refresh < 11; ++refresh)
    {
        Stats(view, 0).m_dMaximum = -refresh;
        view.UpdateReadouts();
        EXPECT_DOUBLE_EQ(view.GetPublishedRecord().m_adPeak[0], -refresh);
        EXPECT_EQ(view.GetPublishedRecord().m_nChannels, 2);
    }
}

TEST_F(SndViewReadoutsText, TheImpulseVariantShowsTheEngineReverberationTime)
{
    CSndView& view = MakeSpectrumView();
    m_engine.SetAnalyzerMode(4);
    m_engine.m_bImpulseVariant = 1;
    ASSERT_EQ(view.GetViewMode(), 36);
    struct Case
    {
        double time;
        const char* text;
    };
    for (const Case& c : {Case{0.0, "--"}, Case{1.234, "1.23s"}, Case{19.99, "19.99s"}, Case{20.0, "--"}})
    {
        m_engine.m_dDecayTime = c.time;
        view.UpdateReadouts();
        EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kExtraValue), c.text) << c.time;
        EXPECT_EQ(view.GetReadoutTexts(0).Text(R::kExtraLabel), "reverb. time RT60");
    }
}

}  // namespace
