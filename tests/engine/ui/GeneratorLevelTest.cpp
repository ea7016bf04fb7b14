// The Generator Level window and the Generator Matrix dialog over an engine matrix whose statistics
// are fed by MixGenerators with a known sine.
#include "common/controls/OwnerDrawButton.h"
#include "engine/GeneratorMatrix.h"
#include "engine/ui/GeneratorLevelDlg.h"
#include "engine/ui/GeneratorMatrixDlg.h"
#include "engine/ui/GeneratorToolRules.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/engine/ui/PanelFixture.h"
#include "tests/support/ModalSteps.h"

#include <gtest/gtest.h>

#include <wx/checkbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

namespace
{

using generator_tools::LevelSet;

// Half a second and more of a 1 kHz sine of the given RMS (fraction of full scale) on generator 0's
// first channel, mixed into the 64 outputs at 48 kHz.
void MixSine(CGeneratorMatrix& matrix, double rms)
{
    constexpr int kFrames = 30000;
    std::vector<std::int32_t> render(2 * kFrames);
    for (int n = 0; n < kFrames; ++n)
        render[2 * n] = static_cast<std::int32_t>(std::lround(
            rms * std::sqrt(2.0) * 2147483647.0 * std::sin(2.0 * std::numbers::pi * 1000.0 * n / 48000.0)));
    std::vector<const std::int32_t*> renders(10, nullptr);
    renders[0] = render.data();
    std::vector<std::int32_t> out(static_cast<std::size_t>(kGeneratorOutputChannels) * kFrames);
    matrix.MixGenerators(out, kGeneratorOutputChannels, kFrames, renders, 2);
}

// An engine matrix at 48 kHz whose channel 0 carries generator 0 only.
void Prepare(CGeneratorMatrix& matrix)
{
    matrix.m_settings.SetDefaults();
    for (CGenerator_channel_settings& channel : matrix.m_settings.m_channel)
        channel.ParseGeneratorConfig("");
    matrix.m_settings.m_channel[0].ParseGeneratorConfig("1A");
    matrix.SetSampleRate(48000.0);
}

TEST(GeneratorLevelRules, RequestedRmsAndReadouts)
{
    EXPECT_DOUBLE_EQ(generator_tools::RequestedRms(-6.0, generator_tools::kLevelUnitDb),
                     std::pow(10.0, -0.3));
    EXPECT_DOUBLE_EQ(generator_tools::RequestedRms(-2.5, generator_tools::kLevelUnitV), 2.5);
    EXPECT_DOUBLE_EQ(generator_tools::RequestedRms(250.0, generator_tools::kLevelUnitMv), 0.25);
    EXPECT_EQ(generator_tools::LevelReadouts(0.5, true), (std::array<std::string, 2>{"500.0mV", "-6.021dB"}));
    EXPECT_EQ(generator_tools::LevelReadouts(0.5, false), (std::array<std::string, 2>{"--", "--"}));
    EXPECT_EQ(generator_tools::LevelReadouts(0.0, true), (std::array<std::string, 2>{"--", "--"}));
}

TEST(GeneratorLevelRules, SetCorrectsTheMeasuredChannel)
{
    const struct
    {
        const char* name;
        int calibrated;
        double value;
        int unit;
        bool ticked;
        double mixedRms;
        LevelSet result;
        double scale;
        double target;
        int active;
    } cases[] = {
        {"1 V on 0.5 V doubles the scale", 0, 1.0, generator_tools::kLevelUnitV, true, 0.5,
         LevelSet::Corrected, 2.0, 1.0, 1},
        {"250 mV on 0.5 V halves it", 0, 250.0, generator_tools::kLevelUnitMv, true, 0.5, LevelSet::Corrected,
         0.5, 1.0, 1},
        // Mixed with gain 2 (the calibration factor) and read times 2: 0.5 V.
        {"a calibrated channel corrects its target", 1, 1.0, generator_tools::kLevelUnitV, true, 0.125,
         LevelSet::Corrected, 1.0, 2.0, 1},
        {"0 deactivates", 0, 0.0, generator_tools::kLevelUnitV, true, 0.5, LevelSet::Deactivated, 1.0, 1.0,
         0},
        {"an unticked row changes nothing", 0, 1.0, generator_tools::kLevelUnitV, false, 0.5,
         LevelSet::NotActive, 1.0, 1.0, 1},
        {"silence changes nothing", 0, 1.0, generator_tools::kLevelUnitV, true, 0.0, LevelSet::Silent, 1.0,
         1.0, 1},
    };
    for (const auto& c : cases)
    {
        CGeneratorMatrix engine;
        Prepare(engine);
        auto& channel = engine.m_settings.m_channel[0];
        channel.m_calibrated = c.calibrated;
        channel.m_calibration_factor = 2.0;  // a calibrated channel reads RMS x 2 volts
        MixSine(engine, c.mixedRms);
        CGeneratorMatrix_settings copy;
        copy.Copy(engine.m_settings);
        EXPECT_EQ(generator_tools::SetChannelLevel(engine, copy, 0, c.value, c.unit, c.ticked), c.result)
            << c.name;
        EXPECT_NEAR(channel.m_scale, c.scale, 1e-3) << c.name;
        EXPECT_NEAR(channel.m_calibrated_target, c.target, 1e-3) << c.name;
        EXPECT_TRUE(std::isfinite(channel.m_scale));
        EXPECT_EQ(channel.m_active, c.active) << c.name;
        EXPECT_EQ(copy.m_channel[0].m_scale, channel.m_scale) << c.name;
        EXPECT_EQ(copy.m_channel[0].m_active, c.active) << c.name;
    }
}

class GeneratorLevelTest : public testsupport::PanelFixture
{
protected:
    void TearDown() override
    {
        if (m_window != nullptr)
            m_window->Destroy();
        PanelFixture::TearDown();
    }
    wxWindow* m_window = nullptr;
};

TEST_F(GeneratorLevelTest, LevelWindowShowsTheMixedRmsAndSets)
{
    CGeneratorMatrix engine;
    Prepare(engine);
    engine.m_settings.m_channel[2].m_calibrated = 1;
    auto* window = new CGeneratorLevelDlg(nullptr, engine);
    m_window = window;
    EXPECT_EQ(window->GetRowCount(), 24);
    EXPECT_EQ(window->GetTitle(), "Level");
    EXPECT_EQ(window->GetRow(0).active->GetLabel(), "1");
    EXPECT_EQ(window->GetRow(0).value->GetValue(), "0.00");
    EXPECT_EQ(window->GetRow(2).calibrate->GetColors().m_crText, 0x008000u);
    EXPECT_EQ(window->GetRow(0).calibrate->GetColors().m_crText, 0x0000FFu);
    EXPECT_FALSE(window->GetRow(0).calibrate->IsEnabled());

    MixSine(engine, 0.5);
    window->UpdateReadouts();
    // The sine's RMS, cut to four figures.
    EXPECT_NEAR(engine.GetOutputRms(0), 0.5, 1e-4);
    EXPECT_TRUE(window->GetRow(0).volts->GetLabel() == "500.0mV" ||
                window->GetRow(0).volts->GetLabel() == "499.9mV")
        << window->GetRow(0).volts->GetLabel();
    EXPECT_EQ(window->GetRow(0).db->GetLabel(), "-6.021dB");
    EXPECT_EQ(window->GetRow(1).volts->GetLabel(), "--");  // silent channel

    // An unticked row refuses "SET" with its message; ticking reaches the engine at once.
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    testsupport::Press(*window, CGeneratorLevelDlg::kFirstActiveId + 0);  // untick
    EXPECT_EQ(engine.m_settings.m_channel[0].m_active, 0);
    window->GetRow(0).value->ChangeValue("1");
    window->m_nUnit = generator_tools::kLevelUnitV;
    testsupport::Press(*window, CGeneratorLevelDlg::kFirstSetId + 0);
    EXPECT_EQ(messages, std::vector<std::string>{"This channel is not active, please activate it first"});
    testsupport::Press(*window, CGeneratorLevelDlg::kFirstActiveId + 0);  // tick
    EXPECT_EQ(engine.m_settings.m_channel[0].m_active, 1);
    MixSine(engine, 0.5);
    testsupport::Press(*window, CGeneratorLevelDlg::kFirstSetId + 0);
    EXPECT_NEAR(engine.m_settings.m_channel[0].m_scale, 2.0, 1e-3);
    // "SET" on a silent row says why and changes nothing.
    window->GetRow(1).value->ChangeValue("1");
    testsupport::Press(*window, CGeneratorLevelDlg::kFirstSetId + 1);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_EQ(engine.m_settings.m_channel[1].m_scale, 1.0);
    // "SET" with 0 deactivates the row and the channel.
    window->GetRow(1).value->ChangeValue("0");
    testsupport::Press(*window, CGeneratorLevelDlg::kFirstSetId + 1);
    EXPECT_FALSE(window->GetRow(1).active->GetValue());
    EXPECT_EQ(engine.m_settings.m_channel[1].m_active, 0);
    // "R" resets one channel, "reset" all.
    testsupport::Press(*window, CGeneratorLevelDlg::kFirstResetId + 0);
    EXPECT_EQ(engine.m_settings.m_channel[0].m_scale, 1.0);
    testsupport::Press(*window, CGeneratorLevelDlg::kResetAllId);
    EXPECT_EQ(engine.m_settings.m_channel[2].m_calibrated, 0);
    EXPECT_EQ(window->GetRow(2).calibrate->GetColors().m_crText, 0x0000FFu);
    // "all off" switches every row off while any is on, then all on.
    testsupport::Press(*window, CGeneratorLevelDlg::kAllOffId);
    EXPECT_EQ(engine.m_settings.m_channel[5].m_active, 0);
    testsupport::Press(*window, CGeneratorLevelDlg::kAllOffId);
    EXPECT_EQ(engine.m_settings.m_channel[5].m_active, 1);

    MixSine(engine, 0.5);
    window->UpdateReadouts();
    testsupport::SavePicture(window, "generator-level.png");
}

TEST_F(GeneratorLevelTest, MatrixDialogEditsItsCopy)
{
    CGeneratorMatrix_settings settings;
    settings.SetDefaults();
    settings.m_channel[40].m_name = "far";
    settings.m_channel[3].m_name = "centre";
    auto* dialog = new CGeneratorMatrixDlg(nullptr, settings);
    m_window = dialog;
    EXPECT_EQ(dialog->GetRowCount(), 24);
    EXPECT_EQ(dialog->GetTitle(), "generator");
    const CGeneratorMatrixDlg::Row& row = dialog->GetRow(0);
    EXPECT_EQ(row.channel->GetValue(), "1");
    EXPECT_EQ(row.scale->GetValue(), "0.00");
    EXPECT_EQ(row.preScale->GetValue(), "1.00");
    EXPECT_EQ(row.routing->GetValue(), "1A 2A 3A 4A 5A ");
    EXPECT_EQ(dialog->GetRow(3).name->GetValue(), "centre");

    testsupport::Press(*dialog, CGeneratorMatrixDlg::kStereoId);
    EXPECT_EQ(dialog->GetRow(1).routing->GetValue(), "1B ");
    testsupport::Press(*dialog, CGeneratorMatrixDlg::kOneToOneId);
    EXPECT_EQ(dialog->GetRow(13).routing->GetValue(), "4A ");
    testsupport::Press(*dialog, CGeneratorMatrixDlg::kTestId);
    EXPECT_TRUE(dialog->GetRow(7).test->GetValue());

    const int result = testsupport::RunModalSteps(*dialog, {[&]
                                                            {
                                                                const CGeneratorMatrixDlg::Row& r =
                                                                    dialog->GetRow(0);
                                                                r.routing->ChangeValue("1a 2A 10B x 0A");
                                                                r.channel->ChangeValue("99");
                                                                r.scale->ChangeValue("-6.5");
                                                                r.preScale->ChangeValue("abc");
                                                                r.name->ChangeValue("ignored");
                                                                dialog->GetRow(1).channel->ChangeValue("0");
                                                                dialog->GetRow(2).active->SetValue(false);
                                                                testsupport::Press(*dialog, wxID_OK);
                                                            }});
    EXPECT_EQ(result, wxID_OK);
    const CGenerator_channel_settings& c = dialog->m_settings.m_channel[0];
    EXPECT_EQ(std::vector<int>(c.m_generators_a.begin(), c.m_generators_a.begin() + c.CountA()),
              (std::vector<int>{0, 1}));
    EXPECT_EQ(std::vector<int>(c.m_generators_b.begin(), c.m_generators_b.begin() + c.CountB()),
              (std::vector<int>{9}));
    EXPECT_EQ(c.m_channel, 63);  // limited to 1..64
    EXPECT_EQ(dialog->m_settings.m_channel[1].m_channel, 0);
    EXPECT_EQ(c.m_scale_db, -6.5);
    EXPECT_EQ(c.m_pre_scale, 0.0);  // not a number reads as 0
    EXPECT_EQ(c.m_name, "1");       // names are shown only
    EXPECT_EQ(c.m_test_generator, 1);
    EXPECT_EQ(dialog->m_settings.m_channel[2].m_active, 0);
    // Channels beyond the 24 rows keep their settings.
    EXPECT_EQ(dialog->m_settings.m_channel[40].m_name, "far");
    EXPECT_EQ(dialog->m_settings.m_channel[40].FormatGeneratorConfig(), "1A ");  // the 1:1 preset reached it

    testsupport::Press(*dialog, CGeneratorMatrixDlg::kResetId);
    EXPECT_EQ(dialog->GetRow(0).routing->GetValue(), "1A 2A 3A 4A 5A ");
    testsupport::SavePicture(dialog, "generator-matrix.png");
}

}  // namespace
