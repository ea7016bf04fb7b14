// Speech intelligibility reached through Tessarin's own "Plug-Ins" menu: the signal-to-noise table
// edits the engine's octave-band ratios (typed in place, loaded and saved as "sti_snr" files, a
// cell that is no number refused), and "Display STI+RASTI" shows the window's STI evaluation. A
// unit impulse with the same ratio in every band gives the index the standard derives from it.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/clipbrd.h>
#include <wx/menu.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "applications/StiSnrTexts.h"
#include "applications/ui/SpeechIntelligibilityCommands.h"
#include "applications/ui/StiResultsDlg.h"
#include "applications/ui/StipaNoiseDlg.h"
#include "applications/ui/StipaResultsDlg.h"
#include "common/IniFile.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "texts/TextTable.h"
#include "view/SndView.h"
#include "view/ui/MeterDlg.h"

namespace
{

class SpeechIntelligibilityMenuTest : public testsupport::EngineFrameFixture
{
protected:
    // Types the text into a band's cell with the table's own in-place editor (two clicks, Enter).
    static void TypeCell(CStipaNoiseDlg& dialog, int band, const std::string& text)
    {
        TypeIntoCell(dialog, band, text);
        dialog.GetGrid()->DisableCellEditControl();
        Pump(20);
        ASSERT_EQ(dialog.GetCellText(band), text);
    }
    // Opens the cell's editor and types, leaving the editor open.
    static void TypeIntoCell(CStipaNoiseDlg& dialog, int band, const std::string& text)
    {
        CBandTableGrid* grid = dialog.GetGrid();
        int x = 0;
        for (int column = 0; column <= band; ++column)
            x += grid->GetColumnWidth(column);
        x += grid->GetColumnWidth(band + 1) / 2;
        grid->OnItemClick(0, x);
        grid->OnItemClick(0, x);
        ASSERT_EQ(grid->GetEditColumn(), band + 1);
        wxTextCtrl* edit = grid->GetEditControl();
        ASSERT_NE(edit, nullptr);
        edit->SetValue(wxString::FromUTF8(text.c_str()));
    }
    static void Click(wxDialog& dialog, int id)
    {
        auto* button = dynamic_cast<wxButton*>(dialog.FindWindow(id));
        ASSERT_NE(button, nullptr) << id;
        wxCommandEvent event(wxEVT_BUTTON, id);
        event.SetEventObject(button);
        button->GetEventHandler()->ProcessEvent(event);
    }
    // Sets every band of the engine's set through the SNR dialog.
    void SetAllBandsInTheDialog(const std::string& text)
    {
        testsupport::FillAndConfirm answer(
            [&](wxDialog& dialog)
            {
                auto* noise = dynamic_cast<CStipaNoiseDlg*>(&dialog);
                ASSERT_NE(noise, nullptr);
                for (int band = 0; band < CStiBandValues::kFileBands; ++band)
                    TypeCell(*noise, band, text);
            });
        RunCommand(sti_command::kSignalToNoise);
        ASSERT_EQ(answer.m_shown, 1);
        ASSERT_EQ(answer.m_refused, 0);
    }
    std::string Path(const std::string& name)
    {
        std::filesystem::create_directories(m_home.File(name).parent_path());
        return m_home.File(name).string();
    }
};

}  // namespace

TEST_F(SpeechIntelligibilityMenuTest, ThePlugInsMenuOffersTheResultsAndTheSignalToNoiseTable)
{
    wxMenuBar* bar = m_frame->GetMenuBar();
    ASSERT_NE(bar, nullptr);
    wxMenu* menu = nullptr;
    wxMenuItem* display = bar->FindItem(command_id::WxCommandId(sti_command::kDisplayStiRasti), &menu);
    ASSERT_NE(display, nullptr);
    EXPECT_EQ(display->GetItemLabelText(), "Display STI+RASTI");
    EXPECT_EQ(bar->GetMenuLabelText(static_cast<size_t>(bar->FindMenu("Plug-Ins"))), "Plug-Ins");
    EXPECT_EQ(bar->GetMenu(static_cast<size_t>(bar->FindMenu("Plug-Ins"))), menu);
    wxMenuItem* snr = bar->FindItem(command_id::WxCommandId(sti_command::kSignalToNoise));
    ASSERT_NE(snr, nullptr);
    EXPECT_EQ(snr->GetItemLabelText(), "SNR");
}

TEST_F(SpeechIntelligibilityMenuTest, TheTableShowsTheEngineSetAndStoresWhatIsTypedWithADecimalComma)
{
    m_engine.m_stiSnrValues.SetAll(250.0);
    m_engine.m_stiSnrValues.m_values[4] = 7.25;
    {
        testsupport::FillAndConfirm answer(
            [&](wxDialog& dialog)
            {
                auto* noise = dynamic_cast<CStipaNoiseDlg*>(&dialog);
                ASSERT_NE(noise, nullptr);
                EXPECT_EQ(dialog.GetTitle(), "STI Signal to Noise Ratio (SNR)");
                EXPECT_EQ(noise->GetGrid()->GetCellText(0, 0), "SNR [dB]");
                EXPECT_EQ(noise->GetCellText(0), "--");
                EXPECT_EQ(noise->GetCellText(4), "7.2");
                TypeCell(*noise, 0, "12,5");
                TypeCell(*noise, 1, "-3");
                TypeCell(*noise, 4, "--");
                // OK while a cell is still being edited takes what was typed into it.
                TypeIntoCell(*noise, 6, "4,5");
            });
        RunCommand(sti_command::kSignalToNoise);
        EXPECT_EQ(answer.m_shown, 1);
        EXPECT_EQ(answer.m_refused, 0);
    }
    EXPECT_DOUBLE_EQ(m_engine.m_stiSnrValues.m_values[0], 12.5);
    EXPECT_DOUBLE_EQ(m_engine.m_stiSnrValues.m_values[1], -3.0);
    EXPECT_DOUBLE_EQ(m_engine.m_stiSnrValues.m_values[4], 250.0);
    EXPECT_DOUBLE_EQ(m_engine.m_stiSnrValues.m_values[6], 4.5);

    // Cancel leaves the set alone.
    {
        testsupport::FillAndConfirm answer(
            [&](wxDialog& dialog, int)
            {
                TypeCell(*dynamic_cast<CStipaNoiseDlg*>(&dialog), 0, "1");
                return false;
            });
        RunCommand(sti_command::kSignalToNoise);
        EXPECT_EQ(answer.m_shown, 1);
    }
    EXPECT_DOUBLE_EQ(m_engine.m_stiSnrValues.m_values[0], 12.5);
}

TEST_F(SpeechIntelligibilityMenuTest, ACellThatIsNoNumberIsRefusedAndNamedInsteadOfReadingAsZero)
{
    m_engine.m_stiSnrValues.SetAll(20.0);
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder boxes(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    testsupport::FillAndConfirm answer(
        [&](wxDialog& dialog)
        {
            auto* noise = dynamic_cast<CStipaNoiseDlg*>(&dialog);
            TypeCell(*noise, 0, "10");
            TypeCell(*noise, 5, "loud");
        });
    RunCommand(sti_command::kSignalToNoise);
    EXPECT_EQ(answer.m_refused, 1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("\"loud\""), std::string::npos) << messages[0];
    EXPECT_NE(messages[0].find("4000Hz"), std::string::npos) << messages[0];
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        EXPECT_EQ(m_engine.m_stiSnrValues.m_values[band], 20.0) << band;
}

TEST_F(SpeechIntelligibilityMenuTest, LoadShowsSignalMinusNoiseAndSaveWritesTheCells)
{
    const std::string measured = Path("measured.sti_snr");
    CStiBandValues signal;
    CStiBandValues noise;
    signal.SetAll(80.0);
    noise.SetAll(65.0);
    noise.m_values[6] = -150.0;  // 230 dB apart: no noise
    ASSERT_TRUE(WriteStiBandValues(measured, signal, kStiSetSignal));
    ASSERT_TRUE(WriteStiBandValues(measured, noise, kStiSetNoise));
    const std::string saved = Path("saved.sti_snr");

    std::vector<platform::ui::FileDialogRequest> prompts;
    std::string answerPath;
    platform::ui::ScopedFileDialogResponder files(
        [&](const platform::ui::FileDialogRequest& request)
        {
            prompts.push_back(request);
            return answerPath;
        });
    testsupport::FillAndConfirm answer(
        [&](wxDialog& dialog)
        {
            auto* table = dynamic_cast<CStipaNoiseDlg*>(&dialog);
            ASSERT_NE(table, nullptr);
            answerPath.clear();  // a cancelled prompt changes nothing
            Click(dialog, CStipaNoiseDlg::kIdLoad);
            EXPECT_EQ(table->GetCellText(0), "--");
            answerPath = measured;
            Click(dialog, CStipaNoiseDlg::kIdLoad);
            EXPECT_EQ(table->GetCellText(0), "15.0");
            EXPECT_EQ(table->GetCellText(5), "15.0");
            EXPECT_EQ(table->GetCellText(6), "--");
            TypeCell(*table, 1, "9,5");
            answerPath = saved;
            Click(dialog, CStipaNoiseDlg::kIdSave);
        });
    RunCommand(sti_command::kSignalToNoise);
    ASSERT_EQ(prompts.size(), 3u);
    EXPECT_FALSE(prompts[0].save);
    EXPECT_NE(prompts[0].wildcard.find("STI SNR"), std::string::npos) << prompts[0].wildcard;
    EXPECT_NE(prompts[0].wildcard.find("*.sti_snr"), std::string::npos) << prompts[0].wildcard;
    EXPECT_TRUE(prompts[2].save);
    // The loaded ratios went into the engine's set on OK, and "--" is 250 dB.
    EXPECT_DOUBLE_EQ(m_engine.m_stiSnrValues.m_values[0], 15.0);
    EXPECT_DOUBLE_EQ(m_engine.m_stiSnrValues.m_values[1], 9.5);
    EXPECT_DOUBLE_EQ(m_engine.m_stiSnrValues.m_values[6], 250.0);
    // The file holds the cells as they were typed.
    CIniFile ini;
    ASSERT_TRUE(ini.SetFileName(saved));
    EXPECT_EQ(ini.ReadString("STI Signal to Noise.SNR", "125Hz", "?"), "15.0");
    EXPECT_EQ(ini.ReadString("STI Signal to Noise.SNR", "250Hz", "?"), "9,5");
    EXPECT_EQ(ini.ReadString("STI Signal to Noise.SNR", "8000Hz", "?"), "--");
}

TEST_F(SpeechIntelligibilityMenuTest, WithoutAnEvaluationTheResultsAreNotAvailable)
{
    m_app->OnFileNew();
    wxTheApp->Yield(true);
    ASSERT_NE(m_frame->GetActiveView(), nullptr);
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder boxes(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    testsupport::FillAndConfirm answer([](wxDialog&) {});
    RunCommand(sti_command::kDisplayStiRasti);
    EXPECT_EQ(answer.m_shown, 0);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "STI  not available");
}

// IEC 60268-16: with stationary noise only and the same signal-to-noise ratio in every band, the
// modulation transfer is m = 1 / (1 + 10^(-SNR/10)) and SNR = -15 ... +15 dB gives STI = 0 ... 1
// in steps of 1/6.
TEST_F(SpeechIntelligibilityMenuTest, AUnitImpulseWithEqualRatiosInEveryBandGivesTheStandardsIndex)
{
    m_app->OnFileNew();
    wxTheApp->Yield(true);
    CSndView* view = m_frame->GetActiveView();
    ASSERT_NE(view, nullptr);
    constexpr int kFrames = 65536;
    ASSERT_TRUE(view->m_impulse.Prepare(1, kFrames));
    view->m_impulse.m_dSampleRate = 48000.0;
    view->m_impulse.Channel(0)[0] = 1.0f;

    const struct
    {
        const char* typed;
        double sti;
    } cases[] = {
        {"-15", 0.0},     {"-10", 1.0 / 6.0}, {"-5", 2.0 / 6.0}, {"0", 0.5},
        {"5", 4.0 / 6.0}, {"10", 5.0 / 6.0},  {"15", 1.0},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.typed);
        SetAllBandsInTheDialog(c.typed);
        // What the impulse analysis does before it displays: the program's set, then the evaluation.
        view->m_stiEvaluator.m_snr.Assign(m_engine.m_stiSnrValues);
        view->m_stiEvaluator.Evaluate(view->m_impulse.Channel(0), kFrames,
                                      static_cast<std::int32_t>(view->m_impulse.m_dSampleRate));
        view->m_dImpulseSti = view->m_stiEvaluator.m_sti;

        const double snr = std::stod(c.typed);
        const double m = 1.0 / (1.0 + std::pow(10.0, -snr / 10.0));
        testsupport::FillAndConfirm answer(
            [&](wxDialog& dialog)
            {
                auto* results = dynamic_cast<CStiResultsDlg*>(&dialog);
                ASSERT_NE(results, nullptr);
                EXPECT_EQ(dialog.GetTitle(), "Speech intelligibility");
                EXPECT_NEAR(std::stod(results->GetControlText(CStiResultsDlg::kIdSti).ToStdString()), c.sti,
                            0.01);
                EXPECT_NEAR(std::stod(results->GetControlText(CStiResultsDlg::kIdStiMale).ToStdString()),
                            c.sti, 0.01);
                EXPECT_NEAR(std::stod(results->GetControlText(CStiResultsDlg::kIdStiFemale).ToStdString()),
                            c.sti, 0.01);
                EXPECT_EQ(results->GetControlText(CStiResultsDlg::kIdStiRating).ToStdString(),
                          GetText(1000175) + ": " +
                              GetStiRating(
                                  std::stod(results->GetControlText(CStiResultsDlg::kIdSti).ToStdString())));
                // Every cell of the transfer table is the same m, at 0.63 Hz as at 12.5 Hz.
                CBandTableGrid* grid = results->GetGrid();
                EXPECT_EQ(grid->GetCellText(0, 0), "0.63Hz");
                EXPECT_EQ(grid->GetCellText(13, 0), "12.50Hz");
                for (int row : {0, 7, 13})
                    for (int band : {1, 4, 7})
                        EXPECT_NEAR(std::stod(grid->GetCellText(row, band)), m, 0.01) << row << " " << band;
            });
        RunCommand(sti_command::kDisplayStiRasti);
        EXPECT_EQ(answer.m_shown, 1);
        // The dialog showed the engine's set: the evaluator holds it.
        EXPECT_DOUBLE_EQ(view->m_stiEvaluator.m_snr.m_values[3], snr);
    }
}

// Pictures of both dialogs as a user sees them.
TEST_F(SpeechIntelligibilityMenuTest, PicturesOfTheDialogs)
{
    StiSnrTexts texts = {"15.0", "12.5", "--", "0.0", "-3.5", "10.0", "--"};
    auto* noise = new CStipaNoiseDlg(m_frame, texts);
    testsupport::SavePicture(noise, "sti-snr-dialog.png");
    noise->Destroy();

    CStiEvaluator evaluator;
    evaluator.m_snr.SetAll(5.0);
    std::vector<float> impulse(65536, 0.0f);
    impulse[0] = 1.0f;
    // A decaying tail so that the table is not flat.
    for (std::size_t i = 1; i < impulse.size(); ++i)
        impulse[i] =
            static_cast<float>((i % 7 == 0 ? 0.3 : -0.2) * std::exp(-static_cast<double>(i) / 4000.0));
    evaluator.Evaluate(impulse.data(), static_cast<int>(impulse.size()), 48000);
    auto* results = new CStiResultsDlg(m_frame, evaluator);
    testsupport::SavePicture(results, "sti-results-dialog.png");
    results->Destroy();
    Pump(20);
}

namespace
{

void ClickBox(wxDialog& dialog, int id)
{
    auto* box = dynamic_cast<wxCheckBox*>(dialog.FindWindow(id));
    ASSERT_NE(box, nullptr) << id;
    box->SetValue(!box->GetValue());  // what the user's click does to the box
    wxCommandEvent event(wxEVT_CHECKBOX, id);
    event.SetEventObject(box);
    event.SetInt(box->GetValue() ? 1 : 0);
    box->GetEventHandler()->ProcessEvent(event);
}

bool BoxChecked(wxDialog& dialog, int id)
{
    auto* box = dynamic_cast<wxCheckBox*>(dialog.FindWindow(id));
    return box && box->GetValue();
}

std::string ClipboardText()
{
    if (!wxTheClipboard->Open())
        return "<cannot open>";
    std::string text = "<none>";
    wxTextDataObject data;
    if (wxTheClipboard->GetData(data))
        text = data.GetText().utf8_string();
    wxTheClipboard->Close();
    return text;
}

}  // namespace

TEST_F(SpeechIntelligibilityMenuTest, TheStipaWindowsMethodBoxesExcludeEachOtherAndItsButtonsLeaveRequests)
{
    auto* window = new CStipaResultsDlg(m_frame);
    EXPECT_EQ(window->GetTitle(), "STI-PA");
    EXPECT_EQ(window->GetControlText(CStipaResultsDlg::kIdRasti), "RASTI");
    EXPECT_EQ(window->GetControlText(CStipaResultsDlg::kIdNtiStipa), "STIPA");
    EXPECT_FALSE(window->FindWindow(CStipaResultsDlg::kIdEnable)->IsShown());
    CStipaResultsState& state = window->GetState();

    ClickBox(*window, CStipaResultsDlg::kIdRasti);
    EXPECT_TRUE(BoxChecked(*window, CStipaResultsDlg::kIdRasti));
    EXPECT_EQ(state.GetSelectedMethod(), CStipaResultsState::kMethodRasti);
    ClickBox(*window, CStipaResultsDlg::kIdNtiStipa);
    EXPECT_FALSE(BoxChecked(*window, CStipaResultsDlg::kIdRasti));
    EXPECT_TRUE(BoxChecked(*window, CStipaResultsDlg::kIdNtiStipa));
    EXPECT_EQ(state.GetSelectedMethod(), CStipaResultsState::kMethodNtiStipa);
    ClickBox(*window, CStipaResultsDlg::kIdRasti);
    EXPECT_TRUE(BoxChecked(*window, CStipaResultsDlg::kIdRasti));
    EXPECT_FALSE(BoxChecked(*window, CStipaResultsDlg::kIdNtiStipa));
    ClickBox(*window, CStipaResultsDlg::kIdRasti);
    EXPECT_FALSE(BoxChecked(*window, CStipaResultsDlg::kIdRasti));
    EXPECT_FALSE(BoxChecked(*window, CStipaResultsDlg::kIdNtiStipa));
    EXPECT_EQ(state.GetSelectedMethod(), CStipaResultsState::kMethodStipa);

    EXPECT_FALSE(state.m_snrRequest || state.m_noiseRequest || state.m_resetRequest);
    Click(*window, CStipaResultsDlg::kIdSnr);
    Click(*window, CStipaResultsDlg::kIdNoise);
    Click(*window, CStipaResultsDlg::kIdReset);
    EXPECT_TRUE(state.m_snrRequest && state.m_noiseRequest && state.m_resetRequest);

    auto* female = dynamic_cast<wxRadioButton*>(window->FindWindow(CStipaResultsDlg::kIdFemale));
    ASSERT_NE(female, nullptr);
    female->SetValue(true);
    wxCommandEvent chosen(wxEVT_RADIOBUTTON, CStipaResultsDlg::kIdFemale);
    chosen.SetEventObject(female);
    female->GetEventHandler()->ProcessEvent(chosen);
    EXPECT_EQ(state.m_gender, 1);
    window->EnableGender(false);
    EXPECT_FALSE(female->IsEnabled());
    window->EnableGender(true);

    // The copy takes the lines in their order, with the gender word.
    state.m_stiLine = "0.62   good";
    state.m_mtiLine = "MTI: 0.5";
    state.m_m1Line = "M1: 0.6";
    state.m_m2Line = "M2: 0.7";
    state.m_rmsLine = "RMS: 60.0";
    state.m_elapsedLine = "Elapsed Time 16s";
    state.m_method = CStipaResultsState::kMethodStipa;
    Click(*window, CStipaResultsDlg::kIdCopy);
    std::string pasted = ClipboardText();
    std::erase(pasted, '\r');
    EXPECT_EQ(pasted, "0.62   good\nMTI: 0.5\nM1: 0.6\nM2: 0.7\nRMS: 60.0\nfemale\nElapsed Time 16s");

    // Saving the RMS levels as the signal: a prompt for a "sti_snr" file.
    const std::string path = Path("rms.sti_snr");
    state.m_rms.SetAll(72.0);
    std::vector<platform::ui::FileDialogRequest> prompts;
    {
        platform::ui::ScopedFileDialogResponder files(
            [&](const platform::ui::FileDialogRequest& request)
            {
                prompts.push_back(request);
                return path;
            });
        Click(*window, CStipaResultsDlg::kIdSaveSignal);
    }
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_TRUE(prompts[0].save);
    CIniFile ini;
    ASSERT_TRUE(ini.SetFileName(path));
    EXPECT_EQ(ini.ReadString("STI Signal to Noise.SIGNAL", "1000Hz", "?"), "72.00");

    // A picture of the window with a filled table.
    const char* rows[] = {"60.1", "0.512", "0.604", "0.731"};
    for (int band = 1; band <= 7; ++band)
        for (int row = 0; row < CStipaResultsDlg::kRows; ++row)
            window->GetColumns()[band][row] = rows[row];
    window->RefreshResults();
    testsupport::SavePicture(window, "stipa-window.png");
    EXPECT_EQ(window->GetControlText(CStipaResultsDlg::kIdSti), "0.62   good");
    EXPECT_TRUE(window->GetValueDisplay(0)->IsShown());
    window->Hide();
    Pump(20);
    EXPECT_FALSE(window->GetValueDisplay(0)->IsShown());
    window->Destroy();
    Pump(20);
}
