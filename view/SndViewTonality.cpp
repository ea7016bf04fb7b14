// The measurement window's plug-in analyses of the live input: tonality after DIN 45681 with its text
// and markers, loudness in sone and the specific loudness over bark.
#include "view/SndView.h"

#include "display/Annotation.h"
#include "display/settings/ViewSettings.h"
#include "dsp/FftWindow.h"
#include "dsp/TonalityAnalyzer.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "platform/gfx/Canvas.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>
#include <optional>
#include <thread>

namespace
{
// Annotation keys of the tonality markers.
constexpr int kKeyTonalComponent = 10;
constexpr int kKeyMaskingBand = 11;
constexpr COLORREF kTonalComponentColour = 0x0000FF;  // red (0x00BBGGRR)
constexpr COLORREF kMaskingBandColour = 0xFF8000;     // blue
constexpr int kMarkerPenWidth = 3;
// The text line of the tonality readout, in pixels below the top of the plot area.
constexpr int kTonalityTextLine = 40;
constexpr int kLoudnessFftSize = 8192;
constexpr double kLoudnessRangeMin = 0.0;
constexpr double kLoudnessRangeMax = 130.0;
constexpr int kLoudnessWeighting = 0;  // none
constexpr int kEngineModeTimeCorrelation = 7;
constexpr int kTonalityWeighting = 1;  // A
}  // namespace

void CSndView::OnTonality()
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    settings.m_bTonality = settings.m_bTonality ? 0 : 1;
    m_pTonality->m_analysisEnabled.store(0);
    if (settings.m_bTonality)
    {
        OnStop();
        m_pTonality->m_analysisEnabled.store(1);
        m_engine.m_bWindowEnable = 1;
        m_engine.m_nWindowType = kFftWindowHanning;
        m_engine.m_nWeightingType = kTonalityWeighting;
        OnStart();
        RestartDisplay();
    }
    m_pPlot->ForceRedraw();
}

void CSndView::OnLoudness()
{
    if (!m_pSettings)
        return;
    CViewSettings& settings = *m_pSettings;
    OnStop();
    const int wasOn = m_engine.m_bLoudness;
    ResetViewFlags();
    if (wasOn)
    {
        settings.m_bBarGraph = 0;
        settings.m_nBandsPerOctave = 0;
        m_engine.m_bLoudness = 0;
    }
    else
    {
        settings.m_bBarGraph = 1;
        settings.m_nBandsPerOctave = 3;
        m_engine.m_bLoudness = 1;
        m_engine.SetFftSize(kLoudnessFftSize);
        m_engine.m_bWindowEnable = 1;
        m_engine.m_nWindowType = kFftWindowHamming;
        m_engine.m_nWeightingType = kLoudnessWeighting;
        m_engine.m_dLoudnessRangeMin = kLoudnessRangeMin;
        m_engine.m_dLoudnessRangeMax = kLoudnessRangeMax;
    }
    m_engine.m_nBandAnalyzerMode = settings.m_nBandsPerOctave;
    OnStart();
    RestartDisplay();
}

void CSndView::OnSpecificLoudness()
{
    if (!m_pSettings)
        return;
    OnStop();
    ResetViewFlags();
    m_engine.m_bSpecificLoudness = 1;
    m_pSettings->m_bSpecificLoudness = 1;
    m_engine.SetFftSize(kLoudnessFftSize);
    m_engine.m_bWindowEnable = 1;
    m_engine.m_nWindowType = kFftWindowHamming;
    m_engine.m_nWeightingType = kLoudnessWeighting;
    m_engine.m_dLoudnessRangeMin = kLoudnessRangeMin;
    m_engine.m_dLoudnessRangeMax = kLoudnessRangeMax;
    OnStart();
    RestartDisplay();
}

void CSndView::FeedTonality()
{
    if (!m_pSettings || !m_pSettings->m_bTonality)
        return;
    CTonalityAnalyzer& analyzer = *m_pTonality;
    const int state = analyzer.m_runState.load();
    if (state == CTonalityAnalyzer::kRunning)
        return;
    if (state == CTonalityAnalyzer::kFinished)
    {
        // The worker is done with the results: they are ours until the next start.
        m_tonality.hasData = true;
        m_tonality.adjustment = analyzer.m_tonalAdjustment;
        m_tonality.lowestFrequency = analyzer.m_lowestFrequency;
        m_tonality.highestFrequency = analyzer.m_highestFrequency;
        m_tonality.lineSpacing = analyzer.m_lineSpacing;
        m_tonality.levelDifference = analyzer.m_levelDifference;
        m_tonality.uncertainty = analyzer.m_uncertainty;
        m_tonality.tones.assign(analyzer.m_toneFrequencies.begin(),
                                analyzer.m_toneFrequencies.begin() +
                                    std::clamp(analyzer.m_toneCount, 0, CTonalityAnalyzer::kLineCapacity));
        const int groups = std::clamp(analyzer.m_groupCount, 0, CTonalityAnalyzer::kLineCapacity);
        m_tonality.bandLower.assign(analyzer.m_groupLowerEdges.begin(),
                                    analyzer.m_groupLowerEdges.begin() + groups);
        m_tonality.bandUpper.assign(analyzer.m_groupUpperEdges.begin(),
                                    analyzer.m_groupUpperEdges.begin() + groups);
    }
    const double spacing =
        m_engine.m_nFftSize > 0 ? static_cast<double>(m_engine.m_nSampleRate) / m_engine.m_nFftSize : 0.0;
    if (spacing <= 0.0)
        return;
    analyzer.m_lineSpacing = spacing;
    analyzer.m_lowestFrequency = std::max(0.0, m_pPlot->m_viewRange.m_dXMin);
    analyzer.m_highestFrequency = m_pPlot->m_viewRange.m_dXMax;
    int kept = 0;
    {
        std::lock_guard lock(m_engine.m_displayLock);
        const int lines = std::min<int>({m_engine.m_nDisplayLength, CTonalityAnalyzer::kLineCapacity,
                                         static_cast<int>(m_engine.m_spectrumDisplay.size())});
        for (int i = 0; i < lines && kept < analyzer.m_lineCapacity; ++i)
        {
            const double f = i * spacing;
            if (f > analyzer.m_highestFrequency)
                break;
            const float power = m_engine.m_spectrumDisplay[static_cast<std::size_t>(i)];
            if (f < analyzer.m_lowestFrequency || !(power > 0.0f))
                continue;
            analyzer.m_lineFrequencies[static_cast<std::size_t>(kept)] = static_cast<float>(f);
            analyzer.m_lineLevels[static_cast<std::size_t>(kept)] =
                static_cast<float>(10.0 * std::log10(power));
            ++kept;
        }
    }
    analyzer.m_lineCount = kept;
    if (kept >= 1)
        analyzer.Start();
}

std::string CSndView::GetTonalityText() const
{
    if (!m_tonality.hasData)
        return "Tonality: no data available";
    return platform::FormatC("Tonzuschlag %idB (%.2fHz to %0.2fHz) dF %0.2fHz Delta_L %.2fdB sigma %.2fdB",
                             m_tonality.adjustment, m_tonality.lowestFrequency, m_tonality.highestFrequency,
                             m_tonality.lineSpacing, m_tonality.levelDifference, m_tonality.uncertainty);
}

void CSndView::DrawForeground(gfx::Canvas& canvas)
{
    CPlot& plot = *m_pPlot;
    if (m_pSettings && m_pSettings->m_bTonality)
    {
        const std::string text = GetTonalityText();
        canvas.SetFont(gfx::Font{"Arial", 14, false});
        canvas.SetTextColor(plot.m_colorScheme.GetColor(CColorScheme::RoleMarkerText));
        const int y = plot.m_nPlotTop + kTonalityTextLine;
        canvas.DrawText(text, gfx::Rect{plot.m_nPlotLeft + 10, y - 8, plot.m_nPlotRight, y + 8},
                        gfx::Align::Left);
    }
    PlaceTonalityMarkers();
    DrawDecayRegressionLines(canvas);
    // Labels are written in black on the plot, without a box behind them.
    if (m_pSettings && m_pSettings->m_Annotations.GetCount() > 0)
    {
        canvas.SetTextColor(0x000000);
        canvas.SetTextBackground(gfx::kTransparentText);
        m_pSettings->m_Annotations.DrawOnPlot(canvas, plot);
    }
}

void CSndView::PlaceTonalityMarkers()
{
    if (!m_pSettings)
        return;
    CAnnotationList& list = m_pSettings->m_Annotations;
    list.SetVisibleByKey(kKeyTonalComponent, 0);
    list.SetVisibleByKey(kKeyMaskingBand, 0);
    if (!m_pSettings->m_bTonality || !m_tonality.hasData)
        return;
    CPlot& plot = *m_pPlot;
    const CPlotRange& view = plot.m_viewRange;
    // Reuses the markers of a key in list order and appends more when the list runs out.
    const auto place = [&](int key, COLORREF colour, std::optional<CAnnotationList::Position>& next,
                           double x0, double x1, double y)
    {
        CArrowAnnotation* line = nullptr;
        if (next)
        {
            line = static_cast<CArrowAnnotation*>((*next)->get());
            next = list.FindNextByKeyFrom(key, std::next(*next));
        }
        else
        {
            auto created = std::make_unique<CArrowAnnotation>();
            created->m_nKey = key;
            created->m_nFlags = kAnnotationLocked;
            line = static_cast<CArrowAnnotation*>(&list.Append(std::move(created)));
        }
        line->m_Pen = PenDescription{colour, kMarkerPenWidth, PEN_STYLE_SOLID, false};
        const bool inside = x1 >= view.m_dXMin && x0 <= view.m_dXMax;
        line->m_bVisible = inside ? 1 : 0;
        PlotPoint a;
        PlotPoint b;
        plot.ValueToPixel(&a, std::max(x0, view.m_dXMin), y);
        plot.ValueToPixel(&b, std::min(x1, view.m_dXMax), y);
        // A marker is never narrower than its pen.
        if (b.x - a.x < 2 * kMarkerPenWidth)
        {
            a.x -= kMarkerPenWidth;
            b.x += kMarkerPenWidth;
        }
        line->m_nPositionMode = kPositionPixels;
        line->m_dRelX = a.x;
        line->m_dRelY = a.y;
        line->m_End.m_dRelX = b.x;
        line->m_End.m_dRelY = b.y;
        line->UpdatePosition();
    };
    const double height = view.m_dYMax - view.m_dYMin;
    std::optional<CAnnotationList::Position> next = list.FindNextByKey(kKeyTonalComponent);
    for (float f : m_tonality.tones)
        place(kKeyTonalComponent, kTonalComponentColour, next, f - m_tonality.lineSpacing / 2.0,
              f + m_tonality.lineSpacing / 2.0, view.m_dYMin + 0.75 * height);
    next = list.FindNextByKey(kKeyMaskingBand);
    for (std::size_t i = 0; i < m_tonality.bandLower.size(); ++i)
        place(kKeyMaskingBand, kMaskingBandColour, next, m_tonality.bandLower[i], m_tonality.bandUpper[i],
              view.m_dYMin + 0.25 * height);
}

void CSndView::OnVectorscope()
{
    if (!m_pSettings || !m_pWindow)
        return;
    CVectorscope_settings copy = m_pSettings->m_Vectorscope;
    if (!m_pWindow->EditVectorscope(copy))
        return;
    m_pSettings->m_Vectorscope = copy;
    RestartDisplay();
}

void CSndView::OnTimeCorrelation()
{
    if (!m_pSettings)
        return;
    OnStop();
    ResetViewFlags();
    m_engine.SetAnalyzerMode(kEngineModeTimeCorrelation);
    m_engine.m_bWindowEnable = 0;
    m_engine.m_nWindowType = 0;
    m_engine.m_nWeightingType = 0;
    OnStart();
    RestartDisplay();
}
