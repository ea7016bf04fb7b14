#include "engine/GeneratorChannelSettings.h"
#include "tests/support/NumericLocale.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace
{

std::vector<int> ListA(const CGenerator_channel_settings& c)
{
    return {c.m_generators_a.begin(), c.m_generators_a.begin() + c.CountA()};
}

std::vector<int> ListB(const CGenerator_channel_settings& c)
{
    return {c.m_generators_b.begin(), c.m_generators_b.begin() + c.CountB()};
}

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(GeneratorRoutingText, ParsesAndFormats)
{
    const struct
    {
        const char* text;
        std::vector<int> a;
        std::vector<int> b;
        const char* formatted;
    } cases[] = {
        {"1a 2A 10B x 0A", {0, 1}, {9}, "1A 2A 10B "},
        {"1A 2A 3A 4A 5A ", {0, 1, 2, 3, 4}, {}, "1A 2A 3A 4A 5A "},
        {"  3b   3B 7 11A -1A 12b ", {6}, {2, 2}, "7A 3B 3B "},
        {"", {}, {}, ""},
        {"2B 1A", {0}, {1}, "1A 2B "},  // A entries are written first
    };
    for (const auto& c : cases)
    {
        CGenerator_channel_settings channel;
        channel.AddA(4);  // parsing empties the lists first
        channel.ParseGeneratorConfig(c.text);
        EXPECT_EQ(ListA(channel), c.a) << c.text;
        EXPECT_EQ(ListB(channel), c.b) << c.text;
        EXPECT_EQ(channel.FormatGeneratorConfig(), c.formatted) << c.text;
    }
}

TEST(GeneratorRoutingText, EachListTakesAtMost256Entries)
{
    std::string text;
    for (int i = 0; i < 300; ++i)
        text += "1A 2B ";
    CGenerator_channel_settings channel;
    channel.ParseGeneratorConfig(text);
    EXPECT_EQ(channel.CountA(), 256);
    EXPECT_EQ(channel.CountB(), 256);
    EXPECT_FALSE(channel.AddA(0));
}

TEST(GeneratorMatrixSettings, DefaultsAndPresets)
{
    CGeneratorMatrix_settings m;
    m.m_channel[7].m_calibrated = 1;
    m.m_channel[7].m_scale = 3.0;
    m.m_channel[7].m_active = 0;
    m.m_channel[7].m_test_generator = 1;
    m.m_channel[7].m_name = "left";
    m.m_channels = 12;
    m.SetDefaults();
    EXPECT_EQ(m.m_channels, 64);
    for (int k = 0; k < 64; ++k)
    {
        const CGenerator_channel_settings& c = m.m_channel[k];
        EXPECT_EQ(c.FormatGeneratorConfig(), "1A 2A 3A 4A 5A ");
        EXPECT_EQ(c.m_channel, k);
        EXPECT_EQ(c.m_name, std::to_string(k + 1));
        EXPECT_EQ(c.m_active, 1);
        EXPECT_EQ(c.m_test_generator, 0);
        EXPECT_EQ(c.m_calibrated, 0);
        EXPECT_EQ(c.m_scale, 1.0);
    }

    // Preset, channel, its A and B lists.
    const struct
    {
        CGeneratorMatrix_settings::Preset preset;
        int channel;
        std::vector<int> a;
        std::vector<int> b;
    } cases[] = {
        {CGeneratorMatrix_settings::Preset::OneToOne, 0, {0}, {}},
        {CGeneratorMatrix_settings::Preset::OneToOne, 13, {3}, {}},
        {CGeneratorMatrix_settings::Preset::OneToOne, 63, {3}, {}},
        {CGeneratorMatrix_settings::Preset::Stereo, 0, {0}, {}},
        {CGeneratorMatrix_settings::Preset::Stereo, 1, {}, {0}},
        {CGeneratorMatrix_settings::Preset::Stereo, 6, {3}, {}},
        {CGeneratorMatrix_settings::Preset::Stereo, 7, {}, {3}},
        {CGeneratorMatrix_settings::Preset::Stereo, 41, {}, {0}},  // pair 20 wraps to generator 1
        {CGeneratorMatrix_settings::Preset::Generators5, 50, {0, 1, 2, 3, 4}, {}},
    };
    for (const auto& c : cases)
    {
        CGeneratorMatrix_settings preset;
        preset.m_channel[c.channel].ParseGeneratorConfig("9A 9B");
        preset.ApplyPreset(c.preset);
        EXPECT_EQ(ListA(preset.m_channel[c.channel]), c.a) << c.channel;
        EXPECT_EQ(ListB(preset.m_channel[c.channel]), c.b) << c.channel;
    }
}

TEST(GeneratorMatrixSettings, CopyAndResetCalibration)
{
    CGeneratorMatrix_settings source;
    source.SetDefaults();
    source.m_channels = 10;
    CGenerator_channel_settings& c = source.m_channel[40];
    c.m_scale = 2.0;
    c.m_scale_db = 6.0;
    c.m_pre_scale = 0.5;
    c.m_pre_scale_db = -6.0;
    c.m_calibrated = 1;
    c.m_calibration_reference = 0.3;
    c.m_calibration_factor = 4.0;
    c.m_calibrated_target = 0.25;
    c.m_calibration_type = 2;
    c.m_name = "sub";
    c.ParseGeneratorConfig("10B 3A");
    CGeneratorMatrix_settings copy;
    copy.Copy(source);
    EXPECT_EQ(copy.m_channels, 10);
    EXPECT_EQ(copy.m_channel[40].m_name, "sub");
    EXPECT_EQ(copy.m_channel[40].FormatGeneratorConfig(), "3A 10B ");
    EXPECT_EQ(copy.m_channel[40].m_calibration_factor, 4.0);

    copy.m_channel[40].ResetCalibration();
    const CGenerator_channel_settings& r = copy.m_channel[40];
    EXPECT_EQ(r.m_scale, 1.0);
    EXPECT_EQ(r.m_scale_db, 0.0);
    EXPECT_EQ(r.m_pre_scale, 1.0);
    EXPECT_EQ(r.m_pre_scale_db, 0.0);
    EXPECT_EQ(r.m_calibrated, 0);
    EXPECT_EQ(r.m_calibration_reference, 0.0);
    EXPECT_EQ(r.m_calibration_factor, 1.0);
    EXPECT_EQ(r.m_calibrated_target, 1.0);
    EXPECT_EQ(r.m_calibration_type, 0);
    // The routing and the name are no part of the calibration.
    EXPECT_EQ(r.FormatGeneratorConfig(), "3A 10B ");
    EXPECT_EQ(r.m_name, "sub");
    source.ResetCalibration();
    EXPECT_EQ(source.m_channel[40].m_calibration_factor, 1.0);
}

class GeneratorMatrixIni : public testsupport::TempHomeTest
{
};

TEST_F(GeneratorMatrixIni, DefaultsWriteSixtyFourSections)
{
    testsupport::DecimalCommaLocale comma;  // numbers in the file keep the decimal point
    CGeneratorMatrix_settings m;
    m.SetDefaults();
    const std::filesystem::path path = m_home.File("calibration.ini");
    std::filesystem::create_directories(path.parent_path());
    ASSERT_TRUE(m.WriteIni(path.string()));
    std::string expected = "[Output Channel Matrix]\nChannels=64\n";
    for (int i = 1; i <= 64; ++i)
        expected += "[Output Channel Matrix CH#" + std::to_string(i) +
                    "]\n"
                    "Active=True\n"
                    "Output Channel=" +
                    std::to_string(i - 1) +
                    "\n"
                    "Calibrated=False\n"
                    "Scale dB=0.000000\n"
                    "Scale=1.000000\n"
                    "Pre Scale=1.000000\n"
                    "Pre Scale dB=0.000000\n"
                    "Calibration Factor=1.000000\n"
                    "Calibration Reference=0.000000\n"
                    "Calibrated Target Value=1.000000\n"
                    "Calibration Type=0\n"
                    "Name=" +
                    std::to_string(i) +
                    "\n"
                    "Test Generator=False\n"
                    "Generators A=5\n"
                    "Generators B=0\n"
                    "Generator Config=1A 2A 3A 4A 5A \n";
    EXPECT_EQ(ReadText(path), expected);
}

TEST_F(GeneratorMatrixIni, RoundTripKeepsOtherSections)
{
    const std::filesystem::path path = m_home.File("calibration.ini");
    std::filesystem::create_directories(path.parent_path());
    {
        std::ofstream out(path);
        out << "[Input Channel Matrix]\nChannels=64\n";
    }
    CGeneratorMatrix_settings written;
    written.SetDefaults();
    CGenerator_channel_settings& c = written.m_channel[63];
    c.m_active = 0;
    c.m_channel = 17;
    c.m_calibrated = 1;
    c.m_scale = 2.5;
    c.m_scale_db = -3.25;
    c.m_pre_scale = 0.125;
    c.m_pre_scale_db = 1.5;
    c.m_calibration_factor = 0.707107;
    c.m_calibration_reference = 94.0;
    c.m_calibrated_target = 0.5;
    c.m_calibration_type = 2;
    c.m_name = "Sub woofer";
    c.m_test_generator = 1;
    c.ParseGeneratorConfig("2A 10B 4B");
    ASSERT_TRUE(written.WriteIni(path.string()));
    EXPECT_NE(ReadText(path).find("[Input Channel Matrix]\nChannels=64\n"), std::string::npos);

    CGeneratorMatrix_settings read;
    read.SetDefaults();
    read.ReadIni(path.string());
    for (int k = 0; k < 64; ++k)
    {
        const CGenerator_channel_settings& a = written.m_channel[k];
        const CGenerator_channel_settings& b = read.m_channel[k];
        EXPECT_EQ(b.m_active, a.m_active);
        EXPECT_EQ(b.m_channel, a.m_channel);
        EXPECT_EQ(b.m_calibrated, a.m_calibrated);
        EXPECT_EQ(b.m_scale, a.m_scale);
        EXPECT_EQ(b.m_scale_db, a.m_scale_db);
        EXPECT_EQ(b.m_pre_scale, a.m_pre_scale);
        EXPECT_EQ(b.m_pre_scale_db, a.m_pre_scale_db);
        EXPECT_EQ(b.m_calibration_factor, a.m_calibration_factor);
        EXPECT_EQ(b.m_calibration_reference, a.m_calibration_reference);
        EXPECT_EQ(b.m_calibrated_target, a.m_calibrated_target);
        EXPECT_EQ(b.m_calibration_type, a.m_calibration_type);
        EXPECT_EQ(b.m_name, a.m_name);
        EXPECT_EQ(b.m_test_generator, a.m_test_generator);
        EXPECT_EQ(b.FormatGeneratorConfig(), a.FormatGeneratorConfig());
    }
}

TEST_F(GeneratorMatrixIni, ReadingKeepsWhatTheFileLacksAndLimitsTheChannel)
{
    const std::filesystem::path path = m_home.File("calibration.ini");
    std::filesystem::create_directories(path.parent_path());
    {
        std::ofstream out(path);
        out << "[Output Channel Matrix]\nChannels=3\n"
               "[Output Channel Matrix CH#2]\nOutput Channel=900\nScale dB=6.5\n"
               "[Output Channel Matrix CH#3]\nOutput Channel=-4\n";
    }
    CGeneratorMatrix_settings m;
    m.SetDefaults();
    m.m_channel[1].m_name = "mine";
    m.ReadIni(path.string());
    EXPECT_EQ(m.m_channels, 64);  // the count key is not applied
    EXPECT_EQ(m.m_channel[1].m_channel, 63);
    EXPECT_EQ(m.m_channel[2].m_channel, 0);
    EXPECT_EQ(m.m_channel[1].m_scale_db, 6.5);
    EXPECT_EQ(m.m_channel[1].m_name, "mine");
    EXPECT_EQ(m.m_channel[1].FormatGeneratorConfig(), "1A 2A 3A 4A 5A ");
    // A missing file changes nothing.
    m.ReadIni(m_home.File("absent.ini").string());
    EXPECT_EQ(m.m_channel[1].m_scale_db, 6.5);
}

TEST_F(GeneratorMatrixIni, UnwritableFileIsReported)
{
    CGeneratorMatrix_settings m;
    m.SetDefaults();
    EXPECT_FALSE(m.WriteIni((m_home.File("no-such-folder") / "calibration.ini").string()));
}

}  // namespace
