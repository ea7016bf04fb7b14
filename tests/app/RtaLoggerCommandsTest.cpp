// The real-time analyser and level logger commands reached through Tessarin's menus, on the real
// engine and the simulated input under a virtual X server: the RTA toggles and speeds with their
// check marks, the enabling of Save and View results, the memory limit of Start and what Start
// takes over, a logged run saved, loaded and shown as a level course, the DIN 15905 dialogs, and a
// DIN 15905 run over three periods whose folder gets its results page and export.
#include "app/LevelLoggers.h"
#include "applications/LevelLogger.h"
#include "applications/ui/DIN15905Dlgs.h"
#include "applications/ui/RtaLoggerCommands.h"
#include "display/settings/ViewSettings.h"
#include "engine/AudioInSim.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/applications/LoggerTestSupport.h"
#include "tests/display/ScopedLanguage.h"
#include "texts/TextTable.h"
#include "view/SndView.h"
#include "view/ui/MeasurementValueDlgs.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/menu.h>
#include <wx/textctrl.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace
{

std::string ReadText(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

void SetEdit(wxDialog& dialog, int id, const char* text)
{
    auto* edit = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(id));
    ASSERT_NE(edit, nullptr) << id;
    edit->ChangeValue(text);
}

class RtaLoggerCommandsTest : public testsupport::EngineFrameFixture
{
protected:
    void SetUp() override
    {
        EngineFrameFixture::SetUp();
        if (IsSkipped())
            return;
        CRtaLoggerCommands::s_wait = [](int milliseconds) { Pump(milliseconds); };
        m_app->m_pLevelLoggers->Attach(&m_engine);
        m_app->OnFileNew();
        wxTheApp->Yield(true);
        m_view = m_frame->GetActiveView();
        ASSERT_NE(m_view, nullptr);
        m_engine.StopInput();
        m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
        m_engine.m_nInputMode = CSoundIn::kInputSimulated;
        g_bDisplayRestart = 1;
        m_engine.m_bProcessingEnabled.store(1);
        m_frame->SetSize(1100, 760);
    }
    void TearDown() override
    {
        CRtaLoggerCommands::s_wait = {};
        CRtaLoggerCommands::s_chooseFolder = {};
        DestroyFrame();
        m_engine.StopInput();
        for (int c = 0; c < CLevelLoggers::kChannels; ++c)
            m_engine.SetLevelLogger(c, nullptr);
        MainFrameFixture::TearDown();
    }
    CLevelLogger& Logger() { return *m_app->m_pLevelLoggers->Get(0); }
    CViewSettings& Settings() { return *m_view->GetSettings(); }
    bool MenuEnabled(int id)
    {
        wxMenuBar* bar = m_frame->GetMenuBar();
        for (size_t i = 0; i < bar->GetMenuCount(); ++i)
            bar->GetMenu(i)->UpdateUI();
        wxMenuItem* item = bar->FindItem(command_id::WxCommandId(id));
        return item && item->IsEnabled();
    }
    // A stopped run of `blocks` made-up blocks in the first channel's logger.
    void StoreSyntheticRun(int blocks)
    {
        CLevelLogger& logger = Logger();
        loggertest::SetUpSynthetic(logger, m_clock);
        logger.m_plannedBlocks = blocks;
        ASSERT_TRUE(logger.AllocateBlocks());
        ASSERT_TRUE(logger.Start());
        std::vector<CLevelRecord> scratch;
        for (int b = 0; b < blocks; ++b)
            loggertest::FeedSyntheticBlock(logger, b, scratch);
        logger.Stop();
    }
    loggertest::TestClock m_clock;
    CSndView* m_view = nullptr;
};

TEST_F(RtaLoggerCommandsTest, RtaTogglesAndSpeedsShowTheirCheckMarks)
{
    wxMenuItem* third = m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(32801));
    ASSERT_NE(third, nullptr);
    EXPECT_EQ(third->GetItemLabelText().utf8_string(), "1\u22153 octave RTA");

    struct Step
    {
        int command;
        int barGraph, bands;
        bool octave, thirdOctave;
    };
    // Third octave on; octave switches to octaves; octave again switches the RTA off.
    const Step steps[] = {
        {32801, 1, 3, false, true}, {32798, 1, 1, true, false}, {32798, 0, 0, false, false}};
    for (const Step& step : steps)
    {
        SCOPED_TRACE(step.command);
        RunCommand(step.command);
        EXPECT_EQ(Settings().m_bBarGraph, step.barGraph);
        EXPECT_EQ(Settings().m_nBandsPerOctave, step.bands);
        EXPECT_EQ(MenuChecked(32798), step.octave);
        EXPECT_EQ(MenuChecked(32801), step.thirdOctave);
        EXPECT_FALSE(MenuChecked(32926));
        EXPECT_EQ(m_engine.m_nFftSize, 8192);
        EXPECT_EQ(m_engine.m_bWindowEnable, 1);
        EXPECT_EQ(m_engine.m_nWindowType, 1);
        EXPECT_EQ(m_engine.m_nWeightingType, 1);
    }

    // 1/N octave: the dialog offers 6 while the RTA is off; Cancel changes nothing, OK takes 12.
    m_engine.m_nWeightingType = 2;
    {
        testsupport::FillAndConfirm cancel([](wxDialog&, int) { return false; });
        RunCommand(32926);
        EXPECT_EQ(Settings().m_bBarGraph, 0);
    }
    {
        testsupport::FillAndConfirm answer(
            [](wxDialog& dialog)
            {
                auto* bands = dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CSelectBandsDlg::kIdBands));
                ASSERT_NE(bands, nullptr);
                EXPECT_EQ(bands->GetValue(), "6");
                bands->ChangeValue("12");
            });
        RunCommand(32926);
        EXPECT_EQ(answer.m_shown, 1);
    }
    EXPECT_EQ(Settings().m_nBandsPerOctave, 12);
    EXPECT_TRUE(MenuChecked(32926));
    EXPECT_FALSE(MenuChecked(32801));
    EXPECT_EQ(m_engine.m_nWeightingType, 2) << "1/N octave keeps the frequency weighting";

    const std::pair<int, int> speeds[] = {{33065, 1}, {33067, 2}, {33066, 3},
                                          {33092, 4}, {33068, 6}, {33069, 7}};
    for (const auto& [id, code] : speeds)
    {
        RunCommand(id);
        EXPECT_EQ(Settings().m_nTimeWeighting, code);
        for (const auto& [other, otherCode] : speeds)
            EXPECT_EQ(MenuChecked(other), other == id) << id << " " << other;
    }
}

TEST_F(RtaLoggerCommandsTest, SaveAndViewResultsNeedStoredBlocksAndSaveIsOffInDinMode)
{
    EXPECT_FALSE(MenuEnabled(33073));
    EXPECT_FALSE(MenuEnabled(33077));
    StoreSyntheticRun(5);
    EXPECT_TRUE(MenuEnabled(33073));
    EXPECT_TRUE(MenuEnabled(33077));
    Logger().m_dinMode = 1;
    EXPECT_FALSE(MenuEnabled(33073));
    EXPECT_TRUE(MenuEnabled(33077));
    Logger().m_dinMode = 0;
    EXPECT_FALSE(MenuChecked(33075));
}

TEST_F(RtaLoggerCommandsTest, StartRefusesMoreThan1000MegabytesAndTakesTheLevelMonitorSettings)
{
    RunCommand(32801);
    ASSERT_TRUE(PumpUntil([&] { return m_engine.IsRunning(); }, 5000));
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    m_engine.m_bCalibration = 1;
    m_engine.m_fCalibrationOffset = 12.5f;
    m_engine.m_dLevelShortTime = 0.2;

    // 10 million blocks of 1904 bytes: refused with the message, nothing started.
    m_engine.m_nLevelHistoryLength = 10'000'000;
    RunCommand(33075);
    // Three wideband records and the third-octave bands of the analyser, 56 bytes each, a block.
    const int records = Logger().m_widebandCount + Logger().GetLoggedBandCount();
    EXPECT_EQ(Logger().m_widebandCount, 3);
    EXPECT_GE(Logger().GetLoggedBandCount(), 28);
    EXPECT_EQ(Logger().GetRequiredMemory(), 10'000'000LL * records * 56);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(
        messages[0].rfind("Der Speicherbedarf beträgt mehr als 1GB!\nBitte vergrößern Sie das Messintervall "
                          "(aktuell 0.200000s).",
                          0),
        0u)
        << messages[0];
    EXPECT_FALSE(Logger().IsRunning());
    EXPECT_FALSE(MenuChecked(33075));

    // 500 thousand blocks (less than 1000 MB) start, with the level monitor's times and the calibration
    // offset.
    m_engine.m_nLevelHistoryLength = 500'000;
    RunCommand(33075);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_TRUE(Logger().IsRunning());
    EXPECT_TRUE(MenuChecked(33075));
    EXPECT_DOUBLE_EQ(Logger().m_fastInterval, 0.2);
    EXPECT_DOUBLE_EQ(Logger().m_interval, 0.2);
    EXPECT_EQ(Logger().m_plannedBlocks, 500'000);
    EXPECT_DOUBLE_EQ(Logger().m_calibrationOffset, 12.5);
    RunCommand(33076);
    EXPECT_FALSE(Logger().IsRunning());
    EXPECT_FALSE(MenuChecked(33075));

    // Without calibration the offset is 0.
    m_engine.m_bCalibration = 0;
    m_engine.m_nLevelHistoryLength = 50;
    RunCommand(33075);
    EXPECT_TRUE(Logger().IsRunning());
    EXPECT_DOUBLE_EQ(Logger().m_calibrationOffset, 0.0);
    RunCommand(33076);
}

TEST_F(RtaLoggerCommandsTest, ALoggedRunIsSavedLoadedAndShownAsALevelCourse)
{
    const std::filesystem::path shots(TESSARIN_TEST_OUTPUT_DIR);
    RunCommand(32801);
    ASSERT_TRUE(PumpUntil([&] { return m_engine.IsRunning(); }, 5000));
    // 30 blocks of 0.1 s: the run stops itself after 3 s.
    m_engine.m_dLevelShortTime = 0.1;
    m_engine.m_nLevelHistoryLength = 30;
    RunCommand(33075);
    ASSERT_TRUE(Logger().IsRunning());
    ASSERT_TRUE(PumpUntil([&] { return !Logger().IsRunning() && !MenuChecked(33075); }, 20000));
    EXPECT_EQ(Logger().GetStoredBlocks(), 30);
    EXPECT_GT(m_view->GetPlot().m_nBandCount, 20);
    EXPECT_TRUE(m_frame->SaveScreenshot((shots / "rta-third-octave.png").string()));

    const std::filesystem::path file = m_home.File("logs/run.ini");
    std::filesystem::create_directories(file.parent_path());
    {
        platform::ui::ScopedFileDialogResponder answer(
            [&](const platform::ui::FileDialogRequest& request)
            {
                EXPECT_TRUE(request.save);
                EXPECT_NE(request.wildcard.find("*.ini"), std::string::npos);
                return (file.parent_path() / "run").string();
            });
        ASSERT_TRUE(MenuEnabled(33073));
        RunCommand(33073);
    }
    ASSERT_TRUE(std::filesystem::exists(file));
    EXPECT_TRUE(std::filesystem::exists(m_home.File("logs/run.bin")));

    // Loaded into a window without a frequency axis: its level course in mode 271.
    std::vector<double> saved;
    for (int b = 0; b < 30; ++b)
        saved.push_back(Logger().GetValue(0, b, 1, -1));
    m_view->OnCommand(view_command::kOscilloscope);
    {
        platform::ui::ScopedFileDialogResponder answer(
            [&](const platform::ui::FileDialogRequest& request)
            {
                EXPECT_FALSE(request.save);
                return file.string();
            });
        RunCommand(33074);
    }
    EXPECT_EQ(m_view->GetViewMode(), 271);
    EXPECT_EQ(Settings().m_nLoggerResultType, 0);
    EXPECT_EQ(Settings().m_nLoggerWeighting, 1);
    EXPECT_DOUBLE_EQ(Settings().m_dLoggerCentreFrequency, -1.0);
    Pump(500);
    const CPlot& plot = m_view->GetPlot();
    ASSERT_EQ(plot.m_dataRange.m_nPoints, 30);
    ASSERT_NE(plot.m_pData, nullptr);
    for (int b = 0; b < 30; ++b)
    {
        EXPECT_NEAR(plot.m_pData[b], saved[static_cast<std::size_t>(b)], 1e-3) << b;
        EXPECT_NEAR(plot.GetXValue(b), 0.1 * b, 1e-4) << b;
    }
    // The simulated sine reads the same level in every block after the first.
    EXPECT_NEAR(plot.m_pData[29], plot.m_pData[10], 0.1);
    EXPECT_TRUE(m_frame->SaveScreenshot((shots / "logger-level-course.png").string()));
}

TEST_F(RtaLoggerCommandsTest, EventDialogSavesItsSectionOnlyAndLoadsBoth)
{
    const std::filesystem::path both = m_home.File("both.ini");
    std::filesystem::create_directories(both.parent_path());
    std::ofstream(both)
        << "[Veranstaltung]\nOrt=Stadtpark\nName=Sommerfest\n[Messung]\nTechniker=Eva\nK1=4.5\n";
    CDIN15905EventDlg dialog(m_frame);
    std::string answer = both.string();
    platform::ui::ScopedFileDialogResponder files([&](const platform::ui::FileDialogRequest&)
                                                  { return answer; });
    dialog.OnLoad();
    EXPECT_EQ(dialog.m_info.m_place, "Stadtpark");
    EXPECT_EQ(dialog.m_info.m_name, "Sommerfest");
    EXPECT_EQ(dialog.m_info.m_technician, "Eva");
    EXPECT_DOUBLE_EQ(dialog.m_info.m_k1, 4.5);
    EXPECT_EQ(dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CDIN15905EventDlg::kIdPlace))->GetValue(),
              "Stadtpark");

    // "Speichern" takes the edits and writes the event section only.
    dynamic_cast<wxTextCtrl*>(dialog.FindWindow(CDIN15905EventDlg::kIdOrganiser))->ChangeValue("Stadt");
    answer = m_home.File("event").string();
    dialog.OnSave();
    const std::string text = ReadText(m_home.File("event.ini"));
    EXPECT_NE(text.find("[Veranstaltung]"), std::string::npos) << text;
    EXPECT_NE(text.find("Veranstalter=Stadt"), std::string::npos) << text;
    EXPECT_NE(text.find("ID="), std::string::npos) << text;
    EXPECT_EQ(text.find("[Messung]"), std::string::npos) << text;
    // A cancelled file dialog does nothing.
    answer.clear();
    dialog.OnSave();
    dialog.OnLoad();
    EXPECT_EQ(dialog.m_info.m_organiser, "Stadt");
}

TEST_F(RtaLoggerCommandsTest, MeasurementDialogRefusesAKThatIsNotANumberAndOnlyWarnsANegativeOne)
{
    std::vector<std::string> messages;
    platform::ui::ScopedMessageBoxResponder responder(
        [&](const platform::ui::MessageBoxRequest& request)
        {
            messages.push_back(request.text);
            return wxID_OK;
        });
    struct Case
    {
        const char* k1;
        bool accepted;
        bool warned;
    };
    for (const Case c : {Case{"abc", false, false}, Case{"-3", true, true}, Case{"11", true, false}})
    {
        SCOPED_TRACE(c.k1);
        messages.clear();
        CDIN15905MeasurementDlg dialog(m_frame);
        testsupport::FillAndConfirm answer(
            [&](wxDialog& shown)
            {
                SetEdit(shown, CDIN15905MeasurementDlg::kIdK1, c.k1);
                SetEdit(shown, CDIN15905MeasurementDlg::kIdK2, "10.7");
                SetEdit(shown, CDIN15905MeasurementDlg::kIdTechnician, "Eva");
            });
        const int result = dialog.ShowModal();
        EXPECT_EQ(result == wxID_OK, c.accepted);
        EXPECT_EQ(answer.m_refused, c.accepted ? 0 : 1);
        if (c.accepted)
        {
            EXPECT_DOUBLE_EQ(dialog.m_info.m_k1, std::stod(c.k1));
            EXPECT_DOUBLE_EQ(dialog.m_info.m_k2, 10.7);
            EXPECT_EQ(dialog.m_info.m_technician, "Eva");
        }
        else
        {
            EXPECT_DOUBLE_EQ(dialog.m_info.m_k1, 0.0) << "a refused value reaches nothing";
            EXPECT_EQ(dialog.m_info.m_technician, "");
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_NE(messages[0].find("K1"), std::string::npos) << messages[0];
        }
        const bool warned = !messages.empty() && messages.back() == CDIN15905MeasurementDlg::kNegativeWarning;
        EXPECT_EQ(warned, c.warned);
    }
}

TEST_F(RtaLoggerCommandsTest, DinRunOverThreePeriodsGetsItsResultsPageAndExport)
{
    // The preset's questions: the event, then the measurement with K1 and K2.
    CLevelLogger& logger = Logger();
    {
        testsupport::FillAndConfirm answer(
            [](wxDialog& dialog, int showing)
            {
                if (showing == 0)
                    SetEdit(dialog, CDIN15905EventDlg::kIdPlace, "Stadtpark");
                else
                {
                    SetEdit(dialog, CDIN15905MeasurementDlg::kIdK1, "11");
                    SetEdit(dialog, CDIN15905MeasurementDlg::kIdK2, "10.7");
                }
                return true;
            });
        EXPECT_TRUE(EditDin15905Info(m_frame, logger));
        EXPECT_EQ(answer.m_shown, 2);
    }
    EXPECT_EQ(logger.m_dinMode, 1);
    EXPECT_EQ(logger.m_dinInfo.m_place, "Stadtpark");
    EXPECT_DOUBLE_EQ(logger.m_dinInfo.m_k1, 11.0);
    EXPECT_DOUBLE_EQ(logger.m_dinInfo.m_k2, 10.7);

    std::time_t now = 1'700'000'000;
    logger.m_clock = [&now] { return now; };
    logger.m_din.m_periodLength = 120.0;
    RunCommand(32801);
    ASSERT_TRUE(PumpUntil([&] { return m_engine.IsRunning(); }, 5000));
    m_engine.m_dLevelShortTime = 0.1;
    m_engine.m_nLevelHistoryLength = 100;
    RunCommand(33075);
    ASSERT_TRUE(logger.IsRunning());
    EXPECT_TRUE(logger.IsDinModeActive());
    const std::string folder = logger.m_din.m_resultFolder;
    ASSERT_FALSE(folder.empty());
    // Three periods of the simulated clock, each with half a second of input.
    CBandAnalyzer* analyzer = m_engine.GetBandAnalyzer(0);
    for (int period = 0; period < 3; ++period)
    {
        Pump(500);
        now += 120;
        EXPECT_TRUE(analyzer->CheckDinPeriod()) << period;
    }
    Pump(300);
    EXPECT_EQ(logger.m_din.m_periodFiles.size(), 3u);

    std::vector<std::string> titles;
    CRtaLoggerCommands::s_chooseFolder = [&](const std::string& title, const std::string&)
    {
        titles.push_back(title);
        return folder;
    };
    RunCommand(33102);
    // "Bericht" stops logging first: the last period is closed as well.
    EXPECT_FALSE(logger.IsRunning());
    EXPECT_EQ(logger.m_din.m_periodFiles.size(), 4u);
    const std::string page = ReadText(std::filesystem::path(folder) / "DIN15905.htm");
    EXPECT_NE(page.find("K1   :   11.0dB"), std::string::npos);
    EXPECT_NE(page.find("K2   :   10.7dB"), std::string::npos);
    EXPECT_NE(page.find("Stadtpark"), std::string::npos);
    RunCommand(33103);
    const std::string csv = ReadText(std::filesystem::path(folder) / "export.csv");
    EXPECT_FALSE(csv.empty());
    EXPECT_EQ(titles, (std::vector<std::string>{"DIN15905 Messergebnisse", "DIN15905 Messergebnisse"}));

    // Every period's data set carries the record below the logger's settings section.
    const std::string period = ReadText(std::filesystem::path(folder) / logger.m_din.m_periodFiles[0]);
    EXPECT_NE(period.find("[info.DIN15905.Veranstaltung]"), std::string::npos);
    EXPECT_NE(period.find("[info.DIN15905.Messung]"), std::string::npos);

    // No folder chosen: nothing happens.
    std::filesystem::remove(std::filesystem::path(folder) / "export.csv");
    CRtaLoggerCommands::s_chooseFolder = [](const std::string&, const std::string&) { return std::string(); };
    RunCommand(33103);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(folder) / "export.csv"));
}

class RtaMenusTest : public testsupport::MainFrameFixture
{
protected:
    // The path of menu captions down to the command's item ("" when it has none).
    std::string PathOf(int id)
    {
        wxMenuBar* bar = m_frame->GetMenuBar();
        for (size_t i = 0; i < bar->GetMenuCount(); ++i)
        {
            std::string path;
            if (Find(bar->GetMenu(i), command_id::WxCommandId(id), path))
                return bar->GetMenuLabelText(i).utf8_string() + path;
        }
        return {};
    }
    static bool Find(wxMenu* menu, int wxId, std::string& path)
    {
        for (wxMenuItem* item : menu->GetMenuItems())
        {
            if (item->IsSubMenu())
            {
                std::string below;
                if (Find(item->GetSubMenu(), wxId, below))
                {
                    path = "/" + item->GetItemLabelText().utf8_string() + below;
                    return true;
                }
            }
            else if (item->GetId() == wxId)
            {
                path = "/" + item->GetItemLabelText().utf8_string();
                return true;
            }
        }
        return false;
    }
};

TEST_F(RtaMenusTest, EnglishPlugInsRtaAndGermanModuleMenus)
{
    struct Case
    {
        int id;
        const char* english;
        const char* german;
    };
    const Case cases[] = {
        {32798, "Plug-Ins/RTA/Octave RTA", "Module/RTA/Oktav-Analysator"},
        {33066, "Plug-Ins/RTA/Speed/Slow (1.0s)", "Module/RTA/Geschwindigkeit/Slow (1.0s)"},
        // The text table's English caption of "Save" is "save".
        {33073, "Plug-Ins/RTA/Logger/save", "Module/RTA/Logger/Speichern"},
        {33076, "Plug-Ins/RTA/Logger/Stop", "Module/RTA/Logger/Stopp"},
        {33077, "Plug-Ins/RTA/Logger/View results", "Module/RTA/Logger/Anzeigen"},
        {33102, "", "Module/DIN15905/Bericht"},
        {33103, "", "Module/DIN15905/Export"},
    };
    for (const int language : {LANGUAGE_ENGLISH, LANGUAGE_GERMAN})
    {
        displaytest::ScopedLanguage scoped(language);
        Create();
        for (const Case& c : cases)
            EXPECT_EQ(PathOf(c.id), language == LANGUAGE_GERMAN ? c.german : c.english) << c.id;
        DestroyFrame();
    }
}

}  // namespace
