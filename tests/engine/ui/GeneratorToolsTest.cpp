// The generator panel's tool windows: the function dialogs (AM, FM, DC offset, burst, distortion),
// the floating sliders, the statistics and the frequency presets, each opened from the panel's menu
// and driven through its own controls; and the rules behind them.
#include "engine/Generator.h"
#include "engine/ui/GeneratorDlg.h"
#include "engine/ui/GeneratorFunctionDlgs.h"
#include "engine/ui/GeneratorToolRules.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/engine/ui/PanelFixture.h"
#include "tests/support/ModalSteps.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>
#include <complex>
#include <numbers>
#include <string>
#include <vector>

namespace
{

using generator_tools::SliderScale;
using testsupport::On;
using testsupport::Pump;
using testsupport::RunWithSteps;

// --- rules

TEST(GeneratorToolRules, SliderMappings)
{
    const struct
    {
        SliderScale scale;
        int position;
        double value;
    } cases[] = {
        {{100.0, 2000.0, 0, 5000, false}, 0, 100.0},
        {{100.0, 2000.0, 0, 5000, false}, 2500, 1050.0},
        {{100.0, 2000.0, 0, 5000, false}, 5000, 2000.0},
        {{-50.0, 50.0, 0, 5000, false}, 2500, 0.0},
        {{100.0, 2000.0, 0, 5000, true}, 0, 100.0},
        {{100.0, 2000.0, 0, 5000, true}, 2500, std::sqrt(100.0 * 2000.0)},  // 447.21 Hz
        {{100.0, 2000.0, 0, 5000, true}, 5000, 2000.0},
        // A log scale whose range starts at 0 (after "Coarse") or below starts at 1 of its unit.
        {{0.0, 100000.0, 0, 5000, true}, 0, 1.0},
        {{0.0, 100000.0, 0, 5000, true}, 2500, std::sqrt(100000.0)},
        {{-85.0, 35.0, 0, 5000, true}, 5000, 35.0},
    };
    for (const auto& c : cases)
    {
        const double value = c.scale.ValueFromPosition(c.position);
        EXPECT_NEAR(value, c.value, 1e-9 * std::max(1.0, c.value)) << c.position;
        EXPECT_TRUE(std::isfinite(value));
        // Back to the position (truncated: within one step).
        EXPECT_NEAR(c.scale.PositionFromValue(c.value), c.position, 1) << c.position;
    }
    const SliderScale hundredTo2k{100.0, 2000.0, 0, 5000, true};
    EXPECT_NEAR(hundredTo2k.ValueFromPosition(2500), 447.2136, 1e-4);
    // Values a scale cannot show stay on the track.
    const SliderScale log{0.0, 2000.0, 0, 5000, true};
    for (const double value : {0.0, -3.0, 0.5, std::nan("")})
        EXPECT_EQ(log.PositionFromValue(value), 0) << value;
    EXPECT_EQ(log.PositionFromValue(1e9), 5000);
    const SliderScale flat{5.0, 5.0, 0, 5000, false};
    EXPECT_EQ(flat.PositionFromValue(5.0), 0);
    EXPECT_EQ(flat.ValueFromPosition(4000), 5.0);
}

TEST(GeneratorToolRules, ValueMessages)
{
    const struct
    {
        double value;
        std::int64_t wParam;
    } cases[] = {{440.0, 4400000}, {1000.0, 10000000}, {-20.0, -200000}, {0.00019, 1}, {-0.00019, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(generator_tools::MessageWParam(c.value), c.wParam) << c.value;
    EXPECT_EQ(generator_tools::kMessageScale, 10000);
}

TEST(GeneratorToolRules, StatisticsLines)
{
    const struct
    {
        double crest, peak1, rms1, peak2, rms2;
        const char* peak1Line;
        const char* rms1Line;
        const char* rms2Line;
        const char* crestLine;
        std::array<int, 4> bars;
    } cases[] = {
        {1.41421356,
         0.5,
         0.35355339,
         0.25,
         0.1767767,
         "Peak   50.00%=-6.02dB",
         "RMS   35.36%=-9.03dB",
         "RMS   17.68%=-15.05dB",
         "Crest   1.41\tbalance  6.02dB",
         {93, 90, 87, 84}},
        {1.0,
         1.0,
         1.0,
         0.0,
         0.0,
         "Peak   100.00%=0.00dB",
         "RMS   100.00%=0.00dB",
         "RMS  -NA-",
         "Crest   1.00\tbalance  -NA-",
         {100, 100, 0, 0}},
        {0.0,
         0.0,
         0.0,
         0.5,
         0.5,
         "Peak  -NA-",
         "RMS  -NA-",
         "RMS   50.00%=-6.02dB",
         "Crest   -NA-\tbalance  -NA-",
         {0, 0, 93, 93}},
        {2.0,
         1e-21,
         1e-21,
         1e-21,
         1e-21,
         "Peak  -NA-",
         "RMS  -NA-",
         "RMS  -NA-",
         "Crest   -NA-\tbalance  -NA-",
         {0, 0, 0, 0}},
    };
    for (const auto& c : cases)
    {
        const auto text = generator_tools::FormatStatistics(c.crest, c.peak1, c.rms1, c.peak2, c.rms2);
        EXPECT_EQ(text.peak1, c.peak1Line);
        EXPECT_EQ(text.rms1, c.rms1Line);
        EXPECT_EQ(text.rms2, c.rms2Line);
        EXPECT_EQ(text.crest, c.crestLine);
        EXPECT_EQ(text.bars, c.bars) << c.peak1Line;
    }
}

TEST(GeneratorToolRules, PresetsUnitsAndDistortion)
{
    const auto presets = generator_tools::DefaultPresets();
    EXPECT_EQ(presets[0], 20.0);
    EXPECT_EQ(presets[12], 440.0);
    EXPECT_EQ(presets[21], 3150.0);
    EXPECT_EQ(presets[27], 16000.0);
    EXPECT_EQ(generator_tools::PresetCaption(440.0), "440.0");
    EXPECT_EQ(generator_tools::PresetCaption(20.0), " 20.0");
    EXPECT_EQ(
        std::vector<std::string>(generator_tools::kBurstUnits.begin(), generator_tools::kBurstUnits.end()),
        (std::vector<std::string>{"samples", "ms", "s", "min", "hours", "days"}));
    // Position = truncate(sqrt(drive) x 200/3); drive = (position x 0.015)^2, 0.001 at 0.
    const struct
    {
        double drive;
        int position;
    } cases[] = {{0.1, 21}, {0.0, 0}, {1.0, 66}, {2.25, 100}, {9.0, 100}};
    for (const auto& c : cases)
        EXPECT_EQ(generator_tools::DistortionPosition(c.drive), c.position) << c.drive;
    EXPECT_DOUBLE_EQ(generator_tools::DistortionDrive(0), 0.001);
    EXPECT_DOUBLE_EQ(generator_tools::DistortionDrive(50), 0.5625);
}

// --- windows

class GeneratorToolsTest : public testsupport::PanelFixture
{
protected:
    CGeneratorDlg& Panel()
    {
        m_panel = new CGeneratorDlg(nullptr, m_generator);
        m_panel->Show();
        return *m_panel;
    }
    // The menu command as the menu delivers it; the item must be enabled.
    void Menu(int command)
    {
        const int id = CGeneratorDlg::ToolkitId(command);
        wxMenuItem* item = m_panel->GetMenuBar()->FindItem(id);
        ASSERT_NE(item, nullptr) << command;
        ASSERT_TRUE(item->IsEnabled()) << command;
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(m_panel);
        m_panel->ProcessWindowEvent(event);
    }
    template <class T>
    static T* Find(wxWindow& window, int id)
    {
        return dynamic_cast<T*>(window.FindWindow(id));
    }
    // Left channel of `frames` frames of 16-bit output, as fractions of full scale.
    std::vector<double> RenderLeft(int frames)
    {
        std::vector<std::int16_t> block(2 * 4410);
        std::vector<double> left;
        while (static_cast<int>(left.size()) < frames)
        {
            m_generator.Render(block.data(), static_cast<int>(block.size() * 2));
            for (std::size_t i = 0; i < block.size(); i += 2)
                left.push_back(block[i] / 32767.0);
        }
        left.resize(static_cast<std::size_t>(frames));
        return left;
    }
    static double Amplitude(const std::vector<double>& x, double frequency, double rate)
    {
        std::complex<double> sum;
        for (std::size_t n = 0; n < x.size(); ++n)
            sum +=
                x[n] * std::polar(1.0, -2.0 * std::numbers::pi * frequency * static_cast<double>(n) / rate);
        return 2.0 * std::abs(sum) / static_cast<double>(x.size());
    }
};

// AM from the menu: a 441 Hz sine modulates a 4410 Hz carrier by index 0.6; the spectrum holds the
// carrier and the two sidebands at index/2 of it.
TEST_F(GeneratorToolsTest, AmDialogModulatesTheRenderedSignal)
{
    Panel();
    m_generator.m_settings.m_frequency = 441.0;
    m_generator.m_settings.m_output_on = 1;
    m_generator.m_settings.m_level = 1.0;
    m_generator.ApplySettings();
    const std::size_t steps =
        RunWithSteps([&] { Menu(CGeneratorDlg::kCmdAm); }, {On<CAmplitudeModulationDlg>(
                                                               [](CAmplitudeModulationDlg& d)
                                                               {
                                                                   d.m_pOn->SetValue(true);
                                                                   d.m_pFrequency->ChangeValue("4410");
                                                                   d.m_pIndex->ChangeValue("0.6");
                                                                   testsupport::Press(d, wxID_OK);
                                                               })});
    EXPECT_EQ(steps, 1u);
    const CSigGen_settings& s = m_generator.m_settings;
    EXPECT_EQ(s.m_am_on, 1);
    EXPECT_EQ(s.m_am_frequency, 4410.0);
    EXPECT_EQ(s.m_am_depth, 0.6);

    RenderLeft(44100);  // past the start
    const std::vector<double> x = RenderLeft(44100);
    const double carrier = Amplitude(x, 4410.0, 44100.0);
    const double lower = Amplitude(x, 3969.0, 44100.0);
    const double upper = Amplitude(x, 4851.0, 44100.0);
    EXPECT_GT(carrier, 0.1);
    EXPECT_NEAR(lower / carrier, 0.3, 0.003);
    EXPECT_NEAR(upper / carrier, 0.3, 0.003);
    EXPECT_LT(Amplitude(x, 441.0, 44100.0), 0.001 * carrier);  // the modulating tone itself is gone
}

// A modulation index of 1.5 and a DC offset of 25 are refused with the range message; the dialog
// stays open and the generator keeps its values.
TEST_F(GeneratorToolsTest, OutOfRangeEntriesAreRefused)
{
    Panel();
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    bool stayedOpen = false;
    RunWithSteps([&] { Menu(CGeneratorDlg::kCmdAm); }, {On<CAmplitudeModulationDlg>(
                                                            [](CAmplitudeModulationDlg& d)
                                                            {
                                                                d.m_pIndex->ChangeValue("1.5");
                                                                testsupport::Press(d, wxID_OK);
                                                            }),
                                                        On<CAmplitudeModulationDlg>(
                                                            [&](CAmplitudeModulationDlg& d)
                                                            {
                                                                stayedOpen = true;
                                                                testsupport::Press(d, wxID_CANCEL);
                                                            })});
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(m_generator.m_settings.m_am_depth, 1.0);
    stayedOpen = false;
    RunWithSteps([&] { Menu(CGeneratorDlg::kCmdDcOffset); }, {On<CDcOffsetDlg>(
                                                                  [](CDcOffsetDlg& d)
                                                                  {
                                                                      d.m_pOffset->ChangeValue("25");
                                                                      testsupport::Press(d, wxID_OK);
                                                                  }),
                                                              On<CDcOffsetDlg>(
                                                                  [&](CDcOffsetDlg& d)
                                                                  {
                                                                      stayedOpen = true;
                                                                      d.m_pOffset->ChangeValue("-20");
                                                                      testsupport::Press(d, wxID_OK);
                                                                  })});
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(messages, (std::vector<std::string>{"Please enter a number between 0 and 1.",
                                                  "Please enter a number between -20 and 20."}));
    EXPECT_EQ(m_generator.m_settings.m_dc_offset, -20.0);
}

TEST_F(GeneratorToolsTest, FmAndBurstDialogsCarryTheirFields)
{
    Panel();
    RunWithSteps([&] { Menu(CGeneratorDlg::kCmdFm); }, {On<CFrequencyModulationDlg>(
                                                           [](CFrequencyModulationDlg& d)
                                                           {
                                                               EXPECT_EQ(d.m_pShift->GetValue(), "1000");
                                                               d.m_pShift->ChangeValue("250");
                                                               d.m_pOn->SetValue(true);
                                                               testsupport::Press(d, wxID_OK);
                                                           })});
    EXPECT_EQ(m_generator.m_settings.m_fm_on, 1);
    EXPECT_EQ(m_generator.m_settings.m_fm_deviation, 250.0);

    CSigGen_settings& s = m_generator.m_settings;
    s.m_burst_on_unit = 1;
    s.m_burst_off_unit = 4;
    RunWithSteps([&] { Menu(CGeneratorDlg::kCmdBurst); },
                 {On<CBurstDlg>(
                     [](CBurstDlg& d)
                     {
                         // The stored units are selected; both lists hold the six units in order.
                         EXPECT_EQ(d.m_pOnUnit->GetStringSelection(), "ms");
                         EXPECT_EQ(d.m_pOffUnit->GetStringSelection(), "hours");
                         ASSERT_EQ(d.m_pOnUnit->GetCount(), 6u);
                         EXPECT_EQ(d.m_pOnUnit->GetString(0), "samples");
                         EXPECT_EQ(d.m_pOffUnit->GetString(5), "days");
                         d.m_pOnUnit->SetSelection(0);
                         d.m_pOffUnit->SetSelection(3);
                         d.m_pOnTime->ChangeValue("480");
                         d.m_pOffTime->ChangeValue("2");
                         d.m_pOffLevel->ChangeValue("0.1");
                         d.m_pOn->SetValue(true);
                         d.m_pModulate->SetValue(false);
                         testsupport::Press(d, wxID_OK);
                     })});
    EXPECT_EQ(s.m_burst_on_unit, 0);
    EXPECT_EQ(s.m_burst_off_unit, 3);
    EXPECT_EQ(s.m_burst_on_time, 480.0);
    EXPECT_EQ(s.m_burst_off_time, 2.0);
    EXPECT_EQ(s.m_burst_off_level, 0.1);
    EXPECT_EQ(s.m_burst_on, 1);
    EXPECT_EQ(s.m_burst_gate, 0);
    EXPECT_TRUE(m_panel->GetMenuBar()->IsChecked(CGeneratorDlg::ToolkitId(CGeneratorDlg::kCmdBurst)));
}

// The distortion dialog reports every change at once: the panel switches distortion on and takes the
// drive of the slider position while the dialog is still open.
TEST_F(GeneratorToolsTest, DistortionAppliesWhileOpen)
{
    Panel();
    m_generator.m_settings.m_distortion_drive = 0.1;
    bool live = false;
    RunWithSteps([&] { Menu(CGeneratorDlg::kCmdDistortion); },
                 {On<CDistortionDlg>(
                      [](CDistortionDlg& d)
                      {
                          EXPECT_FALSE(d.m_pOn->GetValue());
                          EXPECT_EQ(d.m_pAmount->GetValue(), 21);
                          d.m_pAmount->SetValue(40);
                          wxCommandEvent moved(wxEVT_SLIDER, d.m_pAmount->GetId());
                          moved.SetEventObject(d.m_pAmount);
                          moved.SetInt(40);
                          d.m_pAmount->ProcessWindowEvent(moved);
                          testsupport::Press(d, d.m_pOn->GetId());
                      }),
                  On<CDistortionDlg>(
                      [&](CDistortionDlg& d)
                      {
                          Pump(3);
                          live = m_generator.m_settings.m_distortion_on == 1;
                          testsupport::Press(d, wxID_OK);
                      })});
    EXPECT_TRUE(live);
    EXPECT_EQ(m_generator.m_settings.m_distortion_on, 1);
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_distortion_drive, 0.36);
}

// The floating frequency slider, opened by the panel's "Slider" button, moves the generator; the
// log switch puts the geometric mean of the range in the middle.
TEST_F(GeneratorToolsTest, FloatingFrequencySliderMovesTheGenerator)
{
    Panel();
    CSigGen_settings& s = m_generator.m_settings;
    s.m_freq_min = 100.0;
    s.m_freq_max = 2000.0;
    m_panel->UpdateControls();
    auto* button =
        Find<wxButton>(*m_panel->GetPanel(), CGeneratorDlg::ToolkitId(CGeneratorDlg::kCmdFrequencySlider));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->GetLabel(), "Slider");
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
    CSliderDlg* slider = m_panel->GetFrequencySlider();
    ASSERT_NE(slider, nullptr);
    EXPECT_TRUE(slider->IsShown());
    EXPECT_EQ(slider->m_pTrackBar->GetValue(), 2368);  // 1000 Hz on 100..2000

    slider->m_pTrackBar->SetValue(5000);
    wxCommandEvent moved(wxEVT_SLIDER, slider->m_pTrackBar->GetId());
    moved.SetEventObject(slider->m_pTrackBar);
    moved.SetInt(5000);
    slider->m_pTrackBar->ProcessWindowEvent(moved);
    EXPECT_DOUBLE_EQ(s.m_frequency, 2000.0);
    EXPECT_EQ(slider->GetTitle(), "Frequency 2000.000Hz");
    EXPECT_EQ(dynamic_cast<wxTextCtrl*>(m_panel->GetPanel()->FindWindow(CGeneratorDlg::kIdFrequencyEdit))
                  ->GetValue(),
              "2000.00");

    testsupport::Press(*slider, CSliderDlg::kLogId);
    EXPECT_TRUE(slider->m_scale.log);
    slider->OnScroll(2500);
    EXPECT_NEAR(s.m_frequency, 447.2136, 1e-3);
    // The panel's own frequency changes move the floating slider without a message back.
    m_panel->OnToolMessage(CGeneratorDlg::kMsgFrequency, 10000000, 10000);
    EXPECT_EQ(slider->GetValue(), 1000.0);
    slider->SetSize(420, 110);
    testsupport::SavePicture(slider, "generator-frequency-slider.png");

    // "Coarse" starts the range at 0 Hz: the log scale starts at 1 Hz, no undefined position.
    testsupport::Press(*m_panel->GetPanel(), CGeneratorDlg::kIdCoarse);
    Menu(CGeneratorDlg::kCmdFrequencySlider);
    EXPECT_EQ(slider->m_scale.min, 0.0);
    EXPECT_GE(slider->m_pTrackBar->GetValue(), 0);
    EXPECT_LE(slider->m_pTrackBar->GetValue(), 5000);
    slider->OnScroll(0);
    EXPECT_DOUBLE_EQ(s.m_frequency, 1.0);
}

TEST_F(GeneratorToolsTest, VolumeAndBalanceSlidersInDecibels)
{
    Panel();
    CSigGen_settings& s = m_generator.m_settings;
    s.m_output_on = 0;
    Menu(CGeneratorDlg::kCmdVolumeSlider);
    CSliderDlg* volume = m_panel->GetVolumeSlider();
    ASSERT_NE(volume, nullptr);
    EXPECT_EQ(volume->m_nMessage, CGeneratorDlg::kMsgVolume);
    EXPECT_EQ(volume->m_scale.min, s.m_volume_min_db);
    volume->ToggleLog();  // not allowed for decibels
    EXPECT_FALSE(volume->m_scale.log);
    volume->OnScroll(volume->m_scale.PositionFromValue(-20.0) + 1);
    EXPECT_NEAR(20.0 * std::log10(s.m_level), -20.0, 0.05);
    EXPECT_EQ(volume->GetTitle().BeforeFirst(' '), "Volume");

    Menu(CGeneratorDlg::kCmdBalanceSlider);
    CSliderDlg* balance = m_panel->GetBalanceSlider();
    ASSERT_NE(balance, nullptr);
    balance->OnScroll(5000);
    EXPECT_NEAR(s.GetBalanceDb(), s.m_balance_max_db, 1e-6);
    EXPECT_EQ(balance->GetTitle(), wxString::Format("Balance %.3fdB", s.m_balance_max_db));
}

// The statistics window opened from the menu shows the generator's figures on the panel's timer.
TEST_F(GeneratorToolsTest, StatisticsWindowShowsTheGeneratorsFigures)
{
    Panel();
    m_generator.m_settings.m_frequency = 1000.0;
    m_generator.m_settings.m_output_on = 1;
    m_generator.m_settings.m_level = 0.5;
    m_generator.ApplySettings();
    Menu(CGeneratorDlg::kCmdStatistics);
    CSignalStatisticsDlg* statistics = m_panel->GetStatistics();
    ASSERT_NE(statistics, nullptr);
    RenderLeft(3 * 44100);
    m_panel->UpdateStatistics();
    // A sine: crest factor sqrt(2), both channels alike; the lines show the generator's own figures.
    const double peak = m_generator.m_windowPeak;
    const double rms = m_generator.m_windowRms;
    EXPECT_GT(rms, 0.1);
    EXPECT_NEAR(peak / rms, std::sqrt(2.0), 0.01);
    const auto expected = generator_tools::FormatStatistics(m_generator.m_windowCrest, peak, rms, peak, rms);
    EXPECT_EQ(statistics->GetText().peak1, expected.peak1);
    EXPECT_EQ(statistics->GetText().rms2, expected.rms2);
    EXPECT_EQ(statistics->GetText().crest, "Crest   1.41\tbalance  0.00dB");
    EXPECT_EQ(dynamic_cast<wxStaticText*>(statistics->FindWindow(282))->GetLabel(), wxString(expected.rms1));
    // Silence: "-NA-" everywhere.
    m_generator.m_windowPeak = 0.0;
    m_generator.m_windowRms = 0.0;
    m_panel->UpdateStatistics();
    EXPECT_EQ(statistics->GetText().rms1, "RMS  -NA-");
    EXPECT_EQ(statistics->GetText().crest.substr(0, 11), "Crest   -NA");
    m_generator.m_windowPeak = peak;
    m_generator.m_windowRms = rms;
    m_panel->UpdateStatistics();
    testsupport::SavePicture(statistics, "generator-statistics.png");
}

TEST_F(GeneratorToolsTest, PresetsSendTheirFrequency)
{
    Panel();
    Menu(CGeneratorDlg::kCmdFreqPresets);
    CFrequencyPresetsDlg* presets = m_panel->GetPresets();
    ASSERT_NE(presets, nullptr);
    std::vector<std::int64_t> sent;
    auto panelTarget = presets->m_target;
    presets->m_target = [&](int message, std::int64_t wParam, std::int64_t lParam)
    {
        sent = {message, wParam, lParam};
        panelTarget(message, wParam, lParam);
    };
    wxButton* button = presets->GetButton(12);
    EXPECT_EQ(button->GetId(), CFrequencyPresetsDlg::kFirstButtonId + 12);
    EXPECT_EQ(button->GetLabel(), "440.0");
    EXPECT_EQ(button->GetPosition(), wxPoint(10, 105));  // row 3, column 0
    wxCommandEvent click(wxEVT_BUTTON, button->GetId());
    click.SetEventObject(button);
    button->ProcessWindowEvent(click);
    EXPECT_EQ(sent, (std::vector<std::int64_t>{1369, 4400000, 10000}));
    EXPECT_DOUBLE_EQ(m_generator.m_settings.m_frequency, 440.0);

    // A double click lets the user change the preset.
    RunWithSteps([&] { presets->DoubleClick(27); }, {On<CSelectFrequencyDlg>(
                                                        [](CSelectFrequencyDlg& d)
                                                        {
                                                            EXPECT_EQ(d.m_pFrequency->GetValue(), "16000");
                                                            d.m_pFrequency->ChangeValue("12500");
                                                            testsupport::Press(d, wxID_OK);
                                                        })});
    EXPECT_EQ(presets->GetPreset(27), 12500.0);
    EXPECT_EQ(presets->GetButton(27)->GetLabel(), "12500.0");
    testsupport::SavePicture(presets, "generator-frequency-presets.png");
}

TEST_F(GeneratorToolsTest, PictureOfThePanelWithItsTools)
{
    Panel();
    m_panel->SetTitle("ASIO Generator #1");
    m_panel->SetPosition({0, 0});
    Menu(CGeneratorDlg::kCmdFrequencySlider);
    Menu(CGeneratorDlg::kCmdStatistics);
    Menu(CGeneratorDlg::kCmdFreqPresets);
    const wxRect frame = m_panel->GetScreenRect();
    m_panel->GetFrequencySlider()->SetPosition({0, frame.GetBottom() + 30});
    m_panel->GetStatistics()->SetPosition({frame.GetRight() + 10, 0});
    m_panel->GetPresets()->SetPosition(
        {frame.GetRight() + 10, m_panel->GetStatistics()->GetScreenRect().GetBottom() + 30});
    Pump();
    const wxImage picture = platform::ui::CaptureScreen(wxRect(0, 0, 1280, 1024));
    ASSERT_TRUE(picture.IsOk());
    EXPECT_TRUE(picture.SaveFile(std::string(TESSARIN_TEST_OUTPUT_DIR) + "/generator-panel-tools.png",
                                 wxBITMAP_TYPE_PNG));
}

}  // namespace
