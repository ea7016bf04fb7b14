// The analyser's INI settings files: every written key reads back into its own setting, a file
// changes only what it names, values outside a setting's range are not taken, "Save state" writes
// its log lines in order, and files from the other platform load.
#include "ViewFixture.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

using viewtest::ViewFixture;
namespace fs = std::filesystem;

class SndViewSettingsFile : public ViewFixture
{
protected:
    SndViewSettingsFile()
    {
        m_dir = fs::temp_directory_path() / ("tessarin_ini_" + std::to_string(::getpid()));
        fs::create_directories(m_dir);
    }
    ~SndViewSettingsFile() override
    {
        std::error_code error;
        fs::remove_all(m_dir, error);
    }
    std::string Path(const std::string& name) const { return (m_dir / name).string(); }
    std::string Write(const std::string& name, const std::string& text)
    {
        std::ofstream(Path(name), std::ios::binary) << text;
        return Path(name);
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static std::vector<std::string> Lines(const std::string& text)
    {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < text.size())
        {
            const std::size_t end = text.find('\n', start);
            lines.push_back(text.substr(start, end - start));
            if (end == std::string::npos)
                break;
            start = end + 1;
        }
        return lines;
    }

    fs::path m_dir;
};

// Every written key, section by section in the writer's order.
TEST_F(SndViewSettingsFile, TheWriterWritesEveryKeyInItsOrder)
{
    CSndView& view = MakeView();
    const std::string path = Path("all.ini");
    ASSERT_TRUE(view.WriteSettingsFile(path));
    std::vector<std::string> keys;
    std::string section;
    for (const std::string& line : Lines(Read(path)))
    {
        if (line.empty())
            continue;
        if (line[0] == '[')
            section = line;
        else
            keys.push_back(section + line.substr(0, line.find('=')));
    }
    const std::vector<std::string> expected = {
        "[Settings]Channel mode",
        "[Settings]Sample rate",
        "[Settings]Capture Device",
        "[Settings]Capture Mode",
        "[Settings]Bits per sample",
        "[Settings]FFT size",
        "[Settings]Average",
        "[Settings]Smoothing",
        "[Settings]Smoothing Octaves",
        "[Settings]Smooth Sweep Results",
        "[Settings]Peak interpolate",
        "[Settings]Window type",
        "[Settings]Weight type",
        "[Settings]Calibration",
        "[Settings]Calibration offset",
        "[Settings]FFT submode",
        "[Settings]FFT 64Bit",
        "[MLS Settings]MLS mode",
        "[MLS Settings]MLS size",
        "[MLS Settings]MLS pregap",
        "[MLS Settings]MLS length",
        "[MLS Settings]MLS submode",
        "[Trigger Settings]Level",
        "[Trigger Settings]Slope",
        "[Trigger Settings]Below",
        "[Trigger Settings]Run mode",
        "[Trigger Settings]Mode",
        "[Trigger Settings]RMS weight",
        "[Trigger Settings]Channel",
        "[Trigger Settings]Scope only",
        "[Sweep Settings]Steps",
        "[Sweep Settings]Start frequency",
        "[Sweep Settings]Stop frequency",
        "[Sweep Settings]Time per step",
        "[Sweep Settings]Log step",
        "[Sweep Settings]Start level",
        "[Sweep Settings]Stop level",
        "[Sweep Settings]Frequency",
        "[Filter Settings]DC block",
        "[Filter Settings]1kHz",
        "[Filter Settings]RIAA",
        "[Filter Settings]RIAA invert",
        "[Display Settings]Refresh rate",
        "[Display Settings]Min level",
        "[Display Settings]Max level",
        "[Display Settings]Min level dB",
        "[Display Settings]Max level dB",
        "[Display Settings]Min frequency",
        "[Display Settings]Max frequency",
        "[Generator Settings]Mode",
        "[Generator Settings]Frequency",
        "[Generator Settings]MLS length",
        "[Generator Settings]Volume",
        "[Generator Settings]Balance",
        "[Generator Settings]Mute",
        "[Generator Settings]Invert Phase",
        "[Generator Settings]Attenuator 1dB",
        "[Generator Settings]Attenuator 2dB",
        "[Generator Settings]Attenuator 3dB",
        "[Generator Settings]Attenuator 5dB",
        "[Generator Settings]Attenuator 10dB",
        "[Generator Settings]Attenuator 20dB",
        "[Generator Settings]Attenuator 50dB",
        "[Level Monitor]Enable",
        "[Level Monitor]Average time",
        "[Level Monitor]Number of samples",
        "[Level Monitor]Min frequency",
        "[Level Monitor]Max frequency",
        "[Level Monitor]Full span",
        "[Level Monitor]Weight_type",
        "[THD Settings]Even harmonics",
        "[THD Settings]Odd harmonics",
        "[THD Settings]Number of harmonics",
        "[THD Settings]Plot percent",
        "[THD Settings]Enable THD",
        "[THD Settings]Enable IMD",
        "[Wizard Reverb]Min frequency",
        "[Wizard Reverb]Max frequency",
        "[Wizard Reverb]Min chirp frequency",
        "[Wizard Reverb]Max chirp frequency",
        "[Wizard Reverb]Chirp size",
        "[Wizard Reverb]Chirp level",
        "[Wizard Reverb]THDN threshold min",
        "[Wizard Reverb]Headroom threshold",
        "[Wizard Reverb]RT extrapolate start",
        "[Wizard Reverb]RT extrapolate stop",
        "[Wizard Reverb]Time window",
    };
    EXPECT_EQ(keys, expected);
}

TEST_F(SndViewSettingsFile, EveryWrittenKeyReadsBackIntoItsOwnSetting)
{
    CSndView& view = MakeView();
    CSoundIn& e = m_engine;
    CViewSettings& s = Settings(0);
    // Values apart from the defaults, each key its own.
    e.m_nChannelMode = 3;
    e.m_nSampleRate = 48000;
    e.m_nCaptureDevice = 2;
    e.m_nInputMode = 1;
    e.m_nBitsPerSample = 24;
    e.SetFftSize(2048);
    e.m_nAverageCount = 7;
    e.m_bSmoothing = 1;
    e.m_nSmoothingOctaves = 12;
    e.m_bSmoothSweepResults = 1;
    e.m_bPeakInterpolate = 0;
    e.m_nWindowType = 5;
    e.m_nWeightingType = 2;
    e.m_bCalibration = 1;
    e.m_fCalibrationOffset = -3.25f;
    e.m_bFft64Bit = 1;
    e.m_bMlsMode = 1;
    e.m_nMlsLength = 4095;
    e.m_dMlsPregap = 0.125;
    e.m_dMlsExcitationLength = 2.5;
    e.m_nMlsDisplayKind = 2;
    e.m_dTriggerLevel = 1e-7;
    e.m_nTriggerSlope = -1;
    e.m_bTriggerNegative = 1;
    e.m_nTriggerRepeat = 4;
    e.m_nTriggerMode = 2;
    e.m_dTriggerPowerFactor = 0.3;
    e.m_nTriggerChannel = 1;
    e.m_bTriggerScopeOnly = 0;
    e.m_stored.sweepInts = {2, 17};
    e.m_stored.sweepDoubles = {31.5, 16000.0, -60.0, -5.0, 350.0, 440.0};
    e.m_bDcBlock = 1;
    e.m_bNotch1kHz = 1;
    e.m_bRiaaInverse = 1;
    s.m_nRefreshMs = 250;
    e.m_dMinLevel = -0.5;
    e.m_dMaxLevel = 2.0;
    e.m_dMinLevelDb = -120.0;
    e.m_dMaxLevelDb = 20.0;
    e.m_dMinFrequency = 10.0;
    e.m_dMaxFrequency = 24000.0;
    CSigGen_settings& g = e.m_stored.generators[0];
    g.m_mode = 4;
    g.m_frequency = 997.0;
    g.m_mls_length = 8191;
    g.m_level = 0.7071067811865476;
    g.m_balance = -0.25;
    g.m_output_on = 1;
    g.m_invert = 1;
    e.m_abAttenuators = {1, 0, 1, 1, 0, 0, 1};
    s.m_nDisplayKind = 1;
    e.m_dLevelShortTime = 0.5;
    e.m_nLevelHistoryLength = 50000000LL;
    e.m_dLevelMinFrequency = 100.0;
    e.m_dLevelMaxFrequency = 8000.0;
    e.m_bLevelFullSpan = 0;
    e.m_nLevelWeighting = 1;
    s.m_nHarmonicsMask = 2;
    s.m_nMaxHarmonics = 9;
    s.m_bThdPercent = 1;
    s.m_bEnableThd = 0;
    s.m_bEnableImd = 1;
    e.m_reverbWizard.minFrequency = 125.0;
    e.m_reverbWizard.maxFrequency = 4000.0;
    e.m_reverbWizard.minChirpFrequency = 60.0;
    e.m_reverbWizard.maxChirpFrequency = 12000.0;
    e.m_reverbWizard.chirpSize = 32768;
    e.m_reverbWizard.chirpLevel = 0.25;
    e.m_reverbWizard.thdnThresholdMin = 0.5;
    e.m_reverbWizard.headroomThreshold = 12.0;
    e.m_reverbWizard.extrapolateStart = -10.0;
    e.m_reverbWizard.extrapolateStop = -30.0;
    e.m_reverbWizard.timeWindow = 0.75;

    const std::string path = Path("round.ini");
    ASSERT_TRUE(view.WriteSettingsFile(path));
    const std::string first = Read(path);
    EXPECT_NE(first.find("Attenuator 1dB=1\n"), std::string::npos);
    EXPECT_NE(first.find("Attenuator 2dB=0\n"), std::string::npos);
    EXPECT_NE(first.find("Attenuator 50dB=1\n"), std::string::npos);
    EXPECT_NE(first.find("Number of samples=50000000\n"), std::string::npos);
    EXPECT_EQ(first.find("[Settings]\nMode="), std::string::npos);

    // Back to the defaults of a fresh engine and slot, then read.
    {
        CSoundIn fresh;
        e.m_nChannelMode = fresh.m_nChannelMode;
        e.m_nSampleRate = fresh.m_nSampleRate;
        e.SetFftSize(fresh.m_nFftSize);
        e.m_fCalibrationOffset = 0.0f;
        e.m_dTriggerLevel = fresh.m_dTriggerLevel;
        e.m_stored.sweepInts = fresh.m_stored.sweepInts;
        e.m_stored.sweepDoubles = fresh.m_stored.sweepDoubles;
        e.m_abAttenuators = {};
        e.m_nLevelHistoryLength = 1;
        g.m_level = 1.0;
        e.m_reverbWizard = CSoundIn::ReverbWizardSettings{};
        s.m_nHarmonicsMask = 3;
        s.m_nRefreshMs = 100;
    }
    ASSERT_TRUE(view.ReadSettingsFile(path));
    const std::string second = Path("second.ini");
    ASSERT_TRUE(view.WriteSettingsFile(second));
    EXPECT_EQ(Read(second), first);
    EXPECT_EQ(e.m_dTriggerLevel, 1e-7);
    EXPECT_EQ(g.m_level, 0.7071067811865476);
    EXPECT_EQ(e.m_nLevelHistoryLength, 50000000LL);
    EXPECT_EQ(e.m_abAttenuators, (std::array<int, 7>{1, 0, 1, 1, 0, 0, 1}));
    EXPECT_EQ(e.m_nFftSize, 2048);
    EXPECT_EQ(s.m_nHarmonicsMask, 2);
    EXPECT_EQ(s.m_nRefreshMs, 250);
    EXPECT_EQ(e.m_reverbWizard.chirpSize, 32768);
}

TEST_F(SndViewSettingsFile, AFileChangesOnlyWhatItNames)
{
    CSndView& view = MakeView();
    const std::string before = Path("before.ini");
    ASSERT_TRUE(view.WriteSettingsFile(before));
    ASSERT_NE(m_engine.m_nFftSize, 8192);
    ASSERT_TRUE(view.ReadSettingsFile(Write("fft.ini", "[Settings]\nFFT size=8192\n")));
    EXPECT_EQ(m_engine.m_nFftSize, 8192);
    const std::string after = Path("after.ini");
    ASSERT_TRUE(view.WriteSettingsFile(after));
    const std::vector<std::string> a = Lines(Read(before));
    const std::vector<std::string> b = Lines(Read(after));
    ASSERT_EQ(a.size(), b.size());
    std::vector<std::string> changed;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i])
            changed.push_back(b[i]);
    EXPECT_EQ(changed, (std::vector<std::string>{"FFT size=8192"}));

    // A missing file changes nothing.
    ASSERT_TRUE(view.ReadSettingsFile(Path("missing.ini")));
    EXPECT_EQ(m_engine.m_nFftSize, 8192);
}

TEST_F(SndViewSettingsFile, NumberOfBlocksWinsAndValuesOutsideTheirRangeAreNotTaken)
{
    CSndView& view = MakeView();
    ASSERT_TRUE(view.ReadSettingsFile(Write("both.ini",
                                            "[Average Settings]\nNumber of blocks=16\n"
                                            "[Settings]\nAverage=4\nSample rate=48000\n")));
    EXPECT_EQ(m_engine.m_nAverageCount, 16);
    EXPECT_EQ(m_engine.m_nSampleRate, 48000);
    ASSERT_TRUE(view.ReadSettingsFile(Write("bad.ini",
                                            "[Settings]\nSample rate=5\nFFT size=-4\nChannel mode=9\n"
                                            "Calibration offset=nan\n[Trigger Settings]\nChannel=64\n"
                                            "[Display Settings]\nRefresh rate=0\n")));
    EXPECT_EQ(m_engine.m_nSampleRate, 48000);
    EXPECT_EQ(m_engine.m_nChannelMode, 1);
    EXPECT_EQ(m_engine.m_nTriggerChannel, 0);
    EXPECT_EQ(m_engine.m_fCalibrationOffset, 0.0f);
    EXPECT_EQ(Settings(0).m_nRefreshMs, 100);
    EXPECT_GT(m_engine.m_nFftSize, 0);
}

// A count past 32 bits is read whole and refused, not wrapped into a small one.
TEST_F(SndViewSettingsFile, TheLevelHistoryIsReadAsSixtyFourBits)
{
    CSndView& view = MakeView();
    m_engine.m_nLevelHistoryLength = 1000;
    ASSERT_TRUE(view.ReadSettingsFile(Write("wide.ini", "[Level Monitor]\nNumber of samples=4294967396\n")));
    EXPECT_EQ(m_engine.m_nLevelHistoryLength, 1000);
    ASSERT_TRUE(view.ReadSettingsFile(Write("fits.ini", "[Level Monitor]\nNumber of samples=3000000\n")));
    EXPECT_EQ(m_engine.m_nLevelHistoryLength, 3000000);
}

TEST_F(SndViewSettingsFile, ARefusedPathIsReportedAndNothingIsWritten)
{
    CSndView& view = MakeView();
    const std::string longPath = Path(std::string(1100, 'a') + ".ini");
    EXPECT_FALSE(view.WriteSettingsFile(longPath));
    EXPECT_FALSE(view.ReadSettingsFile(longPath));
    EXPECT_EQ(m_frame.CountMessages("Failed to write " + longPath), 1);
    EXPECT_EQ(m_frame.CountMessages("Failed to read " + longPath), 1);
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(SndViewSettingsFile, AWindowsFileInCrlfAndWindows1252Loads)
{
    CSndView& view = MakeView();
    const std::string text =
        "; R\xE9glages du laboratoire\r\n[Settings]\r\nFFT size=4096\r\nSmoothing=1\r\n"
        "[Wizard Reverb]\r\nChirp size=16384\r\nTime window=0.500000\r\n"
        "[Trigger Settings]\r\nLevel=0.250000\r\n";
    ASSERT_TRUE(view.ReadSettingsFile(Write("windows.ini", text)));
    EXPECT_EQ(m_engine.m_nFftSize, 4096);
    EXPECT_EQ(m_engine.m_bSmoothing, 1);
    EXPECT_EQ(m_engine.m_reverbWizard.chirpSize, 16384);
    EXPECT_EQ(m_engine.m_reverbWizard.timeWindow, 0.5);
    EXPECT_EQ(m_engine.m_dTriggerLevel, 0.25);
}

TEST_F(SndViewSettingsFile, SaveStateWritesItsLinesInOrderAndTheSettings)
{
    const char* saved = std::getenv("XDG_CONFIG_HOME");
    const std::string savedValue = saved ? saved : "";
    ::setenv("XDG_CONFIG_HOME", m_dir.string().c_str(), 1);
    CSndView& view = MakeView();
    const bool ok = view.OnCommand(view_command::kSaveState);
    const std::string log = Read((m_dir / "Tessarin" / "Tessarin.log").string());
    const bool ini = fs::exists(m_dir / "Tessarin" / "Tessarin.ini");
    if (saved)
        ::setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
    ASSERT_TRUE(ok);
    EXPECT_TRUE(ini);
    std::vector<std::string> names;
    for (const std::string& line : Lines(log))
        names.push_back(line.substr(0, line.find('=')));
    const std::vector<std::string> expected = {
        "Tessarin Version Tessarin: 1.00 1.00",
        "DSP mode",
        "View mode",
        "Time domain processing mode",
        "Freq domain processing mode",
        "FFT size",
        "MLS size",
        "Sample rate",
        "Input channels",
        "Channel mode",
        "Window type",
        "Weight type",
        "Average",
        "Smoothing",
        "Smoothing type",
        "Peak interpolate",
        "Calibration",
        "Calibration offset",
        "Axis xmin",
        "Axis xmax",
        "Axis ymin",
        "Axis ymax",
        "Axis xlog",
        "Axis ylog",
        "Plot zoom xcount",
        "Plot zoom xmin",
        "Plot zoom xmax",
        "Plot zoom ymin",
        "Plot zoom ymax",
        "Plot zoom xcount",
        "Plot xmin",
        "Plot xmax",
        "Plot ymin",
        "Plot ymax",
        "Plot xcount",
        "Plot y logview",
        "Plot y log scale",
        "Plot x logview",
        "Sweep Steps",
        "Sweep Start frequency",
        "Sweep Stop frequency",
        "Sweep Time per step",
        "Sweep Log step",
        "Skipped frames",
        "MME in m_max_packets",
    };
    EXPECT_EQ(names, expected);
    EXPECT_NE(log.find("Smoothing type=3 octaves\n"), std::string::npos);
    EXPECT_NE(log.find("Calibration offset=0.000000dB\n"), std::string::npos);
}

TEST_F(SndViewSettingsFile, LoadAndSaveConfigGoThroughTheFileDialog)
{
    CSndView& view = MakeView();
    Window(0).m_strFilePath = Path("dialog.ini");
    m_engine.m_nAverageCount = 5;
    ASSERT_TRUE(view.OnCommand(view_command::kSaveConfig));
    m_engine.m_nAverageCount = 1;
    ASSERT_TRUE(view.OnCommand(view_command::kLoadConfig));
    EXPECT_EQ(m_engine.m_nAverageCount, 5);
    // Cancelled dialogs do nothing.
    Window(0).m_bDialogOk = false;
    m_engine.m_nAverageCount = 2;
    view.OnCommand(view_command::kLoadConfig);
    EXPECT_EQ(m_engine.m_nAverageCount, 2);
}

}  // namespace
