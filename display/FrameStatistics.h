// Frame pacing and frame statistics of the 3D view, read from the application timer: a frame is
// advanced and drawn when time has moved since the last call and at least 0.05 s passed since the
// last drawn frame; the rate is worked out at most once a second.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

// "%.02f fps (%dx%dx%d)" with the depth suffix (" (D24S8)", ...) from the depth and stencil bits
// when a depth buffer is used (depthBits > 0) and " (Nx Multisample)" for 2..16 samples.
std::string FrameStatsText(double framesPerSecond, int width, int height, int colourBits, int depthBits,
                           int stencilBits, int samples);

// The name of the depth-stencil layout nearest to the bits: "D16", "D15S1", "D24X8", "D24S8",
// "D24X4S4" or "D32"; empty without depth bits.
std::string DepthFormatName(int depthBits, int stencilBits);

class CFrameStatistics
{
public:
    static constexpr double kMinFrameInterval = 0.05;

    // Reads the application and elapsed times; true when a frame is due now (it is then counted
    // as drawn).
    bool BeginFrame();
    // Counts the drawn frame; true when the rate was worked out anew (at most once a second).
    bool EndFrame();

    double m_dFramesPerSecond = 0.0;
    double m_dAppTime = 0.0;
    double m_dElapsedTime = 0.0;

private:
    double m_dLastFrameTime = 0.0;
    double m_dLastStatsTime = 0.0;
    int m_nFrames = 0;
};
