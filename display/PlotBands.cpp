// The plot's bar-graph pictures: FFT band bars on a free fraction grid, the staircase of the band
// values, and the labelled bars on the nominal octave and third-octave centres with the loudness
// and sound-level readouts.
#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

#include "display/LoudnessReadout.h"
#include "display/Plot.h"
#include "dsp/FrequencyWeighting.h"

namespace
{

constexpr std::array<double, 19> kOctaveCentres = {
    1, 2, 4, 8, 16, 31.5, 63, 125, 250, 500, 1000, 2000, 4000, 8000, 16000, 31500, 63000, 125000, 250000};

// 1 Hz .. 250 kHz: ten mantissas per decade up to 63 kHz, then the six highest bands.
std::array<double, 55> BuildThirdOctaveCentres()
{
    constexpr std::array<double, 10> mantissas = {1, 1.25, 1.6, 2, 2.5, 3.15, 4, 5, 6.3, 8};
    std::array<double, 55> centres{};
    std::size_t n = 0;
    double decade = 1.0;
    for (int d = 0; d < 5; ++d, decade *= 10.0)
        for (double m : mantissas)
            if (m * decade <= 63000.0)
                centres[n++] = m * decade;
    for (double f : {80000.0, 100000.0, 125000.0, 160000.0, 200000.0, 250000.0})
        centres[n++] = f;
    return centres;
}

const std::array<double, 55> kThirdOctaveCentres = BuildThirdOctaveCentres();
// The first band the loudness reads (25 Hz) in the third-octave table.
constexpr int kLoudnessFirstBand = 14;
constexpr int kMarkerHeight = 4;
constexpr int kVerticalLabelMinWidth = 15;
const gfx::Font kReadoutFont{"Arial", 20, true};
// The readout box inside the plot area.
constexpr int kReadoutLeft = 100;
constexpr int kReadoutTop = 10;
constexpr int kReadoutRight = 10;

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

namespace
{

// The bins of one band on the FFT grid and its value from a power spectrum.
struct BandBins
{
    int first = 0;
    int count = 1;
};

BandBins BinsOf(double lower, double upper, double binWidth)
{
    BandBins bins;
    bins.first = static_cast<int>(std::floor(lower / binWidth));
    int count = 0;
    for (double f = bins.first * binWidth; f < upper; f += binWidth)
        ++count;
    bins.count = std::max(1, count);
    return bins;
}

}  // namespace

// The power of one bin of a curve's data, and the level of a band power, in the plot's units.
static double BinPower(const CPlotRange& range, float raw)
{
    const double value = raw;
    return range.m_bDecibel && range.m_dLogFactor > 15.0 ? value * value : value;
}

static double BandLevel(const CPlotRange& range, double power)
{
    if (!range.m_bDecibel)
        return power;
    return power > 0.0 ? 10.0 * std::log10(power) + range.m_dLogOffset : -1000.0;
}

// The value of a band of `data` (points values): the mean (or the sum) of its bins when it is at
// least one bin wide, else the value interpolated at its centre.
static double BandValue(const CPlotRange& range, const float* data, int points, double centre, double lower,
                        double upper, double binWidth, bool sum)
{
    const BandBins bins = BinsOf(lower, upper, binWidth);
    const auto power = [&](int bin) { return bin >= 0 && bin < points ? BinPower(range, data[bin]) : 0.0; };
    if (upper - lower >= binWidth)
    {
        double total = 0.0;
        for (int k = 0; k < bins.count; ++k)
            total += power(bins.first + k);
        return sum ? total : total / bins.count;
    }
    const double t = centre / binWidth - bins.first;
    return power(bins.first) + (power(bins.first + 1) - power(bins.first)) * t;
}

void CPlot::DrawBands(gfx::Canvas& canvas)
{
    if (GetCurveCount() <= 0)
        return;
    const int channels = std::max(2, ChannelCount());
    for (int c = 0; c < std::min(channels, ChannelCount()); ++c)
        if (m_abDisplayed[static_cast<std::size_t>(c)] == 1 && GetChannelData(c) != nullptr)
            ComputeCurveStats(GetCurveOfChannel(c));
    float fx = 0.0f;
    float fy = 0.0f;
    PixelToValue(m_ptMouse, &fx, &fy);
    m_dCursorX = fx;
    m_dCursorY = fy;

    const std::size_t heldSize = static_cast<std::size_t>(kMaxChannels) * kMaxBands;
    if (m_afHeldBands.size() < heldSize)
    {
        m_afHeldBands.assign(heldSize, 0.0f);
        m_afPeakBands.assign(heldSize, 0.0f);
    }

    if (m_nBandFraction >= 1)
        DrawNominalBands(canvas);
    else if (m_bStaircase)
        DrawStaircase(canvas);
    else
    {
        // FFT bars of the first displayed channel on the free grid.
        const double binWidth = m_dBinWidth * m_dataRange.m_dXScale;
        const double fMin = m_viewRange.m_dXMin;
        const double fMax = m_viewRange.m_dXMax;
        const int channel = m_nFirstDisplayed >= 0 ? m_nFirstDisplayed : 0;
        const float* data = GetChannelData(channel);
        const int points = GetPointCount();
        int bands = 0;
        // Without a bin width or a positive lower frequency there is no grid to walk.
        if (data != nullptr && binWidth > 0.0 && fMin > 0.0 && fMax >= fMin && std::isfinite(fMax))
        {
            const int n = std::max(1, m_nFftBarFraction);
            const double ratio = std::pow(2.0, 1.0 / n);
            const double half = std::sqrt(ratio);
            double centre = std::pow(10.0, std::floor(std::log10(fMin)));
            while (centre < fMin)
                centre *= ratio;
            const gfx::Color color = PenOf(m_arrStyles[static_cast<std::size_t>(channel)]).color;
            float* held = m_afHeldBands.data() + static_cast<std::size_t>(channel) * kMaxBands;
            float* peak = m_afPeakBands.data() + static_cast<std::size_t>(channel) * kMaxBands;
            const auto lock = LockDisplay();
            for (; centre <= fMax && bands < kMaxBands; centre *= ratio, ++bands)
            {
                const double lower = centre / half;
                const double upper = centre * half;
                double value = BandValue(m_dataRange, data, points, centre, lower, upper, binWidth, false);
                if (value > held[bands])
                    held[bands] = static_cast<float>(value);
                else
                    value = held[bands];
                held[bands] = static_cast<float>(held[bands] * m_dBarDecay);
                m_afBandValues[static_cast<std::size_t>(bands)] = static_cast<float>(value);
                m_afBandEdges[static_cast<std::size_t>(bands)] = static_cast<float>(lower);
                PlotPoint from;
                PlotPoint to;
                ValueToPixel(&from, lower, BandLevel(m_dataRange, value));
                ValueToPixel(&to, upper, m_viewRange.m_dYMin);
                const int top = std::clamp(from.y, m_nPlotTop, m_nPlotBottom);
                if (to.x - 1 > from.x + 1)
                    canvas.FillRect({from.x + 1, top, to.x - 1, m_nPlotBottom}, color);
                if (m_bPeakMarkers)
                {
                    if (value > peak[bands])
                        peak[bands] = static_cast<float>(value);
                    PlotPoint mark;
                    ValueToPixel(&mark, lower, BandLevel(m_dataRange, peak[bands]));
                    const int y = std::clamp(mark.y, m_nPlotTop, m_nPlotBottom - 2);
                    canvas.FillRect({from.x + 1, y, to.x - 1, y + kMarkerHeight}, m_markerColor);
                    peak[bands] = static_cast<float>(peak[bands] * m_dPeakDecay);
                }
            }
        }
        m_nBandCount = bands;
    }
    if (m_bLegend)
    {
        m_legend.m_background = m_colorScheme.GetColor(CColorScheme::RolePlotBackground);
        m_legend.DrawLegend(canvas, m_nPlotLeft, m_nPlotTop, m_nPlotRight, m_nPlotBottom);
    }
}

void CPlot::DrawStaircase(gfx::Canvas& canvas)
{
    const int channel = m_nFirstDisplayed >= 0 ? m_nFirstDisplayed : 0;
    const std::vector<gfx::Point>& points = m_arrPointBuffers[static_cast<std::size_t>(channel)];
    const int count = std::min<int>(m_nColumnCount, static_cast<int>(points.size()));
    if (count <= 0)
        return;
    canvas.SetPen(PenOf(m_arrStyles[static_cast<std::size_t>(channel)]));
    canvas.MoveTo(points[0].x, points[0].y);
    for (int i = 1; i < count; ++i)
    {
        canvas.LineTo(points[static_cast<std::size_t>(i) - 1].x, points[static_cast<std::size_t>(i)].y);
        canvas.LineTo(points[static_cast<std::size_t>(i)].x, points[static_cast<std::size_t>(i)].y);
    }
}

void CPlot::DrawNominalBands(gfx::Canvas& canvas)
{
    const int fraction = m_nBandFraction;
    const double binWidth = m_dBinWidth * m_dataRange.m_dXScale;
    const double fMin = m_viewRange.m_dXMin;
    const double fMax = m_viewRange.m_dXMax;
    const double ratio = std::pow(2.0, 1.0 / fraction);
    const double half = std::sqrt(ratio);
    const int points = GetPointCount();
    const bool nominal = fraction == 1 || fraction == 3;
    const std::span<const double> table = fraction == 1   ? std::span<const double>(kOctaveCentres)
                                          : fraction == 3 ? std::span<const double>(kThirdOctaveCentres)
                                                          : std::span<const double>();

    std::vector<int> curves;
    for (int c = 0; c < ChannelCount() && c < kMaxChannels; ++c)
        if (m_abDisplayed[static_cast<std::size_t>(c)] == 1 && GetChannelData(c) != nullptr)
            curves.push_back(c);
    const int curveCount = static_cast<int>(curves.size());
    if (curveCount == 0 || !(fMax > 0.0))
        return;
    m_afLoudnessLevels.fill(-100.0f);

    gfx::Font labelFont{"Arial", m_nLabelFontPixels, false};
    canvas.SetFont(labelFont);
    canvas.SetTextColor(m_colorScheme.GetColor(CColorScheme::RoleText));
    canvas.SetTextBackground(gfx::kTransparentText);
    int bandsDrawn = 0;
    bool verticalLabels = false;
    {
        const auto lock = LockDisplay();
        for (int k = 0; k < curveCount; ++k)
        {
            const int channel = curves[static_cast<std::size_t>(k)];
            const float* data = GetChannelData(channel);
            const BandResults* results = k < static_cast<int>(m_arrBandResults.size()) &&
                                                 m_arrBandResults[static_cast<std::size_t>(k)].valid &&
                                                 m_arrBandResults[static_cast<std::size_t>(k)].count > 0
                                             ? &m_arrBandResults[static_cast<std::size_t>(k)]
                                             : nullptr;
            // Without results a band needs the FFT grid: a bin width and a positive lower frequency.
            if (results == nullptr && !(binWidth > 0.0 && fMin > 0.0))
                continue;
            float* held = m_afHeldBands.data() + static_cast<std::size_t>(channel) * kMaxBands;
            float* peak = m_afPeakBands.data() + static_cast<std::size_t>(channel) * kMaxBands;
            const gfx::Color color = PenOf(m_arrStyles[static_cast<std::size_t>(channel)]).color;

            double centre = 0.0;
            if (!nominal)
            {
                if (!(fMin > 0.0))
                    continue;
                centre = std::pow(10.0, std::floor(std::log10(fMin)));
                while (centre < fMin)
                    centre *= ratio;
            }
            for (int band = 0; band < kMaxBands; ++band)
            {
                if (nominal)
                {
                    if (band >= static_cast<int>(table.size()))
                        break;
                    centre = table[static_cast<std::size_t>(band)];
                }
                else if (band > 0)
                    centre *= ratio;
                if (centre > fMax)
                    break;
                const double lower = centre / half;
                const double upper = centre * half;

                double value = 0.0;
                double peakValue = -1.0;
                if (results != nullptr)
                {
                    for (int r = 0; r < results->count; ++r)
                        if (std::fabs(results->frequencies[r] - centre) < 0.01 * centre)
                        {
                            value = results->levels[r] * results->levels[r];
                            if (results->peaks != nullptr)
                                peakValue = results->peaks[r] * results->peaks[r];
                            break;
                        }
                }
                else
                {
                    value = BandValue(m_dataRange, data, points, centre, lower, upper, binWidth, true);
                }
                held[band] = static_cast<float>(std::max<double>(held[band], value) * m_dBarDecay);
                const double level = BandLevel(m_dataRange, value);
                if (k == 0 && fraction == 3 && band >= kLoudnessFirstBand &&
                    band - kLoudnessFirstBand < static_cast<int>(m_afLoudnessLevels.size()))
                    m_afLoudnessLevels[static_cast<std::size_t>(band - kLoudnessFirstBand)] =
                        static_cast<float>(level);
                if (k == 0)
                {
                    m_afBandValues[static_cast<std::size_t>(band)] = static_cast<float>(value);
                    m_afBandEdges[static_cast<std::size_t>(band)] = static_cast<float>(lower);
                    bandsDrawn = band + 1;
                }

                if (upper > fMax || lower < fMin)
                    continue;
                PlotPoint left;
                PlotPoint right;
                ValueToPixel(&left, lower, m_viewRange.m_dYMin);
                ValueToPixel(&right, upper, m_viewRange.m_dYMin);
                if (left.x < m_nPlotLeft || left.x > m_nPlotRight)
                    continue;
                const double part = static_cast<double>(right.x - left.x) / curveCount;
                const int gap = nominal ? 2 : 1;
                const int x0 = left.x + static_cast<int>(part * k) + gap;
                const int x1 = left.x + static_cast<int>(part * (k + 1)) - gap;
                PlotPoint top;
                ValueToPixel(&top, centre, level);
                const int y = std::clamp(top.y, m_nPlotTop, m_nPlotBottom);
                if (value > 0.0 && x1 > x0)
                    canvas.FillRect({x0, y, x1, m_nPlotBottom}, color);
                if (m_bPeakMarkers)
                {
                    const double candidate = peakValue >= 0.0 ? peakValue : value;
                    if (candidate > peak[band])
                        peak[band] = static_cast<float>(candidate);
                    PlotPoint mark;
                    ValueToPixel(&mark, centre, BandLevel(m_dataRange, peak[band]));
                    const int my = std::clamp(mark.y, m_nPlotTop, m_nPlotBottom - 2);
                    canvas.FillRect({x0, my, x1, my + kMarkerHeight}, m_markerColor);
                    peak[band] = static_cast<float>(peak[band] * m_dPeakDecay);
                }

                // Labels.
                const std::string levelText = value > 0.0 ? Format(" %.1fdB ", level) : " --dB ";
                if (fraction == 1)
                {
                    const std::string hz = Format(" %.0fHz ", centre);
                    const int h = canvas.TextHeight(hz);
                    if (curveCount > 1)
                    {
                        canvas.DrawRotatedText(levelText, x0, y - 2, 90.0);
                    }
                    else
                    {
                        canvas.DrawText(levelText, {x0, y - h - 2, x1, y - 2}, gfx::Align::Centre);
                    }
                    if (k == 0)
                        canvas.DrawText(hz, {left.x, m_nPlotBottom + 2, right.x, m_nPlotBottom + 2 + h},
                                        gfx::Align::Centre);
                }
                else if (k == 0)
                {
                    if (band == 0 || bandsDrawn == band + 1)
                        verticalLabels = verticalLabels || (right.x - left.x) > kVerticalLabelMinWidth;
                    if (verticalLabels)
                    {
                        const std::string text = value > 0.0 ? Format("% 6.1fdB ", level) : " --dB ";
                        const int column = canvas.TextWidth(Format("% 6.1f", -800.9));
                        canvas.DrawRotatedText(text, x0 + (x1 - x0 - canvas.TextHeight(text)) / 2,
                                               m_nPlotBottom - 2, 90.0);
                        (void)column;
                    }
                }
            }
        }
    }
    m_nBandCount = bandsDrawn;

    if (!m_strFreeText.empty())
        canvas.DrawText(m_strFreeText, {m_nPlotLeft + 2, m_nPlotTop + 10, m_nPlotRight, m_nPlotTop + 30},
                        gfx::Align::Left);

    // The readouts stand at the top right: the window's measurement readout covers the top left.
    canvas.SetFont(kReadoutFont);
    const int lineHeight = canvas.TextHeight("S");
    const gfx::Rect readoutBox{m_nPlotLeft + kReadoutLeft, m_nPlotTop + kReadoutTop,
                               m_nPlotRight - kReadoutRight, m_nPlotTop + kReadoutTop + lineHeight};
    if (fraction == 3 && m_bLoudness)
    {
        const LoudnessReadout readout = ReadLoudness(m_afLoudnessLevels.data());
        m_dLoudness = readout.loudness;
        m_dALevel = readout.aLevel;
        canvas.DrawText(readout.text, readoutBox, gfx::Align::Right);
    }
    else if (!m_bLoudness)
    {
        const int curve = std::clamp(m_nActiveCurve, 0, std::max(0, GetCurveCount() - 1));
        const int channel = std::clamp(GetCurveChannel(curve), 0, kMaxChannels - 1);
        std::string label = "SPL";
        if (m_nTimeWeighting == 5)
            label = "LEQ";
        else if (!m_strTimeWeightingLabel.empty())
            label += "[" + m_strTimeWeightingLabel + "]";
        const auto levelOf = [](double linear)
        { return linear > 0.0 ? Format("%3.1f", 20.0 * std::log10(linear)) : std::string("--"); };
        std::string text =
            label + " " + levelOf(m_adLinearLevels[static_cast<std::size_t>(channel)]) + "dB(Z)";
        if (m_nFrequencyWeighting != 0)
            text += " " + levelOf(m_adWeightedLevels[static_cast<std::size_t>(channel)]) + "dB(" +
                    GetWeightingName(m_nFrequencyWeighting) + ")";
        if (m_bOverload)
            text =
                "*** \xC3\x9C"
                "BERSTEUERT *** " +
                text;
        canvas.DrawText(text, readoutBox, gfx::Align::Right);
    }
}
