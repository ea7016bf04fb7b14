#include "app/AnalyzerApp.h"
#include "engine/InputMixer.h"
#include "platform/Places.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"

#include <gtest/gtest.h>
#include <wx/defs.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace
{

class RecordingMixer : public CInputMixerBase
{
public:
    void Unmute() override { m_calls.push_back("Unmute"); }
    void SetVolume(int level) override { m_calls.push_back("SetVolume " + std::to_string(level)); }
    void SetAgc(int on) override { m_calls.push_back("SetAgc " + std::to_string(on)); }
    void SetMute(int on) override { m_calls.push_back("SetMute " + std::to_string(on)); }
    void MuteMonitor() override { m_calls.push_back("MuteMonitor"); }
    std::vector<std::string> m_calls;
};

// The two "default.cal" files: the program's (next to this test program) and the user's.
class AnalyzerAppSettingsTest : public testsupport::TempHomeTest
{
protected:
    void TearDown() override
    {
        std::error_code error;
        std::filesystem::remove(ProgramFile(), error);
    }
    static std::filesystem::path ProgramFile() { return platform::ProgramFolder() / "default.cal"; }
    std::filesystem::path UserFile() const
    {
        return m_home.Root() / "home" / "Documents" / "Messungen" / "Config" / "default.cal";
    }
    void WriteUserFile(const std::string& text) const
    {
        std::filesystem::create_directories(UserFile().parent_path());
        std::ofstream(UserFile()) << text;
    }
};

TEST_F(AnalyzerAppSettingsTest, WithoutSettingsFilesEverythingKeepsItsDefault)
{
    std::error_code error;
    std::filesystem::remove(ProgramFile(), error);
    RecordingMixer mixer;
    const CAnalyzerApp app(&mixer);
    EXPECT_TRUE(mixer.m_calls.empty());
    EXPECT_EQ(app.m_nGuiMode, 0);
    EXPECT_EQ(app.m_dLoggerInterval, -1.0);
    EXPECT_EQ(app.m_MixerSettings.m_strDeviceName, "USB Au");
    EXPECT_EQ(app.m_MixerSettings.m_dMicVolume, -1.0);
    EXPECT_EQ(app.m_PresetsPanelPos, (std::array<int, 2>{-1, -1}));
    for (const auto& position : app.m_ViewPos)
        EXPECT_EQ(position, (std::array<int, 2>{-1, -1}));
}

TEST_F(AnalyzerAppSettingsTest, MixerCallsFollowTheValuesRead)
{
    struct Case
    {
        const char* mixer;
        std::vector<std::string> calls;
        double storedVolume;
    };
    const Case cases[] = {
        {"Mic Volume=70\nMic AGC=1\n", {"SetVolume 70", "SetAgc 1", "Unmute", "MuteMonitor"}, 70.0},
        // -1 means "not set": no volume call, but -1 is stored.
        {"Mic Volume=-1\nMic AGC=0\n", {"SetAgc 0", "Unmute", "MuteMonitor"}, -1.0},
        // An AGC of -1 leaves out all three of AGC, unmute and monitor.
        {"Mic Volume=10\nMic AGC=-1\n", {"SetVolume 10"}, 10.0},
    };
    for (const Case& c : cases)
    {
        WriteUserFile(std::string("[Mixer]\nDevice ID=3\nDevice Name=Scarlett\n") + c.mixer);
        RecordingMixer mixer;
        const CAnalyzerApp app(&mixer);
        EXPECT_EQ(mixer.m_calls, c.calls) << c.mixer;
        EXPECT_EQ(mixer.m_nDeviceId, 3);
        EXPECT_EQ(mixer.m_strDeviceName, "Scarlett");
        EXPECT_EQ(app.m_MixerSettings.m_dMicVolume, c.storedVolume);
        EXPECT_EQ(app.m_MixerSettings.m_strDeviceName, "Scarlett");
    }
}

TEST_F(AnalyzerAppSettingsTest, UserFileOverridesProgramFileKeyByKey)
{
    std::ofstream(ProgramFile()) << "[GUI]\nMode=1\n[TA Laerm]\nleft=5\ntop=6\nAutolog Intervall=2.5\n"
                                    "Autolog File Name=prog.log\n[Measurement View 10]\nleft=100\ntop=110\n"
                                    "[Measurement View 11]\nleft=7\ntop=7\n";
    WriteUserFile(
        "[TA Laerm]\nleft=50\n[Presets Main]\nleft=20\ntop=30\n[Measurement View 1]\nleft=1\ntop=2\n");
    const CAnalyzerApp app;
    EXPECT_EQ(app.m_nGuiMode, 1);                                  // only in the program's file
    EXPECT_EQ(app.m_NoiseReportPos, (std::array<int, 2>{50, 6}));  // left overridden, top kept
    EXPECT_EQ(app.m_dLoggerInterval, 2.5);
    // The logger file name has no "value so far" default: the user's file without it empties it.
    EXPECT_EQ(app.m_strLoggerFileName, "");
    EXPECT_EQ(app.m_PresetsPanelPos, (std::array<int, 2>{20, 30}));
    EXPECT_EQ(app.m_ViewPos[0], (std::array<int, 2>{1, 2}));
    EXPECT_EQ(app.m_ViewPos[9], (std::array<int, 2>{100, 110}));
    // Only the sections 1 to 10 are read.
    EXPECT_EQ(app.m_ViewPos[10], (std::array<int, 2>{-1, -1}));
    const std::vector<std::string>& trace = app.GetTrace();
    ASSERT_EQ(trace.size(), 3u);
    EXPECT_EQ(trace[1], "settings file " + ProgramFile().string());
    EXPECT_EQ(trace[2], "settings file " + UserFile().string());
}

TEST_F(AnalyzerAppSettingsTest, DamagedSettingsFileIsReadWithoutHarm)
{
    std::string garbage = "[Mixer]\nMic Volume=abc\nDevice Name=";
    garbage += std::string(5000, 'x');
    garbage += "\n\xff\xfe\x00\x01[GUI\nMode=\n[Measurement View 1]\nleft=99999999999999999999\n";
    WriteUserFile(garbage);
    RecordingMixer mixer;
    const CAnalyzerApp app(&mixer);
    EXPECT_LE(app.m_MixerSettings.m_strDeviceName.size(), 1024u);
    EXPECT_EQ(app.m_nGuiMode, 0);
}

}  // namespace

namespace
{

TEST(AnalyzerAppHelp, FileNameAndTopics)
{
    EXPECT_EQ(CAnalyzerApp::GetHelpFileName("de"), "Tessarin_de.chm");
    EXPECT_EQ(CAnalyzerApp::GetHelpFileName("en"), "Tessarin.chm");
    EXPECT_EQ(CAnalyzerApp::GetHelpFileName("deu"), "Tessarin.chm");
    struct Case
    {
        unsigned long context;
        int topic;
    };
    // The low 16 bits decide; unlisted contexts open the start page (0).
    for (const Case c :
         {Case{57600, 1}, Case{57601, 2}, Case{57603, 3}, Case{57635, 4}, Case{57634, 5}, Case{57637, 6},
          Case{57607, 7}, Case{57664, 8}, Case{57609, 9}, Case{100, 100}, Case{14, 101}, Case{103, 103},
          Case{0x30000 + 57600, 1}, Case{57602, 0}, Case{15, 0}})
        EXPECT_EQ(CAnalyzerApp::GetHelpTopic(c.context), c.topic) << c.context;
}

class AnalyzerAppMessageBoxTest : public testsupport::TempHomeTest
{
};

TEST_F(AnalyzerAppMessageBoxTest, CaptionAndExclamationIconRule)
{
    if (!testsupport::WxStarted())
        GTEST_SKIP() << "no display";
    ::unsetenv("TESSARIN_TEST_ANSWERS");
    CAnalyzerApp app;
    platform::ui::MessageBoxRequest seen;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            seen = request;
            return wxID_YES;
        });
    struct Case
    {
        long style;
        long expected;
    };
    const Case cases[] = {
        {wxOK, wxOK | wxICON_EXCLAMATION},
        {wxOK | wxCANCEL, wxOK | wxCANCEL | wxICON_EXCLAMATION},
        {wxYES_NO, wxYES_NO | wxICON_EXCLAMATION},
        {wxYES_NO | wxCANCEL, wxYES_NO | wxCANCEL | wxICON_EXCLAMATION},
        // A box that names its icon keeps it.
        {wxYES_NO | wxICON_QUESTION | wxNO_DEFAULT, wxYES_NO | wxICON_QUESTION | wxNO_DEFAULT},
        {wxOK | wxICON_INFORMATION, wxOK | wxICON_INFORMATION},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(app.DoMessageBox("text", c.style), wxID_YES);
        EXPECT_EQ(seen.style, c.expected) << c.style;
        EXPECT_EQ(seen.caption, "Halvek");
        EXPECT_EQ(seen.text, "text");
    }
}

}  // namespace
