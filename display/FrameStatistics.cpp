#include "display/FrameStatistics.h"

#include <cstdio>

#include "common/AppTimer.h"

std::string DepthFormatName(int depthBits, int stencilBits)
{
    if (depthBits <= 0)
        return {};
    if (depthBits > 24)
        return "D32";
    if (depthBits > 16)
        return stencilBits >= 8 ? "D24S8" : stencilBits >= 4 ? "D24X4S4" : "D24X8";
    if (depthBits == 15 && stencilBits >= 1)
        return "D15S1";
    return "D16";
}

std::string FrameStatsText(double framesPerSecond, int width, int height, int colourBits, int depthBits,
                           int stencilBits, int samples)
{
    char text[90];
    std::snprintf(text, sizeof text, "%.02f fps (%dx%dx%d)", framesPerSecond, width, height, colourBits);
    std::string s = text;
    const std::string depth = DepthFormatName(depthBits, stencilBits);
    if (!depth.empty())
        s += " (" + depth + ")";
    if (samples >= 2 && samples <= 16)
        s += " (" + std::to_string(samples) + "x Multisample)";
    return s;
}

bool CFrameStatistics::BeginFrame()
{
    m_dAppTime = AppTimer(TIMER_GETAPPTIME);
    m_dElapsedTime = AppTimer(TIMER_GETELAPSEDTIME);
    if (m_dElapsedTime == 0.0)
        return false;
    const double now = AppTimer(TIMER_GETABSOLUTETIME);
    if (now - m_dLastFrameTime < kMinFrameInterval)
        return false;
    m_dLastFrameTime = now;
    return true;
}

bool CFrameStatistics::EndFrame()
{
    ++m_nFrames;
    const double now = AppTimer(TIMER_GETABSOLUTETIME);
    if (now - m_dLastStatsTime < 1.0)
        return false;
    m_dFramesPerSecond = m_nFrames / (now - m_dLastStatsTime);
    m_dLastStatsTime = now;
    m_nFrames = 0;
    return true;
}
