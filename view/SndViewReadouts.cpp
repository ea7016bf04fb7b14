// The "Measurements" readouts: after every refresh the view stores the per-channel results of the
// plot in its result ring and writes the texts of its two readout windows.
#include "view/SndView.h"

#include "common/TextFormatting.h"
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"
#include "view/ViewFrame.h"
#include "view/ViewTexts.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace
{

// Below this a decibel value is no measurement.
constexpr double kNoValueDb = -300.0;

// "%4.*f" with the readouts' precision ladder, then the unit.
std::string FormatValue(double value, const std::string& unit)
{
    return platform::FormatC("%4.*f%s", DecimalsForValue(value), value, unit.c_str());
}

// A ratio as per cent and decibels ("%4.*f%%=%4.2fdB"); `decibels` is the ratio's dB value.
std::string FormatRatio(double percent, double decibels)
{
    return platform::FormatC("%4.*f%%=%4.2fdB", DecimalsForValue(percent), percent, decibels);
}

}  // namespace

double CSndView::WindowPowerGain() const
{
    // The bins of a windowed power spectrum add up to the signal's power times the window's mean
    // square (Parseval), whatever the window's scale: dividing by it gives the power in the band.
    const std::vector<float>& table = m_engine.m_windowTable;
    const int length = std::min<int>(static_cast<int>(table.size()), m_engine.m_nFftSize);
    if (!m_engine.m_bWindowEnable || length <= 0)
        return 1.0;
    double sumOfSquares = 0.0;
    for (int i = 0; i < length; ++i)
        sumOfSquares +=
            static_cast<double>(table[static_cast<std::size_t>(i)]) * table[static_cast<std::size_t>(i)];
    return sumOfSquares > 0.0 ? sumOfSquares / length : 1.0;
}

void CSndView::FillResultRecord(CReadoutRecord& record) const
{
    const CPlot& plot = *m_pPlot;
    const int mode = GetViewMode();
    const bool plainSpectrum = mode == 0 && IsFrequencyAxis();
    const double powerGain = plainSpectrum ? WindowPowerGain() : 1.0;
    record.m_nChannels = plot.m_nDisplayedCount;
    for (int c = 0; c < CReadoutRecord::kChannels; ++c)
    {
        const int curve = plot.GetCurveOfChannel(c);
        const CCurveStatistics* stats = curve >= 0 ? plot.GetCurveStats(curve) : nullptr;
        const auto index = static_cast<std::size_t>(c);
        if (!stats || !plot.m_abDisplayed[index])
            continue;
        record.m_adPeak[index] =
            m_engine.m_bPeakInterpolate && plainSpectrum ? stats->m_dPeak : stats->m_dMaximum;
        record.m_adPeakPosition[index] = stats->m_dXOfMaximum;
        record.m_adInbandLevel[index] = plot.ToDisplayValue(static_cast<float>(stats->m_dSum / powerGain));
        record.m_adThdN[index] = stats->m_dThdN;
        record.m_adThd[index] = stats->m_dDistortion;
        record.m_adMaximum[index] = stats->m_dMaximum;
        record.m_adMinimum[index] = stats->m_dMinimum;
        const CSoundIn::BlockStatisticsRecord block = m_engine.GetPublishedBlockStatistics(c);
        record.m_adRms[index] = std::sqrt(std::max(0.0, block.meanSquare));
        record.m_adMeter2[index] = block.blockPeak;
        record.m_adMarkerLinear[index] = std::pow(10.0, plot.GetMarkerValue(0, c) / 20.0);
    }
    record.m_dXStep = plot.m_dBinWidth;
    record.m_dAnalysisTime =
        m_engine.m_nSampleRate > 0
            ? static_cast<double>(m_engine.m_nAnalyzedFrames.load()) / m_engine.m_nSampleRate
            : 0.0;
    record.m_adMarkers = {plot.GetMarkerValue(0, 0), plot.GetMarkerValue(1, 0), plot.GetMarkerValue(0, 1),
                          plot.GetMarkerValue(1, 1)};
}

void CSndView::FillParamResults(const CReadoutRecord& record)
{
    CParamResults& results = m_engine.m_ParamResults;
    results.Clear();
    const bool decibels = m_pPlot->m_dataRange.m_bDecibel != 0;
    for (int c = 0; c < std::min(record.m_nChannels, CParamResults::kChannels); ++c)
    {
        const auto i = static_cast<std::size_t>(c);
        results.m_adThd[i] = record.m_adThd[i];
        results.m_adThdN[i] = record.m_adThdN[i];
        results.m_adPeakPosition[i] = record.m_adPeakPosition[i];
        results.m_adRms[i] = record.m_adRms[i];
        if (decibels)
        {
            results.m_adInbandDb[i] = record.m_adInbandLevel[i];
            results.m_adFftPeakDb[i] = record.m_adPeak[i];
        }
        const CSoundIn::BlockStatisticsRecord block = m_engine.GetPublishedBlockStatistics(c);
        results.m_adPeakLevel[i] = block.blockPeak;
        results.m_adBlockMin[i] = block.blockMin;
        results.m_adBlockMax[i] = block.blockMax;
        if (block.longMax >= block.longMin)
        {
            results.m_adLongMax[i] = block.longMax;
            results.m_adLongMin[i] = block.longMin;
        }
    }
    results.m_dMeasurementTime = record.m_dAnalysisTime;
}

void CSndView::UpdateReadouts()
{
    if (!m_pSettings)
        return;
    const CPlot& plot = *m_pPlot;
    const CViewSettings& settings = *m_pSettings;
    const int mode = GetViewMode();

    // 1. The first window follows the selected curve, the second shows curve 1.
    const int curveA = plot.m_nActiveCurve;
    const int curveB = 1;
    int channelA = plot.GetCurveChannel(curveA);
    int channelB = plot.GetCurveChannel(curveB);
    if (channelA < 0)
        channelA = 0;
    if (channelB < 0)
        channelB = 1;

    // 2. Titles and captions.
    std::array<CReadoutTexts, 2> texts;
    const std::string measurement = GetText(view_text::kMeasurement);
    texts[0].m_strTitle =
        platform::FormatC("%s V:%i %s", measurement.c_str(), m_nViewIndex + 1, GetCurveName(curveA).c_str());
    texts[1].m_strTitle =
        platform::FormatC("%s V:%i %s", measurement.c_str(), m_nViewIndex + 1, GetCurveName(curveB).c_str());
    for (CReadoutTexts& window : texts)
    {
        window.m_texts[CReadoutTexts::kPeakGroup] = GetText(view_text::kPeak);
        window.m_texts[CReadoutTexts::kCursorGroup] = GetText(view_text::kCursor);
        window.m_texts[CReadoutTexts::kCursorValueLabel] = GetText(view_text::kValue);
        window.m_texts[CReadoutTexts::kPeakValueLabel] = GetText(view_text::kValue);
    }
    texts[0].m_texts[CReadoutTexts::kProgressLabel] = GetText(view_text::kProgress);
    texts[0].m_nProgress = std::clamp(static_cast<int>(m_dProgress), 0, 100);

    // 3. The result ring.
    CReadoutRecord& record = m_resultRing[static_cast<std::size_t>(m_nRingNext)];
    record = CReadoutRecord();
    FillResultRecord(record);
    m_workingRecord = record;
    m_publishedRecord = m_workingRecord;
    FillParamResults(record);
    m_paramViews.UpdateAll(m_engine.m_ParamResults);
    m_nRingNewest = m_nRingNext;
    m_nRingNext = (m_nRingNext + 1) % kResultRingSize;

    // 6. Cursor and peak values.
    const bool frequencyAxis = IsFrequencyAxis();
    const bool decibels = plot.m_dataRange.m_bDecibel != 0;
    const std::string& unit = settings.m_Axes.m_strYUnit;
    const std::string xQuantity = GetText(frequencyAxis ? view_text::kFrequency : view_text::kTime);
    const std::array<int, 2> channels = {channelA, channelB};
    for (std::size_t w = 0; w < texts.size(); ++w)
    {
        CReadoutTexts& window = texts[w];
        const auto channel = static_cast<std::size_t>(channels[w]);
        window.m_texts[CReadoutTexts::kPeakXLabel] = xQuantity;
        window.m_texts[CReadoutTexts::kCursorXLabel] = xQuantity;
        window.m_texts[CReadoutTexts::kCursorValue] = FormatValue(plot.m_dCursorY, unit);
        const double peak = record.m_adPeak[channel];
        window.m_texts[CReadoutTexts::kPeakValue] =
            decibels && peak < kNoValueDb ? GetText(view_text::kNoValue) : FormatValue(peak, unit);
    }

    // 7. Level and distortion lines of a spectrum.
    const bool sweepOrPolar = IsSweepResultMode() || mode == 9;
    const bool impulsePlot = mode >= 256 && mode <= 263;
    const bool spectrumLines = frequencyAxis && mode != 1 && !m_engine.m_bMlsMode && mode != 5 &&
                               mode != 160 && !sweepOrPolar && !impulsePlot;
    if (spectrumLines)
    {
        for (std::size_t w = 0; w < texts.size(); ++w)
        {
            const double level = record.m_adInbandLevel[static_cast<std::size_t>(channels[w])];
            std::string text;
            if (decibels && level < kNoValueDb)
                text = GetText(view_text::kNoValue);
            else
            {
                text = platform::FormatC("%4.1f%s", level, unit.c_str());
                if (w == 0 && unit == "dB")
                    text += "/" + FormatEngineering(std::pow(10.0, level / 20.0), 4, "V");
            }
            texts[w].m_texts[CReadoutTexts::kLevelValue] = text;
            texts[w].m_texts[CReadoutTexts::kLevelLabel] = GetText(view_text::kInbandLevel);
        }
        CReadoutTexts& first = texts[0];
        const auto a = static_cast<std::size_t>(channelA);
        if (settings.m_bEnableImd)
        {
            const CCurveStatistics* stats = plot.GetCurveStats(curveA);
            const double p = stats ? stats->m_dProductRatio : 0.0;
            first.m_texts[CReadoutTexts::kSecondLineLabel] = "IMD";
            first.m_texts[CReadoutTexts::kSecondLineValue] =
                p > 0.0 ? FormatRatio(100.0 * std::sqrt(p), 10.0 * std::log10(p)) : "--";
        }
        else
        {
            const double thdN = record.m_adThdN[a];
            first.m_texts[CReadoutTexts::kFirstLineLabel] = "THD+N";
            first.m_texts[CReadoutTexts::kFirstLineValue] =
                thdN < 1e-8 || thdN > 1.0 ? "--" : FormatRatio(100.0 * thdN, 20.0 * std::log10(thdN));
            if (settings.m_bEnableThd)
            {
                const double thd = record.m_adThd[a];
                first.m_texts[CReadoutTexts::kSecondLineLabel] = "THD";
                if (thd < 0.0 || thd > 4.0)
                    first.m_texts[CReadoutTexts::kSecondLineValue] = "invalid";
                else if (thd == 0.0)
                    first.m_texts[CReadoutTexts::kSecondLineValue] = "--";
                else
                    first.m_texts[CReadoutTexts::kSecondLineValue] =
                        FormatRatio(100.0 * thd, 20.0 * std::log10(thd));
            }
        }
    }

    // 8. Positions: frequencies with their unit, times as time spans.
    const std::string xUnit = GetXUnit(mode);
    const auto position = [&](double x)
    {
        if (frequencyAxis || sweepOrPolar)
            return platform::FormatC("%4.1f%s", x, xUnit.c_str());
        const double factor = mode == 64 ? plot.m_dataRange.m_dXScale : 1000.0;
        return FormatTimeSpan(factor != 0.0 ? x / factor : x);
    };
    for (std::size_t w = 0; w < texts.size(); ++w)
    {
        texts[w].m_texts[CReadoutTexts::kCursorPosition] = position(plot.m_dCursorX);
        texts[w].m_texts[CReadoutTexts::kPeakPosition] =
            position(record.m_adPeakPosition[static_cast<std::size_t>(channels[w])]);
    }
    if (!frequencyAxis && !sweepOrPolar && mode != 64 && record.m_nChannels >= 2)
    {
        // The time between the strongest excursions of the two channels.
        const auto strongest = [&](int channel)
        {
            const auto c = static_cast<std::size_t>(channel);
            const CCurveStatistics* stats = plot.GetCurveStats(plot.GetCurveOfChannel(channel));
            if (!stats)
                return record.m_adPeakPosition[c];
            return std::fabs(stats->m_dMinimum) > std::fabs(stats->m_dMaximum) ? stats->m_dXOfMinimum
                                                                               : stats->m_dXOfMaximum;
        };
        record.m_dTimeDifference = std::fabs(strongest(channelA) - strongest(channelB)) * 0.001;
        m_publishedRecord.m_dTimeDifference = record.m_dTimeDifference;
        texts[0].m_texts[CReadoutTexts::kLevelLabel] = "Time diff ch A/B";
        texts[0].m_texts[CReadoutTexts::kLevelValue] = FormatTimeSpan(record.m_dTimeDifference);
    }

    // 9. The extra line: the engine's reverberation time of an impulse response.
    if (mode == 36)
    {
        double time = 0.0;
        {
            // Written by the analysis thread with the display.
            std::lock_guard lock(m_engine.m_displayLock);
            time = m_engine.m_dDecayTime;
        }
        texts[0].m_texts[CReadoutTexts::kExtraValue] =
            time > 0.0 && time < 20.0 ? platform::FormatC("%2.2fs", time) : "--";
        texts[0].m_texts[CReadoutTexts::kExtraLabel] = platform::FormatC(
            "%s RT%2.0f", GetText(view_text::kReverbTime).c_str(), std::fabs(m_engine.m_dDecayTarget));
    }

    m_readoutTexts = std::move(texts);
    if (m_pWindow && m_engine.IsWowAndFlutterActive())
        m_pWindow->ShowWowAndFlutterResults(m_engine.GetWowAndFlutterResults());
    if (m_pWindow)
        m_pWindow->RefreshReadouts();
}
