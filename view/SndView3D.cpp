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
#include "view/SndView.h"
#include "view/ViewFrame.h"

namespace
{
constexpr const char* kLogoFile = "HLV_logo.jpg";
constexpr const char* kLogoMessage =
    "Can't open file HLV_logo.jpg\nPlease make sure that this file is in the directory";
constexpr int kScreenshotFolder = 1004;
}  // namespace

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
