// Settings files: the INI writer and reader of the analyser's settings, "Save state", and the
// messages that load the default and the production-test settings. One table names every key, the
// setting behind it and the range a value read must lie in; the writer and the reader walk it.
#include "view/SndView.h"

#include "common/IniFile.h"
#include "display/settings/ViewSettings.h"
#include "dsp/FftWindow.h"
#include "dsp/FrequencyWeighting.h"
#include "engine/SoundIn.h"
#include "platform/FileReplace.h"
#include "platform/NumberFormat.h"
#include "platform/Places.h"
#include "view/ViewFrame.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <limits>
#include <variant>

namespace
{

constexpr const char* kSettings = "Settings";
constexpr const char* kLevelMonitor = "Level Monitor";
constexpr const char* kMls = "MLS Settings";
constexpr const char* kTrigger = "Trigger Settings";
constexpr const char* kSweep = "Sweep Settings";
constexpr const char* kFilter = "Filter Settings";
constexpr const char* kDisplay = "Display Settings";
constexpr const char* kGenerator = "Generator Settings";
constexpr const char* kThd = "THD Settings";
constexpr const char* kReverb = "Wizard Reverb";
constexpr const char* kMainframe = "Mainframe";
constexpr int kWeightingCodes = 8;
constexpr double kBig = 1e12;
// The level monitor keeps its history per channel: a longer one than this is not taken from a file.
constexpr double kMaxLevelHistory = 1e8;

// The settings a key reaches.
struct Targets
{
    CSoundIn& engine;
    CViewSettings& slot;
};

using IntRef = std::function<int&(Targets&)>;
using DoubleRef = std::function<double&(Targets&)>;
using Int64Ref = std::function<std::int64_t&(Targets&)>;

struct Key
{
    const char* section;
    const char* key;
    bool written;
    std::variant<IntRef, DoubleRef, Int64Ref> ref;
    double minimum;
    double maximum;
};

#define ENGINE_INT(member) \
    IntRef([](Targets& t) -> int& { return t.engine.member; })
#define ENGINE_DOUBLE(member) \
    DoubleRef([](Targets& t) -> double& { return t.engine.member; })
#define SLOT_INT(member) \
    IntRef([](Targets& t) -> int& { return t.slot.member; })

// The keys in the order the reader takes them. FFT size, the analyser mode, the calibration
// offset, the level monitor's switch and the harmonics selection are handled beside the table.
const std::vector<Key>& Keys()
{
    static const std::vector<Key> keys = {
        {kSettings, "Channel mode", true, ENGINE_INT(m_nChannelMode), 0, 3},
        {kSettings, "Sample rate", true, ENGINE_INT(m_nSampleRate), CSoundIn::kMinSampleRate,
         CSoundIn::kMaxSampleRate},
        {kSettings, "Capture Device", true, ENGINE_INT(m_nCaptureDevice), 0, 255},
        {kSettings, "Capture Mode", true, ENGINE_INT(m_nInputMode), 0, CSoundIn::kInputModeCount - 1},
        {kSettings, "Bits per sample", true, ENGINE_INT(m_nBitsPerSample), 8, 32},
        {kSettings, "Average", true, ENGINE_INT(m_nAverageCount), 1, 1 << 20},
        {kSettings, "Smoothing", true, ENGINE_INT(m_bSmoothing), 0, 1},
        {kSettings, "Smoothing Octaves", true, ENGINE_INT(m_nSmoothingOctaves), 1, 1024},
        {kSettings, "Smooth Sweep Results", true, ENGINE_INT(m_bSmoothSweepResults), 0, 1},
        {"Average Settings", "Number of blocks", false, ENGINE_INT(m_nAverageCount), 1, 1 << 20},
        {"Average Settings", "Recursive", false, ENGINE_INT(m_bRecursiveAverage), 0, 1},
        {kSettings, "Peak interpolate", true, ENGINE_INT(m_bPeakInterpolate), 0, 1},
        {kSettings, "Window type", true, ENGINE_INT(m_nWindowType), 0, kFftWindowLastType},
        {kSettings, "Weight type", true, ENGINE_INT(m_nWeightingType), 0, kWeightingCodes - 1},
        {kSettings, "Calibration", true, ENGINE_INT(m_bCalibration), 0, 1},
        {kSettings, "FFT submode", true, ENGINE_INT(m_nFftSubmode), 0, 1},
        {kSettings, "FFT 64Bit", true, ENGINE_INT(m_bFft64Bit), 0, 1},
        {kLevelMonitor, "Average time", true, ENGINE_DOUBLE(m_dLevelShortTime), 1e-3, 1e6},
        {kLevelMonitor, "Number of samples", true,
         Int64Ref([](Targets& t) -> std::int64_t& { return t.engine.m_nLevelHistoryLength; }), 1,
         kMaxLevelHistory},
        {kLevelMonitor, "Min frequency", true, ENGINE_DOUBLE(m_dLevelMinFrequency), 0, 1e6},
        {kLevelMonitor, "Max frequency", true, ENGINE_DOUBLE(m_dLevelMaxFrequency), 0, 1e6},
        {kLevelMonitor, "Full span", true, ENGINE_INT(m_bLevelFullSpan), 0, 1},
        {kLevelMonitor, "Weight_type", true, ENGINE_INT(m_nLevelWeighting), 0, kWeightingCodes - 1},
        {kMls, "MLS mode", true, ENGINE_INT(m_bMlsMode), 0, 1},
        {kMls, "MLS size", true, ENGINE_INT(m_nMlsLength), 3, (1 << 24) - 1},
        {kMls, "MLS pregap", true, ENGINE_DOUBLE(m_dMlsPregap), 0, 1e6},
        {kMls, "MLS length", true, ENGINE_DOUBLE(m_dMlsExcitationLength), 0, 1e6},
        {kMls, "MLS submode", true, ENGINE_INT(m_nMlsDisplayKind), 0, 2},
        {kTrigger, "Level", true, ENGINE_DOUBLE(m_dTriggerLevel), -kBig, kBig},
        {kTrigger, "Slope", true, ENGINE_INT(m_nTriggerSlope), -1, 1},
        {kTrigger, "Below", true, ENGINE_INT(m_bTriggerNegative), 0, 1},
        {kTrigger, "Run mode", true, ENGINE_INT(m_nTriggerRepeat), -1, 1 << 20},
        {kTrigger, "Mode", true, ENGINE_INT(m_nTriggerMode), 0, 16},
        {kTrigger, "RMS weight", true, ENGINE_DOUBLE(m_dTriggerPowerFactor), 0, 1},
        {kTrigger, "Channel", true, ENGINE_INT(m_nTriggerChannel), 0, CSoundIn::kMaxChannels - 1},
        {kTrigger, "Scope only", true, ENGINE_INT(m_bTriggerScopeOnly), 0, 1},
        // The sweep keys are the engine block's stored sweep words.
        {kSweep, "Steps", true, IntRef([](Targets& t) -> int& { return t.engine.m_stored.sweepInts[1]; }), 1,
         1 << 20},
        {kSweep, "Start frequency", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.sweepDoubles[0]; }), 0, 1e6},
        {kSweep, "Stop frequency", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.sweepDoubles[1]; }), 0, 1e6},
        {kSweep, "Time per step", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.sweepDoubles[4]; }), 0, 1e7},
        {kSweep, "Log step", true, IntRef([](Targets& t) -> int& { return t.engine.m_stored.sweepInts[0]; }),
         0, 1 << 20},
        {kSweep, "Start level", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.sweepDoubles[2]; }), -400, 400},
        {kSweep, "Stop level", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.sweepDoubles[3]; }), -400, 400},
        {kSweep, "Frequency", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.sweepDoubles[5]; }), 0, 1e6},
        {kFilter, "DC block", true, ENGINE_INT(m_bDcBlock), 0, 1},
        {kFilter, "1kHz", true, ENGINE_INT(m_bNotch1kHz), 0, 1},
        {kFilter, "RIAA", true, ENGINE_INT(m_bRiaa), 0, 1},
        {kFilter, "RIAA invert", true, ENGINE_INT(m_bRiaaInverse), 0, 1},
        {kDisplay, "Refresh rate", true, SLOT_INT(m_nRefreshMs), 1, 60000},
        {kDisplay, "Min level", true, ENGINE_DOUBLE(m_dMinLevel), -kBig, kBig},
        {kDisplay, "Max level", true, ENGINE_DOUBLE(m_dMaxLevel), -kBig, kBig},
        {kDisplay, "Min level dB", true, ENGINE_DOUBLE(m_dMinLevelDb), -1000, 1000},
        {kDisplay, "Max level dB", true, ENGINE_DOUBLE(m_dMaxLevelDb), -1000, 1000},
        {kDisplay, "Min frequency", true, ENGINE_DOUBLE(m_dMinFrequency), 0, 1e7},
        {kDisplay, "Max frequency", true, ENGINE_DOUBLE(m_dMaxFrequency), 0, 1e7},
        {kDisplay, "Color mode background", false, ENGINE_INT(m_nColorModeBackground), 0, 2},
        {kGenerator, "Mode", true,
         IntRef([](Targets& t) -> int& { return t.engine.m_stored.generators[0].m_mode; }), 0, 1024},
        {kGenerator, "Frequency", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.generators[0].m_frequency; }), 0,
         1e6},
        {kGenerator, "MLS length", true,
         IntRef([](Targets& t) -> int& { return t.engine.m_stored.generators[0].m_mls_length; }), 3,
         (1 << 24) - 1},
        {kGenerator, "Volume", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.generators[0].m_level; }), 0, 1e6},
        {kGenerator, "Balance", true,
         DoubleRef([](Targets& t) -> double& { return t.engine.m_stored.generators[0].m_balance; }), -1e6,
         1e6},
        {kGenerator, "Mute", true,
         IntRef([](Targets& t) -> int& { return t.engine.m_stored.generators[0].m_output_on; }), 0, 1},
        {kGenerator, "Invert Phase", true,
         IntRef([](Targets& t) -> int& { return t.engine.m_stored.generators[0].m_invert; }), 0, 1},
        {kGenerator, "Attenuator 1dB", true, ENGINE_INT(m_abAttenuators[0]), 0, 1},
        {kGenerator, "Attenuator 2dB", true, ENGINE_INT(m_abAttenuators[1]), 0, 1},
        {kGenerator, "Attenuator 3dB", true, ENGINE_INT(m_abAttenuators[2]), 0, 1},
        {kGenerator, "Attenuator 5dB", true, ENGINE_INT(m_abAttenuators[3]), 0, 1},
        {kGenerator, "Attenuator 10dB", true, ENGINE_INT(m_abAttenuators[4]), 0, 1},
        {kGenerator, "Attenuator 20dB", true, ENGINE_INT(m_abAttenuators[5]), 0, 1},
        {kGenerator, "Attenuator 50dB", true, ENGINE_INT(m_abAttenuators[6]), 0, 1},
        {kReverb, "Min frequency", true, ENGINE_DOUBLE(m_reverbWizard.minFrequency), 0, 1e6},
        {kReverb, "Max frequency", true, ENGINE_DOUBLE(m_reverbWizard.maxFrequency), 0, 1e6},
        {kReverb, "Min chirp frequency", true, ENGINE_DOUBLE(m_reverbWizard.minChirpFrequency), 0, 1e6},
        {kReverb, "Max chirp frequency", true, ENGINE_DOUBLE(m_reverbWizard.maxChirpFrequency), 0, 1e6},
        {kReverb, "Chirp size", true, ENGINE_INT(m_reverbWizard.chirpSize), 16, 1 << 24},
        {kReverb, "Chirp level", true, ENGINE_DOUBLE(m_reverbWizard.chirpLevel), 0, 1e6},
        {kReverb, "THDN threshold min", true, ENGINE_DOUBLE(m_reverbWizard.thdnThresholdMin), -1e6, 1e6},
        {kReverb, "Headroom threshold", true, ENGINE_DOUBLE(m_reverbWizard.headroomThreshold), -1e6, 1e6},
        {kReverb, "RT extrapolate start", true, ENGINE_DOUBLE(m_reverbWizard.extrapolateStart), -1000, 1000},
        {kReverb, "RT extrapolate stop", true, ENGINE_DOUBLE(m_reverbWizard.extrapolateStop), -1000, 1000},
        {kReverb, "Time window", true, ENGINE_DOUBLE(m_reverbWizard.timeWindow), 0, 1e6},
        {"Locale", "Use comma", false, ENGINE_INT(m_bDecimalComma), 0, 1},
        {"Debug", "Dump IO", false, ENGINE_INT(m_bDebugDumps), 0, 1},
        {kThd, "Number of harmonics", true, SLOT_INT(m_nMaxHarmonics), 1, 100},
        {kThd, "Plot percent", true, SLOT_INT(m_bThdPercent), 0, 1},
        {kThd, "Enable THD", true, SLOT_INT(m_bEnableThd), 0, 1},
        {kThd, "Enable IMD", true, SLOT_INT(m_bEnableImd), 0, 1},
    };
    return keys;
}

#undef ENGINE_INT
#undef ENGINE_DOUBLE
#undef SLOT_INT

// Six decimals unless they would change the value; then every digit, so it reads back equal.
bool WriteExactDouble(const CIniFile& ini, const char* section, const char* key, double value)
{
    const std::string fixed = platform::FormatC("%f", value);
    if (std::strtod(fixed.c_str(), nullptr) == value)
        return ini.WriteDouble(section, key, value);
    return ini.WriteString(section, key, platform::FormatC("%.17g", value));
}

bool InRange(double value, const Key& key)
{
    return std::isfinite(value) && value >= key.minimum && value <= key.maximum;
}

}  // namespace

bool CSndView::WriteSettingsFile(const std::string& path)
{
    CIniFile ini;
    if (!m_pSettings || !ini.SetFileName(path))
    {
        if (Frame())
            Frame()->ShowMessage("Failed to write " + path);
        return false;
    }
    Targets targets{m_engine, *m_pSettings};
    bool ok = true;
    const auto writeSection = [&](const char* section)
    {
        for (const Key& key : Keys())
        {
            if (!key.written || std::string_view(key.section) != section)
                continue;
            if (std::string_view(section) == kSettings && std::string_view(key.key) == "Average")
                ok &= ini.WriteInt(kSettings, "FFT size", m_engine.m_nFftSize);
            if (const auto* ref = std::get_if<IntRef>(&key.ref))
                ok &= ini.WriteInt(section, key.key, (*ref)(targets));
            else if (const auto* ref64 = std::get_if<Int64Ref>(&key.ref))
                ok &= ini.WriteInt64(section, key.key, (*ref64)(targets));
            else
                ok &= WriteExactDouble(ini, section, key.key, std::get<DoubleRef>(key.ref)(targets));
            if (std::string_view(section) == kSettings && std::string_view(key.key) == "Calibration")
                ok &= WriteExactDouble(ini, kSettings, "Calibration offset", m_engine.m_fCalibrationOffset);
        }
    };
    writeSection(kSettings);
    for (const char* section : {kMls, kTrigger, kSweep, kFilter, kDisplay, kGenerator})
        writeSection(section);
    ok &= ini.WriteInt(kLevelMonitor, "Enable", m_pSettings->m_nDisplayKind);
    writeSection(kLevelMonitor);
    ok &= ini.WriteInt(kThd, "Even harmonics", (m_pSettings->m_nHarmonicsMask & 1) != 0 ? 1 : 0);
    ok &= ini.WriteInt(kThd, "Odd harmonics", (m_pSettings->m_nHarmonicsMask & 2) != 0 ? 1 : 0);
    writeSection(kThd);
    writeSection(kReverb);
    if (CViewFrame* frame = Frame())
    {
        PlotRect rect;
        if (frame->GetMainWindowRect(rect))
        {
            ok &= ini.WriteInt(kMainframe, "left", rect.left);
            ok &= ini.WriteInt(kMainframe, "top", rect.top);
            ok &= ini.WriteInt(kMainframe, "bottom", rect.bottom);
            ok &= ini.WriteInt(kMainframe, "right", rect.right);
            int width = 0;
            int height = 0;
            frame->GetDesktopSize(width, height);
            ok &= ini.WriteInt(kMainframe, "ScreenDX", width);
            ok &= ini.WriteInt(kMainframe, "ScreenDY", height);
        }
        // Toolbars sit in a fixed row: their rectangles are kept for the record only.
        for (const auto& [name, bar] : frame->GetToolbarRects())
        {
            const std::string section = "Toolbar " + name;
            ok &= ini.WriteInt(section, "left", bar.left);
            ok &= ini.WriteInt(section, "top", bar.top);
            ok &= ini.WriteInt(section, "bottom", bar.bottom);
            ok &= ini.WriteInt(section, "right", bar.right);
        }
    }
    if (!ok && Frame())
        Frame()->ShowMessage("Failed to write " + path);
    return ok;
}

bool CSndView::ReadSettingsFile(const std::string& path)
{
    CIniFile ini;
    if (!m_pSettings || !ini.SetFileName(path))
    {
        if (Frame())
            Frame()->ShowMessage("Failed to read " + path);
        return false;
    }
    Targets targets{m_engine, *m_pSettings};
    const auto readKey = [&](const Key& key)
    {
        if (auto* ref = std::get_if<IntRef>(&key.ref))
        {
            int& member = (*ref)(targets);
            const int value = ini.ReadInt(key.section, key.key, member);
            if (InRange(value, key))
                member = value;
        }
        else if (auto* ref64 = std::get_if<Int64Ref>(&key.ref))
        {
            std::int64_t& member = (*ref64)(targets);
            const std::int64_t value = ini.ReadInt64(key.section, key.key, member);
            if (InRange(static_cast<double>(value), key))
                member = value;
        }
        else
        {
            double& member = std::get<DoubleRef>(key.ref)(targets);
            const double value = ini.ReadDouble(key.section, key.key, member);
            if (InRange(value, key))
                member = value;
        }
    };
    for (const Key& key : Keys())
    {
        const std::string_view section = key.section;
        const std::string_view name = key.key;
        if (section == kSettings && name == "Average")
        {
            const int fftSize = ini.ReadInt(kSettings, "FFT size", m_engine.m_nFftSize);
            if (fftSize != m_engine.m_nFftSize && fftSize >= 2 && fftSize <= CSoundIn::kMaxFftSize)
                m_engine.SetFftSize(fftSize);
        }
        if (section == kSettings && name == "Peak interpolate")
        {
            const int mode = ini.ReadInt(kSettings, "Mode", m_engine.GetAnalyzerMode());
            if (mode != m_engine.GetAnalyzerMode() && mode >= 0 && mode <= 257)
                m_engine.SetAnalyzerMode(mode);
        }
        if (section == kLevelMonitor && name == "Average time")
        {
            const int enable = ini.ReadInt(kLevelMonitor, "Enable", m_pSettings->m_nDisplayKind);
            if (enable >= 0 && enable <= 1024)
                m_pSettings->m_nDisplayKind = enable;
            if (GetViewMode() == 64)
                m_engine.m_nLevelMonitorMode = 1;
        }
        if (section == kThd && name == "Number of harmonics")
        {
            const int even = ini.ReadInt(kThd, "Even harmonics", m_pSettings->m_nHarmonicsMask & 1);
            const int odd = ini.ReadInt(kThd, "Odd harmonics", (m_pSettings->m_nHarmonicsMask >> 1) & 1);
            m_pSettings->m_nHarmonicsMask = (even != 0 ? 1 : 0) | (odd != 0 ? 2 : 0);
        }
        readKey(key);
        if (section == kSettings && name == "Calibration")
        {
            const double offset =
                ini.ReadDouble(kSettings, "Calibration offset", m_engine.m_fCalibrationOffset);
            if (std::isfinite(offset) && std::fabs(offset) <= 200.0)
                m_engine.m_fCalibrationOffset = static_cast<float>(offset);
        }
    }
    if (CViewFrame* frame = Frame())
    {
        PlotRect rect;
        if (frame->GetMainWindowRect(rect))
        {
            rect.left = ini.ReadInt(kMainframe, "left", rect.left);
            rect.top = ini.ReadInt(kMainframe, "top", rect.top);
            rect.bottom = ini.ReadInt(kMainframe, "bottom", rect.bottom);
            rect.right = ini.ReadInt(kMainframe, "right", rect.right);
            if (rect.right > rect.left && rect.bottom > rect.top)
                frame->MoveMainWindow(rect);
        }
    }
    return true;
}

bool CSndView::LoadSettingsFile(const std::string& path)
{
    OnStop();
    const bool ok = ReadSettingsFile(path);
    OnStart();
    return ok;
}

std::string CSndView::StateLogText() const
{
    std::string text;
    const auto line = [&](const std::string& s) { text += s + "\n"; };
    const auto onOff = [](int flag) { return flag ? "ON" : "OFF"; };
    using platform::FormatC;
    line(FormatC("Tessarin Version %s %s", "Tessarin: 1.00", "1.00"));
    line(FormatC("DSP mode=%i", m_engine.GetAnalyzerMode()));
    line(FormatC("View mode=%i", GetViewMode()));
    line(FormatC("Time domain processing mode=%i", m_engine.m_nTimeOperation));
    line(FormatC("Freq domain processing mode=%i", m_engine.m_nSpectrumOperation));
    line(FormatC("FFT size=%i", m_engine.m_nFftSize));
    line(FormatC("MLS size=%i", m_engine.m_nMlsLength));
    line(FormatC("Sample rate=%i", m_engine.m_nSampleRate));
    line(FormatC("Input channels=%i", m_engine.m_nAnalysisChannels));
    line(FormatC("Channel mode=%i", m_engine.m_nChannelMode));
    line(FormatC("Window type=%s", m_engine.m_strWindowName.c_str()));
    line(FormatC("Weight type=%s", GetWeightingName(m_engine.m_nWeightingType).c_str()));
    line(FormatC("Average=%i", m_engine.m_nAverageCount));
    line(FormatC("Smoothing=%s", onOff(m_engine.m_bSmoothing)));
    line(FormatC("Smoothing type=%i octaves", m_engine.m_nSmoothingOctaves));
    line(FormatC("Peak interpolate=%s", onOff(m_engine.m_bPeakInterpolate)));
    line(FormatC("Calibration=%s", onOff(m_engine.m_bCalibration)));
    line(FormatC("Calibration offset=%fdB", static_cast<double>(m_engine.m_fCalibrationOffset)));
    const CAxisProp& axes = m_pSettings->m_Axes;
    line(FormatC("Axis xmin=%e", axes.m_dXMin));
    line(FormatC("Axis xmax=%e", axes.m_dXMax));
    line(FormatC("Axis ymin=%e", axes.m_dYMin));
    line(FormatC("Axis ymax=%e", axes.m_dYMax));
    line(FormatC("Axis xlog=%i", axes.m_bLogX));
    line(FormatC("Axis ylog=%i", axes.m_bLogY));
    const CPlotRange& zoom = m_pPlot->m_viewRange;
    const CPlotRange& data = m_pPlot->m_dataRange;
    line(FormatC("Plot zoom xcount=%i", zoom.m_nPoints));
    line(FormatC("Plot zoom xmin=%e", zoom.m_dXMin));
    line(FormatC("Plot zoom xmax=%e", zoom.m_dXMax));
    line(FormatC("Plot zoom ymin=%e", zoom.m_dYMin));
    line(FormatC("Plot zoom ymax=%e", zoom.m_dYMax));
    line(FormatC("Plot zoom xcount=%i", zoom.m_nPoints));
    line(FormatC("Plot xmin=%e", data.m_dXMin));
    line(FormatC("Plot xmax=%e", data.m_dXMax));
    line(FormatC("Plot ymin=%e", data.m_dYMin));
    line(FormatC("Plot ymax=%e", data.m_dYMax));
    line(FormatC("Plot xcount=%i", data.m_nPoints));
    line(FormatC("Plot y logview=%i", zoom.m_bYLog));
    line(FormatC("Plot y log scale=%f", data.m_dLogFactor));
    line(FormatC("Plot x logview=%i", zoom.m_bXLog));
    const auto& sweepInts = m_engine.m_stored.sweepInts;
    const auto& sweepDoubles = m_engine.m_stored.sweepDoubles;
    line(FormatC("Sweep Steps=%i", sweepInts[1]));
    line(FormatC("Sweep Start frequency=%f", sweepDoubles[0]));
    line(FormatC("Sweep Stop frequency=%f", sweepDoubles[1]));
    line(FormatC("Sweep Time per step=%f", sweepDoubles[4]));
    line(FormatC("Sweep Log step=%i", sweepInts[0]));
    line(FormatC("Skipped frames=%i", static_cast<int>(m_engine.m_nLostFrames.load())));
    line(FormatC("MME in m_max_packets=%i", m_engine.m_nDeviceBufferCount));
    return text;
}

bool CSndView::OnSaveState()
{
    if (!m_pSettings)
        return false;
    const std::filesystem::path folder = platform::ConfigFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path log = folder / "Tessarin.log";
    if (!platform::ReplaceFileAtomically(log, StateLogText()))
    {
        if (Frame())
            Frame()->ShowMessage("Failed to write " + log.string());
        return false;
    }
    return WriteSettingsFile((folder / "Tessarin.ini").string());
}

long CSndView::OnLoadDefaultSettings()
{
    const std::filesystem::path path = platform::ProgramFolder() / "default.ini";
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
        return 0;
    OnStop();
    m_engine.StopInput();
    ReadSettingsFile(path.string());
    return 0;
}

bool CSndView::OnSettingsFileCommand(int id)
{
    using namespace view_command;
    std::string path;
    switch (id)
    {
        case kLoadConfig:
            if (m_pWindow && m_pWindow->AskSettingsFile(false, path))
                LoadSettingsFile(path);
            return true;
        case kSaveConfig:
            if (m_pWindow && m_pWindow->AskSettingsFile(true, path))
                WriteSettingsFile(path);
            return true;
        case kSaveState:
            OnSaveState();
            return true;
        default:
            return false;
    }
}
