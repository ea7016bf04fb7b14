// The generator program's INI configuration: the stored form of the generator keys (a golden file),
// round trips, missing keys, the sections written without a panel, long paths and names, and a
// load that changes the output format of a running output.
#include "common/IniFile.h"
#include "engine/SigGenSettingsProfile.h"
#include "generator_app/GeneratorWnd.h"
#include "tests/support/AlsaTestConfig.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

namespace
{

class RecordingNotifications : public CEngineNotifications
{
public:
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    std::vector<std::string> messages;
};

// The section names of an INI file, in the order they appear.
std::vector<std::string> Sections(const std::filesystem::path& file)
{
    std::vector<std::string> names;
    std::istringstream in(testsupport::ReadBytes(file));
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line.front() == '[')
            names.push_back(line.substr(1, line.find(']') - 1));
    return names;
}

// A record whose every stored field differs from the defaults.
CSigGen_settings DistinctRecord()
{
    CSigGen_settings r;
    r.SetDefaults();
    r.m_mode = kGenModeTriangular;
    r.OutputChannels() = 2;
    r.m_delay = 12;
    r.m_reserved40 = 3;
    r.m_reserved44 = 4;
    r.m_freq_min = 20.5;
    r.m_freq_max = 15000.25;
    r.m_volume_min_db = -90.0;
    r.m_volume_max_db = -1.0;
    r.m_balance_min_db = -40.0;
    r.m_balance_max_db = 40.0;
    r.m_sweep_start = 50.0;
    r.m_sweep_stop = 5000.0;
    r.m_sweep_time = 2.5;
    r.m_sweep_log = 1;
    r.m_chirp_length = 2048;
    r.m_chirp_type = 1;
    r.m_chirp_on = 1;
    r.OutputDevice() = 2;
    r.OutputAsioDevice() = 1;
    r.OutputDeviceMode() = 1;
    r.m_sample_rate = 48000;
    r.SetWavefileName("/music/100% noise.wav");
    r.m_fade_in = 0.5;
    r.m_fade_out = 1.5;
    r.m_bits = 24;
    r.m_32bit = 1;
    r.m_pulse_width = 0.25;
    r.m_burst_on_time = 10.0;
    r.m_burst_off_time = 20.0;
    r.m_burst_on = 1;
    r.m_burst_restart = 0;
    r.m_burst_on_level = 0.75;
    r.m_burst_off_level = 0.125;
    r.m_burst_on_unit = 1;
    r.m_burst_off_unit = 0;
    r.m_burst_gate = 0;
    r.m_frequency = 997.0;
    r.m_mls_length = 4095;
    r.m_level = 0.5;
    r.m_balance = -0.25;
    r.m_calibration_db = -3.5;
    r.m_dc_offset = 0.01;
    r.m_output_on = 1;
    r.m_invert = 1;
    r.m_attenuator = {1, 0, 0, 1, 0, 1, 0};
    r.m_distortion_on = 1;
    r.m_distortion_drive = 0.3;
    r.m_crest_target = 2.0;
    r.m_fm_on = 1;
    r.m_fm_deviation = 250.0;
    r.m_am_on = 1;
    r.m_am_frequency = 440.0;
    r.m_am_depth = 0.5;
    r.m_effects_ch1_only = 1;
    r.m_filter.m_bBandStop = 1;
    r.m_filter.m_nOrder = 4;
    r.m_filter.m_nDesignKind = 3;
    r.m_filter.m_dLowCorner = 100.0;
    r.m_filter.m_dHighCorner = 3000.0;
    r.m_filter.m_dRippleDb = 1.0;
    r.m_filter.m_bTwice = 1;
    r.m_filter.m_bEnabled = 0;
    return r;
}

class GeneratorConfigTest : public testsupport::TempHomeTest
{
protected:
    std::filesystem::path File(const std::string& name) const { return m_home.Root() / name; }
};

TEST_F(GeneratorConfigTest, TheGeneratorKeysKeepTheirOrderSpellingAndForms)
{
    const std::filesystem::path file = File("golden.ini");
    ASSERT_TRUE(DistinctRecord().WriteProfile(file.string(), "Generator"));
    const std::string golden = testsupport::ReadBytes(std::filesystem::path(TESSARIN_TEST_SOURCE_DIR) /
                                                      "golden" / "generator-config.ini");
    ASSERT_FALSE(golden.empty());
    EXPECT_EQ(testsupport::ReadBytes(file), golden);
}

TEST_F(GeneratorConfigTest, EveryKeyReadsBackAsWritten)
{
    const std::filesystem::path file = File("round.ini");
    const CSigGen_settings written = DistinctRecord();
    ASSERT_TRUE(written.WriteProfile(file.string(), "Generator"));
    CSigGen_settings read;
    read.SetDefaults();
    read.ReadProfile(file.string(), "Generator");
    // Every field the INI form holds: compare the wire forms after taking over the fields it
    // does not hold (the command word and the settings-file path).
    CSigGen_settings expected = written;
    expected.m_flags = read.m_flags;
    expected.SetSgsPath(read.GetSgsPath());
    expected.ClampToValidRanges();
    EXPECT_TRUE(read.ToWire() == expected.ToWire());
    EXPECT_EQ(read.GetWavefileName(), "/music/100% noise.wav") << "\"%\" reads back unchanged";
    EXPECT_EQ(read.m_sample_rate, 48000);
    EXPECT_NE(testsupport::ReadBytes(file).find("Samplerate=48000.000000\n"), std::string::npos);
}

TEST_F(GeneratorConfigTest, MissingKeysKeepTheirValuesAndALongNameReadsBackWhole)
{
    const std::filesystem::path file = File("partial.ini");
    ASSERT_TRUE(
        testsupport::WriteBytes(file, "[Generator]\nFrequency=440\n[Generator.Filter Designer]\nOrder=6\n"));
    CSigGen_settings read = DistinctRecord();
    const CSigGen_settings before = read;
    read.ReadProfile(file.string(), "Generator");
    EXPECT_EQ(read.m_frequency, 440.0);
    EXPECT_EQ(read.m_filter.m_nOrder, 6);
    EXPECT_EQ(read.m_level, before.m_level);
    EXPECT_EQ(read.m_attenuator, before.m_attenuator);
    EXPECT_EQ(read.GetWavefileName(), before.GetWavefileName());
    EXPECT_EQ(read.m_filter.m_dHighCorner, before.m_filter.m_dHighCorner);

    const std::string longName = "/" + std::string(200, 'a') + "/" + std::string(200, 'b') + "/take.wav";
    CSigGen_settings named;
    named.SetWavefileName(longName);
    ASSERT_TRUE(named.WriteProfile(File("long.ini").string(), "Generator"));
    CSigGen_settings back;
    back.ReadProfile(File("long.ini").string(), "Generator");
    EXPECT_EQ(back.GetWavefileName(), longName);
}

TEST_F(GeneratorConfigTest, CompositeValuesUseOneKeyPerMember)
{
    CIniFile ini;
    ASSERT_TRUE(ini.SetFileName(File("composite.ini").string()));
    WindowPlacement placement;
    placement.length = 44;
    placement.flags = 2;
    placement.showCmd = 1;
    placement.minPosition = {-1, -2};
    placement.maxPosition = {-3, -4};
    placement.normalPosition = {10, 20, 250, 480};
    ASSERT_TRUE(ini.WritePlacement("S", "WINDOWPLACEMENT", placement));
    ASSERT_TRUE(ini.WriteRect("S", "Rectangle", {1, 2, 3, 4}));
    ASSERT_TRUE(ini.WritePoint("S", "Where", {7, 8}));
    const std::string text = testsupport::ReadBytes(File("composite.ini"));
    EXPECT_NE(text.find("WINDOWPLACEMENT.ptMinPosition.X=-1\n"), std::string::npos) << text;
    EXPECT_NE(text.find("WINDOWPLACEMENT.rcNormalPosition.bottom=480\n"), std::string::npos);
    EXPECT_NE(text.find("Rectangle.left=1\nRectangle.top=2\nRectangle.bottom=4\nRectangle.right=3\n"),
              std::string::npos)
        << "members in the order left, top, bottom, right";
    EXPECT_EQ(ini.ReadPlacement("S", "WINDOWPLACEMENT", {}), placement);
    EXPECT_EQ(ini.ReadPoint("S", "Where", {}), (WindowPoint{7, 8}));
    const WindowRect fallback{5, 6, 7, 8};
    EXPECT_EQ(ini.ReadRect("S", "Nothing", fallback), fallback) << "missing members keep the current value";
}

class GeneratorConfigOutputTest : public GeneratorConfigTest
{
protected:
    void SetUp() override
    {
        if (!testsupport::AlsaTestConfig::Available())
            GTEST_SKIP() << "no ALSA configuration on this machine";
        m_alsa.SetDefaultPlaybackFile(File("out.raw"));
        m_alsa.Apply();
        m_wnd.SetNotifications(&m_notes);
        m_wnd.Create();
        m_wnd.OnFirstPaint();
    }

    testsupport::AlsaTestConfig m_alsa{m_home.Root()};
    RecordingNotifications m_notes;
    CGeneratorWnd m_wnd;
};

TEST_F(GeneratorConfigOutputTest, WithoutAPanelThreeSectionsAreWritten)
{
    CWindow_settings mainframe;
    ASSERT_TRUE(m_wnd.SaveConfig(File("config.ini"), mainframe));
    EXPECT_EQ(Sections(File("config.ini")),
              (std::vector<std::string>{"Generator", "Generator.Filter Designer", "Generator.Mainframe"}));
    EXPECT_TRUE(m_notes.messages.empty());
}

TEST_F(GeneratorConfigOutputTest, APathOf1024CharactersIsRefusedWithAMessage)
{
    CWindow_settings mainframe;
    const std::filesystem::path tooLong = m_home.Root() / std::string(1024, 'x');
    EXPECT_FALSE(m_wnd.SaveConfig(tooLong, mainframe));
    EXPECT_FALSE(m_wnd.LoadConfig(tooLong, mainframe));
    ASSERT_EQ(m_notes.messages.size(), 2u);
    EXPECT_NE(m_notes.messages[0].find("too long"), std::string::npos) << m_notes.messages[0];
}

TEST_F(GeneratorConfigOutputTest, ALoadTakesTheNewRateIntoARunningOutput)
{
    m_wnd.OnStart();
    ASSERT_TRUE(m_wnd.IsRunning());
    ASSERT_EQ(m_wnd.m_soundOut.m_pStream->m_format.samplesPerSec, 44100u);
    ASSERT_TRUE(
        testsupport::WriteBytes(File("rate.ini"), "[Generator]\nSamplerate=48000.000000\nFrequency=500\n"));
    CWindow_settings mainframe;
    ASSERT_TRUE(m_wnd.LoadConfig(File("rate.ini"), mainframe));
    EXPECT_EQ(m_wnd.m_generator.m_settings.m_sample_rate, 48000);
    EXPECT_EQ(m_wnd.m_waveFormat.samplesPerSec, 48000u);
    EXPECT_EQ(m_wnd.m_waveFormat.avgBytesPerSec, 192000u);
    ASSERT_TRUE(m_wnd.IsRunning()) << "the output runs on";
    EXPECT_EQ(m_wnd.m_soundOut.m_pStream->m_format.samplesPerSec, 48000u);
    EXPECT_EQ(m_wnd.m_generator.m_settings.m_frequency, 500.0);
    m_wnd.OnStop();
    EXPECT_TRUE(m_notes.messages.empty());
}

}  // namespace
