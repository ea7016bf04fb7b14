// The band bar display: FFT bars on a free grid, nominal octave and third-octave bars, their labels
// and the sound-level readout.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "PaintFixture.h"

namespace
{

using namespace painttest;

class BandBarsTest : public ::testing::Test
{
protected:
    // Power values (linear display) in bins of 100 Hz; x 20 Hz .. 20 kHz on a log axis, y 0..10.
    void SetUp() override
    {
        SetUpLinear(m_plot, m_data, 256, 2);
        m_plot.m_dBinWidth = 100.0;
        m_plot.m_viewRange.m_dXMin = 20.0;
        m_plot.m_viewRange.m_dXMax = 20000.0;
        m_plot.m_viewRange.m_bXLog = 1;
        m_plot.m_abDisplayed[1] = 0;
        m_plot.m_nDisplayedCount = 1;
        m_plot.m_bBarGraph = 1;
        m_plot.m_nBandFraction = 0;
        m_plot.m_nFftBarFraction = 3;
        for (int i = 0; i < 256; ++i)
        {
            m_data[static_cast<std::size_t>(i)] = 1.0f + 0.01f * i;
            m_data[256 + static_cast<std::size_t>(i)] = 2.0f;
        }
    }
    const gfx::RecordingCanvas::Record& Paint()
    {
        m_canvas = std::make_unique<gfx::RecordingCanvas>(800, 600);
        m_plot.Draw(*m_canvas, 0, 0, 800, 600);
        return *m_canvas->Images().back();
    }
    CPlot m_plot;
    std::vector<float> m_data;
    std::unique_ptr<gfx::RecordingCanvas> m_canvas;
};

TEST_F(BandBarsTest, NarrowBandsAreInterpolatedWideOnesAveraged)
{
    Paint();
    ASSERT_GT(m_plot.m_nBandCount, 20);
    // The first centre: 10 Hz times 2^(1/3) until it reaches 20 Hz; narrower than one bin.
    double centre = 10.0;
    while (centre < 20.0)
        centre *= std::pow(2.0, 1.0 / 3);
    const double expected = m_data[0] + (m_data[1] - m_data[0]) * centre / 100.0;
    EXPECT_NEAR(m_plot.m_afBandValues[0], expected, 1e-5);
    // A band of several bins (around 5 kHz) takes their mean.
    int band = 0;
    double c = centre;
    while (c < 5000.0)
    {
        c *= std::pow(2.0, 1.0 / 3);
        ++band;
    }
    const double lower = c / std::pow(2.0, 1.0 / 6);
    const double upper = c * std::pow(2.0, 1.0 / 6);
    const int first = static_cast<int>(std::floor(lower / 100.0));
    const int count = static_cast<int>(std::ceil((upper - first * 100.0) / 100.0));
    double mean = 0.0;
    for (int k = 0; k < count; ++k)
        mean += m_data[static_cast<std::size_t>(first + k)];
    mean /= count;
    EXPECT_NEAR(m_plot.m_afBandValues[static_cast<std::size_t>(band)], mean, 1e-4);
    EXPECT_NEAR(m_plot.m_afBandEdges[static_cast<std::size_t>(band)], lower, 1e-2);
}

TEST_F(BandBarsTest, BarsFallBackByTheDecayPerPaint)
{
    struct Case
    {
        double decay;
        double second;
        double third;
    };
    for (const Case& c : {Case{0.0, 0.0, 0.0}, Case{0.5, 0.5, 0.25}})
    {
        m_plot.m_dBarDecay = c.decay;
        std::fill(m_data.begin(), m_data.end(), 4.0f);
        m_plot.m_afHeldBands.clear();
        Paint();
        const float first = m_plot.m_afBandValues[10];
        EXPECT_FLOAT_EQ(first, 4.0f);
        std::fill(m_data.begin(), m_data.end(), 0.0f);
        Paint();
        EXPECT_FLOAT_EQ(m_plot.m_afBandValues[10], static_cast<float>(4.0 * c.second)) << c.decay;
        Paint();
        EXPECT_FLOAT_EQ(m_plot.m_afBandValues[10], static_cast<float>(4.0 * c.third)) << c.decay;
    }
}

TEST_F(BandBarsTest, NoGridWithoutBinWidthOrPositiveLowerFrequency)
{
    for (auto [bin, fMin] : {std::pair{0.0, 20.0}, std::pair{-1.0, 20.0}, std::pair{100.0, 0.0}})
    {
        m_plot.m_dBinWidth = bin;
        m_plot.m_viewRange.m_dXMin = fMin;
        m_plot.m_viewRange.m_bXLog = 0;
        const auto& image = Paint();
        EXPECT_EQ(m_plot.m_nBandCount, 0) << bin << " " << fMin;
        (void)image;
        m_plot.m_nBandFraction = 1;
        Paint();
        EXPECT_EQ(m_plot.m_nBandCount, 0) << bin << " " << fMin;
        m_plot.m_nBandFraction = 0;
    }
}

TEST_F(BandBarsTest, NominalBandsSumWhereFftBarsAverage)
{
    m_plot.m_nFftBarFraction = 1;
    Paint();
    // The FFT grid's octave from 10 Hz steps onto the nominal centres only near them: take 1 kHz
    // from each picture by its lower edge.
    const auto valueAt = [&](double centre)
    {
        for (int b = 0; b < m_plot.m_nBandCount; ++b)
            if (std::fabs(m_plot.m_afBandEdges[static_cast<std::size_t>(b)] - centre / std::sqrt(2.0)) <
                0.05 * centre)
                return static_cast<double>(m_plot.m_afBandValues[static_cast<std::size_t>(b)]);
        return -1.0;
    };
    const double mean = valueAt(1280.0);
    m_plot.m_nBandFraction = 1;
    Paint();
    const double sum = valueAt(1000.0);
    ASSERT_GT(mean, 0.0);
    ASSERT_GT(sum, 0.0);
    // 707 .. 1414 Hz: bins 7 .. 14 (8 bins).
    double expected = 0.0;
    for (int k = 7; k <= 14; ++k)
        expected += m_data[static_cast<std::size_t>(k)];
    EXPECT_NEAR(sum, expected, 1e-4);
    // The free grid's 1.28 kHz octave: 905 .. 1810 Hz, bins 9 .. 18, mean of 10 bins.
    double expectedMean = 0.0;
    for (int k = 9; k <= 18; ++k)
        expectedMean += m_data[static_cast<std::size_t>(k)];
    EXPECT_NEAR(mean, expectedMean / 10.0, 1e-4);
}

TEST_F(BandBarsTest, TwoCurvesStandSideBySideWithLabels)
{
    m_plot.m_abDisplayed[1] = 1;
    m_plot.m_nDisplayedCount = 2;
    m_plot.m_nBandFraction = 1;
    m_plot.m_viewRange.m_dYMax = 20.0;
    const auto& image = Paint();
    // Bars in the band of 1 kHz (707 .. 1414 Hz): one per curve, left and right half.
    PlotPoint lo;
    PlotPoint hi;
    m_plot.ValueToPixel(&lo, 1000.0 / std::sqrt(2.0), 0.0);
    m_plot.ValueToPixel(&hi, 1000.0 * std::sqrt(2.0), 0.0);
    std::vector<gfx::Rect> bars;
    for (const Op& op : image.ops)
        if (op.kind == Kind::FillRect && op.rect.left >= lo.x && op.rect.right <= hi.x &&
            op.rect.bottom == m_plot.m_nPlotBottom)
            bars.push_back(op.rect);
    ASSERT_EQ(bars.size(), 2u);
    EXPECT_LT(bars[0].right, bars[1].left);
    // The centre label below the band, the levels beside the bars (turned, two curves).
    EXPECT_EQ(image.FindTexts(" 1000Hz ").size(), 1u);
    int turned = 0;
    for (const Op& op : image.ops)
        if (op.kind == Kind::RotatedText && op.text.find("dB") != std::string::npos)
            ++turned;
    EXPECT_GE(turned, 2);
}

// The octave labels take the row of the x axis's tick labels, which then stays empty; the sound
// level stands at the top right, clear of the measurement readout at the top left.
TEST_F(BandBarsTest, OctaveLabelsAndReadoutStayClearOfOtherTexts)
{
    m_plot.m_nBandFraction = 1;
    m_plot.m_adLinearLevels[0] = 1.0;
    const auto& image = Paint();
    const auto hz = image.FindTexts(" 1000Hz ");
    ASSERT_EQ(hz.size(), 1u);
    const gfx::Rect box = hz[0]->rect;
    int frameTexts = 0;
    for (const auto& recorded : m_canvas->Images())
        for (const Op& op : recorded->ops)
        {
            if (op.kind != Kind::Text || op.text.find("Hz ") != std::string::npos)
                continue;
            ++frameTexts;
            const bool overlaps = op.rect.left < box.right && box.left < op.rect.right &&
                                  op.rect.top < box.bottom && box.top < op.rect.bottom;
            EXPECT_FALSE(overlaps) << "\"" << op.text << "\" lies on the band label";
        }
    EXPECT_GT(frameTexts, 0);
    const auto spl = image.FindTexts("SPL 0.0dB(Z)");
    ASSERT_EQ(spl.size(), 1u);
    EXPECT_EQ(spl[0]->align, gfx::Align::Right);
    EXPECT_EQ(spl[0]->rect.right, m_plot.m_nPlotRight - 10);

    // The third-octave display keeps its axis labels.
    m_plot.m_nBandFraction = 3;
    m_plot.ForceRedraw();
    Paint();
    int tickLabels = 0;
    for (const auto& recorded : m_canvas->Images())
        for (const Op& op : recorded->ops)
            if (op.kind == Kind::Text && op.rect.top > m_plot.m_nPlotBottom && op.rect.top < box.bottom)
                ++tickLabels;
    EXPECT_GE(tickLabels, 3);
}

TEST_F(BandBarsTest, SoundLevelReadoutTexts)
{
    m_plot.m_nBandFraction = 3;
    m_plot.m_adLinearLevels[0] = 1.0;
    m_plot.m_adWeightedLevels[0] = 0.1;
    struct Case
    {
        int timeWeighting;
        std::string label;
        int weighting;
        int overload;
        std::string text;
    };
    const Case cases[] = {
        {2, "F", 0, 0, "SPL[F] 0.0dB(Z)"},
        {2, "F", 1, 0, "SPL[F] 0.0dB(Z) -20.0dB(A)"},
        {5, "", 0, 0, "LEQ 0.0dB(Z)"},
        {0, "", 0, 1,
         "*** \xC3\x9C"
         "BERSTEUERT *** SPL 0.0dB(Z)"},
    };
    for (const Case& c : cases)
    {
        m_plot.m_nTimeWeighting = c.timeWeighting;
        m_plot.m_strTimeWeightingLabel = c.label;
        m_plot.m_nFrequencyWeighting = c.weighting;
        m_plot.m_bOverload = c.overload;
        const auto& image = Paint();
        EXPECT_EQ(image.FindTexts(c.text).size(), 1u) << c.text;
    }
    m_plot.m_adLinearLevels[0] = 0.0;
    m_plot.m_nFrequencyWeighting = 0;
    m_plot.m_bOverload = 0;
    m_plot.m_nTimeWeighting = 0;
    m_plot.m_strTimeWeightingLabel.clear();
    EXPECT_EQ(Paint().FindTexts("SPL --dB(Z)").size(), 1u);

    // With the loudness flag, the loudness readout instead: far below calibration the message, at
    // a sound level the loudness and the A level that the loudness functions give.
    m_plot.m_bLoudness = 1;
    m_plot.m_dataRange.m_bDecibel = 1;
    m_plot.m_dataRange.m_dLogFactor = 10.0;
    m_plot.m_dBinWidth = 10.0;
    const auto readout = [&]
    {
        const auto& image = Paint();
        for (const Op& op : image.ops)
            if (op.kind == Kind::Text &&
                (op.text.rfind("Error", 0) == 0 || op.text.rfind("Loudness", 0) == 0))
                return op.text;
        return std::string();
    };
    std::fill(m_data.begin(), m_data.end(), 1e-12f);
    EXPECT_EQ(readout().rfind("Error: not calibrated for sone measurement. Level is", 0), 0u);
    EXPECT_EQ(m_plot.m_dLoudness, 0.0);
    std::fill(m_data.begin(), m_data.end(), 1e6f);
    const std::string text = readout();
    EXPECT_EQ(text.rfind("Loudness ", 0), 0u) << text;
    EXPECT_GT(m_plot.m_dALevel, 60.0);
    EXPECT_GT(m_plot.m_dLoudness, 0.0);
}

}  // namespace
