// The plot's side of the 3D waterfall: ranges and rows for the one 3D window.
#include <algorithm>
#include <array>
#include <mutex>

#include "display/Plot.h"
#include "display/ThreeDWindow.h"
#include "display/WaterfallScene.h"

namespace
{

void SetAxis(C3DAxis& axis, double minimum, double maximum, int logarithmic)
{
    axis.m_dMinimum = minimum;
    axis.m_dMaximum = maximum;
    axis.m_bLogarithmic = logarithmic;
}

}  // namespace

void CPlot::FeedWaterfallView()
{
    C3DWindowBase* window = g_p3DWindow;
    if (window == nullptr)
        return;
    CWaterfallFeed& feed = m_waterfall;
    CWaterfallScene& scene = window->Scene();
    const bool timeSignal = feed.m_bTimeSignal != 0;
    const WaterfallTimeSignal* record = feed.m_pRecord;
    const bool recordHolds = record != nullptr && record->validCount > 0 && record->sampleRate > 0.0;
    {
        std::lock_guard lock(scene.m_mutex);
        if (!scene.m_bAxesValid)
        {
            scene.SetRowCount(CWaterfallScene::RowsOfStyle(feed.m_nStyle));
            if (timeSignal)
            {
                SetAxis(scene.m_xAxis, m_spareRange.m_dXMin, m_spareRange.m_dXMax, m_spareRange.m_bXLog);
                SetAxis(scene.m_yAxis, m_spareRange.m_dYMin, m_spareRange.m_dYMax, 0);
                scene.m_markers.m_dMinimum = m_spareRange.m_dXMin;
                scene.m_markers.m_dMaximum = m_spareRange.m_dXMax;
                scene.m_markers.m_bLogarithmic = m_spareRange.m_bXLog;
                double end = feed.m_dEndTime;
                if (!(end > 0.0))
                    end = recordHolds ? record->sampleCount / record->sampleRate
                                      : GetPointCount() * m_dBinWidth;
                if (feed.m_bReverse)
                    SetAxis(scene.m_zAxis, end, feed.m_dStartTime, 0);
                else
                    SetAxis(scene.m_zAxis, feed.m_dStartTime, end, 0);
            }
            else
            {
                scene.m_dRowPeriod = feed.m_dBlockTime;
                SetAxis(scene.m_zAxis, 0.0, scene.RowCount() * feed.m_dBlockTime, 0);
                SetAxis(scene.m_xAxis, m_viewRange.m_dXMin, m_viewRange.m_dXMax, m_dataRange.m_bXLog);
                SetAxis(scene.m_yAxis, m_viewRange.m_dYMin, m_viewRange.m_dYMax, m_dataRange.m_bDecibel);
                scene.m_markers.m_dMinimum = m_viewRange.m_dXMin;
                scene.m_markers.m_dMaximum = m_viewRange.m_dXMax;
                scene.m_markers.m_bLogarithmic = m_dataRange.m_bXLog;
            }
        }
        std::vector<float> markers;
        if (m_bFrequencyMarkers && m_pFrequencyMarkers != nullptr)
            for (int i = 0; i < std::clamp(m_nFrequencyMarkers, 0, CMarkerPlanes::kMaxMarkers); ++i)
                markers.push_back(static_cast<float>(m_pFrequencyMarkers[i]));
        scene.m_markers.SetMarkers(markers);
        scene.m_bHelpEnabled = (feed.m_nStyle & waterfall_style::kHelp) != 0;
        if (timeSignal)
            scene.m_bSmoothScroll = 0;
        else
        {
            scene.m_nStyle = feed.m_nStyle;
            scene.m_bSmoothScroll = 1;
        }
    }

    if (timeSignal)
    {
        if (recordHolds)
        {
            CWaterfallFeed::TimeSignalSettings s;
            s.rows = CWaterfallScene::RowsOfStyle(feed.m_nStyle);
            s.slidingWindow = feed.m_bSlidingWindow;
            s.windowLength = feed.m_nWindowLength;
            s.startTime = feed.m_dStartTime;
            s.endTime = feed.m_dEndTime;
            s.decibel = feed.m_bDecibel;
            s.reverse = feed.m_bReverse;
            s.xMin = m_spareRange.m_dXMin;
            s.xMax = m_spareRange.m_dXMax;
            s.logX = m_spareRange.m_bXLog;
            s.yMin = m_spareRange.m_dYMin;
            s.yMax = m_spareRange.m_dYMax;
            feed.StartWorker(*window, *record, s);
        }
        return;
    }
    if (!m_bDataDirty || !feed.m_bLive)
        return;
    const int channel = m_nFirstDisplayed >= 0 ? m_nFirstDisplayed : 0;
    const float* data = GetChannelData(channel);
    const int points = GetPointCount();
    if (data == nullptr || points <= 0)
        return;
    LiveRowRange range;
    range.xMin = m_viewRange.m_dXMin;
    range.xMax = m_viewRange.m_dXMax;
    range.logX = m_dataRange.m_bXLog != 0;
    range.decibel = m_dataRange.m_bDecibel != 0;
    range.logFactor = m_dataRange.m_dLogFactor;
    range.logOffset = m_dataRange.m_dLogOffset;
    range.yMin = m_viewRange.m_dYMin;
    range.yMax = m_viewRange.m_dYMax;
    std::array<float, CWaterfallScene::kPoints> row{};
    {
        std::unique_lock<std::mutex> lock;
        if (m_pDisplayLock != nullptr)
            lock = std::unique_lock(*m_pDisplayLock);
        ComputeLiveRow(std::span<const float>(data, static_cast<std::size_t>(points)), m_dBinWidth, range,
                       row);
    }
    window->AddRow(row, -1);
}
