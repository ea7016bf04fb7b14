#include "display/Plot.h"

#include <algorithm>
#include <cmath>

#include "display/AxisNumbers.h"
#include "platform/Debug.h"

namespace
{

// Divisions of the y grid that ApplySettings computes.
constexpr int kYGridDivisions = 13;
// Start values of the math hold functions.
constexpr float kMathStartMaximum = -1e9f;
constexpr float kMathStartMinimum = 1e9f;

}  // namespace

CPlot::CPlot()
{
    Init();
    m_pOwner = nullptr;
    m_pData = nullptr;
    m_pDisplayLock = nullptr;
}

CPlot::~CPlot() = default;

void CPlot::Init()
{
    m_afMathHistory.assign(kMathHistorySize, 0.0f);
    m_abyWork.assign(kWorkBufferBytes, 0);
    m_afMathCurve.assign(kMathCurveInitialSize, 0.0f);
    m_anColumnCounts.assign(kColumnCountInitialSize, 0);
    m_afXTable.assign(kInternalXTableSize, 0.0f);
    m_afChannelCopies.assign(static_cast<std::size_t>(kMaxChannels) * kInternalChannelSize, 0.0f);

    for (CCurveStyle& style : m_arrStyles)
    {
        style.m_nColorIndex = PALETTE_BLACK;
        style.m_nWidth = 2;
        style.m_nPenStyle = PEN_STYLE_SOLID;
        style.CreatePen();
    }
    m_mathStyle.m_nColorIndex = PALETTE_RED;
    m_mathStyle.m_nWidth = 1;
    m_mathStyle.m_nPenStyle = PEN_STYLE_SOLID;
    m_mathStyle.CreatePen();
    m_gridStyle.m_nColorIndex = PALETTE_WHITE;
    m_gridStyle.m_nWidth = 1;
    m_gridStyle.m_nPenStyle = PEN_STYLE_DOT;
    m_gridStyle.CreatePen();
    m_darkStyle.m_nColorIndex = PALETTE_DARK_GREY;
    m_darkStyle.m_nWidth = 1;
    m_darkStyle.m_nPenStyle = PEN_STYLE_SOLID;
    m_darkStyle.CreatePen();

    m_abDisplayed.fill(1);
    m_arrReducedValues[0].assign(kReducedValueCount, 0.0f);
    m_arrReducedValues[1].assign(kReducedValueCount, 0.0f);
    ResetState();
}

void CPlot::ResetState()
{
    m_nMathMode = kMathOff;
    m_nMathFunction = kMathMaximum;
    m_bPolar = 0;
    m_bBarGraph = 0;
    m_bNoteNames = 0;
    m_bFrequencyMarkers = 0;
    m_bDebugCapture = 0;
    m_nActiveCurve = 0;
    m_nStride = -1;
    m_nHarmonicCount = CCurveStatistics::kMaxHarmonics;
    m_nHarmonicMask = 3;
    m_nProductCount = CCurveStatistics::kMaxProducts;
    m_dTone1 = 18000.0;
    m_dTone2 = 19000.0;
    m_nWindowType = 0;
    ResetMathHistory();
    for (CCurveStatistics& stats : m_arrStats)
        stats.Clear();
    for (std::vector<float>& values : m_arrReducedValues)
        std::fill(values.begin(), values.end(), 0.0f);
    m_bFrameDirty = 1;
    m_bLayoutDirty = 1;
    m_bDataDirty = 1;
    m_dataRange.Reset();
    m_viewRange.Reset();
    m_nGuard = kGuardWord;
    m_rcWindow = PlotRect{};
}

void CPlot::ApplySettings()
{
    const int channels = ChannelCount();
    m_nDisplayedCount = 0;
    m_nFirstDisplayed = -1;
    m_nSecondDisplayed = -1;
    for (int c = 0; c < channels; ++c)
    {
        if (m_abDisplayed[static_cast<std::size_t>(c)] != 1)
            continue;
        ++m_nDisplayedCount;
        if (m_nFirstDisplayed < 0)
            m_nFirstDisplayed = c;
        else if (m_nSecondDisplayed < 0)
            m_nSecondDisplayed = c;
    }
    // A first channel that is the last one pairs with itself.
    if (m_nFirstDisplayed >= 0 && m_nFirstDisplayed == channels - 1)
        m_nSecondDisplayed = m_nFirstDisplayed;
    if (m_nMathMode == kMathWithChannels && m_nSecondDisplayed == m_nFirstDisplayed)
        m_nSecondDisplayed = kMathChannel;
    if (m_nMathMode == kMathAlone)
    {
        m_nFirstDisplayed = kMathChannel;
        m_nSecondDisplayed = kMathChannel;
    }

    NiceGridStep(m_viewRange.m_dYMin, m_viewRange.m_dYMax, kYGridDivisions, &m_dYGridStep, &m_dYGridFirst,
                 &m_dYGridLast);

    ForceRedraw();
    std::fill(m_abyWork.begin(), m_abyWork.end(), 0);
    if (m_nMathFunction == kMathMaximum)
        m_fMathStart = kMathStartMaximum;
    else if (m_nMathFunction == kMathMinimum)
        m_fMathStart = kMathStartMinimum;
    else
        m_fMathStart = 0.0f;

    if (m_nGuard != kGuardWord)
        ShowMessage("Error code 796");
    if (m_anColumnCounts.size() > static_cast<std::size_t>(kMaxPointCount))
        ShowMessage("Error code #781");
    const int points = m_dataRange.m_nPoints;
    if (points > kMaxPointCount)
        ShowMessage("Error code #782");

    // The table grows with the point count, but never past the largest count a plot accepts: a
    // wild count would otherwise take all memory.
    const std::size_t wanted = static_cast<std::size_t>(std::clamp(points, 0, kMaxPointCount));
    if (wanted > m_anColumnCounts.size())
        m_anColumnCounts.assign(wanted, 0);
}

int CPlot::ForceRedraw()
{
    m_bFrameDirty = 1;
    m_bLayoutDirty = 1;
    m_bDataDirty = 1;
    m_nFrameRedraws = 2;
    m_rcWindow = PlotRect{};
    return -1;
}

void CPlot::RecreatePens()
{
    for (CCurveStyle& style : m_arrStyles)
        style.CreatePen();
    m_mathStyle.CreatePen();
}

int CPlot::GetPointCount() const
{
    return std::clamp(m_dataRange.m_nPoints, 0, kMaxPointCount);
}

int CPlot::RightLabelRoom() const
{
    // Half of the widest x label ("20k", "1.5k": up to four characters of about 0.55 em) and a pixel.
    return (11 * std::max(1, m_nLabelFontPixels) + 9) / 10 + 1;
}

void CPlot::SetPlotArea(int left, int top, int right, int bottom)
{
    m_rcWindow = PlotRect{left, top, right, bottom};
    m_nPlotLeft = left + kMarginLeft;
    m_nPlotTop = top + kMarginTop;
    m_nPlotRight = right - (m_bSideAxis ? kMarginRightSideAxis : std::max(0, m_nRightMargin));
    m_nPlotBottom = bottom - kMarginBottom;

    // Only a logarithmic axis uses its pixels per decade; a range without a logarithm gives 0.
    const auto perDecade = [](double pixels, double from, double to)
    {
        if (!(from > 0.0 && to > from))
            return 0.0;
        return pixels / std::log10(to / from);
    };
    m_dXPixelsPerDecade = perDecade(m_nPlotRight - m_nPlotLeft, m_viewRange.m_dXMin, m_viewRange.m_dXMax);
    m_dYPixelsPerDecade = perDecade(m_nPlotBottom - m_nPlotTop, m_viewRange.m_dYMin, m_viewRange.m_dYMax);
}

int CPlot::ChannelCount() const
{
    return std::clamp(m_nChannels, 0, kMaxChannels);
}

int CPlot::StrideOf() const
{
    return m_nStride > 0 ? m_nStride : GetPointCount();
}

bool CPlot::InternalXTableInUse() const
{
    return m_nXTableCount > 0;
}

void CPlot::ShowMessage(const std::string& text) const
{
    if (m_fnShowMessage)
        m_fnShowMessage(text);
    else
        platform::DebugOutput("%s", text.c_str());
}

std::unique_lock<std::mutex> CPlot::LockDisplay() const
{
    if (m_pDisplayLock == nullptr)
        return {};
    return std::unique_lock<std::mutex>(*m_pDisplayLock);
}

void CPlot::ResetMathCurve()
{
    if (m_nMathFunction == kMathMaximum)
        m_fMathStart = kMathStartMaximum;
    else if (m_nMathFunction == kMathMinimum)
        m_fMathStart = kMathStartMinimum;
    else
        m_fMathStart = 0.0f;
    std::fill(m_afMathCurve.begin(), m_afMathCurve.end(), m_fMathStart);
}

void CPlot::ResetMathHistory()
{
    ResetMathCurve();
    m_nMathHistoryPosition = 0;
    std::fill(m_afMathHistory.begin(), m_afMathHistory.end(), 0.0f);
}
