// View modes, the analyser-mode commands and the settings slots of the measurement window.
#include <cctype>
#include <functional>

#include "ViewFixture.h"
#include "engine/AudioInSim.h"

namespace
{

using viewtest::FakeViewWindow;
using viewtest::ViewFixture;
namespace cmd = view_command;

// ---------------------------------------------------------------------------------------------
// GetViewMode: which of the slot's, the window's and the engine's flags wins.

struct ModeState
{
    const char* name;
    int displayKind = 0;
    int attenuation = 0;
    std::vector<int> impulseFlags = {};
    int polar = 0;
    int engineMode = 0;
    int sweepResultType = 0;
    int levelSweep = 0;
    int freqSweep = 0;
    int spectrogram = 0;
    int bands = 0;
    int loudness = 0;
    int phonetogram = 0;
    int logger = 0;
    int expected = 0;
};

class SndViewModes : public ViewFixture
{
protected:
    void Apply(const ModeState& s)
    {
        CSndView& view = View(0);
        CViewSettings& settings = Settings(0);
        view.ClearImpulsePlotFlags();
        for (int code : s.impulseFlags)
            view.m_abImpulsePlot[static_cast<std::size_t>(code - 256)] = 1;
        settings.m_nDisplayKind = s.displayKind;
        settings.m_bAttenuationPlot = s.attenuation;
        settings.m_bPolar = s.polar;
        m_engine.SetAnalyzerMode(s.engineMode);
        settings.m_nSweepResultType = s.sweepResultType;
        settings.m_bLevelSweepPlot = s.levelSweep;
        settings.m_bFreqSweepPlot = s.freqSweep;
        settings.m_bSpectrogram = s.spectrogram;
        settings.m_nBandsPerOctave = s.bands;
        settings.m_bBarGraph = s.bands > 0 ? 1 : 0;
        settings.m_bSpecificLoudness = s.loudness;
        settings.m_bPhonetogram = s.phonetogram;
        settings.m_bLoggerResults = s.logger;
    }
};

TEST_F(SndViewModes, GetViewModeFollowsThePriorityOfTheFlags)
{
    MakeView();
    const ModeState cases[] = {
        {.name = "nothing set", .expected = 0},
        {.name = "scope in window beats all",
         .displayKind = 2,
         .attenuation = 1,
         .impulseFlags = {257},
         .engineMode = 2,
         .expected = 320},
        {.name = "level monitor", .displayKind = 1, .spectrogram = 1, .expected = 64},
        {.name = "custom plot beats impulse", .attenuation = 1, .impulseFlags = {256}, .expected = 281},
        {.name = "impulse beats engine MLS", .impulseFlags = {258}, .engineMode = 2, .expected = 258},
        {.name = "impulse 257 before 256", .impulseFlags = {256, 257}, .expected = 257},
        {.name = "impulse 256 before 259", .impulseFlags = {259, 256}, .expected = 256},
        {.name = "impulse 263 alone", .impulseFlags = {263}, .engineMode = 5, .expected = 263},
        {.name = "polar beats engine", .polar = 1, .engineMode = 1, .expected = 9},
        {.name = "engine impedance beats spectrogram", .engineMode = 5, .spectrogram = 1, .expected = 5},
        {.name = "level sweep without result type falls through",
         .levelSweep = 1,
         .spectrogram = 1,
         .expected = 6},
        {.name = "frequency sweep without result type falls through", .freqSweep = 1, .expected = 0},
        {.name = "level sweep result",
         .sweepResultType = 2,
         .levelSweep = 1,
         .freqSweep = 1,
         .expected = 128},
        {.name = "frequency sweep result", .sweepResultType = 2, .freqSweep = 1, .bands = 3, .expected = 96},
        {.name = "bar graph", .bands = 1, .loudness = 1, .expected = 32},
        {.name = "bar graph with MLS magnitude", .engineMode = 2, .bands = 3, .expected = 2},
        {.name = "bar graph with MLS phase", .engineMode = 3, .bands = 3, .expected = 3},
        {.name = "bar graph with MLS impulse", .engineMode = 4, .bands = 1, .expected = 4},
        {.name = "spectrogram beats bar graph", .spectrogram = 1, .bands = 3, .expected = 6},
        {.name = "loudness", .loudness = 1, .phonetogram = 1, .expected = 160},
        {.name = "phonetogram", .phonetogram = 1, .logger = 1, .expected = 288},
        {.name = "logger", .logger = 1, .expected = 271},
    };
    for (const ModeState& state : cases)
    {
        SCOPED_TRACE(state.name);
        Apply(state);
        EXPECT_EQ(View(0).GetViewMode(), state.expected);
    }
}

TEST_F(SndViewModes, SetViewModeSelectsTheFlagsOfTheCode)
{
    CSndView& view = MakeView();
    CViewSettings& settings = Settings(0);

    // 256..263 set their impulse flag and nothing else.
    m_engine.SetAnalyzerMode(2);
    view.SetViewMode(258);
    EXPECT_EQ(view.GetViewMode(), 258);
    EXPECT_EQ(m_engine.GetAnalyzerMode(), 2);

    // 265 clears the impulse flags and sets none: the engine's mode shows again.
    view.SetViewMode(265);
    for (int flag : view.m_abImpulsePlot)
        EXPECT_EQ(flag, 0);
    EXPECT_EQ(view.GetViewMode(), 2);
    // ...or, with the engine in the spectrum, the slot's own mode.
    m_engine.SetAnalyzerMode(0);
    settings.m_bSpectrogram = 1;
    view.SetViewMode(257);
    view.SetViewMode(270);
    EXPECT_EQ(view.GetViewMode(), 6);

    struct
    {
        int code;
        int expected;
        int bands;
    } const codes[] = {
        {10001, 32, 1},
        {10002, 32, 3},
        {9, 9, 0},
        {281, 281, 0},
        {271, 271, 0},
        // A sweep-result flag without a plotted result type shows the spectrum.
        {96, 0, 0},
        {128, 0, 0},
        {0, 0, 0},
    };
    for (const auto& c : codes)
    {
        SCOPED_TRACE(c.code);
        // Every code but the impulse ones starts from a reset: the engine mode goes too.
        m_engine.SetAnalyzerMode(5);
        settings.m_bSpectrogram = 1;
        view.SetViewMode(c.code);
        EXPECT_EQ(m_engine.GetAnalyzerMode(), 0);
        EXPECT_EQ(settings.m_bSpectrogram, 0);
        EXPECT_EQ(view.GetViewMode(), c.expected);
        EXPECT_EQ(settings.m_nBandsPerOctave, c.bands);
        EXPECT_EQ(settings.m_bBarGraph, c.bands > 0 ? 1 : 0);
    }
    settings.m_nSweepResultType = 1;
    view.SetViewMode(128);
    EXPECT_EQ(view.GetViewMode(), 128);
}

// ---------------------------------------------------------------------------------------------
// The analyser-mode commands.

enum class XRange
{
    None,           // not a time display
    DisplayLength,  // 0 .. engine display length x 1000 / rate
    FftSize,        // 0 .. FFT size x 1000 / rate (the window's own oscilloscope shows a whole block)
};

struct CommandCase
{
    const char* name;
    int views;
    std::function<void(CSndView&, CSoundIn&, CViewSettings&)> prepare;
    int command;
    int presses;
    int engineMode;
    int viewMode;
    bool checked;
    const char* xTitle;
    int xLog;
    XRange range;
    // Further expectations of the case (null: none).
    std::function<void(CSndView&, CSoundIn&, CViewSettings&, viewtest::FakeViewFrame&)> extra = nullptr;
};

const auto kNoPrepare = [](CSndView&, CSoundIn&, CViewSettings&) {};
constexpr const char* kHz = "Frequency [Hz]";
constexpr const char* kMs = "Time [ms]";

// Cases that press a command on a window of a new workspace.
const std::vector<CommandCase>& CommandCases()
{
    static const std::vector<CommandCase> cases = {
        {"FFT analyzer leaves MLS", 1, [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(2); },
         cmd::kFftAnalyzer, 1, 0, 0, true, kHz, 1, XRange::None},
        {"FFT analyzer clears the spectrogram", 1,
         [](CSndView&, CSoundIn&, CViewSettings& s) { s.m_bSpectrogram = 1; }, cmd::kFftAnalyzer, 1, 0, 0,
         true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         { EXPECT_EQ(s.m_bSpectrogram, 0); }},
        {"MLS", 1, kNoPrepare, cmd::kMls, 1, 2, 2, true, kHz, 1, XRange::None},
        {"MLS ends the bar graph", 1, [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(10002); },
         cmd::kMls, 1, 2, 2, true, kHz, 1, XRange::None,
         [](CSndView& v, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_bBarGraph, 0);
             EXPECT_FALSE(v.IsCommandChecked(cmd::kBarGraph));
         }},
        {"oscilloscope, one window", 1,
         [](CSndView&, CSoundIn& e, CViewSettings&)
         {
             e.m_nWindowType = 3;
             e.m_bWindowEnable = 1;
             e.m_nWeightingType = 2;
         },
         cmd::kOscilloscope, 1, 1, 1, true, kMs, 0, XRange::DisplayLength,
         [](CSndView& v, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nDisplayKind, 0);
             EXPECT_EQ(v.m_nSavedWindowType, 3 + 256);
             EXPECT_EQ(e.m_bWindowEnable, 0);
             EXPECT_EQ(e.m_nWeightingType, 0);
             EXPECT_FALSE(v.IsCommandChecked(cmd::kFftAnalyzer));
         }},
        {"oscilloscope, two windows: only the pressed one", 2, kNoPrepare, cmd::kOscilloscope, 1, 0, 320,
         true, kMs, 0, XRange::FftSize,
         [](CSndView& v, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nDisplayKind, 2);
             EXPECT_TRUE(v.IsTimeAxis());
         }},
        {"oscilloscope, two windows, second press returns", 2, kNoPrepare, cmd::kOscilloscope, 2, 0, 0, false,
         kHz, 1, XRange::None},
        {"oscilloscope, two windows, back to the MLS display", 2,
         [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(3); }, cmd::kOscilloscope, 2, 3, 3,
         false, kHz, 1, XRange::None},
        {"bar graph: third octave", 1, kNoPrepare, cmd::kBarGraph, 1, 0, 32, true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nBandsPerOctave, 3);
             EXPECT_EQ(e.m_nBandAnalyzerMode, 3);
         }},
        {"bar graph: octave", 1, kNoPrepare, cmd::kBarGraph, 2, 0, 32, true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nBandsPerOctave, 1);
             EXPECT_EQ(e.m_nBandAnalyzerMode, 1);
         }},
        {"bar graph: off", 1, kNoPrepare, cmd::kBarGraph, 3, 0, 0, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nBandsPerOctave, 0);
             EXPECT_EQ(s.m_bBarGraph, 0);
             EXPECT_EQ(e.m_nBandAnalyzerMode, 0);
         }},
        {"bar graph: third octave again", 1, kNoPrepare, cmd::kBarGraph, 4, 0, 32, true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         { EXPECT_EQ(s.m_nBandsPerOctave, 3); }},
        {"bar graph from the oscilloscope in the window", 2,
         [](CSndView& v, CSoundIn&, CViewSettings&) { v.OnOscilloscope(); }, cmd::kBarGraph, 1, 0, 32, true,
         kHz, 1, XRange::None},
        {"impedance", 1, [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(2); },
         cmd::kImpedance, 1, 5, 5, true, kHz, 1, XRange::None,
         [](CSndView& v, CSoundIn&, CViewSettings&, viewtest::FakeViewFrame&)
         {
             EXPECT_FALSE(v.IsCommandChecked(cmd::kMls));
             EXPECT_EQ(v.GetPlot().m_strYTitle, "impedance [Ohm]");
         }},
        {"spectrogram on", 1, [](CSndView&, CSoundIn& e, CViewSettings&) { e.SetAnalyzerMode(5); },
         cmd::kSpectrogram, 1, 0, 6, true, kHz, 1, XRange::None},
        {"spectrogram off", 1, kNoPrepare, cmd::kSpectrogram, 2, 0, 0, false, kHz, 1, XRange::None},
        {"distortion on", 1, [](CSndView&, CSoundIn&, CViewSettings& s) { s.m_bIntermodulation = 1; },
         cmd::kDistortion, 1, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView& v, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_bIntermodulation, 0);
             EXPECT_EQ(v.GetPlot().m_bHarmonics, 1);
         }},
        {"distortion off", 1, kNoPrepare, cmd::kDistortion, 2, 0, 0, false, kHz, 1, XRange::None},
        {"intermodulation on", 1, [](CSndView&, CSoundIn&, CViewSettings& s) { s.m_bHarmonicMarkers = 1; },
         cmd::kIntermodulation, 1, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView& v, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_bHarmonicMarkers, 0);
             EXPECT_FALSE(v.IsCommandChecked(cmd::kDistortion));
             EXPECT_EQ(v.GetPlot().m_bIntermodulation, 1);
             EXPECT_EQ(v.GetPlot().m_dTone1, s.m_dImFrequency1);
             EXPECT_EQ(v.GetPlot().m_dTone2, s.m_dImFrequency2);
         }},
        {"intermodulation off", 1, kNoPrepare, cmd::kIntermodulation, 2, 0, 0, false, kHz, 1, XRange::None},
        {"peak: live and peak", 1, kNoPrepare, cmd::kPeak, 1, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nMathMode, 2);
             EXPECT_EQ(s.m_nMathFunction, 0);
         }},
        {"peak: peak only", 1, kNoPrepare, cmd::kPeak, 2, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         { EXPECT_EQ(s.m_nMathMode, 1); }},
        {"peak: off", 1, kNoPrepare, cmd::kPeak, 3, 0, 0, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         { EXPECT_EQ(s.m_nMathMode, 0); }},
        {"peak while the average shows", 1,
         [](CSndView&, CSoundIn&, CViewSettings& s)
         {
             s.m_nMathMode = 1;
             s.m_nMathFunction = 2;
         },
         cmd::kPeak, 1, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView& v, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nMathMode, 2);
             EXPECT_EQ(s.m_nMathFunction, 0);
             EXPECT_FALSE(v.IsCommandChecked(cmd::kAverage));
         }},
        {"peak with the bar graph holds the bars", 1,
         [](CSndView& v, CSoundIn&, CViewSettings& s)
         {
             v.SetViewMode(10002);
             s.m_bPeakHold = 0;
         },
         cmd::kPeak, 1, 0, 32, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_bPeakHold, 1);
             EXPECT_EQ(s.m_nMathMode, 0);
         }},
        {"peak with the bar graph, second press", 1,
         [](CSndView& v, CSoundIn&, CViewSettings& s)
         {
             v.SetViewMode(10002);
             s.m_bPeakHold = 0;
         },
         cmd::kPeak, 2, 0, 32, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         { EXPECT_EQ(s.m_bPeakHold, 0); }},
        {"average: live and average", 1, kNoPrepare, cmd::kAverage, 1, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView& v, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nMathMode, 2);
             EXPECT_EQ(s.m_nMathFunction, 2);
             EXPECT_EQ(e.m_anAveragingSettings[0], 2);
             EXPECT_EQ(e.m_anAveragingSettings[1], 2);
             EXPECT_FALSE(v.IsCommandChecked(cmd::kPeak));
             EXPECT_EQ(v.GetPlot().m_nMathFunction, 2);
         }},
        {"average: average only", 1, kNoPrepare, cmd::kAverage, 2, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nMathMode, 1);
             EXPECT_EQ(s.m_nMathFunction, 2);
         }},
        {"average: off", 1, kNoPrepare, cmd::kAverage, 3, 0, 0, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nMathMode, 0);
             EXPECT_EQ(s.m_nMathFunction, 2);
         }},
        // With bars the command switches the engine's averaging on and the math curve to its peak
        // kind; the average check mark stays off.
        {"average with the bar graph", 1,
         [](CSndView& v, CSoundIn&, CViewSettings&) { v.SetViewMode(10001); }, cmd::kAverage, 1, 0, 32, false,
         kHz, 1, XRange::None,
         [](CSndView& v, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nMathMode, 2);
             EXPECT_EQ(s.m_nMathFunction, 0);
             EXPECT_EQ(e.m_anAveragingSettings[0], 2);
             EXPECT_EQ(e.m_anAveragingSettings[1], 2);
             EXPECT_TRUE(v.IsCommandChecked(cmd::kPeak));
         }},
        {"average with the bar graph while averaging", 1,
         [](CSndView& v, CSoundIn&, CViewSettings& s)
         {
             v.SetViewMode(10001);
             s.m_nMathMode = 2;
             s.m_nMathFunction = 2;
         },
         cmd::kAverage, 1, 0, 32, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nMathMode, 0);
             EXPECT_EQ(s.m_nMathFunction, 0);
         }},
        {"average with bars but no band mode does nothing", 1,
         [](CSndView&, CSoundIn&, CViewSettings& s) { s.m_bBarGraph = 1; }, cmd::kAverage, 1, 0, 0, false,
         kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_nMathMode, 0);
             EXPECT_EQ(e.m_anAveragingSettings[0], 0);
         }},
        {"dual channel: both", 1, kNoPrepare, cmd::kDualChannel, 1, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(e.m_nChannelMode, 3);
             EXPECT_EQ(s.m_Channels.GetChannel(0).m_bActive, 1);
             EXPECT_EQ(s.m_Channels.GetChannel(1).m_bActive, 1);
         }},
        {"dual channel: first only", 1, kNoPrepare, cmd::kDualChannel, 2, 0, 0, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_Channels.GetChannel(0).m_bActive, 1);
             EXPECT_EQ(s.m_Channels.GetChannel(1).m_bActive, 0);
             // The engine analyses what the windows show.
             EXPECT_EQ(e.m_abChannelActive[1], 0);
         }},
        {"dual channel: second only", 1, kNoPrepare, cmd::kDualChannel, 3, 0, 0, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_Channels.GetChannel(0).m_bActive, 0);
             EXPECT_EQ(s.m_Channels.GetChannel(1).m_bActive, 1);
             EXPECT_EQ(e.m_abChannelActive[0], 0);
             EXPECT_EQ(e.m_abChannelActive[1], 1);
         }},
        {"dual channel: both again", 1, kNoPrepare, cmd::kDualChannel, 4, 0, 0, true, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn&, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(s.m_Channels.GetChannel(0).m_bActive, 1);
             EXPECT_EQ(s.m_Channels.GetChannel(1).m_bActive, 1);
         }},
        {"dual channel with ASIO", 1, [](CSndView&, CSoundIn& e, CViewSettings&) { e.m_nInputMode = 5; },
         cmd::kDualChannel, 1, 0, 0, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings& s, viewtest::FakeViewFrame&)
         {
             EXPECT_EQ(e.m_nChannelMode, 3);
             EXPECT_EQ(s.m_Channels.GetChannel(0).m_bActive, 1);
             EXPECT_EQ(s.m_Channels.GetChannel(1).m_bActive, 0);
         }},
        {"dual channel on a mono file", 1,
         [](CSndView&, CSoundIn& e, CViewSettings&)
         {
             e.m_nInputMode = CSoundIn::kInputFile;
             e.m_nDeviceChannels = 1;
         },
         cmd::kDualChannel, 1, 0, 0, false, kHz, 1, XRange::None,
         [](CSndView&, CSoundIn& e, CViewSettings&, viewtest::FakeViewFrame& f)
         {
             EXPECT_EQ(e.m_nChannelMode, 1);
             EXPECT_EQ(f.CountMessages("This is a mono file"), 1);
         }},
        {"lin/log x on the spectrum", 1, kNoPrepare, cmd::kLinLogX, 1, 0, 0, false, kHz, 0, XRange::None},
        {"lin/log x twice", 1, kNoPrepare, cmd::kLinLogX, 2, 0, 0, true, kHz, 1, XRange::None},
        {"lin/log x ignored in the oscilloscope", 1,
         [](CSndView& v, CSoundIn&, CViewSettings&) { v.OnOscilloscope(); }, cmd::kLinLogX, 1, 1, 1, false,
         kMs, 0, XRange::DisplayLength},
        {"lin/log x ignored with the loudness display", 1,
         [](CSndView& v, CSoundIn&, CViewSettings& s)
         {
             s.m_bSpecificLoudness = 1;
             s.m_ModeAxes[160].m_bLogX = 1;
             v.RestartDisplay();
         },
         cmd::kLinLogX, 1, 0, 160, true, "Critical Band Rate (bark)", 1, XRange::None},
        {"lin/log x ignored in a level sweep over dB", 1,
         [](CSndView& v, CSoundIn&, CViewSettings& s)
         {
             s.m_nSweepResultType = 1;
             s.m_bLevelSweepPlot = 1;
             s.m_nSweepPlotOptions = 0;
             v.RestartDisplay();
         },
         cmd::kLinLogX, 1, 0, 128, false, "Input level [dB]", 0, XRange::None},
        {"lin/log x in a level sweep over V", 1,
         [](CSndView& v, CSoundIn&, CViewSettings& s)
         {
             s.m_nSweepResultType = 1;
             s.m_bLevelSweepPlot = 1;
             s.m_nSweepPlotOptions = 1 << 1;
             v.RestartDisplay();
         },
         cmd::kLinLogX, 1, 0, 128, true, "Input level [V]", 1, XRange::None},
        {"lin/log x in a level sweep over output W", 1,
         [](CSndView& v, CSoundIn&, CViewSettings& s)
         {
             s.m_nSweepResultType = 1;
             s.m_bLevelSweepPlot = 1;
             s.m_nSweepPlotOptions = (2 << 1) | (1 << 5);
             v.RestartDisplay();
         },
         cmd::kLinLogX, 1, 0, 128, true, "Output level [W]", 1, XRange::None},
    };
    return cases;
}

class SndViewCommands : public ViewFixture, public ::testing::WithParamInterface<CommandCase>
{
};

TEST_P(SndViewCommands, EngineModeViewModeCheckMarkAndAxes)
{
    const CommandCase& c = GetParam();
    MakeViews(c.views);
    CSndView& view = View(0);
    CViewSettings& settings = Settings(0);
    c.prepare(view, m_engine, settings);
    for (int press = 0; press < c.presses; ++press)
        ASSERT_TRUE(view.OnCommand(c.command));

    EXPECT_EQ(m_engine.GetAnalyzerMode(), c.engineMode);
    EXPECT_EQ(view.GetViewMode(), c.viewMode);
    EXPECT_EQ(view.IsCommandChecked(c.command), c.checked);
    const CPlot& plot = view.GetPlot();
    EXPECT_EQ(plot.m_strXTitle, c.xTitle);
    EXPECT_EQ(plot.m_viewRange.m_bXLog, c.xLog);
    const double rate = m_engine.m_nSampleRate;
    if (c.range != XRange::None)
    {
        const int length = c.range == XRange::FftSize ? m_engine.m_nFftSize : m_engine.m_nDisplayLength;
        EXPECT_EQ(plot.m_viewRange.m_dXMin, 0.0);
        EXPECT_DOUBLE_EQ(plot.m_viewRange.m_dXMax, length * 1000.0 / rate);
        EXPECT_DOUBLE_EQ(plot.m_dBinWidth, 1000.0 / rate);
    }
    if (c.views > 1)
    {
        // The other window keeps what it showed.
        EXPECT_EQ(Settings(1).m_nDisplayKind, 0);
        EXPECT_EQ(View(1).GetViewMode(), m_engine.GetAnalyzerMode());
    }
    if (c.extra)
        c.extra(view, m_engine, settings, m_frame);
}

INSTANTIATE_TEST_SUITE_P(Table, SndViewCommands, ::testing::ValuesIn(CommandCases()),
                         [](const ::testing::TestParamInfo<CommandCase>& info)
                         {
                             std::string name;
                             for (const char* p = info.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p)))
                                     name += *p;
                             return name + "_" + std::to_string(info.index);
                         });

TEST_F(SndViewModes, UnknownCommandIsRefused)
{
    CSndView& view = MakeView();
    EXPECT_FALSE(view.OnCommand(12345));
    EXPECT_FALSE(view.IsCommandChecked(12345));
}

// ---------------------------------------------------------------------------------------------
// Settings slots.

class SndViewSlots : public ViewFixture
{
};

TEST_F(SndViewSlots, WindowsTakeTheFirstFreeSlotAndAClosedOneComesBackFresh)
{
    MakeViews(3);
    for (int i = 0; i < 3; ++i)
    {
        EXPECT_EQ(View(i).GetViewIndex(), i);
        EXPECT_EQ(View(i).GetSettings(), m_document.m_viewSettings[static_cast<std::size_t>(i)].get());
        EXPECT_EQ(Settings(i).m_pOwnerView, &View(i));
    }
    EXPECT_EQ(m_document.m_nInitialisedViews, 3);

    // The middle window changes its display, then closes: its settings go with it.
    Settings(1).m_bSpectrogram = 1;
    Settings(1).m_nRefreshMs = 40;
    Settings(1).m_ModeAxes[0].m_dYMin = -33.0;
    DestroyView(1);
    EXPECT_EQ(m_document.m_viewSettings[1], nullptr);
    EXPECT_EQ(m_document.m_nInitialisedViews, 2);

    CSndView& fresh = MakeView();
    EXPECT_EQ(fresh.GetViewIndex(), 1);
    CViewSettings& settings = *fresh.GetSettings();
    EXPECT_EQ(settings.m_bSpectrogram, 0);
    EXPECT_EQ(settings.m_nRefreshMs, CSndView::kDefaultRefreshMs);
    EXPECT_EQ(settings.m_ModeAxes[0].m_dYMin, -100.0);
    EXPECT_EQ(fresh.GetViewMode(), 0);
    EXPECT_EQ(m_document.m_nInitialisedViews, 3);
    // The others keep their indices.
    EXPECT_EQ(View(0).GetViewIndex(), 0);
    EXPECT_EQ(View(1).GetViewIndex(), 2);
}

TEST_F(SndViewSlots, AStoredSlotWithoutOwnerIsTakenWithItsSettings)
{
    auto stored = std::make_unique<CViewSettings>();
    stored->m_bSpectrogram = 1;
    CViewSettings* raw = stored.get();
    m_document.m_viewSettings[0] = std::move(stored);
    CSndView& view = MakeView();
    EXPECT_EQ(view.GetViewIndex(), 0);
    EXPECT_EQ(view.GetSettings(), raw);
    EXPECT_EQ(view.GetViewMode(), 6);
}

TEST_F(SndViewSlots, SecondInitialUpdateKeepsTheSlotAndSetsTheTimersAgain)
{
    MakeViews(2);
    for (int i = 0; i < 2; ++i)
    {
        SCOPED_TRACE(i);
        CSndView& view = View(i);
        FakeViewWindow& window = Window(i);
        CViewSettings* slot = view.GetSettings();
        const int refreshSets = window.SetCount(CSndView::kTimerRefresh);
        const int progressSets = window.SetCount(CSndView::kTimerProgress);
        view.OnInitialUpdate();
        EXPECT_EQ(view.GetViewIndex(), i);
        EXPECT_EQ(view.GetSettings(), slot);
        EXPECT_EQ(m_document.m_nInitialisedViews, 2);
        EXPECT_EQ(m_document.m_viewSettings[2], nullptr);
        EXPECT_EQ(window.SetCount(CSndView::kTimerRefresh), refreshSets + 1);
        EXPECT_EQ(window.SetCount(CSndView::kTimerProgress), progressSets + 1);
        // The program-wide timers belong to the first window only.
        EXPECT_EQ(window.HasTimer(CSndView::kTimerStartup), i == 0);
        EXPECT_EQ(window.HasTimer(CSndView::kTimerMp3), i == 0);
        EXPECT_EQ(window.HasTimer(CSndView::kTimerDin), i == 0);
        EXPECT_TRUE(window.HasTimer(CSndView::kTimerRestart));
        // Nothing runs yet: the window refreshes at the idle pace.
        EXPECT_EQ(window.m_timers[CSndView::kTimerRefresh], CSndView::kIdleTimerMs);
    }
}

TEST_F(SndViewSlots, PeriodicTimersSlowDownWhileTheMeasurementDoesNotRun)
{
    m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
    m_engine.m_nInputMode = CSoundIn::kInputSimulated;
    CSndView& view = MakeView();
    FakeViewWindow& window = Window(0);
    struct Periods
    {
        int refresh, progress, mp3, din;
    };
    const auto expectPeriods = [&](const Periods& expected)
    {
        EXPECT_EQ(window.m_timers[CSndView::kTimerRefresh], expected.refresh);
        EXPECT_EQ(window.m_timers[CSndView::kTimerProgress], expected.progress);
        EXPECT_EQ(window.m_timers[CSndView::kTimerMp3], expected.mp3);
        EXPECT_EQ(window.m_timers[CSndView::kTimerDin], expected.din);
    };
    const int idle = CSndView::kIdleTimerMs;
    const Periods stopped{idle, idle, idle, idle};
    const Periods running{CSndView::kDefaultRefreshMs, 200, 500, 500};
    {
        SCOPED_TRACE("fresh window");
        expectPeriods(stopped);
    }
    view.OnCommand(view_command::kStart);
    ASSERT_EQ(m_engine.GetState(), CSoundIn::kStateRunning);
    {
        SCOPED_TRACE("started from the window");
        expectPeriods(running);
    }
    // A display restart while running keeps the refresh at its own period.
    view.RestartDisplay();
    EXPECT_EQ(window.m_timers[CSndView::kTimerRefresh], CSndView::kDefaultRefreshMs);
    view.OnCommand(view_command::kStop);
    {
        SCOPED_TRACE("stopped");
        expectPeriods(stopped);
    }
    view.RestartDisplay();
    EXPECT_EQ(window.m_timers[CSndView::kTimerRefresh], idle);
    // Started elsewhere (another window, a remote command): the next refresh tick catches up.
    m_engine.RestartInput();
    ASSERT_EQ(m_engine.GetState(), CSoundIn::kStateRunning);
    view.OnTimer(CSndView::kTimerRefresh);
    {
        SCOPED_TRACE("started elsewhere");
        expectPeriods(running);
    }
}

TEST_F(SndViewSlots, ClosingAWindowKillsItsTimers)
{
    MakeView();
    // The stand-in window outlives the view for this check.
    auto window = std::move(m_views[0].window);
    DestroyView(0);
    for (int id : {CSndView::kTimerRefresh, CSndView::kTimerStartup, CSndView::kTimerProgress,
                   CSndView::kTimerRestart, CSndView::kTimerMp3, CSndView::kTimerDin})
        EXPECT_FALSE(window->HasTimer(id)) << id;
}

}  // namespace

namespace
{

class SndViewFullDocument : public viewtest::ViewFixture
{
};

TEST_F(SndViewFullDocument, AWindowBeyondTheLastSlotGetsNoneAndLeavesTheCountAsItWas)
{
    MakeViews(CViewDocument::kMaxViews);
    ASSERT_EQ(View(CViewDocument::kMaxViews - 1).GetViewIndex(), CViewDocument::kMaxViews - 1);
    ASSERT_EQ(m_document.m_nInitialisedViews, CViewDocument::kMaxViews);

    CSndView& extra = MakeView();
    EXPECT_EQ(extra.GetSettings(), nullptr);
    EXPECT_EQ(extra.GetViewIndex(), -1);
    EXPECT_EQ(m_frame.CountMessages("No more measurement windows can be opened."), 1);
    // No slot of another window was taken.
    for (int i = 0; i < CViewDocument::kMaxViews; ++i)
        ASSERT_EQ(Settings(i).m_pOwnerView, &View(i));

    // A window without settings runs every command without effect.
    for (int id = view_command::kResetZoom; id <= view_command::kLinLogX; ++id)
        extra.OnCommand(id);
    extra.OnTimer(CSndView::kTimerRefresh);
    EXPECT_EQ(extra.GetViewMode(), 0);
    EXPECT_FALSE(extra.IsCommandChecked(view_command::kBarGraph));

    // The count is of windows that hold a slot: neither a repeated initial update nor closing the
    // window without a slot may move it.
    extra.OnInitialUpdate();
    EXPECT_EQ(m_document.m_nInitialisedViews, CViewDocument::kMaxViews);
    DestroyView(CViewDocument::kMaxViews);
    EXPECT_EQ(m_document.m_nInitialisedViews, CViewDocument::kMaxViews);
    DestroyView(0);
    EXPECT_EQ(m_document.m_nInitialisedViews, CViewDocument::kMaxViews - 1);
}

}  // namespace

namespace
{

// Every toggle's check mark follows the state it toggles: the channel buttons, the dual-channel
// button and the smoothing button (which only shows the state), also after a mode change and
// after a workspace replaced the window's settings.
TEST_F(SndViewModes, ToggleButtonsShowTheStateTheyToggle)
{
    CSndView& view = MakeView();
    for (int id :
         {cmd::kPeak, cmd::kAverage, cmd::kDualChannel, cmd::kChannel1, cmd::kChannel2, cmd::kSmoothing})
        EXPECT_TRUE(cmd::IsToggleCommand(id)) << id;
    for (int id : {cmd::kReset, cmd::kYAutoScale, cmd::kResetZoom, cmd::kDisplayProperties})
        EXPECT_FALSE(cmd::IsToggleCommand(id)) << id;

    for (const int id : {cmd::kChannel1, cmd::kChannel2})
        for (int press = 0; press < 2; ++press)
        {
            const int channel = id == cmd::kChannel1 ? 0 : 1;
            const bool shown = Settings(0).m_Channels.GetChannel(channel).m_bActive != 0;
            EXPECT_EQ(view.IsCommandChecked(id), shown);
            view.OnCommand(id);
            EXPECT_EQ(Settings(0).m_Channels.GetChannel(channel).m_bActive != 0, !shown);
            EXPECT_EQ(view.IsCommandChecked(id), !shown);
        }
    Settings(0).m_Channels.GetChannel(1).m_bActive = 0;
    EXPECT_FALSE(view.IsCommandChecked(cmd::kDualChannel));
    m_engine.m_nChannelMode = 3;
    Settings(0).m_Channels.GetChannel(1).m_bActive = 1;
    EXPECT_TRUE(view.IsCommandChecked(cmd::kDualChannel));
    m_engine.m_nChannelMode = 0;
    EXPECT_FALSE(view.IsCommandChecked(cmd::kDualChannel));

    EXPECT_FALSE(view.IsCommandChecked(cmd::kSmoothing));
    m_engine.m_bSmoothing = 1;
    EXPECT_TRUE(view.IsCommandChecked(cmd::kSmoothing));
    EXPECT_FALSE(view.IsCommandEnabled(cmd::kSmoothing)) << "the list beside it chooses the smoothing";
    EXPECT_TRUE(view.IsCommandEnabled(cmd::kPeak));

    // Through a mode change and back.
    view.OnCommand(cmd::kAverage);
    view.OnCommand(cmd::kOscilloscope);
    view.OnCommand(cmd::kFftAnalyzer);
    EXPECT_TRUE(view.IsCommandChecked(cmd::kAverage));
    EXPECT_FALSE(view.IsCommandChecked(cmd::kPeak));

    // A workspace replaces the slot: the buttons show the loaded state before the next set-up.
    auto loaded = std::make_unique<CViewSettings>();
    loaded->m_nMathMode = 1;
    loaded->m_nMathFunction = 0;
    loaded->m_Channels.GetChannel(0).m_bActive = 0;
    loaded->m_Channels.GetChannel(1).m_bActive = 1;
    m_document.m_viewSettings[static_cast<std::size_t>(view.GetViewIndex())] = std::move(loaded);
    EXPECT_TRUE(view.IsCommandChecked(cmd::kPeak));
    EXPECT_FALSE(view.IsCommandChecked(cmd::kAverage));
    EXPECT_FALSE(view.IsCommandChecked(cmd::kChannel1));
    EXPECT_TRUE(view.IsCommandChecked(cmd::kChannel2));
    view.RestartDisplay();
    EXPECT_TRUE(view.IsCommandChecked(cmd::kPeak));
}

}  // namespace
