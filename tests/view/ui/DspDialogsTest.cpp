// The "DSP" menu of a real measurement window: each command opens its dialog, the dialog is
// answered through its controls from inside its loop, and the engine holds what was chosen; the
// check marks follow the engine. A free filter chosen in the designer attenuates a live tone by the
// designer's own preview response. Pictures of each dialog are saved.
#include "display/ui/DispPropSheet.h"
#include "dsp/DesignedFilter.h"
#include "engine/SoundIn.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/ScreenCapture.h"
#include "tests/support/ModalSteps.h"
#include "tests/support/WxEnvironment.h"
#include "tests/view/ui/LiveView.h"
#include "view/ui/DspDialogs.h"
#include "view/ui/FilterDesignerDlg.h"
#include "view/ui/RiaaFilterDlg.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

namespace
{

using testsupport::On;
using testsupport::Press;
using testsupport::RunWithSteps;

const bool g_fontsPinned = [] { return setenv("FONTCONFIG_FILE", TESSARIN_FONTCONFIG_FILE, 1) == 0; }();

template <class Control>
Control& Find(wxWindow& dialog, int id)
{
    auto* control = dynamic_cast<Control*>(dialog.FindWindow(id));
    EXPECT_NE(control, nullptr) << id;
    return *control;
}

class DspDialogsTest : public ::testing::Test, public viewtest::LiveViewParts
{
protected:
    static constexpr int kFlatTop = 4;

    void SetUp() override
    {
        if (!testsupport::WxStarted())
            GTEST_SKIP() << "no display (run under xvfb-run)";
        ASSERT_TRUE(OpenLiveView(4096, kFlatTop));
        m_folder = std::filesystem::path(TESSARIN_TEST_OUTPUT_DIR);
        std::filesystem::create_directories(m_folder);
        m_responder = std::make_unique<platform::ui::ScopedMessageBoxResponder>(
            [this](const platform::ui::MessageBoxRequest& request)
            {
                m_boxes.push_back(request.text);
                return wxID_OK;
            });
    }
    void TearDown() override
    {
        m_responder.reset();
        CloseLiveView();
    }

    // Saves a picture of the dialog as it shows now.
    void Picture(wxDialog& dialog, const std::string& name)
    {
        testsupport::LetPaint();
        dialog.Update();
        const wxImage picture = platform::ui::CaptureScreen(dialog.GetScreenRect());
        ASSERT_TRUE(picture.IsOk());
        EXPECT_TRUE(
            picture.SaveFile((m_folder / ("dsp-dialog-" + name + ".png")).string(), wxBITMAP_TYPE_PNG));
    }

    void SavePictureOfView(const std::string& name)
    {
        EXPECT_TRUE(m_window->RenderImage().SaveFile((m_folder / ("dsp-view-" + name + ".png")).string(),
                                                     wxBITMAP_TYPE_PNG));
    }

    CChannelConditioning& Conditioning() { return m_engine.m_conditioning; }

    std::filesystem::path m_folder;
    std::unique_ptr<platform::ui::ScopedMessageBoxResponder> m_responder;
    std::vector<std::string> m_boxes;
};

// "Filter #3" with "Elliptic" and order 4 writes the slot of every input channel; Cancel changes
// nothing; the check mark follows the first channel's slot.
TEST_F(DspDialogsTest, FilterThreeWritesTheSlotOfEveryChannel)
{
    CSndView& view = View();
    const int command = view_command::kFirstFreeFilter + 2;
    EXPECT_FALSE(view.IsCommandChecked(command));
    Conditioning().m_settings[0].designed[2].m_bEnabled = 0;

    std::size_t ran = RunWithSteps(
        [&] { EXPECT_TRUE(view.OnCommand(command)); },
        {On<CFilterDesignerDlg>(
            [&](CFilterDesignerDlg& dialog)
            {
                Find<wxCheckBox>(dialog, CFilterDesignerDlg::kIdEnable).SetValue(true);
                Find<wxChoice>(dialog, CFilterDesignerDlg::kIdType).SetSelection(2);
                Find<wxTextCtrl>(dialog, CFilterDesignerDlg::kIdOrder).ChangeValue("4");
                // Overlays cannot take the curve yet.
                EXPECT_FALSE(dialog.FindWindow(CFilterDesignerDlg::kIdCopyAsOverlay)->IsEnabled());
                Press(dialog, CFilterDesignerDlg::kIdRefresh);
                Picture(dialog, "filter-designer");
                dialog.EndModal(wxID_CANCEL);
            })});
    EXPECT_EQ(ran, 1u);
    EXPECT_EQ(Conditioning().m_settings[5].designed[2].m_bEnabled, 0);

    ran = RunWithSteps([&] { EXPECT_TRUE(view.OnCommand(command)); },
                       {On<CFilterDesignerDlg>(
                           [&](CFilterDesignerDlg& dialog)
                           {
                               Find<wxCheckBox>(dialog, CFilterDesignerDlg::kIdEnable).SetValue(true);
                               Find<wxChoice>(dialog, CFilterDesignerDlg::kIdType).SetSelection(2);
                               Find<wxTextCtrl>(dialog, CFilterDesignerDlg::kIdOrder).ChangeValue("4");
                               Press(dialog, wxID_OK);
                           })});
    EXPECT_EQ(ran, 1u);
    for (const auto& channel : Conditioning().m_settings)
    {
        EXPECT_EQ(channel.designed[2].m_nDesignKind, 3);
        EXPECT_EQ(channel.designed[2].m_nOrder, 4);
        EXPECT_EQ(channel.designed[2].m_bEnabled, 1);
        EXPECT_EQ(channel.designed[1].m_bEnabled, Conditioning().m_settings[0].designed[1].m_bEnabled);
    }
    EXPECT_TRUE(view.IsCommandChecked(command));
    EXPECT_FALSE(view.IsCommandChecked(command + 1) &&
                 Conditioning().m_settings[0].designed[3].m_bEnabled == 0);

    // An order outside 1..8 is refused and the dialog stays open.
    m_boxes.clear();
    ran = RunWithSteps([&] { view.OnCommand(command); },
                       {On<CFilterDesignerDlg>(
                            [&](CFilterDesignerDlg& dialog)
                            {
                                Find<wxTextCtrl>(dialog, CFilterDesignerDlg::kIdOrder).ChangeValue("9");
                                Press(dialog, wxID_OK);
                            }),
                        On<CFilterDesignerDlg>(
                            [&](CFilterDesignerDlg& dialog)
                            {
                                EXPECT_TRUE(dialog.IsModal());
                                dialog.EndModal(wxID_CANCEL);
                            })});
    EXPECT_EQ(ran, 2u);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].find("between 1 and 8"), std::string::npos) << m_boxes[0];
    EXPECT_EQ(Conditioning().m_settings[0].designed[2].m_nOrder, 4);
}

// A live 2 kHz tone through a Butterworth low-pass at 500 Hz of order 2 chosen in the designer:
// the peak falls by the preview's own response at 2 kHz, within 0.1 dB.
TEST_F(DspDialogsTest, AFreeFilterAttenuatesTheToneByThePreviewResponse)
{
    const double amplitude = std::pow(10.0, -6.0 / 20.0);
    const double tone = 1968.75;  // a bin of the 4096-point FFT at 48 kHz
    m_engine.SetInputDevice(CSoundIn::kInputSimulated,
                            std::make_unique<viewtest::ToneInput>(tone, amplitude));
    CSndView& view = View();
    view.OnCommand(view_command::kStart);
    ASSERT_TRUE(WaitForRefreshes(4));
    const auto readPeak = [&](double& level)
    {
        const CReadoutTexts& texts = view.GetReadoutTexts(0);
        ASSERT_EQ(std::sscanf(texts.Text(CReadoutTexts::kPeakValue).c_str(), "%lfdB", &level), 1)
            << texts.Text(CReadoutTexts::kPeakValue);
    };
    double before = 0.0;
    readPeak(before);

    double previewDb = 0.0;
    RunWithSteps([&] { view.OnCommand(view_command::kFirstFreeFilter); },
                 {On<CFilterDesignerDlg>(
                     [&](CFilterDesignerDlg& dialog)
                     {
                         Find<wxCheckBox>(dialog, CFilterDesignerDlg::kIdEnable).SetValue(true);
                         Find<wxChoice>(dialog, CFilterDesignerDlg::kIdType).SetSelection(0);
                         Find<wxTextCtrl>(dialog, CFilterDesignerDlg::kIdOrder).ChangeValue("2");
                         Find<wxTextCtrl>(dialog, CFilterDesignerDlg::kIdLower).ChangeValue("0");
                         Find<wxTextCtrl>(dialog, CFilterDesignerDlg::kIdUpper).ChangeValue("500");
                         Find<wxCheckBox>(dialog, CFilterDesignerDlg::kIdStopBand).SetValue(false);
                         Find<wxCheckBox>(dialog, CFilterDesignerDlg::kIdCascade).SetValue(false);
                         Press(dialog, CFilterDesignerDlg::kIdRefresh);
                         // The preview point nearest to the tone.
                         const double step = dialog.GetPreviewStep();
                         const auto index = static_cast<std::size_t>(std::lround(tone / step));
                         ASSERT_LT(index, dialog.GetPreviewResponse().size());
                         const double exact = 20.0 * std::log10(dialog.GetPreviewResponse()[index]);
                         previewDb = exact;
                         Picture(dialog, "filter-designer-low-pass");
                         Press(dialog, wxID_OK);
                     })});
    ASSERT_LT(previewDb, -20.0);
    EXPECT_EQ(m_engine.GetState(), CSoundIn::kStateRunning);
    ASSERT_TRUE(WaitForRefreshes(6));
    double after = 0.0;
    readPeak(after);
    // The preview samples the response on its own grid; the design at the tone itself:
    CDesignedFilter filter;
    filter.SetSettings(Conditioning().m_settings[0].designed[0]);
    filter.m_dSampleRate = kRate;
    filter.Design();
    const double atTone = 20.0 * std::log10(filter.GetResponse(tone));
    EXPECT_NEAR(previewDb, atTone, 0.1);
    EXPECT_NEAR(after - before, atTone, 0.1) << before << " " << after;
    SavePictureOfView("filtered-tone");
}

// Hum: base 50 Hz at 48 kHz with an FFT of 4096 resolves 11.72 Hz, more than 5 Hz: the message asks
// for 16384 and the values are stored anyway.
TEST_F(DspDialogsTest, HumFilterAsksForAFinerResolution)
{
    EXPECT_EQ(
        HumResolutionMessage(48000, 4096, 50.0),
        "Currently the frequency resolution is 11.72Hz. Please increase the FFT size to at least 16384");
    EXPECT_EQ(HumResolutionMessage(48000, 16384, 50.0), "");
    EXPECT_EQ(HumResolutionMessage(44100, 8192, 60.0), "");
    EXPECT_EQ(HumResolutionMessage(44100, 8192, 50.0),
              "Currently the frequency resolution is 5.38Hz. Please increase the FFT size to at least 16384");

    CSndView& view = View();
    RunWithSteps([&] { view.OnCommand(view_command::kHumFilter); },
                 {On<CHumFilterDlg>(
                     [&](CHumFilterDlg& dialog)
                     {
                         Find<wxCheckBox>(dialog, CHumFilterDlg::kIdEnable).SetValue(true);
                         Find<wxTextCtrl>(dialog, CHumFilterDlg::kIdBase).ChangeValue("50");
                         Find<wxTextCtrl>(dialog, CHumFilterDlg::kIdMaximum).ChangeValue("1000");
                         Picture(dialog, "hum");
                         Press(dialog, wxID_OK);
                     })});
    ASSERT_EQ(m_frameServices.messages.size(), 1u);
    EXPECT_NE(m_frameServices.messages[0].find("at least 16384"), std::string::npos);
    EXPECT_EQ(m_engine.m_bHumSuppression, 1);
    EXPECT_EQ(m_engine.m_dHumFundamental, 50.0);
    EXPECT_EQ(m_engine.m_dHumUpperLimit, 1000.0);
    EXPECT_TRUE(view.IsCommandChecked(view_command::kHumFilter));
}

// The switches toggle their flags and show them as check marks.
TEST_F(DspDialogsTest, SwitchesToggleTheirFlags)
{
    CSndView& view = View();
    struct Case
    {
        int command;
        std::function<int()> flag;
    };
    const Case cases[] = {
        {view_command::kNotch1kHz, [&] { return m_engine.m_bNotch1kHz; }},
        {view_command::kDcBlock, [&] { return m_engine.m_bDcBlock; }},
        {view_command::kMusicalNotes, [&] { return view.GetPlot().m_bNoteNames; }},
    };
    for (const Case& c : cases)
    {
        const int before = c.flag();
        EXPECT_EQ(view.IsCommandChecked(c.command), before != 0) << c.command;
        EXPECT_TRUE(view.OnCommand(c.command));
        EXPECT_EQ(c.flag(), before ? 0 : 1) << c.command;
        EXPECT_EQ(view.IsCommandChecked(c.command), before == 0) << c.command;
        view.OnCommand(c.command);
        EXPECT_EQ(c.flag(), before) << c.command;
    }
}

// RIAA writes every channel; the delay goes to the chosen channel and the dialog reopens with the
// first channel's values; a channel above 64 is refused.
TEST_F(DspDialogsTest, RiaaAndDelay)
{
    CSndView& view = View();
    RunWithSteps([&] { view.OnCommand(view_command::kRiaaFilter); },
                 {On<CRiaaFilterDlg>(
                     [&](CRiaaFilterDlg& dialog)
                     {
                         Find<wxCheckBox>(dialog, CRiaaFilterDlg::kIdEnable).SetValue(true);
                         Find<wxCheckBox>(dialog, CRiaaFilterDlg::kIdInverse).SetValue(true);
                         Picture(dialog, "riaa");
                         Press(dialog, wxID_OK);
                     })});
    for (const auto& channel : Conditioning().m_settings)
    {
        EXPECT_EQ(channel.riaaEnabled, 1);
        EXPECT_EQ(channel.riaaInverse, 1);
    }
    EXPECT_TRUE(view.IsCommandChecked(view_command::kRiaaFilter));

    Conditioning().m_settings[0].delaySamples = 7;
    Conditioning().m_settings[0].delayActive = 0;
    RunWithSteps([&] { view.OnCommand(view_command::kChannelDelay); },
                 {On<CDelayDlg>(
                     [&](CDelayDlg& dialog)
                     {
                         EXPECT_EQ(Find<wxTextCtrl>(dialog, CDelayDlg::kIdDelay).GetValue(), "7");
                         EXPECT_EQ(Find<wxTextCtrl>(dialog, CDelayDlg::kIdChannel).GetValue(), "1");
                         Find<wxTextCtrl>(dialog, CDelayDlg::kIdDelay).ChangeValue("480");
                         Find<wxTextCtrl>(dialog, CDelayDlg::kIdChannel).ChangeValue("3");
                         Find<wxCheckBox>(dialog, CDelayDlg::kIdActive).SetValue(true);
                         Picture(dialog, "delay");
                         Press(dialog, wxID_OK);
                     })});
    EXPECT_EQ(Conditioning().m_settings[2].delaySamples, 480);
    EXPECT_EQ(Conditioning().m_settings[2].delayActive, 1);
    EXPECT_EQ(Conditioning().m_settings[0].delaySamples, 7);

    m_boxes.clear();
    const std::size_t ran =
        RunWithSteps([&] { view.OnCommand(view_command::kChannelDelay); },
                     {On<CDelayDlg>(
                          [&](CDelayDlg& dialog)
                          {
                              EXPECT_EQ(Find<wxTextCtrl>(dialog, CDelayDlg::kIdDelay).GetValue(), "7");
                              Find<wxTextCtrl>(dialog, CDelayDlg::kIdChannel).ChangeValue("65");
                              Press(dialog, wxID_OK);
                          }),
                      On<CDelayDlg>([&](CDelayDlg& dialog) { dialog.EndModal(wxID_CANCEL); })});
    EXPECT_EQ(ran, 2u);
    ASSERT_EQ(m_boxes.size(), 1u);
    EXPECT_NE(m_boxes[0].find("between 1 and 64"), std::string::npos) << m_boxes[0];
}

// The two filterbanks list their own centres and store into their own bank.
TEST_F(DspDialogsTest, FilterbanksAndDemodulator)
{
    CSndView& view = View();
    RunWithSteps([&] { view.OnCommand(view_command::kThirdOctaveFilterbank); },
                 {On<CFilterbankDlg>(
                     [&](CFilterbankDlg& dialog)
                     {
                         EXPECT_EQ(dialog.GetTitle(), "1/3 octave filterbank");
                         auto& centres = Find<wxChoice>(dialog, CFilterbankDlg::kIdCentre);
                         ASSERT_EQ(centres.GetCount(), 40u);
                         EXPECT_EQ(centres.GetString(0), "10.00");
                         EXPECT_EQ(centres.GetString(39), "80000.00");
                         centres.SetSelection(25);  // 3150 Hz
                         Find<wxCheckBox>(dialog, CFilterbankDlg::kIdEnable).SetValue(true);
                         Find<wxCheckBox>(dialog, CFilterbankDlg::kIdStopBand).SetValue(true);
                         Picture(dialog, "third-octave-filterbank");
                         Press(dialog, wxID_OK);
                     })});
    EXPECT_EQ(Conditioning().m_nThirdOctaveBand, 25);
    EXPECT_EQ(Conditioning().m_bThirdOctave, 1);
    EXPECT_EQ(Conditioning().m_nThirdOctaveSet, 1);
    EXPECT_EQ(Conditioning().m_bOctave, 0);

    RunWithSteps([&] { view.OnCommand(view_command::kOctaveFilterbank); },
                 {On<CFilterbankDlg>(
                     [&](CFilterbankDlg& dialog)
                     {
                         auto& centres = Find<wxChoice>(dialog, CFilterbankDlg::kIdCentre);
                         ASSERT_EQ(centres.GetCount(), 8u);
                         EXPECT_EQ(centres.GetString(0), "63.00");
                         centres.SetSelection(7);
                         Find<wxCheckBox>(dialog, CFilterbankDlg::kIdEnable).SetValue(true);
                         Press(dialog, wxID_OK);
                     })});
    EXPECT_EQ(Conditioning().m_nOctaveBand, 7);
    EXPECT_EQ(Conditioning().m_bOctave, 1);
    EXPECT_EQ(Conditioning().m_nOctaveSet, 0);
    EXPECT_EQ(Conditioning().m_nThirdOctaveBand, 25);

    RunWithSteps([&] { view.OnCommand(view_command::kDemodulator); },
                 {On<CDemodulatorDlg>(
                     [&](CDemodulatorDlg& dialog)
                     {
                         EXPECT_GT(Find<wxChoice>(dialog, CDemodulatorDlg::kIdBandwidth).GetCount(), 1u);
                         Find<wxRadioButton>(dialog, CDemodulatorDlg::kIdAm).SetValue(true);
                         Find<wxChoice>(dialog, CDemodulatorDlg::kIdBandwidth).SetSelection(3);
                         Find<wxChoice>(dialog, CDemodulatorDlg::kIdOrder).SetStringSelection("6");
                         Find<wxCheckBox>(dialog, CDemodulatorDlg::kIdActive).SetValue(true);
                         Find<wxTextCtrl>(dialog, CDemodulatorDlg::kIdCentre).ChangeValue("10000");
                         Picture(dialog, "demodulator");
                         Press(dialog, wxID_OK);
                     })});
    CDemodulator& demodulator = Conditioning().GetDemodulator(1);
    EXPECT_EQ(Conditioning().m_bDemodulator[1], 1);
    EXPECT_EQ(demodulator.m_bAm, 1);
    EXPECT_EQ(demodulator.m_bFm, 0);
    EXPECT_EQ(demodulator.m_nCutoff, 3);
    EXPECT_EQ(demodulator.m_nOrder, 6);
    EXPECT_EQ(demodulator.m_dCarrier, 10000.0);
}

}  // namespace
