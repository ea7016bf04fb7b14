// The phonetogram's commands of a measurement window on the engine's simulated input: switched on
// with its analysis set-up, the microphone's capture volume and its level window, its files, its
// display modes, and its settings dialog in milliseconds while the phonetogram keeps seconds.
#include "dsp/FftWindow.h"
#include "engine/InputMixer.h"
#include "engine/SoundIn.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/PhonetogramCommands.h"
#include "view/ui/PhonetogramSettingsDlg.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

TEST(PhonetogramMicrophoneTest, TheLastPreferredMicrophoneInTheListIsChosenElseTheFirstDevice)
{
    struct Case
    {
        std::vector<std::string> names;
        int expected;
    };
    const std::vector<Case> cases = {
        {{}, 0},
        {{"default", "HDA Intel PCH"}, 0},
        {{"default", "USB Studio Microphone", "HDA"}, 1},
        {{"default", "PRONOMIC USB-M900        ", "USB Studio Microphone"}, 2},
        {{"USB Studio Microphone", "PRONOMIC USB-M900        ", "x"}, 1},
        {{"default", "PRONOMIC USB-M900"}, 0},  // the name holds its blanks
        {{"default", "usb studio microphone"}, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(phonetogram_commands::ChooseMicrophone(c.names), c.expected)
            << testing::PrintToString(c.names);
}

class RecordingMixer : public CInputMixerBase
{
public:
    void SetVolume(int level) override { volumes.push_back(level); }
    std::vector<int> volumes;
};

class SndViewPhonetogramTest : public testsupport::TempHomeTest, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(1024, kFftWindowHamming));
        View().m_pPhonetogramMixer = &m_mixer;
    }
    void TearDown() override { CloseLiveView(); }

    RecordingMixer m_mixer;
};

TEST_F(SndViewPhonetogramTest, SwitchesOnWithItsAnalysisTheCaptureVolumeAndALevelWindowAndOffAgain)
{
    m_engine.m_nWeightingType = 1;
    m_engine.m_bWindowEnable = 0;
    EXPECT_FALSE(View().IsCommandChecked(view_command::kPhonetogram));
    View().OnCommand(view_command::kPhonetogram);
    EXPECT_TRUE(View().IsCommandChecked(view_command::kPhonetogram));
    EXPECT_EQ(View().GetViewMode(), 288);
    EXPECT_EQ(m_engine.m_nFftSize, 4096);
    EXPECT_EQ(m_engine.m_nWindowType, kFftWindowHanning);
    EXPECT_EQ(m_engine.m_bWindowEnable, 1);
    EXPECT_EQ(m_engine.m_nWeightingType, 0);
    EXPECT_EQ(m_engine.m_phonetogram.m_active.load(), 1);
    // The capture volume full on the chosen device (no preferred microphone here: device 0).
    ASSERT_EQ(m_mixer.volumes, std::vector<int>{100});
    EXPECT_EQ(m_mixer.m_nDeviceId, 0);
    // One parameter window, with the RMS level.
    ASSERT_EQ(View().GetParamViews().GetCount(), 1);
    EXPECT_EQ(View().GetParamViews().GetState(0).nParameter, 8);
    EXPECT_TRUE(m_frameServices.messages.empty());

    View().OnCommand(view_command::kPhonetogram);
    EXPECT_FALSE(View().IsCommandChecked(view_command::kPhonetogram));
    EXPECT_NE(View().GetViewMode(), 288);
    EXPECT_EQ(m_mixer.volumes.size(), 1u) << "switching off leaves the mixer alone";
}

TEST_F(SndViewPhonetogramTest, DisplayModesCarryTheirCheckMarks)
{
    using namespace view_command;
    EXPECT_TRUE(View().IsCommandChecked(kPhonetogramFast));
    EXPECT_FALSE(View().IsCommandChecked(kPhonetogramSingleTones));
    View().OnCommand(kPhonetogramSingleTones);
    EXPECT_FALSE(View().IsCommandChecked(kPhonetogramFast));
    EXPECT_TRUE(View().IsCommandChecked(kPhonetogramSingleTones));
    View().OnCommand(kPhonetogramFast);
    EXPECT_TRUE(View().IsCommandChecked(kPhonetogramFast));
    EXPECT_FALSE(View().IsCommandChecked(kPhonetogramSingleTones));
}

TEST_F(SndViewPhonetogramTest, SavesAndLoadsItsFileAndTellsAFileItCannotRead)
{
    CPhonetogram& p = m_engine.m_phonetogram;
    auto put = [&p](int count)
    {
        p.m_pointCount = count;
        for (int i = 0; i < count; ++i)
        {
            p.m_points[static_cast<std::size_t>(i)].m_pitch = 100.0f + static_cast<float>(i);
            p.m_points[static_cast<std::size_t>(i)].m_level = 0.5f;
            p.m_points[static_cast<std::size_t>(i)].m_time = 0.1f * static_cast<float>(i);
        }
    };
    put(40);
    const std::filesystem::path file = m_home.File("voice");  // the dialog adds ".ptg"
    std::string answer = file.string();
    platform::ui::ScopedFileDialogResponder files(
        [&answer](const platform::ui::FileDialogRequest& request)
        {
            EXPECT_EQ(request.wildcard, "Phonetogram files (*.ptg)|*.ptg");
            return answer;
        });
    View().OnCommand(view_command::kPhonetogramSave);
    const std::filesystem::path saved = m_home.File("voice.ptg");
    ASSERT_TRUE(std::filesystem::exists(saved));

    put(3);
    answer = saved.string();
    View().OnCommand(view_command::kPhonetogramLoad);
    EXPECT_EQ(p.m_pointCount, 40);
    EXPECT_FLOAT_EQ(p.m_points[39].m_pitch, 139.0f);
    EXPECT_TRUE(View().IsCommandChecked(view_command::kPhonetogram)) << "the window shows what was loaded";
    EXPECT_EQ(View().GetViewMode(), 288);
    EXPECT_TRUE(m_frameServices.messages.empty());

    // A file that is not a phonetogram: told, and the data stays.
    const std::filesystem::path junk = m_home.File("junk.ptg");
    std::ofstream(junk) << "not a phonetogram";
    answer = junk.string();
    View().OnCommand(view_command::kPhonetogramLoad);
    EXPECT_EQ(p.m_pointCount, 40);
    ASSERT_EQ(m_frameServices.messages.size(), 1u);
    EXPECT_NE(m_frameServices.messages[0].find(junk.string()), std::string::npos);

    // Cancel does nothing.
    answer.clear();
    View().OnCommand(view_command::kPhonetogramLoad);
    EXPECT_EQ(m_frameServices.messages.size(), 1u);
}

TEST_F(SndViewPhonetogramTest, SettingsShowTheInterruptionInMillisecondsAndKeepSeconds)
{
    CPhonetogram& p = m_engine.m_phonetogram;
    p.m_maxPointGap = 0.2;
    p.m_toneSegmentLength = 1.5;
    auto edit = [](wxWindow& d, int id) { return dynamic_cast<wxTextCtrl*>(d.FindWindow(id)); };
    std::vector<std::string> boxes;
    platform::ui::ScopedMessageBoxResponder answer(
        [&boxes](const platform::ui::MessageBoxRequest& request)
        {
            boxes.push_back(request.text);
            return wxID_OK;
        });
    std::size_t ran = testsupport::RunWithSteps(
        [this] { View().OnCommand(view_command::kPhonetogramSettings); },
        {testsupport::On<CPhonetogramSettingsDlg>(
             [&](CPhonetogramSettingsDlg& d)
             {
                 EXPECT_EQ(std::atof(edit(d, CPhonetogramSettingsDlg::kMaxInterruption)->GetValue().c_str()),
                           200.0);
                 EXPECT_EQ(std::atof(edit(d, CPhonetogramSettingsDlg::kToneDuration)->GetValue().c_str()),
                           1.5);
                 edit(d, CPhonetogramSettingsDlg::kMaxInterruption)->SetValue("350");
                 edit(d, CPhonetogramSettingsDlg::kToneDuration)->SetValue("5");  // beyond 1 .. 4
                 testsupport::Press(d, wxID_OK);
             }),
         testsupport::On<CPhonetogramSettingsDlg>(
             [&](CPhonetogramSettingsDlg& d)
             {
                 EXPECT_EQ(boxes.size(), 1u) << "the range is told and the dialog stays";
                 edit(d, CPhonetogramSettingsDlg::kToneDuration)->SetValue("2");
                 d.Raise();
                 for (int i = 0; i < 20; ++i)
                 {
                     wxTheApp->Yield(true);
                     std::this_thread::sleep_for(std::chrono::milliseconds(20));
                 }
                 const wxImage picture = platform::ui::CaptureScreen(d.GetScreenRect());
                 EXPECT_TRUE(picture.IsOk());
                 const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
                 std::filesystem::create_directories(folder);
                 picture.SaveFile((folder / "phonetogram-settings.png").string(), wxBITMAP_TYPE_PNG);
                 testsupport::Press(d, wxID_OK);
             })});
    EXPECT_EQ(ran, 2u);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_DOUBLE_EQ(p.m_maxPointGap, 0.35);
    EXPECT_DOUBLE_EQ(p.m_toneSegmentLength, 2.0);

    // Cancel keeps the settings.
    ran =
        testsupport::RunWithSteps([this] { View().OnCommand(view_command::kPhonetogramSettings); },
                                  {testsupport::On<CPhonetogramSettingsDlg>(
                                      [&](CPhonetogramSettingsDlg& d)
                                      {
                                          edit(d, CPhonetogramSettingsDlg::kMaxInterruption)->SetValue("10");
                                          testsupport::Press(d, wxID_CANCEL);
                                      })});
    EXPECT_EQ(ran, 1u);
    EXPECT_DOUBLE_EQ(p.m_maxPointGap, 0.35);
}

}  // namespace
