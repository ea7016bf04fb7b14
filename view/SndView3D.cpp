// The measurement window's 3D waterfall: switching the window of the live spectrum on and off, its
// screenshots and pausing it.
#include <filesystem>
#include <fstream>
#include <mutex>

#include "common/TextFormatting.h"
#include "display/ThreeDWindow.h"
#include "display/WaterfallScene.h"
#include "engine/SoundIn.h"
#include "platform/Places.h"
#include "texts/TextTable.h"
#include "view/SndView.h"
#include "view/ViewFrame.h"

namespace
{
constexpr const char* kLogoFile = "HLV_logo.jpg";
constexpr const char* kLogoMessage =
    "Can't open file HLV_logo.jpg\nPlease make sure that this file is in the directory";
constexpr int kScreenshotFolder = 1004;
constexpr int kTextNoImpulse = 16;
constexpr int kWaterfallRestartMs = 200;
}  // namespace

std::string CheckWaterfallSettings(const WaterfallSettingsValues& values)
{
    if (values.xMin < 0.0f || values.xMax < 0.0f)
        return "x-axis limits must be not negative";
    if (!(values.xMax > values.xMin))
        return "x-axis maximum must be larger than minimum";
    if (!(values.yMax > values.yMin))
        return "y-axis maximum must be larger than minimum";
    return {};
}

int CSndView::CheckLogoImage()
{
    std::ifstream logo(platform::ProgramFolder() / kLogoFile, std::ios::binary);
    return logo.is_open() ? 1 : -1;
}

int CSndView::Pause3DViewer(int pause)
{
    return g_p3DWindow != nullptr ? g_p3DWindow->Pause(pause != 0) : 0;
}

void CSndView::On3DViewer()
{
    if (m_engine.m_b3DWaterfall)
    {
        m_engine.m_b3DWaterfall = 0;
        Close3DViewer();
        return;
    }
    // Another window may own the 3D window (its owner closes it).
    if (g_p3DWindow != nullptr && !m_b3DWindowOpen)
        return;
    if (CheckLogoImage() < 0)
    {
        m_engine.m_b3DWaterfall = 0;
        m_pPlot->m_waterfall.m_bLive = 0;
        m_pPlot->m_waterfall.m_bTimeSignal = 0;
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(kLogoMessage);
        return;
    }
    if (m_pWindow == nullptr ||
        !m_pWindow->Open3DWindow([this] { On3DViewer(); }, [this] { On3DScreenshotRequest(); }))
        return;
    m_b3DWindowOpen = true;
    m_engine.m_b3DWaterfall = 1;
    m_pPlot->m_waterfall.m_nStyle = m_engine.Get3dStyleWord();
    m_pPlot->m_waterfall.m_bLive = 1;
    // The next paint sets the window's ranges and sends the first row.
    m_pPlot->m_bDataDirty = 1;
}

void CSndView::Close3DViewer()
{
    // The worker writes into the window: it ends before the window goes.
    m_pPlot->m_waterfall.Stop();
    m_pPlot->m_waterfall.m_bLive = 0;
    if (!m_b3DWindowOpen)
        return;
    m_b3DWindowOpen = false;
    m_engine.m_b3DWaterfall = 0;
    if (m_pWindow)
        m_pWindow->Close3DWindow();
}

int CSndView::On3DScreenshotRequest()
{
    if (!m_b3DWindowOpen || m_pWindow == nullptr)
        return 0;
    CViewFrame* frame = Frame();
    const std::string folder = frame ? frame->GetDataFolder(kScreenshotFolder) : std::string();
    if (folder.empty())
        return 0;
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    m_pWindow->Save3DScreenshot(folder + "/3D_" + MakeCurrentTimeStamp() + ".bmp");
    return 0;
}

void CSndView::SetImpulseTimeRange(double startTime, double endTime)
{
    CWaterfallFeed& feed = m_pPlot->m_waterfall;
    if (feed.m_dStartTime == startTime && feed.m_dEndTime == endTime)
        return;
    feed.m_dStartTime = startTime;
    feed.m_dEndTime = endTime;
    feed.m_bFedOnce = 0;
    if (g_p3DWindow != nullptr)
    {
        std::lock_guard lock(g_p3DWindow->Scene().m_mutex);
        g_p3DWindow->Scene().m_bAxesValid = 0;
    }
}

void CSndView::RefreshWaterfallRecord()
{
    WaterfallTimeSignal& record = m_waterfallRecord;
    const bool held = m_impulse.IsHeld() && m_impulse.m_dSampleRate > 0.0;
    record.sequence = held ? static_cast<std::uint32_t>(m_impulse.m_nId) : 0;
    record.sampleRate = held ? m_impulse.m_dSampleRate : 0.0;
    record.sampleCount = held ? m_impulse.m_nFrames : 0;
    record.samples = held ? m_impulse.Channel(0) : nullptr;
    record.validCount = held ? m_impulse.m_nFrames : 0;
}

void CSndView::ToggleWaterfall()
{
    if (m_engine.m_b3DWaterfall)
        return;
    CWaterfallFeed& feed = m_pPlot->m_waterfall;
    if (m_b3DWindowOpen)
    {
        Close3DViewer();
        return;
    }
    // Another window owns the 3D window.
    if (g_p3DWindow != nullptr)
        return;
    CViewFrame* frame = Frame();
    if (!m_impulse.IsHeld())
    {
        if (frame)
            frame->ShowMessage(GetText(kTextNoImpulse));
        return;
    }
    if (CheckLogoImage() < 0)
    {
        feed.m_bLive = 0;
        feed.m_bTimeSignal = 0;
        if (frame)
            frame->ShowMessage(kLogoMessage);
        return;
    }
    CPlotRange& range = m_pPlot->m_spareRange;
    range.m_dXMin = m_engine.m_dWaterfallXMin;
    range.m_dXMax = m_engine.m_dWaterfallXMax;
    range.m_bXLog = m_engine.m_bWaterfallLogX;
    range.m_dYMin = m_engine.m_dWaterfallYMin;
    range.m_dYMax = m_engine.m_dWaterfallYMax;
    RefreshWaterfallRecord();
    feed.m_pRecord = &m_waterfallRecord;
    feed.m_nStyle = m_engine.Get3dStyleWord();
    feed.m_nFedSequence = 0xFFFFFFFF;
    feed.m_bFedOnce = 0;
    if (m_pWindow == nullptr ||
        !m_pWindow->Open3DWindow([this] { ToggleWaterfall(); }, [this] { On3DScreenshotRequest(); }))
        return;
    m_b3DWindowOpen = true;
    feed.m_bTimeSignal = 1;
    m_pPlot->m_bDataDirty = 1;
    m_pWindow->Invalidate();
}

void CSndView::OnWaterfallSettings()
{
    CWaterfallFeed& feed = m_pPlot->m_waterfall;
    WaterfallSettingsValues values;
    values.xLog = m_engine.m_bWaterfallLogX;
    values.xMin = static_cast<float>(m_engine.m_dWaterfallXMin);
    values.xMax = static_cast<float>(m_engine.m_dWaterfallXMax);
    values.yMin = static_cast<float>(m_engine.m_dWaterfallYMin);
    values.yMax = static_cast<float>(m_engine.m_dWaterfallYMax);
    values.start = feed.m_dStartTime;
    values.stop = feed.m_dEndTime;
    values.yLog = feed.m_bDecibel;
    values.invert = feed.m_bReverse;
    if (m_pWindow == nullptr)
        return;
    for (;;)
    {
        if (!m_pWindow->EditWaterfallSettings(values))
            return;
        const std::string problem = CheckWaterfallSettings(values);
        if (problem.empty())
            break;
        if (CViewFrame* frame = Frame())
            frame->ShowMessage(problem);
    }
    m_engine.m_bWaterfallLogX = values.xLog;
    m_engine.m_dWaterfallXMin = values.xMin;
    m_engine.m_dWaterfallXMax = values.xMax;
    m_engine.m_dWaterfallYMin = values.yMin;
    m_engine.m_dWaterfallYMax = values.yMax;
    const bool timeSignalOpen = m_b3DWindowOpen && feed.m_bTimeSignal && g_p3DWindow != nullptr;
    // The worker reads the time range and scale when it starts: it ends before they change.
    if (timeSignalOpen)
    {
        m_waterfallCamera = g_p3DWindow->GetCamera();
        Close3DViewer();
    }
    feed.m_dStartTime = values.start;
    feed.m_dEndTime = values.stop;
    feed.m_bDecibel = values.yLog;
    feed.m_bReverse = values.invert;
    if (timeSignalOpen && m_pWindow != nullptr &&
        !m_pWindow->SetTimer(kTimerWaterfallRestart, kWaterfallRestartMs))
        RestartWaterfall();
}

void CSndView::RestartWaterfall()
{
    if (m_b3DWindowOpen)
        return;
    ToggleWaterfall();
    if (m_b3DWindowOpen && g_p3DWindow != nullptr)
        g_p3DWindow->SetCamera(m_waterfallCamera);
}
