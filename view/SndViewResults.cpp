// The measurement window's result tables: the values of its curves and markers for the "Results"
// window, and the room-acoustic records of its channels.
#include <algorithm>

#include "engine/SoundIn.h"
#include "texts/TextTable.h"
#include "view/SndView.h"
#include "view/ViewFrame.h"

namespace
{

constexpr int kTextAxis = 1000108;
constexpr int kTextNoMarkers = 1000116;

}  // namespace

CRoomAcousticResults& CSndView::GetRoomAcousticResults(int channel)
{
    return m_roomAcoustics[static_cast<std::size_t>(std::clamp(channel, 0, kRoomAcousticRecords - 1))];
}

ResultsTable CSndView::MakeCurveResults() const
{
    ResultsTable table;
    const CPlot& plot = *m_pPlot;
    table.curveCount = std::clamp(plot.GetCurveCount(), 0, kMaxResultCurves);
    table.pointCount = GetCurvePointCount(0);
    table.headers.push_back("x-" + GetText(kTextAxis));
    for (int curve = 0; curve < table.curveCount; ++curve)
        table.headers.push_back(GetCurveName(curve));
    table.value = [this](int curve, int point) -> double
    {
        const CPlot& p = *m_pPlot;
        if (curve < 0)
            return p.GetXValue(point);
        if (GetCurvePointCount(curve) <= 0 || point < 0 || point >= GetCurvePointCount(curve))
            return 0.0;
        return p.ToDisplayValue(p.GetCurveData(curve)[point]);
    };
    return table;
}

ResultsTable CSndView::MakeMarkerResults() const
{
    ResultsTable table = MakeCurveResults();
    table.pointCount = std::clamp(m_engine.m_nMarkerCount, 0, CSoundIn::kMaxMarkers);
    table.value = [this](int curve, int marker) -> double
    {
        const int markers = std::clamp(m_engine.m_nMarkerCount, 0, CSoundIn::kMaxMarkers);
        if (markers == 0 || marker < 0 || marker >= markers)
            return 0.0;
        if (curve < 0)
            return m_engine.m_adMarkers[static_cast<std::size_t>(marker)];
        return m_pPlot->GetMarkerValue(marker, curve);
    };
    return table;
}

void CSndView::OnShowResults()
{
    if (m_pWindow)
        m_pWindow->ShowResultsTable(MakeCurveResults());
}

void CSndView::OnShowMarker()
{
    if (m_engine.m_nMarkerCount <= 0)
    {
        Frame()->ShowMessage(GetText(kTextNoMarkers));
        return;
    }
    if (m_pWindow)
        m_pWindow->ShowResultsTable(MakeMarkerResults());
}

void CSndView::OnWowAndFlutter()
{
    if (!m_pWindow)
        return;
    WowAndFlutterSettings settings = m_engine.GetWowAndFlutterSettings();
    if (!m_pWindow->EditWowAndFlutterSettings(settings, m_engine.GetWowAndFlutterBandwidths()))
        return;
    m_engine.SetWowAndFlutterSettings(settings);
    m_pWindow->ShowWowAndFlutterWindow(settings.active != 0);
    if (settings.active != 0)
        m_pWindow->ShowWowAndFlutterResults(m_engine.GetWowAndFlutterResults());
}
