// The curves a measurement window derives from its impulse response, the room-acoustic figures of
// its channels, when they are computed again, and the fitted decay line of the energy-decay plot.
#include "ViewFixture.h"

#include "dsp/RoomAcoustics.h"
#include "tests/support/TempHome.h"
#include "tests/view/DecayWave.h"
#include "view/DecayRegressionLines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace
{

using viewtest::ViewFixture;

class SndViewImpulseCurvesTest : public ViewFixture
{
protected:
    testsupport::TempHome m_home;

    // Holds `samples` (one channel at `rate`) as the window's impulse response.
    void Hold(CSndView& view, const std::vector<float>& samples, double rate, int channels = 1)
    {
        CImpulseResponse& ir = view.GetImpulse();
        const int frames = static_cast<int>(samples.size()) / channels;
        ASSERT_TRUE(ir.Prepare(channels, frames));
        for (int c = 0; c < channels; ++c)
            std::copy_n(samples.begin() + static_cast<std::ptrdiff_t>(c) * frames, frames, ir.Channel(c));
        ir.m_dSampleRate = rate;
        ir.NewId();
        view.ResetImpulseCache();
    }
    // Switches a plot on and computes it as a redraw does.
    void Show(CSndView& view, int code)
    {
        view.ClearImpulsePlotFlags();
        view.OnImpulsePlot(code);
        ASSERT_EQ(view.GetViewMode(), code);
        view.SetupCurves();
    }
    // The value of a channel's curve at an index, as the plot reads it.
    static float Curve(CSndView& view, int channel, int index)
    {
        const CPlot& plot = view.GetPlot();
        if (plot.m_pData)
        {
            const int stride = plot.m_nStride > 0 ? plot.m_nStride : plot.m_dataRange.m_nPoints;
            return plot.m_pData[static_cast<std::ptrdiff_t>(channel) * stride + index];
        }
        return plot.m_arrChannelData[static_cast<std::size_t>(channel)][index];
    }
    std::string DecayWave(const std::string& name, double decayTime, int rate, double seconds)
    {
        const std::string path = m_home.File(name).string();
        EXPECT_TRUE(viewtest::WriteDecayWave(path, decayTime, rate, seconds));
        return path;
    }
};

std::vector<float> UnitImpulse(int frames, int at)
{
    std::vector<float> v(static_cast<std::size_t>(frames), 0.0f);
    v[static_cast<std::size_t>(at)] = 1.0f;
    return v;
}

// A unit impulse at sample 0 steps to 1.0 at once and stays there.
TEST_F(SndViewImpulseCurvesTest, StepResponseOfAUnitImpulse)
{
    CSndView& view = MakeView();
    Hold(view, UnitImpulse(3000, 0), 48000);
    Show(view, 261);
    EXPECT_EQ(view.GetPlot().m_dataRange.m_nPoints, 3000);
    for (int i = 0; i < 3000; ++i)
        ASSERT_FLOAT_EQ(Curve(view, 0, i), 1.0f) << i;
    EXPECT_NEAR(view.GetPlot().m_dBinWidth, 1000.0 / 48000, 1e-12);
}

// The energy-time curve is (|v| + 1e-6)² of every sample.
TEST_F(SndViewImpulseCurvesTest, EnergyTimeCurve)
{
    CSndView& view = MakeView();
    std::vector<float> v = {0.5f, -0.25f, 0.0f, 1.0f, -1.0f};
    Hold(view, v, 8000);
    Show(view, 259);
    ASSERT_EQ(view.GetPlot().m_dataRange.m_nPoints, 5);
    for (int i = 0; i < 5; ++i)
    {
        const double e = std::fabs(v[static_cast<std::size_t>(i)]) + 1e-6;
        EXPECT_NEAR(Curve(view, 0, i), e * e, 1e-7) << i;
    }
}

// Group delay: an impulse delayed by d samples has d / rate in every bin from 1 on; bin 0 keeps the
// value the phase spectrum left there, not a delay.
TEST_F(SndViewImpulseCurvesTest, GroupDelayOfADelayedImpulse)
{
    CSndView& view = MakeView();
    const int d = 12;
    const double rate = 48000;
    Hold(view, UnitImpulse(1000, d), rate);
    Show(view, 263);
    const int m = view.GetImpulse().m_nAnalysisLength;
    ASSERT_EQ(view.GetPlot().m_dataRange.m_nPoints, m / 2);
    EXPECT_NEAR(view.GetPlot().m_dBinWidth, rate / m, 1e-9);
    EXPECT_NEAR(Curve(view, 0, 0), 4.0 / (static_cast<double>(m) * m), 1e-15);
    for (int k : {1, 2, 100, 5000, m / 4, m / 2 - 1})
        EXPECT_NEAR(Curve(view, 0, k), d / rate * 1000.0, 1e-3) << k;
}

// Phase and frequency response of a delayed impulse: a linear phase, a flat magnitude.
TEST_F(SndViewImpulseCurvesTest, PhaseAndFrequencyResponse)
{
    CSndView& view = MakeView();
    const int d = 3;
    Hold(view, UnitImpulse(500, d), 44100);
    Show(view, 258);
    const int m = view.GetImpulse().m_nAnalysisLength;
    for (int k : {1, 10, 1000})
        EXPECT_NEAR(Curve(view, 0, k), -360.0 * k * d / m, 1e-2) << k;
    Show(view, 257);
    ASSERT_EQ(view.GetPlot().m_dataRange.m_nPoints, m / 2);
    // |X|² · 2 / M² · M² / 4 = |X|² / 2 = 0.5 for a unit impulse.
    for (int k : {1, 10, 1000, m / 2 - 1})
        EXPECT_NEAR(Curve(view, 0, k), 0.5, 1e-4) << k;
}

// Any change of a key field makes the curves stale; a redraw computes them and they are valid
// again. The reports force a recomputation through the stored id.
TEST_F(SndViewImpulseCurvesTest, EveryKeyFieldMakesTheCurvesStale)
{
    CSndView& view = MakeView();
    std::vector<float> v(20000);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<float>(std::exp(-0.001 * static_cast<double>(i)) * ((i % 2) ? 1 : -1));
    Hold(view, v, 48000);
    Show(view, 260);
    ASSERT_FALSE(view.IsImpulseCacheStale());
    struct Change
    {
        const char* name;
        std::function<void()> apply;
    };
    const std::vector<Change> changes = {
        {"impulse id", [&] { view.GetImpulse().NewId(); }},
        {"stored id", [&] { ++view.m_impulseKey.id; }},
        {"signal type", [&] { view.GetImpulse().m_nSignalType = 1; }},
        {"start level", [&] { m_engine.m_irDecayStartLevel = -6.0; }},
        {"stop level", [&] { m_engine.m_irDecayEndLevel = -30.0; }},
        {"average points", [&] { m_engine.m_irRegressionPoints = 50; }},
        {"time window", [&] { m_engine.m_irMaxLengthMs = 300.0; }},
        {"window type", [&] { m_engine.m_nWindowType = 7; }},
        {"smoothing on", [&] { m_engine.m_bSmoothing = 1; }},
        {"smoothing fraction", [&] { m_engine.m_nSmoothingOctaves = 6; }},
        {"band low", [&] { m_engine.m_reverbWizard.minFrequency = 200.0; }},
        {"band high", [&] { m_engine.m_reverbWizard.maxFrequency = 4000.0; }},
        {"view mode",
         [&]
         {
             view.ClearImpulsePlotFlags();
             view.OnImpulsePlot(259);
         }},
    };
    for (const Change& change : changes)
    {
        change.apply();
        EXPECT_TRUE(view.IsImpulseCacheStale()) << change.name;
        view.SetupCurves();
        EXPECT_FALSE(view.IsImpulseCacheStale()) << change.name;
        EXPECT_EQ(view.m_impulseKey.id, view.GetImpulse().m_nId) << change.name;
    }
}

// With the narrow-band analysis at 1/3 octave and 1 kHz the curves and the broadband figures come
// from the band-filtered impulse; the octave and third-octave figures from the impulse as it is.
TEST_F(SndViewImpulseCurvesTest, NarrowBandFiltersCurvesAndBroadbandFiguresOnly)
{
    const double rate = 48000;
    std::vector<float> v(48000);
    std::uint32_t state = 99;
    for (std::size_t i = 0; i < v.size(); ++i)
    {
        state = state * 1664525u + 1013904223u;
        v[i] = static_cast<float>(((state >> 8) / 16777216.0 - 0.5) *
                                  std::exp(-6.9 * static_cast<double>(i) / rate / 0.4));
    }
    CSndView& plain = MakeView();
    Hold(plain, v, rate);
    Show(plain, 256);
    const CRoomAcousticResults broadband = plain.GetRoomAcousticResults(0);

    CSndView& band = MakeView();
    band.m_nBandMode = 3;
    band.m_dBandCentre = 1000.0;
    Hold(band, v, rate);
    Show(band, 256);
    std::vector<float> filtered = v;
    ApplyBandFilter(filtered.data(), static_cast<int>(filtered.size()), rate, 1000.0, 3);
    for (int i : {0, 10, 100, 1000, 20000, 47999})
        EXPECT_NEAR(Curve(band, 0, i), filtered[static_cast<std::size_t>(i)], 1e-6) << i;
    CRoomAcousticResults expected;
    EvaluateRoomAcoustics(filtered.data(), static_cast<int>(filtered.size()), rate, expected,
                          m_engine.m_irDecayStartLevel, m_engine.m_irDecayEndLevel,
                          m_engine.m_irRegressionPoints, 0);
    const CRoomAcousticResults& r = band.GetRoomAcousticResults(0);
    EXPECT_DOUBLE_EQ(r.m_decayTime, expected.m_decayTime);
    EXPECT_DOUBLE_EQ(r.m_c50, expected.m_c50);
    EXPECT_NE(r.m_c50, broadband.m_c50);
    ASSERT_GT(r.m_thirdLastBand, 0);
    EXPECT_EQ(r.m_thirdLastBand, broadband.m_thirdLastBand);
    for (int b = 0; b < r.m_thirdLastBand; ++b)
        EXPECT_EQ(r.m_thirdDecayTimes[static_cast<std::size_t>(b)],
                  broadband.m_thirdDecayTimes[static_cast<std::size_t>(b)]);
    EXPECT_EQ(r.m_octaveLastBand, broadband.m_octaveLastBand);
}

// The fitted line of a 0.5 s decay falls 0.12 dB per ms; the markers sit where it crosses the two
// levels and are clipped to the x range or hidden outside the plot.
TEST(DecayRegressionLinesTest, SlopeAndMarkers)
{
    const DecayRegressionLines lines =
        ComputeDecayRegressionLines(0.5, 0.0, -5.0, -25.0, 0.0, 1000.0, -62.0, 5.0);
    ASSERT_TRUE(lines.fit.visible);
    EXPECT_NEAR((lines.fit.y1 - lines.fit.y0) / (lines.fit.x1 - lines.fit.x0), -0.12, 1e-12);
    EXPECT_DOUBLE_EQ(lines.fit.x0, 0.0);
    // Down to the y minimum at 62 / 0.12 ms.
    EXPECT_NEAR(lines.fit.x1, 62.0 / 0.12, 1e-9);
    EXPECT_DOUBLE_EQ(lines.fit.y1, -62.0);
    ASSERT_TRUE(lines.start.visible);
    EXPECT_NEAR((lines.start.x0 + lines.start.x1) / 2, 5.0 / 0.12, 1e-9);
    EXPECT_NEAR(lines.start.x1 - lines.start.x0, 50.0, 1e-9);
    EXPECT_DOUBLE_EQ(lines.start.y0, -5.0);
    EXPECT_NEAR((lines.stop.x0 + lines.stop.x1) / 2, 25.0 / 0.12, 1e-9);

    struct Case
    {
        const char* name;
        double intercept, levelStart, xMin, xMax, yMin, yMax;
        bool startVisible;
        double x0, x1;  // of the start marker when visible
    };
    const Case cases[] = {
        // An intercept above the plot: the line starts at the y maximum.
        {"clipped at the left edge", 0.0, 0.0, 0.0, 1000.0, -62.0, 5.0, true, 0.0, 25.0},
        {"level above the plot", 0.0, 10.0, 0.0, 1000.0, -62.0, 5.0, false, 0, 0},
        {"centre left of the x minimum", 0.0, -5.0, 100.0, 1000.0, -62.0, 5.0, false, 0, 0},
        {"clipped at the right edge", 0.0, -5.0, 0.0, 42.0, -62.0, 5.0, true, 5.0 / 0.12 - 1.05, 42.0},
    };
    for (const Case& c : cases)
    {
        const DecayRegressionLines l = ComputeDecayRegressionLines(0.5, c.intercept, c.levelStart, -25.0,
                                                                   c.xMin, c.xMax, c.yMin, c.yMax);
        EXPECT_EQ(l.start.visible, c.startVisible) << c.name;
        if (c.startVisible)
        {
            EXPECT_NEAR(l.start.x0, c.x0, 1e-9) << c.name;
            EXPECT_NEAR(l.start.x1, c.x1, 1e-9) << c.name;
        }
    }
    const DecayRegressionLines high =
        ComputeDecayRegressionLines(0.5, 20.0, -5.0, -25.0, 0.0, 1000.0, -62.0, 5.0);
    EXPECT_DOUBLE_EQ(high.fit.y0, 5.0);
    EXPECT_NEAR(high.fit.x0, 15.0 / 0.12, 1e-9);
    // No decay: nothing is drawn.
    for (double t : {0.0, -1.0})
    {
        const DecayRegressionLines none =
            ComputeDecayRegressionLines(t, 0.0, -5.0, -25.0, 0.0, 1000.0, -62.0, 5.0);
        EXPECT_FALSE(none.fit.visible || none.start.visible || none.stop.visible) << t;
    }
}

// Another window's measuring rectangle over a time plot selects the part of the impulse analysed;
// a rectangle past the impulse's end shows nothing.
TEST_F(SndViewImpulseCurvesTest, LinkedTimeWindow)
{
    CSndView& view = MakeView();
    CSndView& other = MakeView();
    const double rate = 10000;
    std::vector<float> v(5000);
    for (std::size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<float>(i) / 5000.0f;
    Hold(view, v, rate);
    Hold(other, v, rate);
    Show(other, 256);
    CMeasureRect& rect = other.GetPlot().m_measureRect;
    rect.m_bVisible = 1;
    rect.m_dX1 = 100.0;  // ms
    rect.m_dX2 = 50.0;
    rect.m_dY1 = 0.5;
    rect.m_dY2 = -0.5;
    Show(view, 256);
    ASSERT_EQ(view.GetPlot().m_dataRange.m_nPoints, 500);
    EXPECT_FLOAT_EQ(Curve(view, 0, 0), v[500]);
    EXPECT_FLOAT_EQ(Curve(view, 0, 499), v[999]);

    rect.m_dX1 = 900.0;
    rect.m_dX2 = 800.0;
    ++view.m_impulseKey.id;
    view.SetupCurves();
    EXPECT_EQ(view.GetPlot().m_dataRange.m_nPoints, 0);
    EXPECT_EQ(view.GetPlot().m_pData, nullptr);
}

// ISO 3382 by closed form: exponential decays written as WAVE and loaded through the menu give
// their decay time with every decay range, and D50, C50 and C80 of the reference table.
TEST_F(SndViewImpulseCurvesTest, ExponentialDecaysMatchTheClosedForm)
{
    struct Reference
    {
        double t, d50, c50, c80;
    };
    const Reference references[] = {
        {0.5, 0.7488, 4.744, 9.096}, {1.0, 0.4988, -0.021, 3.053}, {2.0, 0.2921, -3.845, -1.321}};
    struct Range
    {
        double start, stop;
    };
    const Range ranges[] = {{-5.0, -25.0}, {-5.0, -35.0}, {0.0, -10.0}};
    CSndView& view = MakeView();
    for (const Reference& ref : references)
    {
        Window(0).m_strFilePath =
            DecayWave("decay" + std::to_string(ref.t) + ".wav", ref.t, 48000, 1.6 * ref.t + 0.2);
        ASSERT_TRUE(view.OnCommand(view_command::kLoadImpulse));
        ASSERT_TRUE(view.GetImpulse().IsHeld());
        for (const Range& range : ranges)
        {
            m_engine.m_irDecayStartLevel = range.start;
            m_engine.m_irDecayEndLevel = range.stop;
            view.OnCommand(view_command::kPlotEnergyDecay);
            view.SetupCurves();
            const CRoomAcousticResults& r = view.GetRoomAcousticResults(0);
            EXPECT_NEAR(r.m_decayTime, ref.t, 0.02 * ref.t)
                << ref.t << " " << range.start << "/" << range.stop;
            EXPECT_NEAR(r.m_d50, ref.d50, 0.005) << ref.t;
            EXPECT_NEAR(10.0 * std::log10(r.m_c50), ref.c50, 0.1) << ref.t;
            EXPECT_NEAR(10.0 * std::log10(r.m_c80), ref.c80, 0.1) << ref.t;
            view.OnCommand(view_command::kPlotEnergyDecay);
        }
    }
}

}  // namespace
