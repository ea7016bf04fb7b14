// The audio recorder and the level monitor's dialog of a measurement window: the recorder started
// and stopped through the window's command on the engine's simulated full-scale 1 kHz sine, its
// window and file; the level monitor's presets and its set-up through the window's command. The
// picture of the recorder window is saved for a look.
#include "common/TextFormatting.h"
#include "engine/AudioFileReader.h"
#include "engine/SoundIn.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/RunProgram.h"
#include "tests/support/TempHome.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/LevelMonitorDlg.h"
#include "view/ui/MeasurementValueDlgs.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <thread>

namespace
{

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

void SaveScreen(wxWindow& window, const std::string& name)
{
    testsupport::LetPaint();
    const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    const wxImage picture = platform::ui::CaptureScreen(window.GetScreenRect());
    ASSERT_TRUE(picture.IsOk());
    EXPECT_TRUE(picture.SaveFile((folder / (name + ".png")).string(), wxBITMAP_TYPE_PNG));
}

// A dialog's picture, taken in a step after the one that meets it first, when it has been mapped
// and painted (taken as it opens, it comes out black); the picture must show a painted face with
// texts on it.
void SaveDialogScreen(wxWindow& window, const std::string& name)
{
    window.Raise();
    for (int i = 0; i < 20; ++i)
    {
        wxTheApp->Yield(true);
        window.Update();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    const wxImage picture = platform::ui::CaptureScreen(window.GetScreenRect());
    ASSERT_TRUE(picture.IsOk());
    std::size_t dark = 0;
    std::size_t light = 0;
    const unsigned char* rgb = picture.GetData();
    for (int i = 0; i < picture.GetWidth() * picture.GetHeight(); ++i, rgb += 3)
    {
        const int sum = rgb[0] + rgb[1] + rgb[2];
        dark += sum < 150;
        light += sum > 600;
    }
    EXPECT_GT(light, dark) << name << ": the dialog's face is painted";
    EXPECT_GT(dark, 0u) << name << ": its texts are there";
    const std::filesystem::path folder = TESSARIN_TEST_OUTPUT_DIR;
    std::filesystem::create_directories(folder);
    EXPECT_TRUE(picture.SaveFile((folder / (name + ".png")).string(), wxBITMAP_TYPE_PNG));
}

// The first static text below the window: the recorder window's time.
wxStaticText* FindLabel(wxWindow& window)
{
    for (wxWindow* child : window.GetChildren())
    {
        if (auto* label = dynamic_cast<wxStaticText*>(child))
            return label;
        if (wxStaticText* inner = FindLabel(*child))
            return inner;
    }
    return nullptr;
}

class SndViewRecorderTest : public testsupport::TempHomeTest, public viewtest::LiveViewParts
{
protected:
    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, 3));
    }
    void TearDown() override
    {
        CSndViewWindow::s_strRecorderFileAnswer.clear();
        CloseLiveView();
    }
    bool WaitUntil(const std::function<bool()>& done)
    {
        const auto limit = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (std::chrono::steady_clock::now() < limit)
        {
            wxTheApp->Yield(true);
            if (done())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return done();
    }
};

TEST_F(SndViewRecorderTest, RecorderCommandRecordsTheInputAndShowsTheTime)
{
    const std::filesystem::path path = m_home.File("Waves/take one.wav");
    std::filesystem::create_directories(path.parent_path());
    CSndViewWindow::s_strRecorderFileAnswer = path.string();
    View().OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(1));
    EXPECT_FALSE(View().IsCommandChecked(view_command::kAudioRecorder));
    View().OnCommand(view_command::kAudioRecorder);
    ASSERT_TRUE(View().IsCommandChecked(view_command::kAudioRecorder));
    ASSERT_NE(m_window->GetRecorderWindow(), nullptr);
    EXPECT_TRUE(m_window->GetRecorderWindow()->IsShown());
    EXPECT_EQ(m_window->GetRecorderWindow()->GetTitle(), "Audio recorder");
    // The window counts the recorded seconds.
    ASSERT_TRUE(WaitUntil(
        [&]
        {
            const wxStaticText* label = FindLabel(*m_window->GetRecorderWindow());
            return label && label->GetLabel() == "00:01";
        }));
    SaveScreen(*m_window->GetRecorderWindow(), "recorder-window");

    m_engine.m_bCalibration = 1;
    m_engine.m_dCalibrationGain = 2.5;
    View().OnCommand(view_command::kAudioRecorder);
    EXPECT_FALSE(View().IsCommandChecked(view_command::kAudioRecorder));
    EXPECT_FALSE(m_window->GetRecorderWindow()->IsShown());
    EXPECT_TRUE(m_frameServices.messages.empty());

    // sox reads what the engine took in: its channels and rate, the full-scale sine at -3 dB RMS.
    const int channels = std::clamp(m_engine.m_nAnalysisChannels, 1, 64);
    EXPECT_EQ(testsupport::RunProgram({"sox", "--i", "-r", path.string()}), std::to_string(kRate) + "\n");
    EXPECT_EQ(testsupport::RunProgram({"sox", "--i", "-c", path.string()}), std::to_string(channels) + "\n");
    const std::string raw =
        testsupport::RunProgram({"sox", path.string(), "-t", "raw", "-e", "floating-point", "-b", "32", "-"});
    std::vector<float> samples(raw.size() / sizeof(float));
    std::memcpy(samples.data(), raw.data(), samples.size() * sizeof(float));
    ASSERT_GT(samples.size(), static_cast<std::size_t>(kRate * channels));
    double sum = 0.0;
    for (float s : samples)
        sum += static_cast<double>(s) * s;
    EXPECT_NEAR(10.0 * std::log10(sum / static_cast<double>(samples.size())), -3.0103, 0.05);
    std::array<double, 257> factors{};
    ASSERT_EQ(ReadWaveFileCalibration(path.string(), factors), 1);
    EXPECT_DOUBLE_EQ(factors[256], 2.5);
}

TEST_F(SndViewRecorderTest, RecorderWithoutActiveChannelSaysSo)
{
    CSndViewWindow::s_strRecorderFileAnswer = m_home.File("none.wav").string();
    for (int c = 0; c < CInputChannelMatrix::kChannelCount; ++c)
        View().GetSettings()->m_Channels.GetChannel(c).m_bActive = 0;
    View().OnCommand(view_command::kAudioRecorder);
    EXPECT_FALSE(View().IsCommandChecked(view_command::kAudioRecorder));
    ASSERT_EQ(m_frameServices.messages.size(), 1u);
    EXPECT_EQ(m_frameServices.messages[0], "No channel is active.");
    EXPECT_FALSE(std::filesystem::exists(m_home.File("none.wav")));
}

TEST_F(SndViewRecorderTest, LevelMonitorDialogPresetsAndSetUp)
{
    auto text = [](wxWindow& dialog, int id) { return dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id)); };
    m_engine.m_dLevelShortTime = 1.0;
    m_engine.m_nLevelHistoryLength = 10;
    const std::size_t steps = testsupport::RunWithSteps(
        [&] { View().OnCommand(view_command::kLevelMonitor); },
        {testsupport::On<CLevelMonitorDlg>(
             [&](CLevelMonitorDlg& dialog)
             {
                 ASSERT_TRUE(testsupport::Press(dialog, CLevelMonitorDlg::kPresetIds[5]));  // "1h"
                 EXPECT_EQ(text(dialog, CLevelMonitorDlg::kNumber)->GetValue(), "3600");
                 ASSERT_TRUE(testsupport::Press(dialog, CLevelMonitorDlg::kPresetIds[5]));
                 EXPECT_EQ(text(dialog, CLevelMonitorDlg::kNumber)->GetValue(), "7200");
                 dialog.UpdateDuration();
                 EXPECT_EQ(
                     dynamic_cast<wxStaticText*>(dialog.FindWindow(CLevelMonitorDlg::kDuration))->GetLabel(),
                     wxString::FromUTF8(FormatTimeSpan(7200.0)));
                 ASSERT_TRUE(testsupport::Press(dialog, CLevelMonitorDlg::kActive));
                 text(dialog, CLevelMonitorDlg::kMinFrequency)->SetValue("100");
                 text(dialog, CLevelMonitorDlg::kMaxFrequency)->SetValue("5000");
             }),

         testsupport::On<CLevelMonitorDlg>(
             [](CLevelMonitorDlg& dialog)
             {
                 SaveDialogScreen(dialog, "level-monitor-dialog");
                 testsupport::Press(dialog, wxID_OK);
             })});
    EXPECT_EQ(steps, 2u);
    EXPECT_EQ(m_engine.m_nLevelHistoryLength, 7200);
    EXPECT_EQ(m_engine.m_nLevelMonitorMode, 1);
    EXPECT_DOUBLE_EQ(m_engine.m_dLevelMinFrequency, 100.0);
    EXPECT_DOUBLE_EQ(m_engine.m_dLevelMaxFrequency, 5000.0);
    EXPECT_TRUE(View().IsCommandChecked(view_command::kLevelMonitor));
}

TEST_F(SndViewRecorderTest, LevelMonitorDurationTypedInTheDateAndTimeDialog)
{
    // 1 day and 2 hours at 0.5 s: 93600 s / 0.5 s measurements.
    auto text = [](wxWindow& dialog, int id) { return dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id)); };
    m_engine.m_dLevelShortTime = 0.5;
    m_engine.m_nLevelHistoryLength = 10;
    const std::size_t steps = testsupport::RunWithSteps(
        [&] { View().OnCommand(view_command::kLevelMonitor); },
        {testsupport::On<CLevelMonitorDlg>([](CLevelMonitorDlg& dialog)
                                           { testsupport::Press(dialog, CLevelMonitorDlg::kSetDuration); }),
         testsupport::On<CDateTimeDlg>(
             [&](CDateTimeDlg& dialog)
             {
                 EXPECT_EQ(text(dialog, CDateTimeDlg::kIds[4])->GetValue(), "0");  // 5 s: 0 min
                 text(dialog, CDateTimeDlg::kIds[2])->SetValue("1");
                 text(dialog, CDateTimeDlg::kIds[3])->SetValue("2");
                 text(dialog, CDateTimeDlg::kIds[5])->SetValue("0");
                 testsupport::Press(dialog, wxID_OK);
             }),
         testsupport::On<CLevelMonitorDlg>(
             [&](CLevelMonitorDlg& dialog)
             {
                 EXPECT_EQ(text(dialog, CLevelMonitorDlg::kNumber)->GetValue(), "187200");
                 testsupport::Press(dialog, wxID_OK);
             })});
    EXPECT_EQ(steps, 3u);
    EXPECT_EQ(m_engine.m_nLevelHistoryLength, 187200);
}

}  // namespace
