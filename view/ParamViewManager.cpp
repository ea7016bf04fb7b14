#include "view/ParamViewManager.h"

#include <algorithm>

#include "display/settings/ViewSettings.h"
#include "platform/NumberFormat.h"

namespace
{

constexpr double kHiddenReading = 1e99;

}  // namespace

void CParamViewState::UpdateText(const CParamResults& results)
{
    if (nParameter != nLastParameter)
    {
        meter.ResetStatistics();
        scale = SetupParamScale(nParameter);
        nLastParameter = nParameter;
    }
    const ParamReading reading = ReadParamView(nParameter, nChannel, results, scale);
    meter.strValueText = reading.text;
    meter.dValue = reading.value;
    meter.bValid = reading.valid ? 1 : 0;
    if (reading.presetMinMax)
    {
        meter.nMinUpdateMode = 2;
        meter.nMaxUpdateMode = 2;
        meter.dMinimum = reading.minimum;
        meter.dMaximum = reading.maximum;
    }
    if (reading.hideMinMax)
    {
        meter.nMinUpdateMode = 0;
        meter.nMaxUpdateMode = 0;
        meter.dMinimum = kHiddenReading;
        meter.dMaximum = -kHiddenReading;
    }
    strTitle = platform::FormatC("%i:", nChannel + 1) + reading.title;
}

CParamViewState* CParamViewManager::Create()
{
    if (static_cast<int>(m_views.size()) >= kMaxParamViews)
        return nullptr;
    Entry entry;
    entry.state = std::make_unique<CParamViewState>();
    if (m_factory)
        entry.window = m_factory(*entry.state);
    m_views.push_back(std::move(entry));
    return m_views.back().state.get();
}

int CParamViewManager::AddParamView()
{
    if (Create() && m_views.back().window)
        m_views.back().window->ShowWindow();
    return GetCount();
}

void CParamViewManager::RemoveAll()
{
    m_views.clear();
}

void CParamViewManager::UpdateAll(const CParamResults& results)
{
    for (Entry& entry : m_views)
    {
        entry.state->UpdateText(results);
        if (entry.window)
            entry.window->Repaint();
    }
}

void CParamViewManager::ResetAll()
{
    for (Entry& entry : m_views)
        entry.state->meter.ResetStatistics();
}

void CParamViewManager::SaveToSettings(CViewSettings& settings) const
{
    for (CParamView_settings& slot : settings.m_ParamViews)
    {
        slot.m_bInUse = 0;
        slot.m_Placement.Reset();
    }
    const std::size_t count = std::min(m_views.size(), settings.m_ParamViews.size());
    for (std::size_t i = 0; i < count; ++i)
    {
        const CParamViewState& state = *m_views[i].state;
        const MeterState& meter = state.meter;
        CParamView_settings& slot = settings.m_ParamViews[i];
        slot.m_bInUse = 1;
        slot.m_nParameter = state.nParameter;
        slot.m_nChannel = state.nChannel;
        slot.m_bMeter = meter.bBarEnable;
        slot.m_bMeterVertical = meter.bBarVertical;
        slot.m_dMin = meter.dScaleMin;
        slot.m_dMax = meter.dScaleMax;
        slot.m_dThreshold = meter.dThreshold;
        slot.m_nBackColour = static_cast<int>(meter.crBackground);
        slot.m_nTextColour = static_cast<int>(meter.crText);
        slot.m_nDisplayWord2 = static_cast<int>(meter.crBarBelow);
        slot.m_nDisplayWord3 = static_cast<int>(meter.crBarAbove);
        slot.m_bText = meter.bTextEnable;
        slot.m_bTextVertical = meter.bTextVertical;
        slot.m_nTextSize = meter.nFontSize;
        slot.m_strLabel = meter.strLabel;
        slot.m_bLabelLine = meter.bMinMaxEnable;
        if (const CParamViewWindow* window = m_views[i].window.get())
        {
            int x = 0, y = 0, width = 0, height = 0;
            window->GetPlacement(x, y, width, height);
            WindowRect rect{x, y, x + width, y + height};
            slot.m_Placement.m_rect = rect;
            slot.m_Placement.m_placement.length = CWindow_settings::kPlacementBytes;
            slot.m_Placement.m_placement.showCmd = window->IsWindowShown() ? kShowNormal : kShowHide;
            slot.m_Placement.m_placement.normalPosition = rect;
            slot.m_Placement.m_bHidden = window->IsWindowShown() ? 0 : 1;
            slot.m_Placement.m_bValid = 1;
        }
    }
}

void CParamViewManager::RestoreFromSettings(CViewSettings& settings)
{
    RemoveAll();
    for (CParamView_settings& slot : settings.m_ParamViews)
    {
        if (!slot.m_bInUse)
            continue;
        CParamViewState* state = Create();
        if (!state)
            break;
        MeterState& meter = state->meter;
        state->nParameter = std::clamp(slot.m_nParameter, 0, kParamViewParameters - 1);
        state->nChannel = std::clamp(slot.m_nChannel, 0, CParamResults::kChannels - 1);
        meter.bBarEnable = slot.m_bMeter;
        meter.bBarVertical = slot.m_bMeterVertical;
        meter.dScaleMin = slot.m_dMin;
        meter.dScaleMax = slot.m_dMax;
        meter.dThreshold = slot.m_dThreshold;
        meter.crBackground = static_cast<gfx::Color>(slot.m_nBackColour) & 0xFFFFFF;
        meter.crText = static_cast<gfx::Color>(slot.m_nTextColour) & 0xFFFFFF;
        meter.crBarBelow = static_cast<gfx::Color>(slot.m_nDisplayWord2) & 0xFFFFFF;
        meter.crBarAbove = static_cast<gfx::Color>(slot.m_nDisplayWord3) & 0xFFFFFF;
        meter.bTextEnable = slot.m_bText;
        meter.bTextVertical = slot.m_bTextVertical;
        meter.nFontSize = slot.m_nTextSize;
        meter.strLabel = slot.m_strLabel;
        meter.bMinMaxEnable = slot.m_bLabelLine;
        CParamViewWindow* window = m_views.back().window.get();
        const WindowRect& r = slot.m_Placement.m_rect;
        if (window)
        {
            if (r.right > r.left && r.bottom > r.top)
                window->SetPlacement(r.left, r.top, r.right - r.left, r.bottom - r.top);
            window->ShowWindow();
        }
        slot.m_bInUse = 0;
    }
}

void CParamViewManager::ArrangeSideBySide(int x, int y)
{
    for (Entry& entry : m_views)
    {
        if (!entry.window || !entry.window->IsWindowShown())
            continue;
        int left = 0, top = 0, width = 0, height = 0;
        entry.window->GetPlacement(left, top, width, height);
        entry.window->SetPlacement(x, y, width, height);
        x += width;
    }
}
