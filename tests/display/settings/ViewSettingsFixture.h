// A view settings record with every stored part filled, shared by the round-trip and the
// corruption tests.
#pragma once

#include <memory>
#include <string>

#include "display/settings/ViewSettings.h"

namespace settingstest
{

inline void FillViewSettings(CViewSettings& view)
{
    view.m_Vectorscope.m_dFreeAngle = 12.5;
    view.m_Vectorscope.m_nRotation = 3;
    for (int k = 0; k < CViewSettings::kOverlayCount; ++k)
    {
        COverlay_settings& overlay = view.m_Overlays[k];
        overlay.m_bShown = k & 1;
        overlay.m_strName = "overlay curve " + std::to_string(k);
        overlay.m_Curve.m_nCount = k;
        overlay.m_Curve.m_dDeltaX = 0.25 * k;
        overlay.m_Curve.m_pY.assign(static_cast<std::size_t>(k), 1.5f * k);
        if (k % 3 != 0)
            overlay.m_Curve.m_pX.assign(static_cast<std::size_t>(k), 2.5f);
        overlay.m_dPlotValue3 = -k;
        view.m_DynamicOverlays[k].m_nChannel = k;
        view.m_DynamicOverlays[k].m_bEnabled = 1;
    }
    for (int k = 0; k < CViewSettings::kParamViewCount; ++k)
    {
        CParamView_settings& paramView = view.m_ParamViews[k];
        paramView.m_nParameter = 100 + k;
        paramView.m_bInUse = 1;
        paramView.m_bLabelLine = k & 1;
        paramView.m_strLabel = "label " + std::to_string(k);
        paramView.m_Placement.m_rect = {k, k, k + 10, k + 20};
    }
    for (int i = 0; i < 64; ++i)
    {
        view.m_Channels.GetChannel(i).m_dScaleDb = -i;
        view.m_Channels.GetChannel(i).m_bActive = i & 1;
    }
    for (int m = 0; m < CViewSettings::kModeCount; ++m)
        view.m_ModeAxes[m].m_dXMax = m + 0.5;
    for (int i = 0; i < 3; ++i)
    {
        view.m_WindowPlacements[i].m_rect = {i, 2 * i, 3 * i, 4 * i};
        view.m_WindowPlacements[i].m_nStyle = 0x10000000 | i;
        view.m_WindowPlacements[i].m_placement.showCmd = i;
    }
    auto text = std::make_unique<CTextAnnotation>();
    text->m_strText = "peak here";
    text->m_dRelX = 0.25;
    text->m_nPositionMode = 1;
    view.m_Annotations.Append(std::move(text));
    auto line = std::make_unique<CArrowAnnotation>();
    line->m_nX = 1;
    line->m_End.m_dRelX = 0.75;
    view.m_Annotations.Append(std::move(line));
    view.m_strWindowTitle = "Spectrum \xC3\xA4";
    view.m_strPrintAnnotation = "printed";
    view.m_bBarGraph = 1;
    view.m_nBandsPerOctave = 3;
    view.m_nRefreshMs = 250;
    view.m_dBarDecay = 12.0;
    view.m_nSpareInt = 77;
    view.m_nMathMode = 2;
    for (int k = 0; k < 3; ++k)
        view.m_MathCurveStyles[k].m_strLabel = "math " + std::to_string(k);
}

}  // namespace settingstest
