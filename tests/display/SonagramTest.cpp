// The colour map, the pixel buffer and the sonagram's recorded and live pictures.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "PaintFixture.h"
#include "display/ColorMap.h"
#include "display/DibBuffer.h"
#include "display/Sonagram.h"
#include "dsp/Fft.h"
#include "texts/TextTable.h"

namespace
{

using namespace painttest;

TEST(ColorMapTest, TellingRowsAndRampsHold)
{
    const auto& map = GetColorMap();
    struct Row
    {
        int entry;
        ColorMapEntry rgb;
    };
    const Row rows[] = {
        {0, {0, 0, 25}}, {64, {0, 31, 254}}, {128, {31, 254, 239}}, {192, {254, 239, 0}}, {255, {254, 0, 0}}};
    for (const Row& row : rows)
        EXPECT_EQ(map[static_cast<std::size_t>(row.entry)], row.rgb) << "entry " << row.entry;
    EXPECT_EQ(map[56].blue, 254);
    EXPECT_EQ(map[57].green, 2);
    EXPECT_EQ(map[120].green, 254);
    EXPECT_EQ(map[184].red, 254);
    EXPECT_EQ(map[184].blue, 15);
    for (int i = 252; i < 256; ++i)
        EXPECT_EQ(map[static_cast<std::size_t>(i)], (ColorMapEntry{254, 0, 0}));
    // Each ramp moves one way in its stretch.
    for (int i = 1; i <= 56; ++i)
        EXPECT_GT(map[static_cast<std::size_t>(i)].blue, map[static_cast<std::size_t>(i) - 1].blue);
    for (int i = 58; i <= 120; ++i)
        EXPECT_GT(map[static_cast<std::size_t>(i)].green, map[static_cast<std::size_t>(i) - 1].green);
    for (int i = 122; i <= 184; ++i)
        EXPECT_GT(map[static_cast<std::size_t>(i)].red, map[static_cast<std::size_t>(i) - 1].red);
    for (int i = 193; i <= 252; ++i)
        EXPECT_LT(map[static_cast<std::size_t>(i)].green, map[static_cast<std::size_t>(i) - 1].green);
}

TEST(ColorMapTest, ValuesMapOntoTheRangeAndClamp)
{
    const auto& map = GetColorMap();
    const auto rgb = [&](int i)
    {
        const ColorMapEntry& e = map[static_cast<std::size_t>(i)];
        return RgbColor(e.red, e.green, e.blue);
    };
    // (v, 0, 255) names entry v.
    for (int v : {0, 1, 64, 200, 255})
    {
        EXPECT_EQ(ColorMapRgb(v, 0, 255), rgb(v));
        const ColorMapEntry& e = map[static_cast<std::size_t>(v)];
        EXPECT_EQ(ColorMapBgr(v, 0, 255), RgbColor(e.blue, e.green, e.red));
    }
    // High end gives entry 0, low end 255, beyond either clamps; a range of 10 from 0 (high) to -10.
    EXPECT_EQ(ColorMapIndex(0.0, 0.0, -10.0), 0);
    EXPECT_EQ(ColorMapIndex(-10.0, 0.0, -10.0), 255);
    EXPECT_EQ(ColorMapIndex(-5.0, 0.0, -10.0), 127);
    EXPECT_EQ(ColorMapIndex(5.0, 0.0, -10.0), 0);
    EXPECT_EQ(ColorMapIndex(-50.0, 0.0, -10.0), 255);
    EXPECT_EQ(ColorMapIndex(std::nan(""), 0.0, -10.0), 0);
    EXPECT_EQ(ColorMapIndex(1.0, 3.0, 3.0), 0);
    // The trace history's colour-map seam takes it: its newest trace (0 on 3 .. 0) is red.
    ColorMapFunction seam = ColorMapRgb;
    EXPECT_EQ(seam(0, 3, 0), rgb(255));
    EXPECT_EQ(seam(3, 3, 0), rgb(0));
}

TEST(DibBufferTest, EmptySizesFailCleanly)
{
    CDibBuffer dib;
    EXPECT_EQ(dib.Create(4, 3), 1);
    EXPECT_EQ(dib.GetWidth(), 4);
    dib.SetPixel(3, 2, 0x123456);
    EXPECT_EQ(dib.Pixels()[11], 0x123456u);
    for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, -1}, std::pair{1 << 16, 1 << 16}})
    {
        EXPECT_EQ(dib.Create(w, h), 0) << w << " x " << h;
        EXPECT_EQ(dib.GetWidth(), 0);
        EXPECT_EQ(dib.GetHeight(), 0);
        EXPECT_TRUE(dib.IsEmpty());
    }
    EXPECT_EQ(dib.Release(), 1);

    // Nothing is drawn from an empty picture.
    gfx::RecordingCanvas canvas(100, 100);
    CDrawDib draw;
    EXPECT_EQ(draw.Open(), 1);
    EXPECT_EQ(draw.Draw(dib, canvas, 0, 0, 10, 10), 0);
    dib.Create(2, 2);
    EXPECT_EQ(draw.Draw(dib, canvas, 5, 6, 10, 20), 1);
    ASSERT_EQ(canvas.Count(Kind::Pixels), 1);
    EXPECT_EQ(canvas.Ops()[0].rect, (gfx::Rect{5, 6, 15, 26}));
    EXPECT_EQ(canvas.Ops()[0].pixelWidth, 2);
}

// A sonagram of a picture size over a sine or a silence.
class SonagramComputeTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_samples.resize(48000);
        for (std::size_t i = 0; i < m_samples.size(); ++i)
            m_samples[i] = static_cast<float>(0.5 * std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0));
        m_sonagram.SetSize(100, 50);
        m_sonagram.m_pSamples = m_samples.data();
        m_sonagram.m_nSampleCount = static_cast<int>(m_samples.size());
        m_sonagram.m_dSampleRate = 48000.0;
        m_sonagram.m_nFftLength = 1024;
        m_sonagram.m_frequency.m_dValue1 = 100.0;
        m_sonagram.m_frequency.m_dValue2 = 10000.0;
        m_sonagram.m_level.m_dValue1 = -100.0;
        m_sonagram.m_level.m_dValue2 = 0.0;
    }
    std::vector<float> m_samples;
    CSonagram m_sonagram;
};

TEST_F(SonagramComputeTest, ColumnMapIsLogarithmicOrLinear)
{
    const double bin = 48000.0 / 1024;
    m_sonagram.m_frequency.m_nValue2 = 1;
    m_sonagram.Compute();
    const auto& map = m_sonagram.GetColumnMap();
    ASSERT_EQ(map.size(), 100u);
    for (int i : {0, 25, 50, 99})
        EXPECT_EQ(map[static_cast<std::size_t>(i)],
                  static_cast<int>(100.0 * std::pow(10.0, i * 2.0 / 100) / bin));
    m_sonagram.m_frequency.m_nValue2 = 0;
    m_sonagram.Compute();
    for (int i : {0, 25, 50, 99})
        EXPECT_EQ(map[static_cast<std::size_t>(i)], static_cast<int>((100.0 + 9900.0 * i / 100) / bin));
    // The map is as wide as the picture, however wide that is.
    m_sonagram.SetSize(9000, 4);
    m_sonagram.Compute();
    EXPECT_EQ(m_sonagram.GetColumnMap().size(), 9000u);
}

TEST_F(SonagramComputeTest, ToneLightsItsColumnOnEveryRow)
{
    m_sonagram.m_frequency.m_nValue2 = 0;
    m_sonagram.Compute();
    // The top row is the first segment: its colours follow the library's power spectrum of it.
    std::vector<float> segment(m_samples.begin(), m_samples.begin() + 1024);
    ComputePowerSpectrum(segment.data(), 1024);
    for (int x : {0, 5, 17, 18, 19, 40, 99})
    {
        const double level =
            10.0 *
            std::log10(
                segment[static_cast<std::size_t>(m_sonagram.GetColumnMap()[static_cast<std::size_t>(x)])]);
        const int expected = std::clamp(static_cast<int>((level + 100.0) * 255.0 / 100.0), 0, 255);
        EXPECT_NEAR(m_sonagram.IndexAt(x, 0), expected, 1) << "column " << x;
    }
    // Column of 1 kHz on a linear 100 Hz .. 10 kHz axis of 100 columns: (1000 - 100) / 99.
    const int toneColumn = static_cast<int>((1000.0 - 100.0) / 99.0);
    for (int y = 0; y < 50; y += 7)
    {
        int best = 0;
        for (int x = 1; x < 100; ++x)
            if (m_sonagram.IndexAt(x, y) > m_sonagram.IndexAt(best, y))
                best = x;
        EXPECT_NEAR(best, toneColumn, 1) << "row " << y;
        EXPECT_GT(m_sonagram.IndexAt(best, y), 200);
    }
}

// Orientation x reversal: where the first segment (a burst at the start of the signal) lands.
TEST_F(SonagramComputeTest, PlacementFollowsOrientationAndReversal)
{
    // Only the first tenth of the signal sounds.
    std::fill(m_samples.begin() + 4800, m_samples.end(), 0.0f);
    m_sonagram.m_frequency.m_nValue2 = 0;
    struct Case
    {
        int orientation;
        int reverseTime;
        int reverseFrequency;
        // Picture coordinates (x right, y down) of the burst's tone.
        int x;
        int y;
        // A point of the silent end.
        int quietX;
        int quietY;
    };
    const int tone0 = static_cast<int>((1000.0 - 100.0) / 99.0);   // of 100 columns
    const int tone1 = static_cast<int>((1000.0 - 100.0) / 198.0);  // of 50 columns
    const Case cases[] = {
        {0, 0, 0, tone0, 0, tone0, 49},           {0, 1, 0, tone0, 49, tone0, 0},
        {1, 0, 0, 0, 49 - tone1, 99, 49 - tone1}, {1, 1, 0, 99, 49 - tone1, 0, 49 - tone1},
        {1, 0, 1, 0, tone1, 99, tone1},
    };
    for (const Case& c : cases)
    {
        m_sonagram.m_nOrientation = c.orientation;
        m_sonagram.m_time.m_nValue8 = c.reverseTime;
        m_sonagram.m_frequency.m_nValue8 = c.reverseFrequency;
        m_sonagram.Compute();
        EXPECT_GT(m_sonagram.IndexAt(c.x, c.y), 150) << c.orientation << c.reverseTime << c.reverseFrequency;
        EXPECT_EQ(m_sonagram.IndexAt(c.quietX, c.quietY), 0)
            << c.orientation << c.reverseTime << c.reverseFrequency;
    }
}

TEST_F(SonagramComputeTest, TimeWindowAndWholeSignal)
{
    // Tone only in the second half.
    std::fill(m_samples.begin(), m_samples.begin() + 24000, 0.0f);
    m_sonagram.m_frequency.m_nValue2 = 0;
    const int tone = static_cast<int>((1000.0 - 100.0) / 99.0);
    // A maximum not above the minimum takes the whole signal: the top half is quiet.
    m_sonagram.m_time.m_dValue1 = 0.0;
    m_sonagram.m_time.m_dValue2 = 0.0;
    m_sonagram.Compute();
    EXPECT_EQ(m_sonagram.IndexAt(tone, 5), 0);
    EXPECT_GT(m_sonagram.IndexAt(tone, 45), 200);
    // 0.6 s .. 0.9 s lies wholly in the tone.
    m_sonagram.m_time.m_dValue1 = 0.6;
    m_sonagram.m_time.m_dValue2 = 0.9;
    m_sonagram.Compute();
    EXPECT_GT(m_sonagram.IndexAt(tone, 5), 200);
    EXPECT_GT(m_sonagram.IndexAt(tone, 45), 200);
}

TEST_F(SonagramComputeTest, LevelsClampToTheEndsOfTheColourTable)
{
    m_sonagram.m_frequency.m_nValue2 = 0;
    // The tone is far above the maximum, the rest far below the minimum.
    m_sonagram.m_level.m_dValue1 = -20.0;
    m_sonagram.m_level.m_dValue2 = -19.0;
    m_sonagram.Compute();
    const int tone = static_cast<int>((1000.0 - 100.0) / 99.0);
    EXPECT_EQ(m_sonagram.IndexAt(tone, 10), 255);
    EXPECT_EQ(m_sonagram.IndexAt(90, 10), 0);
    EXPECT_EQ(m_sonagram.GetDib().GetPixel(tone, 39), m_sonagram.GetColorTable()[255]);
    EXPECT_EQ(m_sonagram.GetColorTable()[255], ColorMapBgr(255, 0, 255));
    // Grey mode fills a grey table.
    m_sonagram.SetSize(10, 10, 0);
    EXPECT_EQ(m_sonagram.GetColorTable()[7], 0x070707u);
}

TEST(SonagramParamsTest, AnyFieldChangeCounts)
{
    CSonagram::Params a;
    CSonagram::Params b = a;
    EXPECT_TRUE(CSonagram::ParamsEqual(a, b));
    b.time.m_nValue8 = 1;
    EXPECT_FALSE(CSonagram::ParamsEqual(a, b));
    b = a;
    b.frequency.m_dValue2 = 5.0;
    EXPECT_FALSE(CSonagram::ParamsEqual(a, b));
    b = a;
    b.fftLength = 8192;
    EXPECT_FALSE(CSonagram::ParamsEqual(a, b));
}

// The live picture through the plot: one line per paint at the leading edge.
class LiveSonagramTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        SetUpSpectrum(m_plot, m_data, 2048, 1, 48000.0 / 4096);
        m_plot.m_bSonagram = 1;
        // A 1 kHz line 20 dB below the top of the range.
        SetTone(1000.0);
    }
    void SetTone(double f)
    {
        std::fill(m_data.begin(), m_data.end(), 1e-6f);
        m_data[static_cast<std::size_t>(std::lround(f / (48000.0 / 4096)))] = 0.1f;
    }
    int Paint()
    {
        gfx::RecordingCanvas canvas(kWidth, kHeight);
        m_plot.Draw(canvas, 0, 0, kWidth, kHeight);
        return 0;
    }
    // Picture x of a frequency on the plot's log axis.
    int PixelOf(double f) const
    {
        const double width = m_plot.m_nPlotRight - m_plot.m_nPlotLeft;
        return static_cast<int>(std::log10(f / 20.0) / std::log10(1000.0) * width);
    }
    static constexpr int kWidth = 800;
    static constexpr int kHeight = 500;
    CPlot m_plot;
    std::vector<float> m_data;
};

TEST_F(LiveSonagramTest, EachPaintAddsOneLineAtTheLeadingEdge)
{
    const CSonagram& s = m_plot.m_sonagram;
    struct Case
    {
        int orientation;
        int reverseTime;
        int direction;
    };
    const Case cases[] = {{0, 0, 0}, {0, 1, 1}, {1, 0, 2}, {1, 1, 3}};
    for (const Case& c : cases)
    {
        m_plot.m_sonagram.m_nOrientation = c.orientation;
        m_plot.m_sonagram.m_time.m_nValue8 = c.reverseTime;
        m_plot.m_sonagram.SetSize(0, 0);
        EXPECT_EQ(s.GetScrollDirection(), c.direction);
        // Three paints: two tones of 1 kHz, then one of 4 kHz.
        SetTone(1000.0);
        Paint();
        Paint();
        SetTone(4000.0);
        Paint();
        const int w = s.GetWidth();
        const int h = s.GetHeight();
        const int length = s.GetLineLength();
        const auto pixelOf = [&](double f)
        { return static_cast<int>(std::log10(f / 20.0) / std::log10(1000.0) * length); };
        // The k-th line from the leading edge, at frequency pixel p.
        const auto at = [&](int k, int p)
        {
            switch (c.direction)
            {
                case 0:
                    return s.IndexAt(p, h - 1 - k);
                case 1:
                    return s.IndexAt(p, k);
                case 2:
                    return s.IndexAt(k, h - 1 - p);
                default:
                    return s.IndexAt(w - 1 - k, h - 1 - p);
            }
        };
        EXPECT_EQ(length, c.orientation == 0 ? w : h);
        // The newest line has its highest index at 4 kHz; the two before at 1 kHz; behind them
        // nothing yet.
        const auto peakOf = [&](int k)
        {
            int best = 0;
            for (int p = 0; p < length; ++p)
                if (at(k, p) > at(k, best))
                    best = p;
            return best;
        };
        EXPECT_NEAR(peakOf(0), pixelOf(4000.0), 1) << "direction " << c.direction;
        EXPECT_NEAR(peakOf(1), pixelOf(1000.0), 1) << "direction " << c.direction;
        EXPECT_NEAR(peakOf(2), pixelOf(1000.0), 1) << "direction " << c.direction;
        EXPECT_EQ(at(3, peakOf(1)), 0) << "direction " << c.direction;
    }
}

TEST_F(LiveSonagramTest, HoldStopsTheScrollAndTheReadoutReadsTheIndex)
{
    Paint();
    m_plot.m_bHold = 1;
    SetTone(4000.0);
    Paint();
    Paint();
    const CSonagram& s = m_plot.m_sonagram;
    const int h = s.GetHeight();
    // Held: the newest line replaced the edge line, nothing moved behind it.
    EXPECT_EQ(s.IndexAt(PixelOf(1000.0), h - 2), 0);
    EXPECT_GT(s.IndexAt(PixelOf(4000.0), h - 1), 150);

    // The readout: the index under the mouse gives the level; outside the picture the minimum.
    m_plot.m_ptMouse = PlotPoint{m_plot.m_nPlotLeft + PixelOf(4000.0), m_plot.m_nPlotBottom - 1};
    Paint();
    const int index = s.IndexAt(PixelOf(4000.0), h - 1);
    EXPECT_DOUBLE_EQ(m_plot.m_dCursorY, -120.0 + 120.0 * index / 256.0);
    EXPECT_NEAR(m_plot.m_dCursorX, 4000.0, 100.0);
    m_plot.m_ptMouse = PlotPoint{m_plot.m_nPlotLeft + PixelOf(4000.0), m_plot.m_nPlotBottom + 30};
    Paint();
    EXPECT_DOUBLE_EQ(m_plot.m_dCursorY, -120.0);
}

TEST_F(LiveSonagramTest, RecordedPictureIsComputedOnlyWhenItsParametersChange)
{
    std::vector<float> signal(48000, 0.0f);
    for (std::size_t i = 0; i < signal.size(); ++i)
        signal[i] = static_cast<float>(std::sin(2.0 * std::numbers::pi * 1000.0 * i / 48000.0));
    m_plot.m_pSonagramSamples = signal.data();
    m_plot.m_nSonagramSamples = static_cast<int>(signal.size());
    m_plot.m_dSonagramRate = 48000.0;
    gfx::RecordingCanvas canvas(kWidth, kHeight);
    m_plot.Draw(canvas, 0, 0, kWidth, kHeight);
    const int computed = m_plot.m_sonagram.GetComputeCount();
    m_plot.Draw(canvas, 0, 0, kWidth, kHeight);
    EXPECT_EQ(m_plot.m_sonagram.GetComputeCount(), computed);
    // The picture is stretched onto the plot area once per paint; the scale strips stand beside it.
    const auto& image = *canvas.Images().back();
    int pictures = 0;
    for (const Op& op : image.ops)
        if (op.kind == Kind::Pixels && op.pixelWidth > 1)
        {
            ++pictures;
            EXPECT_EQ(op.rect, (gfx::Rect{m_plot.m_nPlotLeft, m_plot.m_nPlotTop, m_plot.m_nPlotRight,
                                          m_plot.m_nPlotBottom}));
        }
    EXPECT_EQ(pictures, 1);
    EXPECT_EQ(image.Count(Kind::Pixels), 3);
    m_plot.m_viewRange.m_dYMin = -100.0;
    m_plot.m_bFrameDirty = 1;
    m_plot.Draw(canvas, 0, 0, kWidth, kHeight);
    EXPECT_EQ(m_plot.m_sonagram.GetComputeCount(), computed + 1);
}

// Beside the picture a side axis: the live picture's age in seconds (0 at the newest line), a
// recorded picture's time from its first segment at the top, or the frequency while time runs
// along x.
TEST_F(LiveSonagramTest, SideAxisGivesTimeOrFrequency)
{
    struct Case
    {
        int orientation;
        int reverseTime;
        bool recorded;
        std::string title;
        std::string xTitle;
        // Where the label "0" stands: 1 at the bottom, -1 at the top, 0 not asked.
        int zeroAt;
    };
    const std::string time = GetText(1000031);
    const std::string frequency = GetText(1000030);
    const Case cases[] = {
        {0, 0, false, time + " [s]", "", 1},
        {0, 1, false, time + " [s]", "", -1},
        {0, 0, true, time + " [ms]", "", -1},
        {0, 1, true, time + " [ms]", "", 1},
        {1, 0, false, frequency + " [Hz]", time + " [s]", 0},
    };
    std::vector<float> signal(48000, 0.0f);
    m_plot.m_dSecondsPerPixel = 0.1;
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.title + (c.reverseTime ? " reversed" : "") + (c.recorded ? " recorded" : ""));
        m_plot.m_sonagram.m_nOrientation = c.orientation;
        m_plot.m_sonagram.m_time.m_nValue8 = c.reverseTime;
        m_plot.m_pSonagramSamples = c.recorded ? signal.data() : nullptr;
        m_plot.m_nSonagramSamples = c.recorded ? static_cast<int>(signal.size()) : 0;
        m_plot.m_dSonagramRate = c.recorded ? 48000.0 : -1.0;
        m_plot.m_bFrameDirty = 1;
        gfx::RecordingCanvas canvas(kWidth, kHeight);
        m_plot.Draw(canvas, 0, 0, kWidth, kHeight);
        EXPECT_EQ(m_plot.m_nPlotRight, kWidth - CPlot::kMarginRightSideAxis);
        const auto& frame = *canvas.Images().front();
        int titles = 0;
        for (const Op& op : frame.ops)
            if (op.kind == Kind::RotatedText && op.text == c.title)
            {
                ++titles;
                EXPECT_GT(op.rect.left, m_plot.m_nPlotRight);
            }
        EXPECT_EQ(titles, 1);
        if (!c.xTitle.empty())
            EXPECT_EQ(frame.FindTexts(c.xTitle).size(), 1u);
        if (c.zeroAt == 0)
            continue;
        // The labels right of the picture: "0" at one end, the largest value at the other.
        int zeroY = -1;
        int labels = 0;
        for (const Op& op : frame.ops)
            if (op.kind == Kind::Text && op.rect.left > m_plot.m_nPlotRight)
            {
                ++labels;
                if (op.text == "0" || op.text == "0.0")
                    zeroY = (op.rect.top + op.rect.bottom) / 2;
            }
        EXPECT_GE(labels, 4);
        EXPECT_EQ(zeroY, c.zeroAt > 0 ? m_plot.m_nPlotBottom : m_plot.m_nPlotTop);
    }
    // The recorded second spans 1000 ms: its last label is below that.
    m_plot.m_sonagram.m_nOrientation = 0;
    m_plot.m_sonagram.m_time.m_nValue8 = 0;
    m_plot.m_pSonagramSamples = signal.data();
    m_plot.m_nSonagramSamples = static_cast<int>(signal.size());
    m_plot.m_dSonagramRate = 48000.0;
    m_plot.m_bFrameDirty = 1;
    gfx::RecordingCanvas canvas(kWidth, kHeight);
    m_plot.Draw(canvas, 0, 0, kWidth, kHeight);
    double largest = 0.0;
    for (const Op& op : canvas.Images().front()->ops)
        if (op.kind == Kind::Text && op.rect.left > m_plot.m_nPlotRight)
            largest = std::max(largest, std::atof(op.text.c_str()));
    EXPECT_GT(largest, 500.0);
    EXPECT_LE(largest, 1000.0);
}

}  // namespace
