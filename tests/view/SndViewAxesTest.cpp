// Axes, titles, status bar, y auto scale, timers and the processing flag of the measurement window.
#include <functional>
#include <mutex>

#include "ViewFixture.h"
#include "dsp/FrequencyWeighting.h"

namespace
{

using viewtest::FakeViewWindow;
using viewtest::ViewFixture;
namespace cmd = view_command;

class SndViewAxes : public ViewFixture
{
protected:
    // Zooms the window's current record and applies it.
    static void Zoom(CSndView& view, double xMin, double xMax, double yMin, double yMax)
    {
        CAxisProp& record = view.GetSettings()->m_Axes;
        record.m_dXMin = xMin;
        record.m_dXMax = xMax;
        record.m_dYMin = yMin;
        record.m_dYMax = yMax;
        view.RestartDisplay();
    }
    static void ExpectViewRange(const CSndView& view, double xMin, double xMax, double yMin, double yMax)
    {
        const CPlotRange& range = view.GetPlot().m_viewRange;
        EXPECT_EQ(range.m_dXMin, xMin);
        EXPECT_EQ(range.m_dXMax, xMax);
        EXPECT_EQ(range.m_dYMin, yMin);
        EXPECT_EQ(range.m_dYMax, yMax);
    }
};

// ---------------------------------------------------------------------------------------------
// Per-mode axis records.

TEST_F(SndViewAxes, SpectrumZoomComesBackAfterTheOscilloscope)
{
    struct Way
    {
        const char* name;
        int views;
        // Switches to a time display and back to the spectrum.
        std::function<void(CSndView&)> away;
        std::function<void(CSndView&)> back;
    } const ways[] = {
        {"one window: engine oscilloscope", 1, [](CSndView& v) { v.OnCommand(cmd::kOscilloscope); },
         [](CSndView& v) { v.OnCommand(cmd::kFftAnalyzer); }},
        {"two windows: oscilloscope in the window", 2, [](CSndView& v) { v.OnCommand(cmd::kOscilloscope); },
         [](CSndView& v) { v.OnCommand(cmd::kOscilloscope); }},
    };
    for (const Way& way : ways)
    {
        SCOPED_TRACE(way.name);
        m_views.clear();
        MakeViews(way.views);
        CSndView& view = View(0);
        Zoom(view, 123.5, 4321.25, -87.5, -12.25);
        ExpectViewRange(view, 123.5, 4321.25, -87.5, -12.25);

        way.away(view);
        ASSERT_TRUE(view.IsTimeAxis());
        // The time display has a record of its own.
        EXPECT_EQ(view.GetPlot().m_viewRange.m_dYMin, -1.1);
        EXPECT_EQ(view.GetPlot().m_viewRange.m_dXMin, 0.0);
        Zoom(view, 1.0, 2.0, -0.5, 0.5);

        way.back(view);
        ASSERT_EQ(view.GetViewMode(), 0);
        ExpectViewRange(view, 123.5, 4321.25, -87.5, -12.25);
        EXPECT_EQ(view.GetPlot().m_viewRange.m_bXLog, 1);

        // And the time display kept its own zoom.
        way.away(view);
        ExpectViewRange(view, 1.0, 2.0, -0.5, 0.5);
        way.back(view);
    }
}

TEST_F(SndViewAxes, BarGraphRangeAtLowAndHighSampleRates)
{
    // At 22050 Hz the full range ends at half the rate, and every set-up resets the window to it.
    m_engine.m_nSampleRate = 22050;
    CSndView& view = MakeView();
    view.SetViewMode(10002);
    view.RestartDisplay();
    ASSERT_EQ(view.GetViewMode(), 32);
    const CPlot& plot = view.GetPlot();
    EXPECT_EQ(plot.m_dataRange.m_dXMax, 11025.0);
    EXPECT_EQ(plot.m_viewRange.m_dXMax, 11025.0);
    EXPECT_EQ(plot.m_viewRange.m_dXMin, plot.m_dataRange.m_dXMin);
    for (int round = 0; round < 2; ++round)
    {
        Zoom(view, 200.0, 3000.0, -70.0, -5.0);
        EXPECT_EQ(plot.m_viewRange.m_dXMin, plot.m_dataRange.m_dXMin);
        EXPECT_EQ(plot.m_viewRange.m_dXMax, 11025.0);
        // The y zoom is the user's.
        EXPECT_EQ(plot.m_viewRange.m_dYMin, -70.0);
    }

    // At 48000 Hz the full range stops at 12000 Hz and a zoom stays.
    m_engine.m_nSampleRate = 48000;
    view.RestartDisplay();
    EXPECT_EQ(plot.m_dataRange.m_dXMax, 12000.0);
    Zoom(view, 200.0, 3000.0, -70.0, -5.0);
    ExpectViewRange(view, 200.0, 3000.0, -70.0, -5.0);
    view.RestartDisplay();
    ExpectViewRange(view, 200.0, 3000.0, -70.0, -5.0);
}

TEST_F(SndViewAxes, ResetZoomGoesToTheFullRange)
{
    CSndView& view = MakeView();
    Zoom(view, 300.0, 900.0, -30.0, -20.0);
    view.OnCommand(cmd::kResetZoom);
    const CPlot& plot = view.GetPlot();
    ExpectViewRange(view, plot.m_dataRange.m_dXMin, plot.m_dataRange.m_dXMax, m_engine.m_dMinLevelDb,
                    m_engine.m_dMaxLevelDb);
    // From the first bin (22050 Hz / 256 points, above the 20 Hz minimum) up to 1.07 x the 20 kHz
    // maximum frequency, which lies below the last bin.
    EXPECT_EQ(plot.m_dataRange.m_dXMin, 86.1328125);
    EXPECT_DOUBLE_EQ(plot.m_dataRange.m_dXMax, 21400.0);
}

TEST_F(SndViewAxes, SpectrumAxisFollowsTheFftSizeAndRate)
{
    // The window starts at the first bin or the 20 Hz minimum frequency, whichever is higher, after
    // every change of FFT size or rate, whether the change reaches the window through a display
    // restart or through the next refresh of a stopped window.
    struct Step
    {
        int rate;
        int fftSize;
        bool throughRefresh;
    } const steps[] = {
        {48000, 512, false},   {48000, 8192, false}, {48000, 65536, true}, {48000, 1024, true},
        {44100, 16384, false}, {96000, 2048, false}, {96000, 4096, true},  {48000, 512, false},
    };
    m_engine.m_nSampleRate = 48000;
    ASSERT_TRUE(m_engine.SetFftSize(512));
    CSndView& view = MakeView();
    const CPlot& plot = view.GetPlot();
    for (const Step& step : steps)
    {
        SCOPED_TRACE(testing::Message() << step.rate << " Hz, FFT " << step.fftSize);
        m_engine.m_nSampleRate = step.rate;
        ASSERT_TRUE(m_engine.SetFftSize(step.fftSize));
        if (step.throughRefresh)
            view.SetupCurves();
        else
            view.RestartDisplay();
        const double firstBin = static_cast<double>(step.rate) / step.fftSize;
        EXPECT_DOUBLE_EQ(plot.m_viewRange.m_dXMin, std::max(20.0, firstBin));
        EXPECT_DOUBLE_EQ(plot.m_viewRange.m_dXMax, std::min(step.rate / 2.0 - firstBin, 21400.0));
        EXPECT_DOUBLE_EQ(view.GetSettings()->m_Axes.m_dXMin, plot.m_viewRange.m_dXMin);
    }

    // A zoom inside the range is the user's and stays through a change of size.
    Zoom(view, 200.0, 5000.0, -90.0, 0.0);
    ASSERT_TRUE(m_engine.SetFftSize(8192));
    view.RestartDisplay();
    ExpectViewRange(view, 200.0, 5000.0, -90.0, 0.0);
}

// ---------------------------------------------------------------------------------------------
// Titles.

struct TitleCase
{
    const char* name;
    std::function<void(CSndView&, CSoundIn&, CViewSettings&)> select;
    int mode;
    std::string yTitle;
    std::string xTitle;
};

TEST_F(SndViewAxes, TitlesOfEachMode)
{
    const std::string leq = "LEQ(" + GetWeightingName(2) + ")[dB]";
    const TitleCase cases[] = {
        {"spectrum", [](CSndView&, CSoundIn&, CViewSettings&) {}, 0, "[dB]", "Frequency [Hz]"},
        {"spectrum on a linear y axis", [](CSndView&, CSoundIn&, CViewSettings& s) { s.m_Axes.m_bLogY = 0; },
         0, "", "Frequency [Hz]"},
        {"oscilloscope", [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(1); }, 1, "amplitude",
         "Time [ms]"},
        {"MLS magnitude", [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(2); }, 2, "[dB]",
         "Frequency [Hz]"},
        {"MLS phase", [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(3); }, 3, "phase [deg]",
         "Frequency [Hz]"},
        {"MLS impulse", [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(4); }, 4, "amplitude",
         "Time [ms]"},
        {"impedance", [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(5); }, 5,
         "impedance [Ohm]", "Frequency [Hz]"},
        {"spectrogram", [](CSndView&, CSoundIn&, CViewSettings& s) { s.m_bSpectrogram = 1; }, 6, "[dB]",
         "Frequency [Hz]"},
        {"correlation of two channels",
         [](CSndView&, CSoundIn& e, CViewSettings&)
         {
             e.SetAnalyzerMode(7);
             e.m_nAnalysisChannels = 2;
         },
         7, "correlation", "Time [ms]"},
        {"correlation of one channel",
         [](CSndView&, CSoundIn& e, CViewSettings&)
         {
             e.SetAnalyzerMode(7);
             e.m_nAnalysisChannels = 1;
         },
         7, "auto-correlation", "Time [ms]"},
        {"FFT phase", [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(8); }, 8, "phase [deg]",
         "Frequency [Hz]"},
        {"directivity", [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(9); }, 9, "", "Time [ms]"},
        {"bar graph", [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(10001); }, 32, "Z [dB]",
         "Frequency [Hz]"},
        {"level monitor over three hours",
         [](CSndView&, CSoundIn& e, CViewSettings& s)
         {
             s.m_nDisplayKind = 1;
             e.m_nWeightingType = 2;
             e.m_dLevelInterval = 0.125;
             e.m_levelMonitor.m_nHistoryLength = 3 * 3600 * 8;
         },
         64, leq, "Time [h]"},
        {"level monitor over two minutes",
         [](CSndView&, CSoundIn& e, CViewSettings& s)
         {
             s.m_nDisplayKind = 1;
             e.m_nWeightingType = 2;
             e.m_dLevelInterval = 0.125;
             e.m_levelMonitor.m_nHistoryLength = 120 * 8;
         },
         64, leq, "Time [s]"},
        {"level monitor over an hour",
         [](CSndView&, CSoundIn& e, CViewSettings& s)
         {
             s.m_nDisplayKind = 1;
             e.m_nWeightingType = 2;
             e.m_dLevelInterval = 0.125;
             e.m_levelMonitor.m_nHistoryLength = 3600 * 8;
         },
         64, leq, "Time [min]"},
        {"level sweep over input dB",
         [](CSndView&, CSoundIn&, CViewSettings& s)
         {
             s.m_nSweepResultType = 1;
             s.m_bLevelSweepPlot = 1;
         },
         128, "Level [dB]", "Input level [dB]"},
        {"level sweep over a fourth quantity",
         [](CSndView&, CSoundIn&, CViewSettings& s)
         {
             s.m_nSweepResultType = 1;
             s.m_bLevelSweepPlot = 1;
             s.m_nSweepPlotOptions = 3 << 1;
         },
         128, "Level [dB]", "Critical Band Rate (bark)"},
        {"loudness", [](CSndView&, CSoundIn&, CViewSettings& s) { s.m_bSpecificLoudness = 1; }, 160,
         "specific loudness [sone]", "Critical Band Rate (bark)"},
        {"impulse response", [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(256); }, 256,
         "amplitude", "Time [ms]"},
        {"impulse frequency response", [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(257); },
         257, "[dB]", "Frequency [Hz]"},
        {"impulse phase", [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(258); }, 258,
         "phase [deg]", "Frequency [Hz]"},
        {"reverberation time", [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(262); }, 262,
         "Time [ms]", "Frequency [Hz]"},
        {"group delay", [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(263); }, 263, "Time [ms]",
         "Frequency [Hz]"},
        {"phonetogram", [](CSndView&, CSoundIn&, CViewSettings& s) { s.m_bPhonetogram = 1; }, 288,
         "Level [dB]", "Frequency [Hz]"},
    };
    for (const TitleCase& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_views.clear();
        CSndView& view = MakeView();
        m_engine.SetAnalyzerMode(0);
        c.select(view, m_engine, *view.GetSettings());
        view.RestartDisplay();
        ASSERT_EQ(view.GetViewMode(), c.mode);
        EXPECT_EQ(view.GetPlot().m_strYTitle, c.yTitle);
        EXPECT_EQ(view.GetPlot().m_strXTitle, c.xTitle);
        EXPECT_EQ(view.GetYTitle(c.mode), c.yTitle);
        EXPECT_EQ(view.GetXTitle(c.mode), c.xTitle);
    }
}

TEST_F(SndViewAxes, XUnits)
{
    CSndView& view = MakeView();
    CViewSettings& settings = *view.GetSettings();
    EXPECT_EQ(view.GetXUnit(0), "Hz");
    EXPECT_EQ(view.GetXUnit(160), "bark");
    EXPECT_EQ(view.GetXUnit(9), "\xC2\xB0");
    const char* const sweepUnits[] = {"dB", "V", "W", ""};
    for (int quantity = 0; quantity < 4; ++quantity)
    {
        settings.m_nSweepPlotOptions = quantity << 1;
        EXPECT_EQ(view.GetXUnit(128), sweepUnits[quantity]) << quantity;
    }
}

// ---------------------------------------------------------------------------------------------
// Status bar.

TEST_F(SndViewAxes, StatusBarOfAFftBlock)
{
    m_engine.m_nSampleRate = 48000;
    ASSERT_TRUE(m_engine.SetFftSize(4096));
    m_engine.m_nAverageCount = 1;
    m_engine.m_bWindowEnable = 0;
    m_engine.m_nWeightingType = 0;
    CSndView& view = MakeView();
    view.RestartDisplay();
    EXPECT_EQ(m_frame.m_panes[1], "48000");
    EXPECT_EQ(m_frame.m_panes[2], "     4096");
    EXPECT_EQ(m_frame.m_panes[3], "85ms");
    EXPECT_EQ(m_frame.m_panes[4], GetWeightingName(0));
    EXPECT_EQ(m_frame.m_panes[5], "Wind. OFF");
    EXPECT_EQ(m_frame.m_nFftEntry, 5);
    EXPECT_EQ(m_frame.m_nWeightingEntry, 0);
    EXPECT_EQ(view.GetStatusTexts()[2], "     4096");

    m_engine.m_bWindowEnable = 1;
    m_engine.m_strWindowName = "Hanning";
    m_engine.m_nWeightingType = 1;
    view.OnActivateView(true);
    EXPECT_EQ(m_frame.m_panes[5], "Hanning");
    EXPECT_EQ(m_frame.m_panes[4], GetWeightingName(1));
    EXPECT_EQ(m_frame.m_nWeightingEntry, 1);

    // The first pane says which input runs.
    m_engine.m_nInputMode = CSoundIn::kInputSimulated;
    view.RestartDisplay();
    EXPECT_EQ(m_frame.m_panes[0], "Input: Simulated input (1 kHz sine)");
    m_engine.m_nInputMode = CSoundIn::kInputWave;
    view.RestartDisplay();
    EXPECT_EQ(m_frame.m_panes[0], "Input: ALSA \"default\"");
}

TEST_F(SndViewAxes, StatusBarDurationUnits)
{
    m_engine.m_nSampleRate = 48000;
    ASSERT_TRUE(m_engine.SetFftSize(4096));
    CSndView& view = MakeView();
    // 4096 / 48000 s = 85.333 ms per average.
    struct
    {
        int averages;
        const char* text;
    } const cases[] = {
        {1, "85ms"},    {11, "939ms"},   {12, "1.02s"},     {117, "9.98s"},        {118, "10.1s"},
        {200, "17.1s"}, {1171, "99.9s"}, {1172, "100s"},    {2000, "171s"},        {11718, "1000s"},
        {11719, "17m"}, {20000, "28m"},  {703124, "1000m"}, {800000, "     4096"},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.averages);
        m_engine.m_nAverageCount = c.averages;
        view.UpdateStatusBar();
        EXPECT_EQ(m_frame.m_panes[3], c.text);
    }
}

TEST_F(SndViewAxes, FftSizeListEntry)
{
    CSndView& view = MakeView();
    const struct
    {
        int size;
        int entry;
    } cases[] = {{128, 0}, {256, 1}, {1024, 3}, {4096, 5}, {65536, 9}, {64, 0}};
    for (const auto& c : cases)
    {
        ASSERT_TRUE(m_engine.SetFftSize(c.size));
        view.UpdateStatusBar();
        EXPECT_EQ(m_frame.m_nFftEntry, c.entry) << c.size;
    }
}

TEST(DecimalsForValue, Boundaries)
{
    const struct
    {
        double value;
        int decimals;
    } cases[] = {
        {0.0, 4},   {0.5, 4},    {1.0, 4},    {1.0001, 3}, {10.0, 3}, {10.01, 2}, {100.0, 2},
        {100.5, 1}, {1000.0, 1}, {1000.5, 0}, {1e9, 0},    {-1.0, 4}, {-9.99, 3}, {-1000.5, 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecimalsForValue(c.value), c.decimals) << c.value;
}

// ---------------------------------------------------------------------------------------------
// y auto scale.

class SndViewAutoScale : public SndViewAxes
{
protected:
    // One channel of 512 points at 48000 Hz with a 1024 block: point i lies at 46.875 x i Hz.
    CSndView& MakeSpectrumView()
    {
        m_engine.m_nSampleRate = 48000;
        EXPECT_TRUE(m_engine.SetFftSize(1024));
        m_engine.m_nDisplayLength = 512;
        m_engine.m_nAnalysisChannels = 1;
        {
            std::lock_guard lock(m_engine.m_displayLock);
            EXPECT_GE(m_engine.m_spectrumDisplay.size(), 512u);
            std::fill(m_engine.m_spectrumDisplay.begin(), m_engine.m_spectrumDisplay.end(), 0.01f);  // -20 dB
            m_engine.m_spectrumDisplay[0] = 100.0f;   // +20 dB at 0 Hz, below 20 Hz
            m_engine.m_spectrumDisplay[10] = 1.0f;    // 0 dB at 468.75 Hz
            m_engine.m_spectrumDisplay[300] = 1e-4f;  // -40 dB at 14062.5 Hz
            m_engine.m_spectrumDisplay[500] = 1e-9f;  // -90 dB at 23437.5 Hz, above 20000 Hz
        }
        CSndView& view = MakeView();
        view.SetupCurves();
        return view;
    }
};

TEST_F(SndViewAutoScale, RangeBracketsTheCurveInsideTheXRange)
{
    CSndView& view = MakeSpectrumView();
    ASSERT_GE(view.GetCurveCount(), 1);
    const auto events = view.m_nAutoScaleEvents.load();
    view.OnCommand(cmd::kYAutoScale);
    // 0 dB to -40 dB, widened by 10 % of the 40 dB span on each side.
    const CAxisProp& record = view.GetSettings()->m_Axes;
    EXPECT_NEAR(record.m_dYMax, 4.0, 0.05);
    EXPECT_NEAR(record.m_dYMin, -44.0, 0.05);
    EXPECT_EQ(view.GetPlot().m_viewRange.m_dYMax, record.m_dYMax);
    EXPECT_EQ(view.GetPlot().m_viewRange.m_dYMin, record.m_dYMin);
    EXPECT_EQ(view.m_nAutoScaleEvents.load(), events + 1);
}

TEST_F(SndViewAutoScale, CurveOutsideTheXRangeUsesAllPoints)
{
    CSndView& view = MakeSpectrumView();
    CAxisProp& record = view.GetSettings()->m_Axes;
    record.m_dXMin = 30000.0;
    record.m_dXMax = 40000.0;
    double yMin = 0.0;
    double yMax = 0.0;
    ASSERT_TRUE(view.ComputeYAutoRange(&yMin, &yMax));
    // +20 dB down to -90 dB: a span of 110 dB.
    EXPECT_NEAR(yMax, 31.0, 0.05);
    EXPECT_NEAR(yMin, -101.0, 0.05);
}

TEST_F(SndViewAutoScale, FlatCurveStillGetsAVisibleRange)
{
    CSndView& view = MakeSpectrumView();
    {
        std::lock_guard lock(m_engine.m_displayLock);
        std::fill(m_engine.m_spectrumDisplay.begin(), m_engine.m_spectrumDisplay.end(), 0.1f);
    }
    double yMin = 0.0;
    double yMax = 0.0;
    ASSERT_TRUE(view.ComputeYAutoRange(&yMin, &yMax));
    EXPECT_LT(yMin, -10.0);
    EXPECT_GT(yMax, -10.0);
}

TEST_F(SndViewAutoScale, WithoutDataTheRangeStaysAndTheCounterStillRises)
{
    CSndView& view = MakeView();  // no curve set-up yet: the plot has no data
    CAxisProp& record = view.GetSettings()->m_Axes;
    record.m_dYMin = -77.0;
    record.m_dYMax = -7.0;
    double yMin = 1.0;
    double yMax = 2.0;
    EXPECT_FALSE(view.ComputeYAutoRange(&yMin, &yMax));
    EXPECT_EQ(yMin, 1.0);
    EXPECT_EQ(yMax, 2.0);
    view.OnYAutoScale();
    EXPECT_EQ(record.m_dYMin, -77.0);
    EXPECT_EQ(record.m_dYMax, -7.0);
    EXPECT_EQ(view.GetPlot().m_viewRange.m_dYMin, -77.0);
    EXPECT_EQ(view.m_nAutoScaleEvents.load(), 1u);
}

TEST_F(SndViewAutoScale, WhileAWorkspaceLoadsTheProcessingFlagSurvives)
{
    CSndView& view = MakeSpectrumView();
    m_engine.m_bProcessingEnabled.store(1);
    g_bDisplayRestart = 0;
    view.OnYAutoScale();
    view.RestartDisplay();
    g_bDisplayRestart = 1;
    // The windows must go on drawing once the workspace is loaded.
    EXPECT_EQ(m_engine.m_bProcessingEnabled.load(), 1);
    EXPECT_EQ(view.m_nAutoScaleEvents.load(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Timers.

TEST_F(SndViewAxes, TimerExhaustionWarnsOnceAndSetsNoFurtherTimer)
{
    const std::string warning = CSndView::kTimerWarning;
    struct
    {
        const char* name;
        int succeeding;  // SetTimer calls that still succeed
        int viewIndex;
        int attempts;  // calls made, the failing one included
    } const cases[] = {
        {"first timer fails", 0, 0, 1},
        {"progress timer fails in the first window", 2, 0, 3},
        {"restart timer fails in the first window", 5, 0, 6},
        {"progress timer fails in a second window", 1, 1, 2},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        // Fresh windows: each warns only once in its life.
        while (!m_views.empty())
            DestroyView(static_cast<int>(m_views.size()) - 1);
        MakeViews(2);
        CSndView& view = View(c.viewIndex);
        FakeViewWindow& window = Window(c.viewIndex);
        window.m_timers.clear();
        window.m_setCalls.clear();
        m_frame.m_messages.clear();
        window.m_nTimersLeft = c.succeeding;
        EXPECT_FALSE(view.SetTimers());
        EXPECT_EQ(m_frame.CountMessages(warning), 1);
        EXPECT_EQ(static_cast<int>(window.m_setCalls.size()), c.attempts);
        EXPECT_EQ(static_cast<int>(window.m_timers.size()), c.succeeding);
        window.m_nTimersLeft = -1;
    }
    // With timers to spare all of them are set, and nothing is said.
    m_frame.m_messages.clear();
    Window(0).m_timers.clear();
    EXPECT_TRUE(View(0).SetTimers());
    EXPECT_EQ(Window(0).m_timers.size(), 6u);
    EXPECT_TRUE(m_frame.m_messages.empty());
}

TEST_F(SndViewAxes, OneShotTimersAskForADisplayRestart)
{
    CSndView& view = MakeView();
    FakeViewWindow& window = Window(0);
    for (int id : {CSndView::kTimerStartup, CSndView::kTimerRestart})
    {
        SCOPED_TRACE(id);
        ASSERT_TRUE(window.HasTimer(id));
        m_engine.m_bDisplayRestartRequest.store(0);
        view.OnTimer(id);
        EXPECT_FALSE(window.HasTimer(id));
        EXPECT_EQ(m_engine.m_bDisplayRestartRequest.load(), 1);
    }
    // The next refresh restarts the display and clears the request.
    m_engine.m_bProcessingEnabled.store(1);
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(m_engine.m_bDisplayRestartRequest.load(), 0);
}

// ---------------------------------------------------------------------------------------------
// The processing flag and the refresh tick.

TEST_F(SndViewAxes, RefreshDrawsOnlyWhileProcessingIsEnabled)
{
    CSndView& view = MakeView();
    FakeViewWindow& window = Window(0);
    window.m_bPaint = true;

    view.PauseProcessing();
    EXPECT_TRUE(view.IsProcessingPaused());
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(window.m_nDraws, 0);
    EXPECT_EQ(view.m_nRefreshEvents.load(), 0u);
    {
        gfx::RecordingCanvas canvas(640, 400);
        view.OnDraw(canvas, window.GetClientRect());
        EXPECT_TRUE(canvas.Ops().empty());
    }

    view.ResumeProcessing();
    EXPECT_FALSE(view.IsProcessingPaused());
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(window.m_nDraws, 1);
    EXPECT_EQ(view.m_nRefreshEvents.load(), 1u);
    EXPECT_GT(window.m_nPaintedOps, 0u);

    // Restarting the display does not leave the flag cleared.
    view.RestartDisplay();
    view.OnCommand(cmd::kSpectrogram);
    EXPECT_FALSE(view.IsProcessingPaused());
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(view.m_nRefreshEvents.load(), 2u);
}

TEST_F(SndViewAxes, AStoppedWindowDoesNoWorkOnItsTimer)
{
    CSndView& view = MakeView();
    FakeViewWindow& window = Window(0);
    window.m_bPaint = true;
    view.ResumeProcessing();
    // The first tick after the set-up draws once; then, without a new result, nothing.
    view.OnTimer(CSndView::kTimerRefresh);
    const int first = window.m_nDraws;
    EXPECT_EQ(first, 1);
    for (int tick = 0; tick < 50; ++tick)
        view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(window.m_nDraws, first);
    EXPECT_EQ(view.m_nRefreshEvents.load(), 1u);

    // A new result draws once, and so does a display restart (a command, a zoom).
    m_engine.m_nAnalysisCounter.store(m_engine.m_nAnalysisCounter.load() + 1);
    view.OnTimer(CSndView::kTimerRefresh);
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(window.m_nDraws, first + 1);
    view.OnCommand(cmd::kPeak);
    view.OnTimer(CSndView::kTimerRefresh);
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(window.m_nDraws, first + 2);
}

TEST_F(SndViewAxes, RefreshTickConditions)
{
    struct
    {
        const char* name;
        int frozen;
        int displayReady;
        int processing;
        bool draws;
    } const cases[] = {
        {"normal", 0, 1, 1, true},
        {"frozen", 1, 1, 1, false},
        {"workspace loading", 0, 0, 1, false},
        {"processing off", 0, 1, 0, false},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.name);
        m_views.clear();
        CSndView& view = MakeView();
        FakeViewWindow& window = Window(0);
        view.m_bDisplayFrozen = c.frozen;
        g_bDisplayRestart = c.displayReady;
        m_engine.m_bProcessingEnabled.store(c.processing);
        view.OnTimer(CSndView::kTimerRefresh);
        g_bDisplayRestart = 1;
        EXPECT_EQ(window.m_nDraws, c.draws ? 1 : 0);
        EXPECT_EQ(view.m_nRefreshEvents.load(), c.draws ? 1u : 0u);
    }
}

TEST_F(SndViewAxes, RefreshWaitsForTheFirstResultAfterACounterRestart)
{
    CSndView& view = MakeView();
    FakeViewWindow& window = Window(0);
    m_engine.m_bProcessingEnabled.store(1);
    m_engine.m_nAnalysisCounter.store(5);
    view.OnTimer(CSndView::kTimerRefresh);
    ASSERT_EQ(window.m_nDraws, 1);
    EXPECT_EQ(view.m_nLastAnalysisCount, 5);
    // An unchanged counter still draws.
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(window.m_nDraws, 2);

    // The engine counts afresh: nothing is drawn until the plot asks for a redraw.
    m_engine.m_nAnalysisCounter.store(2);
    view.GetPlot().m_bFrameDirty = 0;
    view.GetPlot().m_bLayoutDirty = 0;
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(window.m_nDraws, 2);
    view.GetPlot().m_bFrameDirty = 1;
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(window.m_nDraws, 3);
    EXPECT_EQ(view.m_nLastAnalysisCount, 2);
}

TEST_F(SndViewAxes, WindowTitleFromTheSlot)
{
    CSndView& view = MakeView();
    view.GetSettings()->m_strWindowTitle = "Left speaker";
    m_engine.m_bProcessingEnabled.store(1);
    view.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(Window(0).m_strTitle, "Left speaker");
}

}  // namespace
namespace
{

TEST_F(SndViewAxes, AWindowWithoutTimersIsWarnedOnce)
{
    // The toolkit has no timers left from the start: the window says so once, not at each of the
    // display restarts that every mode change runs.
    auto window = std::make_unique<FakeViewWindow>();
    window->m_bFailSetTimer = true;
    CSndView view(m_document, m_engine);
    view.SetWindow(window.get());
    view.OnInitialUpdate();
    view.RestartDisplay();
    view.OnCommand(cmd::kSpectrogram);
    EXPECT_EQ(m_frame.CountMessages(CSndView::kTimerWarning), 1);
    EXPECT_TRUE(window->m_timers.empty());
}

}  // namespace
