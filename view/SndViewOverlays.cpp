// Overlays: the window's uniform curve numbering (live curves, then active overlay slots), curve
// math into overlay slots, overlay text files, limit curves, the curve clipboard, the overlay
// commands and the overlay passes of the plot's drawing hooks.
#include "view/SndView.h"

#include "common/CurveFit.h"
#include "common/DspOperation.h"
#include "common/TextDataFiles.h"
#include "display/ColorPalette.h"
#include "display/settings/OverlaySettings.h"
#include "display/settings/ViewSettings.h"
#include "dsp/FrequencyWeighting.h"
#include "engine/SoundIn.h"
#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"
#include "view/CurveClipboard.h"
#include "view/ProdTestItems.h"
#include "view/ViewFrame.h"
#include "view/ViewTexts.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <mutex>
#include <vector>

namespace
{

constexpr int kTextContainsNoData = 1000393;
constexpr int kTextMustNotBeNegativeOrZero = 1000394;
constexpr int kTextMustBeMonotonic = 1000395;
constexpr int kTextOverlay = 1000336;
constexpr int kTextSetAsOverlay = 1000349;
constexpr int kTextSetup = 1000288;
constexpr int kTextLoadText = 1000350;
constexpr int kTextSaveText = 1000351;
constexpr int kTextDynamicOverlay = 1000352;
constexpr int kTextAutoLoadLimits = 1000353;
constexpr double kFirstXInsteadOfZero = 1e-9;
constexpr int kOverlayCount = CViewSettings::kOverlayCount;

bool ValidSlot(int slot)
{
    return slot >= 0 && slot < kOverlayCount;
}

// The value of a curve at x: on its x values (linear interpolation) or on its even grid from x0.
double ValueOnCurve(const float* y, const float* x, int count, double x0, double step, double at)
{
    if (y == nullptr || count <= 0)
        return 0.0;
    if (count == 1)
        return y[0];
    if (x != nullptr)
        return InterpolateCurve(count, x, y, static_cast<float>(at), false);
    if (!(step > 0.0))
        return y[0];
    const double position = (at - x0) / step;
    if (position <= 0.0)
        return y[0];
    if (position >= count - 1)
        return y[count - 1];
    const int l = static_cast<int>(std::floor(position));
    const int r = std::min(l + 1, count - 1);
    const double t = position - l;
    return y[l] + (y[r] - y[l]) * t;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Curve numbering

int CSndView::GetActiveOverlayCount() const
{
    if (!m_pSettings)
        return 0;
    int count = 0;
    for (const COverlay_settings& overlay : m_pSettings->m_Overlays)
        count += overlay.m_bShown == 1 ? 1 : 0;
    return count;
}

int CSndView::GetCurveCount() const
{
    return m_pPlot->GetCurveCount() + GetActiveOverlayCount();
}

int CSndView::GetOverlaySlotOfCurve(int curve) const
{
    const int p = m_pPlot->GetCurveCount();
    if (!m_pSettings || curve < p)
        return -1;
    int n = p;
    for (int slot = 0; slot < kOverlayCount; ++slot)
    {
        if (m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_bShown != 1)
            continue;
        if (n == curve)
            return slot;
        ++n;
    }
    return -1;
}

int CSndView::FindCurveByData(int slot) const
{
    if (!m_pSettings || !ValidSlot(slot) ||
        m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_bShown != 1)
        return -1;
    int n = m_pPlot->GetCurveCount();
    for (int s = 0; s < slot; ++s)
        n += m_pSettings->m_Overlays[static_cast<std::size_t>(s)].m_bShown == 1 ? 1 : 0;
    return n;
}

int CSndView::GetSelectedCurve() const
{
    const int selected = m_pPlot->m_nActiveCurve;
    return selected < 0 || selected >= GetCurveCount() ? 0 : selected;
}

const float* CSndView::GetCurveData(int curve) const
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
    {
        const Ccurve_data& data = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_Curve;
        return data.m_pY.empty() ? nullptr : data.m_pY.data();
    }
    return m_pPlot->GetCurveData(curve);
}

const float* CSndView::GetCurveXData(int curve) const
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
    {
        const Ccurve_data& data = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_Curve;
        return data.HasX() ? data.m_pX.data() : nullptr;
    }
    if (curve < 0 || curve >= m_pPlot->GetCurveCount())
        return nullptr;
    return m_pPlot->GetXTable();
}

int CSndView::GetCurvePointCount(int curve) const
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
        return m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_Curve.m_nCount;
    if (curve < 0 || curve >= m_pPlot->GetCurveCount() || m_pPlot->GetCurveData(curve) == nullptr)
        return 0;
    return m_pPlot->GetPointCount();
}

double CSndView::GetCurveXValue(int curve, int index) const
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
    {
        const Ccurve_data& data = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_Curve;
        if (data.m_nCount <= 0)
            return 0.0;
        index = std::clamp(index, 0, data.m_nCount - 1);
        return data.HasX() ? data.m_pX[static_cast<std::size_t>(index)] : index * data.m_dDeltaX;
    }
    return m_pPlot->GetXValue(index);
}

double CSndView::GetCurveDisplayValue(int curve, int index) const
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot < 0)
        return m_pPlot->GetCurveDisplayValue(curve, index);
    const Ccurve_data& data = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_Curve;
    if (index < 0 || index >= data.m_nCount || index >= static_cast<int>(data.m_pY.size()))
        return 0.0;
    return GetCurvePlot(curve).ToDisplayValue(data.m_pY[static_cast<std::size_t>(index)]);
}

double CSndView::GetCurveValueAt(int curve, double x) const
{
    if (curve == kCurveAWeighting)
        return GetAWeightingPower(x);
    if (curve == kCurveCWeighting)
        return GetCWeightingPower(x);
    if (curve > 1023 || curve < 0)
        return 0.0;
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
    {
        const Ccurve_data& data = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_Curve;
        const int count = std::min<int>(data.m_nCount, static_cast<int>(data.m_pY.size()));
        return ValueOnCurve(data.m_pY.data(), data.HasX() ? data.m_pX.data() : nullptr, count, 0.0,
                            data.m_dDeltaX, x);
    }
    if (curve >= m_pPlot->GetCurveCount())
        return 0.0;
    const float* y = m_pPlot->GetCurveData(curve);
    const int count = GetCurvePointCount(curve);
    const float* table = m_pPlot->GetXTable();
    if (table != nullptr)
        return ValueOnCurve(y, table, count, 0.0, 0.0, x);
    const double x0 = m_pPlot->GetXValue(0);
    return ValueOnCurve(y, nullptr, count, x0, m_pPlot->GetXValue(1) - x0, x);
}

const CPlot& CSndView::GetCurvePlot(int curve) const
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0 && m_overlayPlots[static_cast<std::size_t>(slot)])
        return *m_overlayPlots[static_cast<std::size_t>(slot)];
    return *m_pPlot;
}

const CPlot* CSndView::GetOverlayPlot(int slot) const
{
    return ValidSlot(slot) ? m_overlayPlots[static_cast<std::size_t>(slot)].get() : nullptr;
}

std::string CSndView::GetCurveName(int curve) const
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
        return m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_strName;
    // A plot curve: the name its channel was given, else its default name.
    CCurveStyle style;
    if (m_pPlot->GetCurveStyle(curve, style) && !style.m_strLabel.empty())
        return style.m_strLabel;
    return m_pPlot->GetCurveName(curve);
}

void CSndView::SetCurveName(int curve, const std::string& name)
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
    {
        COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
        overlay.m_strName = name;
        overlay.m_CurveStyle.m_strLabel = name;
        if (CPlot* plot = m_overlayPlots[static_cast<std::size_t>(slot)].get())
            plot->m_arrStyles[0].m_strLabel = name;
        return;
    }
    CCurveStyle style;
    if (!m_pPlot->GetCurveStyle(curve, style))
        return;
    style.m_strLabel = name;
    m_pPlot->SetCurveStyle(curve, style);
    const int channel = m_pPlot->GetCurveChannel(curve);
    if (m_pSettings && channel >= 0 && channel < m_pSettings->m_Channels.m_nCount)
        m_pSettings->m_Channels.GetChannel(channel).m_CurveStyle.m_strLabel = name;
}

bool CSndView::GetCurvePen(int curve, CCurveStyle& style) const
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
    {
        style.CopyFrom(m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_CurveStyle);
        return true;
    }
    return m_pPlot->GetCurveStyle(curve, style);
}

void CSndView::SetCurveStyle(int curve, const CCurveStyle& style)
{
    const int slot = GetOverlaySlotOfCurve(curve);
    if (slot >= 0)
    {
        m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_CurveStyle.CopyFrom(style);
        if (CPlot* plot = m_overlayPlots[static_cast<std::size_t>(slot)].get())
        {
            plot->m_arrStyles[0].CopyFrom(style);
            plot->RecreatePens();
        }
        return;
    }
    if (!m_pPlot->SetCurveStyle(curve, style))
        return;
    m_pPlot->RecreatePens();
    const int channel = m_pPlot->GetCurveChannel(curve);
    if (m_pSettings && channel >= 0 && channel < m_pSettings->m_Channels.m_nCount)
        m_pSettings->m_Channels.GetChannel(channel).m_CurveStyle.CopyFrom(style);
}

int CSndView::GetCurveChannel(int curve) const
{
    if (GetOverlaySlotOfCurve(curve) >= 0)
        return -1;
    return m_pPlot->GetCurveChannel(curve);
}

const CCurveStatistics* CSndView::GetCurveStatistics(int curve) const
{
    if (GetOverlaySlotOfCurve(curve) >= 0)
        return nullptr;
    return m_pPlot->GetCurveStats(curve);
}

// ---------------------------------------------------------------------------------------------
// Curve math and slot data

CPlot& CSndView::NewOverlayPlot(int slot)
{
    auto plot = std::make_unique<CPlot>();
    plot->m_pOwner = this;
    const COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
    plot->m_arrStyles[0].CopyFrom(overlay.m_CurveStyle);
    plot->m_arrStyles[0].m_strLabel = overlay.m_strName;
    m_overlayPlots[static_cast<std::size_t>(slot)] = std::move(plot);
    return *m_overlayPlots[static_cast<std::size_t>(slot)];
}

void CSndView::PrepareOverlayPlot(int slot)
{
    CPlot& plot = *m_overlayPlots[static_cast<std::size_t>(slot)];
    COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
    Ccurve_data& curve = overlay.m_Curve;
    const int count = std::clamp(curve.m_nCount, 0, static_cast<int>(curve.m_pY.size()));
    plot.m_dataRange.m_nPoints = count;
    CopyPlotSettings(plot);
    plot.m_pData = nullptr;
    plot.m_nStride = -1;
    plot.m_arrChannelData.fill(nullptr);
    plot.m_arrChannelData[0] = count > 0 ? curve.m_pY.data() : nullptr;
    plot.m_nChannels = 1;
    plot.m_abDisplayed.fill(0);
    plot.m_abDisplayed[0] = 1;
    plot.m_nMathMode = CPlot::kMathOff;
    plot.m_pXTable =
        curve.HasX() && static_cast<int>(curve.m_pX.size()) >= count ? curve.m_pX.data() : nullptr;
    plot.m_dBinWidth = curve.m_dDeltaX;
    plot.m_dataRange.m_dXOffset = 0.0;
    plot.m_dataRange.m_dXScale = m_pPlot->m_dataRange.m_dXScale;
    plot.m_dataRange.m_dLinearScale = overlay.m_dPlotValue1;
    plot.m_dataRange.m_dLogFactor = overlay.m_dPlotValue2;
    plot.m_dataRange.m_dLogOffset = overlay.m_dPlotValue3;
    plot.m_bHarmonics = 0;
    plot.m_bIntermodulation = 0;
    plot.m_bLevelBars = 0;
    plot.m_bCrosshair = 0;
    plot.m_bFrequencyMarkers = 0;
    plot.m_bTriggerMarker = 0;
    plot.m_arrStyles[0].CopyFrom(overlay.m_CurveStyle);
    plot.m_arrStyles[0].m_strLabel = overlay.m_strName;
    plot.ApplySettings();
    plot.RecreatePens();
}

bool CSndView::SetAsOverlay(int slot, int curveA, int curveB, int operation, bool useConstant,
                            double constant)
{
    if (!m_pSettings || !ValidSlot(slot) || curveA < 0 || curveA >= GetCurveCount())
        return false;
    const bool weighting = curveB == kCurveAWeighting || curveB == kCurveCWeighting;
    // A plain copy (no operation, no constant) needs no second curve: curveB may be -1.
    const bool secondCurve = !useConstant && !(operation == kDspNone && curveB < 0);
    if (secondCurve && !weighting && (curveB < 0 || curveB >= GetCurveCount()))
        return false;
    COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
    Ccurve_data& data = overlay.m_Curve;

    int choice = kOverlayOverwrite;
    if (data.m_nCount > 0 && operation == kDspNone)
    {
        choice = m_pWindow ? m_pWindow->AskOverlayExists(slot) : kOverlayCancel;
        if (choice < kOverlayOverwrite || choice > kOverlayAverage)
            return false;
    }
    const bool overwrite = choice == kOverlayOverwrite || data.m_nCount <= 0;

    // The live curves are the engine's display buffers.
    std::unique_lock<std::mutex> lock(m_engine.m_displayLock);
    const CPlot& plotA = GetCurvePlot(curveA);
    const int n = GetCurvePointCount(curveA);
    const double xFactor = plotA.m_dataRange.m_dXScale != 0.0 ? plotA.m_dataRange.m_dXScale : 1.0;
    std::vector<float> xs;
    std::vector<float> ys;
    if (overwrite)
    {
        xs.resize(static_cast<std::size_t>(std::max(0, n)));
        for (int i = 0; i < n; ++i)
            xs[static_cast<std::size_t>(i)] = static_cast<float>(GetCurveXValue(curveA, i) / xFactor);
    }
    else
    {
        // Combining runs over the slot's own points at its own x.
        const int count = std::min<int>(data.m_nCount, static_cast<int>(data.m_pY.size()));
        xs.resize(static_cast<std::size_t>(count));
        for (int i = 0; i < count; ++i)
            xs[static_cast<std::size_t>(i)] =
                data.HasX() ? data.m_pX[static_cast<std::size_t>(i)] : static_cast<float>(i * data.m_dDeltaX);
    }
    const double constantRaw = m_pPlot->FromDisplayValue(constant);
    ys.resize(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i)
    {
        const double v = GetCurveValueAt(curveA, xs[i]);
        const double w = useConstant ? constantRaw : secondCurve ? GetCurveValueAt(curveB, xs[i]) : 0.0;
        double r = ApplyDspOperationScalar(operation, v, w);
        if (operation == kDspNone && useConstant)
            r = constantRaw;
        ys[i] = static_cast<float>(r);
    }
    lock.unlock();

    const int m = std::max(1, overlay.m_nAverages);
    if (overwrite)
    {
        overlay.m_bShown = 0;
        CPlot& plot = NewOverlayPlot(slot);
        data.m_pX = std::move(xs);
        data.m_pY = std::move(ys);
        data.m_nCount = static_cast<int>(data.m_pY.size());
        data.m_dDeltaX = m_pPlot->m_dBinWidth;
        overlay.m_nAverages = 1;
        overlay.m_dPlotValue1 = plotA.m_dataRange.m_dLinearScale;
        overlay.m_dPlotValue2 = plotA.m_dataRange.m_dLogFactor;
        overlay.m_dPlotValue3 = plotA.m_dataRange.m_dLogOffset;
        plot.m_viewRange = plotA.m_viewRange;
    }
    else
    {
        for (std::size_t i = 0; i < ys.size(); ++i)
        {
            float& old = data.m_pY[i];
            if (choice == kOverlayAdd)
                old = static_cast<float>(old + ys[i]);
            else if (choice == kOverlaySubtract)
                old = static_cast<float>(old - ys[i]);
            else
                old = static_cast<float>((ys[i] + static_cast<double>(old) * m) / (m + 1));
        }
        overlay.m_nAverages = choice == kOverlayAverage ? m + 1 : 1;
        if (!m_overlayPlots[static_cast<std::size_t>(slot)])
            NewOverlayPlot(slot);
    }
    overlay.m_nAxisKind = IsFrequencyAxis() ? 1 : 0;
    PrepareOverlayPlot(slot);
    overlay.m_bShown = 1;
    RebuildCurveList();
    return true;
}

bool CSndView::SetOverlayData(int slot, int count, const float* x, const float* y, bool redraw,
                              const double* displayValues)
{
    const bool wasPaused = IsProcessingPaused();
    if (!m_pSettings || !ValidSlot(slot) || count < 0 || count > Ccurve_data::kMaxPoints ||
        (count > 0 && y == nullptr))
        return wasPaused;
    PauseProcessing();
    COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
    NewOverlayPlot(slot);
    overlay.m_bShown = 1;
    Ccurve_data& data = overlay.m_Curve;
    data.m_nCount = count;
    data.m_dDeltaX = 0.0;
    data.m_pY.assign(y, y + count);
    if (x != nullptr)
        data.m_pX.assign(x, x + count);
    else
        data.m_pX.clear();
    overlay.m_nAxisKind = IsFrequencyAxis() ? 1 : 0;
    overlay.m_nAverages = 1;
    overlay.m_dPlotValue1 = displayValues ? displayValues[0] : 1.0;
    overlay.m_dPlotValue2 = displayValues ? displayValues[1] : 20.0;
    overlay.m_dPlotValue3 = displayValues ? displayValues[2] : 0.0;
    if (redraw)
    {
        PrepareOverlayPlot(slot);
        RebuildCurveList();
    }
    if (!wasPaused)
        ResumeProcessing();
    return wasPaused;
}

long CSndView::OnAddOverlayData(const OverlayDataBlock& block)
{
    if (!ValidSlot(block.m_nSlot) || block.m_nCount < 0 || block.m_nCount > Ccurve_data::kMaxPoints ||
        (block.m_nCount > 0 && block.m_pY == nullptr))
        return 0;
    std::vector<float> xs;
    const float* x = block.m_pX;
    if (x == nullptr)
    {
        xs.resize(static_cast<std::size_t>(block.m_nCount));
        for (int i = 0; i < block.m_nCount; ++i)
            xs[static_cast<std::size_t>(i)] = static_cast<float>(block.m_dX0 + i * block.m_dDeltaX);
        x = xs.data();
    }
    const double values[3] = {block.m_dPlotValue1, block.m_dPlotValue2, block.m_dPlotValue3};
    SetOverlayData(block.m_nSlot, block.m_nCount, x, block.m_pY, true, values);
    const int curve = FindCurveByData(block.m_nSlot);
    if (curve >= 0)
        SetCurveName(curve, block.m_strName);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Overlay text files

void CSndView::ShowFilledText(int format, int argument)
{
    if (Frame())
        Frame()->ShowMessage(platform::FormatC(GetText(format).c_str(), GetText(argument).c_str()));
}

int CSndView::LoadOverlayText(const std::string& path, int slot, int format, int resample)
{
    if (!m_pSettings || !ValidSlot(slot))
        return -1;
    std::vector<float> xs(kMaxOverlayTextPoints);
    std::vector<float> ys(kMaxOverlayTextPoints);
    const int read = ReadFloatPairs(path, xs, ys);
    if (read <= 0)
        return -1;
    xs.resize(static_cast<std::size_t>(read));
    ys.resize(static_cast<std::size_t>(read));
    for (int i = 1; i < read; ++i)
        if (!(xs[static_cast<std::size_t>(i)] > xs[static_cast<std::size_t>(i - 1)]))
        {
            ShowFilledText(kTextMustBeMonotonic, view_text::kFrequency);
            return -1;
        }
    if (resample <= 0 && xs[0] == 0.0f)
        xs[0] = static_cast<float>(kFirstXInsteadOfZero);
    if (!(xs[0] > 0.0f))
    {
        ShowFilledText(kTextMustNotBeNegativeOrZero, view_text::kFrequency);
        return -1;
    }
    if (resample > 0 && read < kLimitResamplePoints)
    {
        const double first = xs.front();
        const double last = xs.back();
        const double q = std::pow(last / first, 1.0 / kLimitResamplePoints);
        std::vector<float> rx(kLimitResamplePoints);
        std::vector<float> ry(kLimitResamplePoints);
        for (int k = 0; k < kLimitResamplePoints; ++k)
        {
            rx[static_cast<std::size_t>(k)] = static_cast<float>(first * std::pow(q, k));
            ry[static_cast<std::size_t>(k)] =
                InterpolateCurve(read, xs.data(), ys.data(), rx[static_cast<std::size_t>(k)], true);
        }
        xs = std::move(rx);
        ys = std::move(ry);
    }
    for (float& y : ys)
    {
        if (format == 0)
            y = static_cast<float>(std::pow(10.0, y / 20.0));
        else if (format == 1)
            y = static_cast<float>(y * 0.01);
    }
    const int count = static_cast<int>(ys.size());
    SetOverlayData(slot, count, xs.data(), ys.data(), true, nullptr);
    return count;
}

bool CSndView::SaveOverlayText(const std::string& path, int slot, int format)
{
    if (!m_pSettings || !ValidSlot(slot))
        return false;
    const COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
    const Ccurve_data& data = overlay.m_Curve;
    const int count = std::min<int>(data.m_nCount, static_cast<int>(data.m_pY.size()));
    if (count <= 0)
    {
        ShowFilledText(kTextContainsNoData, kTextOverlay);
        return false;
    }
    std::string text;
    for (int i = 0; i < count; ++i)
    {
        const double x = data.HasX() ? data.m_pX[static_cast<std::size_t>(i)] : i * data.m_dDeltaX;
        double y = data.m_pY[static_cast<std::size_t>(i)];
        if (format == 0)
            y = overlay.m_dPlotValue2 * std::log10(y);
        else if (format == 1)
            y *= 100.0;
        text += platform::FormatC("%e \t%e\n", x, y);
    }
    if (!platform::ReplaceFileAtomically(path, text))
    {
        if (Frame())
            Frame()->ShowMessage("Failed to write " + path);
        return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// Limit curves

int CSndView::LoadLimitCurve(int item, int slot)
{
    if (!m_pSettings || !ValidSlot(slot))
        return -1;
    const std::string path = GetProdTestItems().GetLimitFilePath(item);
    COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
    std::error_code error;
    int count = -1;
    if (std::filesystem::is_regular_file(path, error))
        count = LoadOverlayText(path, slot, CProdTestItems::GetItemKind(item), 3);
    if (count <= 0)
    {
        overlay.m_bShown = 0;
        return count <= 0 ? (count < 0 ? count : 0) : count;
    }
    overlay.m_CurveStyle.m_nWidth = 2;
    overlay.m_strName = CProdTestItems::GetLimitCurveName(item);
    overlay.m_CurveStyle.m_strLabel = overlay.m_strName;
    PrepareOverlayPlot(slot);
    return count;
}

void CSndView::OnAutoLoadLimits()
{
    const struct
    {
        int item;
        int slot;
    } loads[] = {{4, 0}, {5, 1}};
    for (const auto& load : loads)
        if (LoadLimitCurve(load.item, load.slot) <= 0 && Frame())
            Frame()->ShowMessage(platform::FormatC("Failed to load %s",
                                                   GetProdTestItems().GetLimitFilePath(load.item).c_str()));
}

void CSndView::LoadLimitCurvesForResult(int type)
{
    int first = -1;
    int second = -1;
    if (type == 1 || type == 5 || type == 16 || type == 17)
    {
        first = 4;
        second = 5;
    }
    else if (type == 2)
    {
        first = 2;
        second = 0;
    }
    else if (type == 3)
    {
        first = 1;
        second = 0;
    }
    else
        return;
    LoadLimitCurve(first, 0);
    LoadLimitCurve(second, 1);
}

// ---------------------------------------------------------------------------------------------
// Slots as a whole

void CSndView::ClearAllOverlays()
{
    if (!m_pSettings)
        return;
    for (int slot = 0; slot < kOverlayCount; ++slot)
    {
        COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
        overlay.m_bShown = 0;
        overlay.m_Curve = Ccurve_data();
        overlay.m_nAverages = 0;
        overlay.m_strName = GetCurveLabel(slot, 2);
        overlay.m_CurveStyle.m_strLabel = overlay.m_strName;
        overlay.m_CurveStyle.m_nWidth = 2;
        overlay.m_CurveStyle.m_nColorIndex = FindNearestPaletteColor(
            m_pSettings->m_ColorScheme.GetColor(CColorScheme::RoleFirstOverlay + slot));
        NewOverlayPlot(slot);
    }
    RebuildCurveList();
    RestartDisplay();
}

void CSndView::RebuildOverlays()
{
    if (!m_pSettings)
        return;
    for (int slot = 0; slot < kOverlayCount; ++slot)
    {
        if (m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_bShown != 1)
            continue;
        if (!m_overlayPlots[static_cast<std::size_t>(slot)])
            NewOverlayPlot(slot);
        PrepareOverlayPlot(slot);
    }
    RebuildCurveList();
    if (!Frame())
        return;
    std::vector<OverlayMenuEntry> entries = {
        {view_command::kSetAsOverlay, GetText(kTextSetAsOverlay)},
        {view_command::kConfigOverlays, GetText(kTextSetup)},
        {view_command::kLoadOverlayText, GetText(kTextLoadText)},
        {view_command::kSaveOverlayText, GetText(kTextSaveText)},
        {view_command::kDynamicOverlay, GetText(kTextDynamicOverlay)},
        {view_command::kAutoLoadLimits, GetText(kTextAutoLoadLimits)},
        {0, ""},
    };
    for (int slot = 0; slot < kOverlayCount; ++slot)
        entries.push_back({view_command::kFirstOverlayToggle + slot,
                           m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_strName});
    Frame()->RebuildOverlayMenu(entries);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void CSndView::InstallPlotHooks()
{
    // The plot runs the background hook after its frame and the foreground hook after its curves;
    // the rectangle is the one the plot was last laid out in.
    m_pPlot->m_fnBackgroundHook = [this](gfx::Canvas& canvas)
    {
        DrawReference(canvas);
        DrawOverlaysBack(canvas, m_pPlot->m_rcWindow);
    };
    m_pPlot->m_fnForegroundHook = [this](gfx::Canvas& canvas)
    {
        DrawOverlaysFront(canvas, m_pPlot->m_rcWindow);
        DrawForeground(canvas);
    };
}

void CSndView::DrawOverlaysBack(gfx::Canvas& canvas, const PlotRect& rect)
{
    if (!m_pSettings)
        return;
    const int axisKind = IsFrequencyAxis() ? 1 : 0;
    for (int slot = 0; slot < kOverlayCount; ++slot)
    {
        CPlot* plot = m_overlayPlots[static_cast<std::size_t>(slot)].get();
        if (!plot)
            continue;
        PrepareOverlayPlot(slot);
        const COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
        if (overlay.m_bShown == 1 && overlay.m_nAxisKind == axisKind &&
            !m_pSettings->m_DynamicOverlays[static_cast<std::size_t>(slot)].m_bEnabled)
            plot->DrawCurves(canvas, rect.left, rect.top, rect.right, rect.bottom);
    }
}

void CSndView::DrawOverlaysFront(gfx::Canvas& canvas, const PlotRect& rect)
{
    if (!m_pSettings)
        return;
    const int axisKind = IsFrequencyAxis() ? 1 : 0;
    for (int slot = 0; slot < kOverlayCount; ++slot)
    {
        CPlot* plot = m_overlayPlots[static_cast<std::size_t>(slot)].get();
        if (!plot)
            continue;
        const COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
        const DynamicOverlaySettings& dynamic =
            m_pSettings->m_DynamicOverlays[static_cast<std::size_t>(slot)];
        if (!dynamic.m_bEnabled || dynamic.m_nChannel < 0 || dynamic.m_nChannel >= CPlot::kMaxChannels)
            continue;
        PrepareOverlayPlot(slot);
        const double v =
            m_pPlot->GetChannelValueAt(dynamic.m_dFrequency, dynamic.m_nChannel) + dynamic.m_dOffsetDb;
        plot->m_dataRange.m_dLogOffset = v;
        plot->m_dataRange.m_dLinearScale = std::pow(10.0, v / 20.0);
        if (overlay.m_bShown == 1 && overlay.m_nAxisKind == axisKind)
            plot->DrawCurves(canvas, rect.left, rect.top, rect.right, rect.bottom);
    }
}

// ---------------------------------------------------------------------------------------------
// Commands

void CSndView::OnSetAsOverlay()
{
    if (!m_pWindow || !m_pSettings)
        return;
    SelectOverlayValues values;
    const int curves = GetCurveCount();
    for (int c = 0; c < curves; ++c)
        values.m_curves.push_back(GetCurveName(c));
    values.m_secondCurves = values.m_curves;
    const bool frequency = IsFrequencyAxis();
    if (frequency)
    {
        values.m_secondCurves.push_back("A-weight");
        values.m_secondCurves.push_back("C-weight");
    }
    for (int op = 0; op < kDspOperationCount; ++op)
        values.m_operations.push_back(GetDspOperationName(op));
    if (!m_pWindow->SelectOverlay(values))
        return;
    int second = values.m_nSecondCurve;
    if (frequency && second == curves)
        second = kCurveAWeighting;
    else if (frequency && second == curves + 1)
        second = kCurveCWeighting;
    SetAsOverlay(values.m_nOverlay - 1, values.m_nCurve, second, values.m_nOperation,
                 values.m_bUseConstant != 0, values.m_dConstant);
}

void CSndView::OnConfigOverlays()
{
    if (!m_pWindow || !m_pSettings)
        return;
    m_pWindow->ConfigOverlays(*m_pSettings);
    RebuildOverlays();
}

void CSndView::OnLoadOverlayText()
{
    if (!m_pWindow)
        return;
    std::string path;
    OverlayFileValues values;
    if (m_pWindow->AskOverlayFile(false, path, values))
        LoadOverlayText(path, values.m_nOverlay - 1, values.m_nFormat, 0);
}

void CSndView::OnSaveOverlayText()
{
    if (!m_pWindow)
        return;
    std::string path;
    OverlayFileValues values;
    if (m_pWindow->AskOverlayFile(true, path, values))
        SaveOverlayText(path, values.m_nOverlay - 1, values.m_nFormat);
}

void CSndView::OnDynamicOverlay()
{
    if (!m_pWindow || !m_pSettings)
        return;
    DynamicOverlayValues values;
    if (!m_pWindow->EditDynamicOverlay(values))
        return;
    const int slot = values.m_nOverlay - 1;
    if (!ValidSlot(slot) || values.m_nChannel < 1 || values.m_nChannel > CPlot::kMaxChannels)
        return;
    DynamicOverlaySettings& dynamic = m_pSettings->m_DynamicOverlays[static_cast<std::size_t>(slot)];
    dynamic.m_bEnabled = values.m_bEnable;
    dynamic.m_nChannel = values.m_nChannel - 1;
    dynamic.m_dFrequency = values.m_dFrequency;
    dynamic.m_dOffsetDb = values.m_dOffset;
    RebuildCurveList();
}

void CSndView::OnToggleOverlay(int slot)
{
    if (!m_pSettings || !ValidSlot(slot) || !m_overlayPlots[static_cast<std::size_t>(slot)])
        return;
    int& shown = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)].m_bShown;
    shown = shown == 1 ? 0 : 1;
    RebuildCurveList();
}

void CSndView::OnOverlaySnapshot(int slot)
{
    if (!m_pSettings || slot < 0 || slot > 4)
        return;
    COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
    if (overlay.m_bShown != 1)
    {
        if (SetAsOverlay(slot, 0, 0, kDspNone, false, 0.0))
            overlay.m_bShown = 1;
    }
    else if (m_overlayPlots[static_cast<std::size_t>(slot)])
        overlay.m_bShown = 0;
    RestartDisplay();
}

void CSndView::OnCopyCurve()
{
    const int curve = m_pPlot->m_nActiveCurve;
    if (curve < 0 || curve >= GetCurveCount())
        return;
    const int count = GetCurvePointCount(curve);
    const float* y = GetCurveData(curve);
    CCurveClipboard& clipboard = GetCurveClipboard();
    clipboard = CCurveClipboard();
    GetCurvePen(curve, clipboard.m_style);
    if (y == nullptr || count <= 0)
        return;
    std::lock_guard<std::mutex> lock(m_engine.m_displayLock);
    clipboard.m_curve.m_nCount = count;
    clipboard.m_curve.m_pY.assign(y, y + count);
    if (const float* x = GetCurveXData(curve))
        clipboard.m_curve.m_pX.assign(x, x + count);
    clipboard.m_curve.m_dDeltaX = m_pPlot->m_dBinWidth;
    clipboard.m_nAxisKind = IsFrequencyAxis() ? 1 : 0;
    const CPlot& plot = GetCurvePlot(curve);
    clipboard.m_dScale = plot.m_dataRange.m_dLinearScale;
    clipboard.m_dDbFactor = plot.m_dataRange.m_dLogFactor;
    clipboard.m_dOffset = plot.m_dataRange.m_dLogOffset;
}

void CSndView::OnPasteCurve()
{
    const CCurveClipboard& clipboard = GetCurveClipboard();
    if (!m_pSettings || clipboard.m_curve.m_nCount <= 0)
        return;
    for (int slot = 0; slot < kOverlayCount; ++slot)
    {
        COverlay_settings& overlay = m_pSettings->m_Overlays[static_cast<std::size_t>(slot)];
        if (!overlay.m_Curve.m_pY.empty())
            continue;
        overlay.m_Curve.CopyFrom(clipboard.m_curve);
        overlay.m_CurveStyle.CopyFrom(clipboard.m_style);
        overlay.m_nAxisKind = IsFrequencyAxis() ? 1 : 0;
        overlay.m_dPlotValue1 = clipboard.m_dScale;
        overlay.m_dPlotValue2 = clipboard.m_dDbFactor;
        overlay.m_dPlotValue3 = clipboard.m_dOffset;
        overlay.m_nAverages = 1;
        NewOverlayPlot(slot);
        PrepareOverlayPlot(slot);
        overlay.m_bShown = 1;
        RebuildCurveList();
        return;
    }
}

bool CSndView::OnOverlayCommand(int id)
{
    using namespace view_command;
    if (id >= kFirstOverlayToggle && id < kFirstOverlayToggle + kOverlayCount)
    {
        OnToggleOverlay(id - kFirstOverlayToggle);
        return true;
    }
    if (id >= kFirstOverlaySnapshot && id < kFirstOverlaySnapshot + 5)
    {
        OnOverlaySnapshot(id - kFirstOverlaySnapshot);
        return true;
    }
    switch (id)
    {
        case kSetAsOverlay:
            OnSetAsOverlay();
            return true;
        case kConfigOverlays:
            OnConfigOverlays();
            return true;
        case kLoadOverlayText:
            OnLoadOverlayText();
            return true;
        case kSaveOverlayText:
            OnSaveOverlayText();
            return true;
        case kDynamicOverlay:
            OnDynamicOverlay();
            return true;
        case kAutoLoadLimits:
            OnAutoLoadLimits();
            return true;
        case kCopyCurve:
            OnCopyCurve();
            return true;
        case kPasteCurve:
            OnPasteCurve();
            return true;
        default:
            return OnSettingsFileCommand(id);
    }
}

bool CSndView::IsCommandCheckedOverlay(int id, bool& checked) const
{
    using namespace view_command;
    if (!m_pSettings)
        return false;
    if (id >= kFirstOverlayToggle && id < kFirstOverlayToggle + kOverlayCount)
    {
        checked = m_pSettings->m_Overlays[static_cast<std::size_t>(id - kFirstOverlayToggle)].m_bShown == 1;
        return true;
    }
    if (id >= kFirstOverlaySnapshot && id < kFirstOverlaySnapshot + 5)
    {
        checked = m_pSettings->m_Overlays[static_cast<std::size_t>(id - kFirstOverlaySnapshot)].m_bShown == 1;
        return true;
    }
    return false;
}
