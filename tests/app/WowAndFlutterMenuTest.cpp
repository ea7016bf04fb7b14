// Wow and flutter reached through Tessarin's own menu: a 3150 Hz tone frequency-modulated at 4 Hz
// with a known deviation goes through the real engine, the settings dialog switches the analysis
// on, and the results window reads the deviation.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "engine/InputDevice.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"
#include "view/ui/FlutrixDlgs.h"
#include "view/ui/SndViewWindow.h"

namespace
{

constexpr double kCarrier = 3150.0;
constexpr double kModulation = 4.0;
constexpr double kDeviation = 31.5;  // Hz: 1 % of the carrier

// A tone of kCarrier Hz whose frequency swings by ±kDeviation at kModulation Hz, on every channel,
// delivered at four times real time.
class FmToneInput : public CInputDevice
{
public:
    ~FmToneInput() override { Close(); }
    int Open(const InputDeviceConfig& config, CInputBlockSink& sink) override
    {
        m_config = config;
        m_sink = &sink;
        m_run = true;
        m_thread = std::thread([this] { Run(); });
        return 0;
    }
    void Pause() override { m_paused = true; }
    void Resume() override { m_paused = false; }
    void Close() override
    {
        m_run = false;
        if (m_thread.joinable())
            m_thread.join();
    }
    std::string GetLastError() const override { return {}; }

private:
    void Run()
    {
        const int channels = m_config.channels;
        const int frames = m_config.bufferFrames;
        const double rate = m_config.sampleRate;
        std::vector<float> block(static_cast<std::size_t>(frames * channels));
        const auto period = std::chrono::microseconds(static_cast<long long>(frames / rate / 4 * 1e6));
        while (m_run)
        {
            if (!m_paused)
            {
                for (int i = 0; i < frames; ++i, ++m_frame)
                {
                    const double t = static_cast<double>(m_frame) / rate;
                    const double phase =
                        2.0 * std::numbers::pi * kCarrier * t -
                        kDeviation / kModulation * std::cos(2.0 * std::numbers::pi * kModulation * t);
                    const float x = static_cast<float>(0.5 * std::sin(phase));
                    for (int c = 0; c < channels; ++c)
                        block[static_cast<std::size_t>(i * channels + c)] = x;
                }
                m_sink->OnFloatBlock(block, frames);
            }
            std::this_thread::sleep_for(period);
        }
    }

    InputDeviceConfig m_config;
    CInputBlockSink* m_sink = nullptr;
    std::thread m_thread;
    std::atomic<bool> m_run{false};
    std::atomic<bool> m_paused{false};
    long long m_frame = 0;
};

class WowAndFlutterMenuTest : public testsupport::EngineFrameFixture
{
};

// A value of a text such as "31.5Hz" or "0.707%".
double Number(const wxString& text)
{
    return std::stod(text.ToStdString());
}

TEST_F(WowAndFlutterMenuTest, TheResultsWindowReadsTheDeviationOfAModulatedTone)
{
    m_app->OnFileNew();
    wxTheApp->Yield(true);
    CSndView* view = m_frame->GetActiveView();
    ASSERT_NE(view, nullptr);
    auto* window = dynamic_cast<CSndViewWindow*>(view->GetWindow());
    ASSERT_NE(window, nullptr);
    CFlutrixResultsDlg* results = window->GetWowAndFlutterWindow();
    ASSERT_NE(results, nullptr);
    EXPECT_FALSE(results->IsShown());
    // Before the analysis sends values the window shows its start values.
    EXPECT_EQ(results->GetControlText(CFlutrixResultsDlg::kIdCentre), "3000.0Hz");
    EXPECT_EQ(results->GetControlText(CFlutrixResultsDlg::kIdPeakPercent), "10.000%");

    m_engine.StopInput();
    m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<FmToneInput>());
    m_engine.m_nInputMode = CSoundIn::kInputSimulated;
    m_engine.m_nSampleRate = 48000;
    g_bDisplayRestart = 1;
    m_engine.m_bProcessingEnabled.store(1);
    view->OnCommand(view_command::kStart);

    // Plug-Ins > Flutrix/wow and flutter: the dialog shows the defaults; "active" switches it on.
    wxMenuItem* item = m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(view_command::kWowAndFlutter));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->GetItemLabelText(), "Flutrix/wow and flutter");
    EXPECT_FALSE(MenuChecked(view_command::kWowAndFlutter));
    {
        testsupport::FillAndConfirm answer(
            [](wxDialog& dialog)
            {
                auto* centre = static_cast<wxTextCtrl*>(dialog.FindWindow(CFlutrixSettingsDlg::kIdCentre));
                auto* active = static_cast<wxCheckBox*>(dialog.FindWindow(CFlutrixSettingsDlg::kIdActive));
                ASSERT_NE(centre, nullptr);
                ASSERT_NE(active, nullptr);
                EXPECT_EQ(std::stod(centre->GetValue().ToStdString()), kCarrier);
                active->SetValue(true);
            });
        RunCommand(view_command::kWowAndFlutter);
        EXPECT_EQ(answer.m_shown, 1);
    }
    EXPECT_TRUE(MenuChecked(view_command::kWowAndFlutter));
    EXPECT_TRUE(results->IsShown());

    // The peak is held over 2 s, the RMS settles with 2 s: 16 s of signal at four times real time.
    Pump(4000);
    EXPECT_EQ(results->GetControlText(CFlutrixResultsDlg::kIdCentre), "3150.0Hz");
    EXPECT_NEAR(Number(results->GetControlText(CFlutrixResultsDlg::kIdPeakHz)), kDeviation,
                0.02 * kDeviation);
    EXPECT_NEAR(Number(results->GetControlText(CFlutrixResultsDlg::kIdPeakPercent)), 1.0, 0.02);
    EXPECT_NEAR(Number(results->GetControlText(CFlutrixResultsDlg::kIdRmsHz)), kDeviation / std::sqrt(2.0),
                0.02 * kDeviation / std::sqrt(2.0));
    EXPECT_NEAR(Number(results->GetControlText(CFlutrixResultsDlg::kIdMeanHz)), 0.0, 0.02 * kDeviation);
    EXPECT_EQ(results->GetControlText(CFlutrixResultsDlg::kIdBandwidth).Left(3), "+/-");
    EXPECT_EQ(results->GetControlText(CFlutrixResultsDlg::kIdWeighting), "");
    testsupport::SavePicture(results, "tessarin-wow-and-flutter.png");

    // Switched off again in the dialog: no check mark, the window goes.
    {
        testsupport::FillAndConfirm answer(
            [](wxDialog& dialog) {
                static_cast<wxCheckBox*>(dialog.FindWindow(CFlutrixSettingsDlg::kIdActive))->SetValue(false);
            });
        RunCommand(view_command::kWowAndFlutter);
    }
    EXPECT_FALSE(MenuChecked(view_command::kWowAndFlutter));
    EXPECT_FALSE(results->IsShown());
    m_engine.StopInput();
}

// The settings dialog refuses values outside their ranges and keeps the ones it had.
TEST_F(WowAndFlutterMenuTest, SettingsOutsideTheirRangesAreRefused)
{
    struct Case
    {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {CFlutrixSettingsDlg::kIdCentre, "-1"}, {CFlutrixSettingsDlg::kIdCentre, "1000001"},
        {CFlutrixSettingsDlg::kIdMean, "1001"}, {CFlutrixSettingsDlg::kIdPeak, "-0.5"},
        {CFlutrixSettingsDlg::kIdRms, "abc"},
    };
    int messages = 0;
    platform::ui::ScopedMessageBoxResponder boxes{[&](const platform::ui::MessageBoxRequest&)
                                                  {
                                                      ++messages;
                                                      return wxID_OK;
                                                  }};
    WowAndFlutterSettings settings;
    std::vector<double> bandwidths{100.0, 200.0, 400.0};
    for (const Case& c : cases)
    {
        CFlutrixSettingsDlg dialog(m_frame, settings, bandwidths);
        dialog.TransferDataToWindow();
        static_cast<wxTextCtrl*>(dialog.FindWindow(c.id))->SetValue(c.text);
        EXPECT_FALSE(dialog.TransferDataFromWindow()) << c.id << " " << c.text;
        EXPECT_EQ(dialog.m_settings.centre, settings.centre);
        EXPECT_EQ(dialog.m_settings.meanTime, settings.meanTime);
    }
    EXPECT_EQ(messages, 5);
    // The bandwidth list shows "%.2f"; the selection and the order come back.
    CFlutrixSettingsDlg dialog(m_frame, settings, bandwidths);
    settings.bandwidthIndex = 1;
    dialog.m_settings.bandwidthIndex = 1;
    dialog.TransferDataToWindow();
    auto* list = static_cast<wxChoice*>(dialog.FindWindow(CFlutrixSettingsDlg::kIdBandwidths));
    EXPECT_EQ(list->GetString(2), "400.00");
    EXPECT_EQ(list->GetSelection(), 1);
    static_cast<wxChoice*>(dialog.FindWindow(CFlutrixSettingsDlg::kIdOrder))->SetStringSelection("8");
    ASSERT_TRUE(dialog.TransferDataFromWindow());
    EXPECT_EQ(dialog.m_settings.order, 8);
    EXPECT_EQ(dialog.m_settings.bandwidthIndex, 1);
}

}  // namespace
