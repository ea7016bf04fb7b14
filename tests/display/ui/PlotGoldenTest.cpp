// Golden images of the plot: painted on a memory bitmap with the pinned fonts and compared pixel by
// pixel with the stored PNGs. scripts/regenerate-golden.sh writes them anew (TESSARIN_REGENERATE_GOLDEN=1);
// a missing golden image is a failure, never written silently.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <numbers>
#include <string>
#include <vector>

#include <wx/image.h>

#include "display/CurveMarkers.h"
#include "display/Plot.h"
#include "display/ui/PlotImage.h"
#include "tests/support/WxEnvironment.h"

namespace
{

// The fonts must be pinned before the toolkit starts (the test environment starts it).
const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

constexpr int kWidth = 800;
constexpr int kHeight = 500;
// Per channel difference that still counts as the same pixel, and how many pixels may differ
// more (antialiased text edges move slightly between library versions).
constexpr int kChannelTolerance = 24;
constexpr double kMaxDifferentFraction = 0.002;

std::string GoldenPath(const std::string& name)
{
    std::string file = name;
    file += ".png";
    return (std::filesystem::path(TESSARIN_GOLDEN_DIR) / file).string();
}

// Where a failing comparison leaves the picture it made, for a person to look at.
std::string ActualPath(const std::string& name)
{
    return (std::filesystem::temp_directory_path() / ("tessarin-golden-" + name + ".png")).string();
}

class PlotGoldenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(g_fontsPinned);
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display";
        wxInitAllImageHandlers();
    }

    void Compare(CPlot& plot, const std::string& name)
    {
        wxImage actual = RenderPlotImage(plot, kWidth, kHeight);
        ASSERT_TRUE(actual.IsOk());
        const char* regenerate = std::getenv("TESSARIN_REGENERATE_GOLDEN");
        if (regenerate != nullptr && std::string(regenerate) == "1")
        {
            ASSERT_TRUE(actual.SaveFile(wxString::FromUTF8(GoldenPath(name)), wxBITMAP_TYPE_PNG));
            return;
        }
        wxImage golden;
        ASSERT_TRUE(std::filesystem::exists(GoldenPath(name)))
            << GoldenPath(name) << " is missing: run scripts/regenerate-golden.sh";
        ASSERT_TRUE(golden.LoadFile(wxString::FromUTF8(GoldenPath(name)), wxBITMAP_TYPE_PNG));
        ASSERT_EQ(golden.GetWidth(), actual.GetWidth());
        ASSERT_EQ(golden.GetHeight(), actual.GetHeight());
        const unsigned char* a = actual.GetData();
        const unsigned char* g = golden.GetData();
        const std::size_t pixels = static_cast<std::size_t>(kWidth) * kHeight;
        std::size_t different = 0;
        for (std::size_t i = 0; i < pixels; ++i)
        {
            bool same = true;
            for (int c = 0; c < 3; ++c)
                same = same && std::abs(int(a[3 * i + c]) - int(g[3 * i + c])) <= kChannelTolerance;
            different += same ? 0 : 1;
        }
        const bool ok = static_cast<double>(different) <= kMaxDifferentFraction * static_cast<double>(pixels);
        if (!ok)
            actual.SaveFile(wxString::FromUTF8(ActualPath(name)), wxBITMAP_TYPE_PNG);
        EXPECT_TRUE(ok) << different << " pixels differ from " << GoldenPath(name) << "; the picture made is "
                        << ActualPath(name);
    }
};

// Two curves on a logarithmic frequency axis with grid and labels.
TEST_F(PlotGoldenTest, LogarithmicSpectrumWithTwoCurves)
{
    constexpr int points = 4096;
    constexpr double binWidth = 48000.0 / 8192.0;
    std::vector<float> data(2 * points);
    for (int i = 0; i < points; ++i)
    {
        const double f = std::max(1.0, i * binWidth);
        // A falling noise floor with a line at 1 kHz and its harmonics; the second channel lower.
        double level = -70.0 - 10.0 * std::log10(f / 100.0) + 3.0 * std::sin(i * 0.7);
        for (int h = 1; h <= 5; ++h)
            if (std::abs(f - 1000.0 * h) < binWidth)
                level = -6.0 - 20.0 * (h - 1);
        data[static_cast<std::size_t>(i)] = static_cast<float>(std::pow(10.0, level / 20.0));
        data[static_cast<std::size_t>(points + i)] =
            static_cast<float>(std::pow(10.0, (level - 20.0) / 20.0));
    }
    CPlot plot;
    plot.m_pData = data.data();
    plot.m_nChannels = 2;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dataRange.m_bDecibel = 1;
    plot.m_dataRange.m_dLogFactor = 20.0;
    plot.m_dBinWidth = binWidth;
    plot.m_viewRange.m_bXLog = 1;
    plot.m_viewRange.m_dXMin = 20.0;
    plot.m_viewRange.m_dXMax = 20000.0;
    plot.m_viewRange.m_dYMin = -140.0;
    plot.m_viewRange.m_dYMax = 0.0;
    plot.m_strXTitle = "Frequency [Hz]";
    plot.m_strYTitle = "Level [dB]";
    plot.m_arrStyles[0].m_nColorIndex = PALETTE_BLUE;
    plot.m_arrStyles[1].m_nColorIndex = PALETTE_RED;
    plot.m_arrStyles[1].m_nMarker = MARKER_TRIANGLE_UP;
    plot.RecreatePens();
    plot.m_nReductionMode = 5;
    plot.ApplySettings();
    Compare(plot, "spectrum-log");
}

// The legend's frame lies on the edges of its box (right and bottom exclusive), one pixel wide, in
// the inverse of the plot background; the background shows inside and just outside it.
TEST_F(PlotGoldenTest, LegendFrameLiesOnTheEdgesOfItsBox)
{
    constexpr int points = 512;
    std::vector<float> data(2 * points, 0.25f);
    CPlot plot;
    plot.m_pData = data.data();
    plot.m_nChannels = 2;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dBinWidth = 1.0;
    plot.m_viewRange.m_dXMin = 0.0;
    plot.m_viewRange.m_dXMax = points;
    plot.m_viewRange.m_dYMin = 0.0;
    plot.m_viewRange.m_dYMax = 1.0;
    plot.RecreatePens();
    plot.ApplySettings();
    plot.m_bLegend = 1;
    plot.m_legend.m_nCount = 2;
    plot.m_legend.m_entries[0].m_strLabel = "Ch#1";
    plot.m_legend.m_entries[1].m_strLabel = "Ch#2";
    const wxImage image = RenderPlotImage(plot, kWidth, kHeight);
    ASSERT_TRUE(image.IsOk());
    image.SaveFile(wxString::FromUTF8(ActualPath("legend-frame")), wxBITMAP_TYPE_PNG);
    const gfx::Rect box = plot.m_legend.m_rcBox;
    ASSERT_GT(box.right - box.left, 10);
    ASSERT_GT(box.bottom - box.top, 10);
    const gfx::Color frame = plot.m_legend.m_textColor;
    const gfx::Color inside = plot.m_legend.m_background;
    const auto at = [&](int x, int y)
    {
        return static_cast<gfx::Color>(image.GetRed(x, y)) |
               static_cast<gfx::Color>(image.GetGreen(x, y)) << 8 |
               static_cast<gfx::Color>(image.GetBlue(x, y)) << 16;
    };
    // Below the last row there is a strip of background the height of two spacings and more.
    const int x = (box.left + box.right) / 2;
    const int y = box.bottom - 2;
    EXPECT_EQ(at(x, box.top), frame) << "top";
    EXPECT_EQ(at(x, box.top + 1), inside) << "below the top";
    EXPECT_EQ(at(x, box.bottom - 1), frame) << "bottom";
    EXPECT_EQ(at(x, box.bottom - 2), inside) << "above the bottom";
    EXPECT_NE(at(x, box.bottom), frame) << "below the box";
    EXPECT_EQ(at(box.left, y), frame) << "left";
    EXPECT_EQ(at(box.left + 1, y), inside) << "right of the left";
    EXPECT_NE(at(box.left - 1, y), frame) << "left of the box";
    EXPECT_EQ(at(box.right - 1, y), frame) << "right";
    EXPECT_EQ(at(box.right - 2, y), inside) << "left of the right";
}

// A time signal: a decaying sine burst on a linear axis, drawn as min and max per column.
TEST_F(PlotGoldenTest, TimeSignal)
{
    constexpr int points = 48000;
    std::vector<float> data(points);
    for (int i = 0; i < points; ++i)
    {
        const double t = i / 48000.0;
        data[static_cast<std::size_t>(i)] =
            static_cast<float>(0.8 * std::exp(-t * 4.0) * std::sin(2.0 * M_PI * 50.0 * t));
    }
    CPlot plot;
    plot.m_pData = data.data();
    plot.m_nChannels = 1;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dBinWidth = 1.0 / 48000.0;
    plot.m_viewRange.m_dXMin = 0.0;
    plot.m_viewRange.m_dXMax = 1.0;
    plot.m_viewRange.m_dYMin = -1.0;
    plot.m_viewRange.m_dYMax = 1.0;
    plot.m_strXTitle = "Time [s]";
    plot.m_strYTitle = "Amplitude";
    plot.m_arrStyles[0].m_nColorIndex = PALETTE_BLUE;
    plot.m_arrStyles[0].m_nWidth = 1;
    plot.RecreatePens();
    plot.m_nReductionMode = 3;
    plot.ApplySettings();
    Compare(plot, "time-signal");
}

// Two level bars beside a decibel axis, with peak marks, a flat curve and the crosshair.
TEST_F(PlotGoldenTest, LevelBars)
{
    constexpr int points = 1000;
    std::vector<float> data(points, 0.1f);
    CPlot plot;
    plot.m_pData = data.data();
    plot.m_nChannels = 1;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dataRange.m_bDecibel = 1;
    plot.m_dataRange.m_dLogFactor = 20.0;
    plot.m_viewRange.m_dXMin = 0.0;
    plot.m_viewRange.m_dXMax = points - 1;
    plot.m_viewRange.m_dYMin = -60.0;
    plot.m_viewRange.m_dYMax = 0.0;
    plot.m_strYTitle = "Level [dB]";
    plot.m_bDecibel = 1;
    plot.m_bLevelBars = 1;
    plot.m_nLevelBarCount = 1;
    plot.m_arrLevelBars[0] = {0.1, 0.3, 0.0};
    plot.m_arrLevelBars[1] = {0.02, 0.05, 0.0};
    plot.ApplySettings();
    Compare(plot, "level-bars");
}

// The recorded sonagram of a logarithmic sweep 20 Hz .. 20 kHz: a rising curve over time, time down.
TEST_F(PlotGoldenTest, RecordedSonagramOfALogSweep)
{
    constexpr double rate = 48000.0;
    constexpr int count = 96000;
    const double k = std::log(1000.0);
    std::vector<float> sweep(count);
    for (int i = 0; i < count; ++i)
    {
        const double t = i / rate;
        sweep[static_cast<std::size_t>(i)] = static_cast<float>(
            0.5 * std::sin(2.0 * std::numbers::pi * 20.0 * 2.0 / k * (std::exp(t / 2.0 * k) - 1.0)));
    }
    std::vector<float> spectrum(2048, 1e-6f);
    CPlot plot;
    plot.m_pData = spectrum.data();
    plot.m_nChannels = 1;
    plot.m_dataRange.m_nPoints = 2048;
    plot.m_dataRange.m_bDecibel = 1;
    plot.m_dataRange.m_dLogFactor = 20.0;
    plot.m_dBinWidth = rate / 4096;
    plot.m_viewRange.m_bXLog = 1;
    plot.m_viewRange.m_dXMin = 20.0;
    plot.m_viewRange.m_dXMax = 20000.0;
    plot.m_viewRange.m_dYMin = -120.0;
    plot.m_viewRange.m_dYMax = 0.0;
    plot.m_strXTitle = "Frequency [Hz]";
    plot.m_bSonagram = 1;
    plot.m_pSonagramSamples = sweep.data();
    plot.m_nSonagramSamples = count;
    plot.m_dSonagramRate = rate;
    plot.m_sonagram.m_nFftLength = 4096;
    plot.ApplySettings();
    Compare(plot, "sonagram-sweep");
}

// A cardioid on the default half circle, -40 .. 0 dB.
TEST_F(PlotGoldenTest, PolarCardioid)
{
    constexpr int points = 181;
    std::vector<float> angles(points);
    std::vector<float> data(points);
    for (int i = 0; i < points; ++i)
    {
        const double a = i - 90.0;
        angles[static_cast<std::size_t>(i)] = static_cast<float>(a);
        data[static_cast<std::size_t>(i)] =
            static_cast<float>(std::max(1e-3, 0.5 * (1.0 + std::cos(a * std::numbers::pi / 180.0))));
    }
    CPlot plot;
    plot.m_pData = data.data();
    plot.m_nChannels = 1;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dataRange.m_bDecibel = 1;
    plot.m_dataRange.m_dLogFactor = 20.0;
    plot.m_viewRange.m_dYMin = -40.0;
    plot.m_viewRange.m_dYMax = 0.0;
    plot.m_bPolar = 1;
    plot.m_pPolarAngles = angles.data();
    plot.ApplySettings();
    Compare(plot, "polar-cardioid");
}

// Two sines in quadrature against each other: a circle.
TEST_F(PlotGoldenTest, VectorscopeCircle)
{
    constexpr int points = 480;
    std::vector<float> data(2 * points);
    for (int i = 0; i < points; ++i)
    {
        const double phase = 2.0 * std::numbers::pi * i / 96.0;
        data[static_cast<std::size_t>(i)] = static_cast<float>(0.8 * std::sin(phase));
        data[static_cast<std::size_t>(points + i)] = static_cast<float>(0.8 * std::cos(phase));
    }
    CPlot plot;
    plot.m_pData = data.data();
    plot.m_nChannels = 2;
    plot.m_dataRange.m_nPoints = points;
    plot.m_viewRange.m_dYMin = -1.0;
    plot.m_viewRange.m_dYMax = 1.0;
    plot.m_vectorscope.active = 1;
    plot.m_vectorscope.style = 1;
    plot.ApplySettings();
    Compare(plot, "vectorscope-circle");
}

// Third-octave bands of pink noise (equal power per band: the bars stand level) with labels.
TEST_F(PlotGoldenTest, ThirdOctaveBandsOfPinkNoise)
{
    constexpr int points = 4096;
    constexpr double binWidth = 48000.0 / 8192.0;
    std::vector<float> data(points);
    unsigned state = 12345u;
    for (int i = 0; i < points; ++i)
    {
        state = state * 1664525u + 1013904223u;
        const double jitter = 0.8 + 0.4 * (state >> 8) / double(1u << 24);
        // Power falling as 1/f: -50 dB at 1 kHz per bin.
        data[static_cast<std::size_t>(i)] =
            static_cast<float>(1e-5 * 1000.0 / std::max(binWidth, i * binWidth) * jitter);
    }
    CPlot plot;
    plot.m_pData = data.data();
    plot.m_nChannels = 1;
    plot.m_dataRange.m_nPoints = points;
    plot.m_dataRange.m_bDecibel = 1;
    plot.m_dataRange.m_dLogFactor = 10.0;
    plot.m_dBinWidth = binWidth;
    plot.m_viewRange.m_bXLog = 1;
    plot.m_viewRange.m_dXMin = 20.0;
    plot.m_viewRange.m_dXMax = 20000.0;
    plot.m_viewRange.m_dYMin = -60.0;
    plot.m_viewRange.m_dYMax = 0.0;
    plot.m_strXTitle = "Frequency [Hz]";
    plot.m_bBarGraph = 1;
    plot.m_nBandFraction = 3;
    plot.m_adLinearLevels[0] = 0.05;
    plot.m_strTimeWeightingLabel = "F";
    plot.ApplySettings();
    Compare(plot, "third-octave-pink");
}

}  // namespace
