#include "display/settings/ViewSettings.h"

#include <cmath>
#include <cstdint>
#include <memory>

#include "display/Plot.h"
#include "platform/Archive.h"

namespace
{

constexpr int kLabelChannel = 0;
constexpr int kLabelMath = 1;
constexpr int kLabelOverlay = 2;
constexpr int kCurveWidth = 2;

void SerializeInt(CArchive& ar, int& value)
{
    if (ar.IsStoring())
    {
        ar << static_cast<std::int32_t>(value);
        return;
    }
    std::int32_t stored = 0;
    ar >> stored;
    value = stored;
}

void SerializeDouble(CArchive& ar, double& value)
{
    if (ar.IsStoring())
        ar << value;
    else
        ar >> value;
}

void SerializeString(CArchive& ar, std::string& value)
{
    if (ar.IsStoring())
        ar << std::string_view(value);
    else
        ar >> value;
}

}  // namespace

CViewSettings::CViewSettings() : m_dSpare1(std::pow(10.0, -0.3))
{
    for (int k = 0; k < kMathCurveCount; ++k)
        m_MathCurveStyles[k].m_strLabel = GetCurveLabel(k, kLabelMath);
    for (int k = 0; k < kOverlayCount; ++k)
    {
        CCurveStyle& style = m_Overlays[k].m_CurveStyle;
        style.m_strLabel = GetCurveLabel(k, kLabelOverlay);
        style.m_nWidth = kCurveWidth;
        style.m_nColorIndex =
            FindNearestPaletteColor(m_ColorScheme.GetColor(CColorScheme::RoleFirstOverlay + k));
    }
    for (int i = 0; i < CInputChannelMatrix::kChannelCount; ++i)
    {
        Cchannel_settings& channel = m_Channels.GetChannel(i);
        channel.m_nInputChannel = i;
        channel.m_dScaleDb = 0.0;
        channel.m_bActive = 1;
        channel.m_CurveStyle.m_nColorIndex =
            FindNearestPaletteColor(m_ColorScheme.GetColor(CColorScheme::RoleFirstCurve + i));
        channel.m_CurveStyle.m_nWidth = kCurveWidth;
        channel.m_CurveStyle.m_nPenStyle = PEN_STYLE_SOLID;
        channel.m_CurveStyle.m_nMarker = 0;
        channel.m_CurveStyle.m_strLabel = GetCurveLabel(i, kLabelChannel);
        channel.m_Operation.Reset(i);
    }
}

void CViewSettings::UndoZoom()
{
    m_RedoAxes.CopyFrom(m_Axes);
    m_Axes.CopyFrom(m_UndoAxes);
}

void CViewSettings::RedoZoom()
{
    m_UndoAxes.CopyFrom(m_Axes);
    m_Axes.CopyFrom(m_RedoAxes);
}

void CViewSettings::Serialize(CArchive& ar)
{
    m_Vectorscope.Serialize(ar);
    for (int k = 0; k < kOverlayCount; ++k)
    {
        m_Overlays[k].Serialize(ar);
        m_DynamicOverlays[k].Serialize(ar);
    }
    for (CParamView_settings& view : m_ParamViews)
        view.Serialize(ar);
    for (int i = 0; i < CInputChannelMatrix::kChannelCount; ++i)
        m_Channels.GetChannel(i).Serialize(ar);
    for (CAxisProp& axes : m_ModeAxes)
        axes.Serialize(ar);
    // The second placement is written last.
    m_WindowPlacements[0].Serialize(ar);
    m_WindowPlacements[2].Serialize(ar);
    m_WindowPlacements[1].Serialize(ar);

    // The parameter-window labels travel as string carriers in the annotation list.
    if (ar.IsStoring())
    {
        for (int k = 0; k < kParamViewCount; ++k)
        {
            if (m_Annotations.FindByKey(kParamLabelKey + k) != nullptr)
                continue;
            auto carrier = std::make_unique<CStringAnnotation>();
            carrier->m_nKey = kParamLabelKey + k;
            carrier->m_strText = m_ParamViews[k].m_strLabel;
            m_Annotations.Append(std::move(carrier));
        }
    }
    m_Annotations.Serialize(ar);
    if (ar.IsLoading())
    {
        for (int k = 0; k < kParamViewCount; ++k)
        {
            // Only a string carrier holds a label; another kind under the key is not one of ours.
            const auto* carrier =
                dynamic_cast<const CStringAnnotation*>(m_Annotations.FindByKey(kParamLabelKey + k));
            if (carrier != nullptr)
                m_ParamViews[k].m_strLabel = carrier->m_strText;
        }
    }

    SerializeInt(ar, m_bPrintAnnotation);
    SerializeString(ar, m_strPrintAnnotation);
    SerializeString(ar, m_strWindowTitle);
    for (int* value : {&m_bBarGraph, &m_nBandsPerOctave, &m_nBarsPerOctave, &m_bPeakHold, &m_bSpectrogram,
                       &m_nDisplayKind, &m_nMathFunction, &m_nMathMode, &m_nRefreshMs})
        SerializeInt(ar, *value);
    for (double* value : {&m_dBarDecay, &m_dSpare1, &m_dPeakDecay, &m_dSpare2})
        SerializeDouble(ar, *value);
    for (int* value :
         {&m_bThdPercent, &m_nMaxHarmonics, &m_nHarmonicsMask, &m_bHarmonicMarkers, &m_nSpareInt})
        SerializeInt(ar, *value);

    if (ar.IsStoring())
    {
        ar.WriteCount(kMathCurveCount);
        for (CCurveStyle& style : m_MathCurveStyles)
            style.Serialize(ar);
        ar.WriteCount(kReservedWords);
        for (int i = 0; i < kReservedWords; ++i)
            ar << std::int32_t{0};
        return;
    }
    // Styles beyond the three this record has are read into a scratch style and dropped, so the
    // reserved block that follows is read where it really starts.
    const std::size_t styles = ar.ReadCount(kMaxMathCurveStyles);
    for (std::size_t k = 0; k < styles; ++k)
    {
        if (k < static_cast<std::size_t>(kMathCurveCount))
        {
            m_MathCurveStyles[k].Serialize(ar);
            continue;
        }
        CCurveStyle dropped;
        dropped.Serialize(ar);
    }
    const std::size_t reserved = ar.ReadCount(kMaxReservedWords);
    for (std::size_t i = 0; i < reserved; ++i)
    {
        std::int32_t dropped = 0;
        ar >> dropped;
    }
}
