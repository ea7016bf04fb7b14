// The octave-band signal-to-noise ratios as the user edits them, their files, and the state of the
// STIPA results window: texts, refusals, the SIGNAL - NOISE rule, the exclusive method boxes and
// the order of the lines on the clipboard.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "applications/StiSnrTexts.h"
#include "applications/StipaResultsState.h"
#include "common/IniFile.h"
#include "tests/support/TempHome.h"

namespace fs = std::filesystem;

namespace
{

class StiSnrFiles : public testsupport::TempHomeTest
{
protected:
    std::string Path(const std::string& name)
    {
        fs::create_directories(m_home.File(name).parent_path());
        return m_home.File(name).string();
    }
    static std::string ReadAll(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
};

StiSnrTexts Texts(const std::string& all)
{
    StiSnrTexts texts;
    texts.fill(all);
    return texts;
}

}  // namespace

TEST(StiSnrTexts, AValueIsShownWithOneDecimalAndNoNoiseAsTwoDashes)
{
    const struct
    {
        double value;
        const char* text;
    } cases[] = {
        {15.0, "15.0"},   {12.25, "12.2"}, {-15.0, "-15.0"}, {0.0, "0.0"},
        {199.9, "199.9"}, {200.0, "--"},   {250.0, "--"},    {1e9, "--"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatStiSnr(c.value, 200.0), c.text) << c.value;

    CStiBandValues values;
    values.m_values[0] = 3.0;
    values.m_values[6] = -4.5;
    const StiSnrTexts texts = MakeStiSnrTexts(values);
    EXPECT_EQ(texts[0], "3.0");
    for (int band = 1; band < 6; ++band)
        EXPECT_EQ(texts[band], "--") << "the default 250 dB means no noise";
    EXPECT_EQ(texts[6], "-4.5");
}

TEST(StiSnrTexts, TextsAreReadWithADecimalCommaAndTwoDashesAsNoNoise)
{
    const struct
    {
        const char* text;
        double value;
    } good[] = {
        {"12,5", 12.5},  {"12.5", 12.5}, {" -7 ", -7.0}, {"--", 250.0},
        {" -- ", 250.0}, {"1e1", 10.0},  {"0", 0.0},
    };
    for (const auto& c : good)
    {
        double value = -1.0;
        EXPECT_TRUE(ParseStiSnr(c.text, 250.0, value)) << c.text;
        EXPECT_DOUBLE_EQ(value, c.value) << c.text;
    }
    // None of these may silently become 0 dB.
    for (const char* bad :
         {"", " ", "abc", "12 dB", "12dB", "1.2.3", "--5", "-", "nan", "inf", "1e999", "x12"})
    {
        double value = 42.0;
        EXPECT_FALSE(ParseStiSnr(bad, 250.0, value)) << '"' << bad << '"';
        EXPECT_EQ(value, 42.0) << bad;
    }
}

TEST(StiSnrTexts, ASetTakesAllSevenTextsOrNone)
{
    CStiBandValues values;
    StiSnrTexts texts = {"1", "2,5", "--", "4", "5", "6", "7"};
    int bad = 99;
    ASSERT_TRUE(ApplyStiSnrTexts(texts, values, bad));
    EXPECT_EQ(bad, -1);
    EXPECT_EQ(values.m_values[0], 1.0);
    EXPECT_EQ(values.m_values[1], 2.5);
    EXPECT_EQ(values.m_values[2], 250.0);
    EXPECT_EQ(values.m_values[6], 7.0);

    ASSERT_TRUE(ApplyStiSnrTexts(Texts("-3"), values, bad));
    texts[4] = "loud";
    EXPECT_FALSE(ApplyStiSnrTexts(texts, values, bad));
    EXPECT_EQ(bad, 4);
    // The bands before it were not taken either.
    for (int band = 0; band < 7; ++band)
        EXPECT_EQ(values.m_values[band], -3.0) << band;
    const std::string message = StiSnrRefusal(bad, texts[4]);
    EXPECT_NE(message.find("\"loud\""), std::string::npos) << message;
    EXPECT_NE(message.find("2000Hz"), std::string::npos) << message;
}

TEST_F(StiSnrFiles, SignalMinusNoiseGivesTheRatioAndSnrOf200OrMoreShowsTwoDashes)
{
    const std::string path = Path("room.sti_snr");
    CStiBandValues signal;
    CStiBandValues noise;
    signal.SetAll(70.0);
    noise.SetAll(60.0);
    signal.m_values[0] = 80.0;
    noise.m_values[0] = 65.0;
    // A band whose noise is far below the signal is noise-free.
    noise.m_values[3] = -150.0;
    ASSERT_TRUE(WriteStiBandValues(path, signal, kStiSetSignal));
    ASSERT_TRUE(WriteStiBandValues(path, noise, kStiSetNoise));
    // The SNR section is overridden when there is a SIGNAL section.
    CStiBandValues snr;
    snr.SetAll(3.0);
    ASSERT_TRUE(WriteStiBandValues(path, snr, kStiSetSnr));

    StiSnrTexts texts = Texts("--");
    LoadStiSnrTexts(path, texts);
    EXPECT_EQ(texts[0], "15.0");
    EXPECT_EQ(texts[1], "10.0");
    EXPECT_EQ(texts[3], "--");
    EXPECT_EQ(texts[6], "10.0");
}

TEST_F(StiSnrFiles, AFileWithoutSignalKeepsItsSnrSectionAndTwoDashesMean250dB)
{
    const std::string path = Path("snr.sti_snr");
    ASSERT_TRUE(SaveStiSnrTexts(path, {"-15.0", "--", "0,5", "3", "4.0", "5.0", "6.0"}));
    // Written unchanged, under the band keys of the SNR section.
    CIniFile ini;
    ASSERT_TRUE(ini.SetFileName(path));
    EXPECT_EQ(ini.ReadString("STI Signal to Noise.SNR", "125Hz", "?"), "-15.0");
    EXPECT_EQ(ini.ReadString("STI Signal to Noise.SNR", "250Hz", "?"), "--");
    EXPECT_EQ(ini.ReadString("STI Signal to Noise.SNR", "8000Hz", "?"), "6.0");
    EXPECT_EQ(ReadAll(path).find("SIGNAL"), std::string::npos);

    StiSnrTexts texts = Texts("9.0");
    LoadStiSnrTexts(path, texts);
    EXPECT_EQ(texts[0], "-15.0");
    EXPECT_EQ(texts[1], "--");
    EXPECT_EQ(texts[3], "3.0");
    // The engine's reader takes "--" as the default of 250 dB.
    CStiBandValues values;
    values.SetAll(1.0);
    ASSERT_TRUE(ReadStiBandValues(path, values, kStiSetSnr));
    EXPECT_EQ(values.m_values[1], 250.0);
    EXPECT_EQ(values.m_values[0], -15.0);
}

TEST_F(StiSnrFiles, AMissingFileOrKeyLeavesTheTextsAsTheyWere)
{
    StiSnrTexts texts = {"1.0", "2.0", "--", "4.0", "5.0", "6.0", "7.0"};
    LoadStiSnrTexts(Path("none.sti_snr"), texts);
    EXPECT_EQ(texts, (StiSnrTexts{"1.0", "2.0", "--", "4.0", "5.0", "6.0", "7.0"}));

    const std::string path = Path("part.sti_snr");
    std::ofstream(path) << "[STI Signal to Noise.SNR]\n500Hz=12.00\n";
    LoadStiSnrTexts(path, texts);
    EXPECT_EQ(texts, (StiSnrTexts{"1.0", "2.0", "12.0", "4.0", "5.0", "6.0", "7.0"}));
}

TEST(StipaResultsState, TheRastiAndStipaBoxesExcludeEachOther)
{
    CStipaResultsState state;
    EXPECT_EQ(state.GetSelectedMethod(), CStipaResultsState::kMethodStipa);
    const struct
    {
        bool rasti;  // which box is clicked
        bool rastiAfter;
        bool ntiAfter;
        int method;
    } steps[] = {
        {true, true, false, CStipaResultsState::kMethodRasti},
        {false, false, true, CStipaResultsState::kMethodNtiStipa},
        {true, true, false, CStipaResultsState::kMethodRasti},
        {true, false, false, CStipaResultsState::kMethodStipa},
        {false, false, true, CStipaResultsState::kMethodNtiStipa},
        {false, false, false, CStipaResultsState::kMethodStipa},
    };
    int step = 0;
    for (const auto& s : steps)
    {
        s.rasti ? state.ToggleRasti() : state.ToggleNtiStipa();
        EXPECT_EQ(state.m_rasti, s.rastiAfter) << step;
        EXPECT_EQ(state.m_ntiStipa, s.ntiAfter) << step;
        EXPECT_EQ(state.GetSelectedMethod(), s.method) << step;
        ++step;
    }
}

TEST(StipaResultsState, TheClipboardTakesTheLinesInTheirOrder)
{
    CStipaResultsState state;
    state.m_stiLine = "0.62 good";
    state.m_mtiLine = "MTI: a";
    state.m_m1Line = "M1: b";
    state.m_m2Line = "M2: c";
    state.m_rastiLines = {"R1", "R2", "R3"};
    state.m_rmsLine = "RMS: d";
    state.m_elapsedLine = "Elapsed Time 15s";

    state.m_method = CStipaResultsState::kMethodStipa;
    EXPECT_EQ(state.MakeClipboardText("male", "female"),
              "0.62 good\r\nMTI: a\r\nM1: b\r\nM2: c\r\nRMS: d\r\nmale\r\nElapsed Time 15s");
    state.m_gender = 1;
    state.m_method = CStipaResultsState::kMethodNtiStipa;
    EXPECT_EQ(state.MakeClipboardText("male", "female"),
              "0.62 good\r\nMTI: a\r\nM1: b\r\nM2: c\r\nRMS: d\r\nfemale\r\nElapsed Time 15s");
    // RASTI adds its three lines and has no gender.
    state.m_method = CStipaResultsState::kMethodRasti;
    EXPECT_EQ(state.MakeClipboardText("male", "female"),
              "0.62 good\r\nMTI: a\r\nM1: b\r\nM2: c\r\nR1\r\nR2\r\nR3\r\nRMS: d\r\n\r\nElapsed Time 15s");
}

TEST_F(StiSnrFiles, RmsSavedAsSignalAndAsNoiseLoadsAsTheirDifference)
{
    const std::string path = Path("rms.sti_snr");
    CStipaResultsState state;
    state.m_rms.SetAll(80.0);
    ASSERT_TRUE(state.SaveRms(path, kStiSetSignal));
    state.m_rms.SetAll(65.0);
    state.m_rms.m_values[2] = 70.5;
    ASSERT_TRUE(state.SaveRms(path, kStiSetNoise));
    EXPECT_FALSE(state.SaveRms(path, kStiSetSnr)) << "the RMS levels are a signal or a noise, never a ratio";

    StiSnrTexts texts = Texts("--");
    LoadStiSnrTexts(path, texts);
    EXPECT_EQ(texts[0], "15.0");
    EXPECT_EQ(texts[2], "9.5");
    EXPECT_EQ(texts[6], "15.0");
}
