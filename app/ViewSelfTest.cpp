// The measurement window's self-test hook of the program (TESSARIN_TEST_VIEW): the real window on
// the simulated input, driven through its own commands, with what it shows written to the trace.
#include "app/AnalyzerApp.h"
#include "app/MainFrame.h"
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "view/SndView.h"

#include <wx/app.h>
#include <wx/timer.h>

#include <functional>
#include <memory>

namespace
{

constexpr int kPollMs = 100;
// Refreshes each display is given before it is looked at, and the ticks after which a step that
// sees no new results gives up.
constexpr int kRefreshesPerStep = 5;
constexpr int kStepTimeoutTicks = 150;
constexpr int kPictureDelayTicks = 5;

// The x value of the largest point of the first curve.
double PeakOfFirstCurve(const CPlot& plot)
{
    const int count = plot.GetPointCount();
    int best = -1;
    float largest = 0.0f;
    for (int i = 0; i < count; ++i)
    {
        const float value = plot.GetCurvePoint(0, i);
        if (best < 0 || value > largest)
        {
            best = i;
            largest = value;
        }
    }
    return best < 0 ? -1.0 : plot.GetXValue(best);
}

// The frequency at which the sonagram's newest line (its bottom row) has its highest index.
double NewestSonagramPeak(const CPlot& plot)
{
    const CSonagram& sonagram = plot.m_sonagram;
    const int row = sonagram.GetHeight() - 1;
    int best = 0;
    for (int x = 1; x < sonagram.GetWidth(); ++x)
        if (sonagram.IndexAt(x, row) > sonagram.IndexAt(best, row))
            best = x;
    float f = 0.0f;
    float level = 0.0f;
    plot.PixelToValue(PlotPoint{plot.m_nPlotLeft + best, plot.m_nPlotBottom}, &f, &level);
    return f;
}

// The lower edge of the band of the first curve with the highest value.
double LoudestBandEdge(const CPlot& plot)
{
    int best = 0;
    for (int b = 1; b < plot.m_nBandCount; ++b)
        if (plot.m_afBandValues[static_cast<std::size_t>(b)] >
            plot.m_afBandValues[static_cast<std::size_t>(best)])
            best = b;
    return plot.m_nBandCount > 0 ? plot.m_afBandEdges[static_cast<std::size_t>(best)] : -1.0;
}

class ViewSelfTest : public wxTimer
{
public:
    ViewSelfTest(CAnalyzerApp& app, std::string folder) : m_app(app), m_folder(std::move(folder)) {}

    void Begin()
    {
        CSoundIn* engine = m_app.m_pEngine;
        CSndView* view = m_app.m_pMainWnd ? m_app.m_pMainWnd->GetActiveView() : nullptr;
        if (!engine || !view)
        {
            Finish("view self-test: no window");
            return;
        }
        engine->StopInput();
        engine->m_nInputMode = CSoundIn::kInputSimulated;
        engine->m_nSampleRate = 48000;
        engine->SetFftSize(4096);
        m_steps = {
            {"spectrum", [](CSndView& v) { v.OnCommand(view_command::kStart); }},
            {"oscilloscope", [](CSndView& v) { v.OnCommand(view_command::kOscilloscope); }},
            {"impulse",
             [](CSndView& v)
             {
                 // The MLS measurement shown as its impulse response.
                 v.OnCommand(view_command::kMls);
                 v.OnStop();
                 v.GetEngine().SetAnalyzerMode(4);
                 v.OnStart();
                 v.RestartDisplay();
             }},
            {"paramviews",
             [](CSndView& v)
             {
                 // Back to the spectrum with two parameter windows (THD+N and RMS) lined up.
                 v.OnCommand(view_command::kFftAnalyzer);
                 v.OnCommand(view_command::kAddParamView);
                 v.OnCommand(view_command::kAddParamView);
                 v.GetParamViews().GetState(1).nParameter = 8;
                 v.OnCommand(view_command::kAlignParamViews);
             }},
            // The display kinds: the live sonagram, the band display in third-octave and octave
            // bands, and the vectorscope (its settings as its dialog would leave them).
            {"sonagram", [](CSndView& v) { v.OnCommand(view_command::kSpectrogram); }},
            {"rta-third",
             [](CSndView& v)
             {
                 v.OnCommand(view_command::kSpectrogram);
                 v.OnCommand(view_command::kBarGraph);
             }},
            {"rta-octave", [](CSndView& v) { v.OnCommand(view_command::kBarGraph); }},
            {"vectorscope",
             [](CSndView& v)
             {
                 v.OnCommand(view_command::kBarGraph);
                 CVectorscope_settings& scope = v.GetSettings()->m_Vectorscope;
                 scope.m_bActive = 1;
                 scope.m_nHistoryDepth = 8;
                 scope.m_nStyle = 1;
                 v.RestartDisplay();
             }},
        };
        StartStep();
        Start(kPollMs);
    }

    void Notify() override
    {
        CSndView* view = m_app.m_pMainWnd ? m_app.m_pMainWnd->GetActiveView() : nullptr;
        if (!view)
        {
            Finish("view self-test: window lost");
            return;
        }
        ++m_ticks;
        if (m_nPictureCountdown > 0)
        {
            // The toolkit paints the screen on its own clock: the picture waits a few ticks.
            if (--m_nPictureCountdown > 0)
                return;
            const std::string& name = m_steps[m_step].first;
            const bool saved = m_app.m_pMainWnd->SaveScreenshot(m_folder + "/tessarin-view-" + name + ".png");
            m_app.Trace("view " + name + (saved ? " picture saved" : " picture failed"));
            if (++m_step >= m_steps.size())
            {
                Finish("view self-test done");
                return;
            }
            StartStep();
            return;
        }
        const bool fresh = view->GetEngine().m_nAnalysisCounter.load() > m_startCount;
        const bool shown = view->m_nRefreshEvents.load() >= m_startRefreshes + kRefreshesPerStep;
        if (!(fresh && shown) && m_ticks < kStepTimeoutTicks)
            return;
        Report(*view, m_steps[m_step].first, fresh && shown);
        m_nPictureCountdown = kPictureDelayTicks;
    }

private:
    void StartStep()
    {
        CSndView* view = m_app.m_pMainWnd->GetActiveView();
        m_steps[m_step].second(*view);
        m_ticks = 0;
        m_startCount = view->GetEngine().m_nAnalysisCounter.load();
        m_startRefreshes = view->m_nRefreshEvents.load();
    }

    void Report(CSndView& view, const std::string& name, bool live)
    {
        const CPlot& plot = view.GetPlot();
        m_app.Trace("view " + name + (live ? " live" : " not live"));
        m_app.Trace(platform::FormatC("view %s mode %i", name.c_str(), view.GetViewMode()));
        m_app.Trace("view " + name + " x title " + plot.m_strXTitle);
        m_app.Trace("view " + name + " y title " + plot.m_strYTitle);
        m_app.Trace(platform::FormatC("view %s points %i x %.3f..%.3f", name.c_str(), plot.GetPointCount(),
                                      plot.m_viewRange.m_dXMin, plot.m_viewRange.m_dXMax));
        m_app.Trace(platform::FormatC("view %s peak x %.3f", name.c_str(), PeakOfFirstCurve(plot)));
        if (plot.m_bSonagram)
            m_app.Trace(platform::FormatC("view %s sonagram newest line peak x %.1f", name.c_str(),
                                          NewestSonagramPeak(plot)));
        if (plot.m_bBarGraph)
            m_app.Trace(platform::FormatC("view %s bands %i loudest from %.1f", name.c_str(),
                                          plot.m_nBandCount, LoudestBandEdge(plot)));
        if (plot.m_vectorscope.active)
            m_app.Trace(platform::FormatC("view %s vectorscope traces %i", name.c_str(),
                                          plot.m_vectorscopeImage.GetStoredTraceCount()));
        CParamViewManager& paramViews = view.GetParamViews();
        m_app.Trace(platform::FormatC("view %s paramviews %i", name.c_str(), paramViews.GetCount()));
        for (int i = 0; i < paramViews.GetCount(); ++i)
        {
            int x = 0, y = 0, width = 0, height = 0;
            if (CParamViewWindow* window = paramViews.GetWindow(i))
                window->GetPlacement(x, y, width, height);
            m_app.Trace(platform::FormatC("view %s paramview %i %s [%s] at %i,%i size %ix%i", name.c_str(), i,
                                          paramViews.GetState(i).strTitle.c_str(),
                                          paramViews.GetState(i).meter.strValueText.c_str(), x, y, width,
                                          height));
        }
        const auto& panes = view.GetStatusTexts();
        for (int pane = 1; pane <= 5; ++pane)
            m_app.Trace("view " + name + " pane " + std::to_string(pane) + " [" +
                        panes[static_cast<std::size_t>(pane)] + "]");
    }

    void Finish(const std::string& text)
    {
        Stop();
        m_app.Trace(text);
        if (m_app.m_pMainWnd)
            m_app.m_pMainWnd->Close();
    }

    CAnalyzerApp& m_app;
    std::string m_folder;
    std::vector<std::pair<std::string, std::function<void(CSndView&)>>> m_steps;
    std::size_t m_step = 0;
    int m_ticks = 0;
    int m_nPictureCountdown = 0;
    std::int64_t m_startCount = 0;
    std::uint64_t m_startRefreshes = 0;
};

}  // namespace

void CAnalyzerApp::RunViewSelfTest(const std::string& folder)
{
    // Lives until the program ends; the timer is stopped before the main window closes.
    auto test = std::make_unique<ViewSelfTest>(*this, folder);
    ViewSelfTest* running = test.get();
    m_pSelfTest = std::move(test);
    running->Begin();
}
