// Feeds arbitrary bytes to the engine as its "default.cal" settings file, with a main window to
// place. Whatever the file says, every setting the reader takes stays inside its range, and the
// main window is moved only to a rectangle whose size is positive and fits a screen.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include <unistd.h>

#include "PrivateHome.h"
#include "common/settings/WindowSettings.h"
#include "engine/EngineNotifications.h"
#include "engine/SoundIn.h"
#include "platform/Archive.h"

namespace
{

void Check(bool condition, const char* what)
{
    if (!condition)
    {
        std::fprintf(stderr, "default.cal fuzzer: %s\n", what);
        std::abort();
    }
}

// A main window that reports its rectangle and checks where it is moved.
class CMainWindowProbe : public CEngineNotifications
{
public:
    bool GetMainWindowRect(int& left, int& top, int& right, int& bottom) override
    {
        left = 10, top = 20, right = 810, bottom = 620;
        return true;
    }
    void MoveMainWindow(int left, int top, int width, int height) override
    {
        Check(width > 0 && height > 0, "the main window is moved to an empty rectangle");
        Check(IsUsableWindowRect(left, top, std::int64_t{left} + width, std::int64_t{top} + height),
              "the main window is moved off every screen");
    }
};

}  // namespace

// Loading the engine's block writes the registry store: keep it in a home of its own.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    UsePrivateHome("tessarin-default-cal-fuzz");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/tessarin-default-cal-fuzz-" + std::to_string(::getpid()) + ".cal";
    if (std::FILE* file = std::fopen(path.c_str(), "wb"))
    {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    // One engine serves every input (making one takes far longer than reading a file); each input
    // starts from the default settings, stored once as the engine's block.
    static CSoundIn engine;
    static const std::vector<std::uint8_t> defaults = []
    {
        CArchive ar;
        engine.Serialize(ar);
        return ar.Buffer();
    }();
    {
        CArchive reset{std::span<const std::uint8_t>(defaults)};
        engine.Serialize(reset);
    }
    CMainWindowProbe window;
    engine.SetNotifications(&window);
    engine.LoadSettings(path);
    Check(
        engine.m_nSampleRate >= CSoundIn::kMinSampleRate && engine.m_nSampleRate <= CSoundIn::kMaxSampleRate,
        "sample rate");
    Check(engine.m_nFftSize >= 2 && engine.m_nFftSize <= CSoundIn::kMaxFftSize, "FFT size");
    Check(engine.m_nChannelMode >= 0 && engine.m_nChannelMode <= 3, "channel mode");
    Check(engine.m_nAverageCount >= 1 && engine.m_nAverageCount <= (1 << 20), "average count");
    Check(engine.m_nSmoothingOctaves >= 1 && engine.m_nSmoothingOctaves <= 1024, "smoothing octaves");
    Check(engine.m_nBitsPerSample >= 8 && engine.m_nBitsPerSample <= 32, "bits per sample");
    Check(engine.m_nCaptureDevice >= 0 && engine.m_nCaptureDevice <= 255, "capture device");
    Check(engine.m_nWindowType >= 0 && engine.m_nWindowType <= kFftWindowLastType, "window type");
    Check(engine.m_nWeightingType >= 0 && engine.m_nWeightingType <= 7, "weighting code");
    Check(std::isfinite(engine.m_fCalibrationOffset), "calibration offset");
    Check(engine.GetAnalyzerMode() >= 0 && engine.GetAnalyzerMode() <= 257, "analyser mode");
    engine.SetNotifications(nullptr);
    return 0;
}
