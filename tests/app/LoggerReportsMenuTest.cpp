// The logger reports and the sound-level statistics window on the real engine and the simulated
// input, under a virtual X server: a few seconds of the 1 kHz sine are logged, "Report" and the
// sound power button write their reports while the user's answers come from the test, and the
// statistics window of the first measurement window shows the running figures.
#include "app/LevelLoggers.h"
#include "app/ReportCommands.h"
#include "applications/LevelLogger.h"
#include "applications/LoggerReportCommands.h"
#include "applications/ui/SoundLevelStatisticsDlg.h"
#include "common/ShellHelpers.h"
#include "common/controls/ResultFolderDlg.h"
#include "dsp/BandAnalyzer.h"
#include "engine/AudioInSim.h"
#include "platform/ui/MessageBoxService.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/support/FileBytes.h"
#include "view/ViewDocument.h"
#include "view/ui/MeasurementValueDlgs.h"
#include "view/ui/SndViewWindow.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/display.h>
#include <wx/radiobut.h>
#include <wx/textctrl.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

namespace fs = std::filesystem;

namespace
{

int Count(const std::string& text, const std::string& part)
{
    int n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// A page is whole: one head and body, its tables and rows closed, and every picture and link it
// names lies in its folder.
void ExpectWellFormedPage(const fs::path& page)
{
    SCOPED_TRACE(page.string());
    const std::string text = testsupport::ReadBytes(page);
    EXPECT_EQ(Count(text, "<HTML>"), 1);
    EXPECT_EQ(Count(text, "</HTML>"), 1);
    EXPECT_EQ(Count(text, "<BODY>"), 1);
    EXPECT_EQ(Count(text, "</BODY>"), 1);
    EXPECT_EQ(Count(text, "<TABLE"), Count(text, "</TABLE>"));
    EXPECT_EQ(Count(text, "<TR>"), Count(text, "</TR>"));
    const std::regex reference(R"re((?:SRC|href)="([^"]+)")re");
    for (auto it = std::sregex_iterator(text.begin(), text.end(), reference); it != std::sregex_iterator();
         ++it)
        EXPECT_TRUE(fs::exists(page.parent_path() / (*it)[1].str())) << (*it)[1].str();
}

// The value cell after a caption cell of a report table.
double TableValue(const std::string& page, const std::string& caption)
{
    const std::string cell = "<TD> " + caption + " </TD>\n<TD> ";
    const std::size_t at = page.find(cell);
    if (at == std::string::npos)
        return NAN;
    return std::atof(page.c_str() + at + cell.size());
}

CSoundLevelStatisticsDlg* FindStatisticsWindow()
{
    for (wxWindow* window : wxTopLevelWindows)
        if (auto* statistics = dynamic_cast<CSoundLevelStatisticsDlg*>(window))
            return statistics;
    return nullptr;
}

class LoggerReportsMenuTest : public testsupport::EngineFrameFixture
{
protected:
    void SetUp() override
    {
        EngineFrameFixture::SetUp();
        // The shell's "open" is a program that does nothing.
        g_strOpenProgram = "true";
        // What the program's start-up installs.
        InstallSoundLevelStatistics(*m_app);
    }
    void TearDown() override
    {
        DestroyFrame();
        m_engine.StopInput();
        for (int c = 0; c < CLevelLoggers::kChannels; ++c)
            m_engine.SetLevelLogger(c, nullptr);
        g_strOpenProgram.clear();
        CSndViewWindow::SetOwnedWindowFactory({});
        MainFrameFixture::TearDown();
    }
};

TEST_F(LoggerReportsMenuTest, ASineLoggedForSecondsGivesBothReportsAndTheStatisticsWindowShowsItsLevels)
{
    m_app->m_pLevelLoggers->Attach(&m_engine);
    CSndView* view = NewWindowOnSimulatedInput();
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(m_engine.OpenInput(), 0);
    m_engine.RestartInput();
    g_bDisplayRestart = 1;
    m_engine.m_bProcessingEnabled.store(1);
    view->OnCommand(view_command::kStart);
    ASSERT_TRUE(PumpUntil([&] { return m_engine.m_nAnalysisCounter.load() > 2; }, 5000));

    // The first measurement window owns the statistics window, shown at once.
    CSoundLevelStatisticsDlg* statistics = FindStatisticsWindow();
    ASSERT_NE(statistics, nullptr);
    EXPECT_TRUE(statistics->IsShown());

    // A few seconds of the sine in the logger of the first channel, still running when the report
    // is asked for.
    CBandAnalyzer* analyzer = m_engine.GetBandAnalyzer(0);
    ASSERT_NE(analyzer, nullptr);
    CLevelLogger& logger = *m_app->m_pLevelLoggers->Get(0);
    logger.m_plannedBlocks = 10000;
    logger.m_fastInterval = 0.1;
    ASSERT_TRUE(analyzer->StartLogging());
    ASSERT_TRUE(PumpUntil([&] { return logger.GetBlocksCounted() >= 60; }, 30000))
        << logger.GetStoredBlocks() << " blocks, state " << logger.GetState() << " counted "
        << logger.GetBlocksCounted() << " active " << analyzer->m_loggingActive.load() << " rate "
        << analyzer->m_sampleRate << " fast " << analyzer->m_meters[2].m_levelFast << " analyses "
        << m_engine.m_nAnalysisCounter.load() << " skipped " << analyzer->m_skippedBlocks.load() << " same "
        << (analyzer == m_engine.GetBandAnalyzer(0));
    EXPECT_TRUE(logger.IsRunning());
    // While the logger runs, LA95 comes from the window's histogram.
    Pump(600);
    EXPECT_GT(statistics->GetStatistics().m_total, 0u);
    EXPECT_NE(statistics->GetControlText(CSoundLevelStatisticsDlg::kIdLa95), "-- dB");

    // The sine's level: full scale (16-bit samples) through the A weighting at 1 kHz.
    const double sine =
        20.0 * std::log10(32767.0 / 32768.0 / std::sqrt(2.0)) + 10.0 * std::log10(GetAWeightingPower(1000.0));

    std::vector<std::string> questions;
    platform::ui::ScopedMessageBoxResponder boxes{[&](const platform::ui::MessageBoxRequest& request)
                                                  {
                                                      questions.push_back(request.text);
                                                      return wxID_YES;
                                                  }};
    testsupport::FillAndConfirm answers(
        [&](wxDialog& dialog, int)
        {
            if (auto* folder = dynamic_cast<CResultFolderDlg*>(&dialog))
                dynamic_cast<wxTextCtrl*>(folder->FindWindow(CResultFolderDlg::kIdName))->SetValue("Lauf 1");
            else if (auto* power = dynamic_cast<CSoundPowerDlg*>(&dialog))
            {
                dynamic_cast<wxTextCtrl*>(power->FindWindow(CSoundPowerDlg::kIdSurface))->SetValue("12.5");
                dynamic_cast<wxRadioButton*>(power->FindWindow(CSoundPowerDlg::kIdSix))->SetValue(true);
            }
            return true;
        });

    // Plug-Ins > RTA > Logger > Report: logging stops first, then the report runs on its own.
    // In English the report is the logger toolbar's button; only the German menus list it.
    EXPECT_EQ(m_frame->GetMenuBar()->FindItem(command_id::WxCommandId(kLoggerReportCommand)), nullptr);
    RunCommand(kLoggerReportCommand);
    EXPECT_FALSE(logger.IsRunning());
    EXPECT_EQ(analyzer->m_loggingActive.load(), 0);
    const std::int64_t blocks = logger.GetStoredBlocks();
    ASSERT_TRUE(PumpUntil([&] { return !IsReportRunning(*view); }, 90000));
    const fs::path folder = fs::path(m_app->m_DataFolders.GetPath(CDataFolders::kLevel)) / "Lauf 1";
    for (const char* name : {"SPLviewer.ini", "SPLviewer.bin", "SPLviewer.htm", "TableSPLviewer.htm",
                             "SPL_fast_wideband.png", "SPL_Taktmax_wideband.png", "SPL_LEQ_wideband.png"})
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    ExpectWellFormedPage(folder / "SPLviewer.htm");
    ExpectWellFormedPage(folder / "TableSPLviewer.htm");
    const std::string report = testsupport::ReadBytes(folder / "SPLviewer.htm");
    EXPECT_EQ(report.find("Zeitüberschreitung"), std::string::npos) << report;
    EXPECT_NE(report.find("Anzahl der Datenpunkte: " + std::to_string(blocks)), std::string::npos);
    EXPECT_NEAR(TableValue(report, "LAeq"), sine, 0.1) << report;
    EXPECT_EQ(Count(testsupport::ReadBytes(folder / "TableSPLviewer.htm"), "<TR>"), blocks + 1);

    // The same folder again: the overwrite question, answered Yes; while the report runs, a second
    // "Report" asks whether to abort it, and Yes stops it at its next step.
    questions.clear();
    RunCommand(kLoggerReportCommand);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_EQ(questions[0], kOverwriteReportQuestion);
    if (IsReportRunning(*view))
    {
        RunCommand(kLoggerReportCommand);
        ASSERT_EQ(questions.size(), 2u);
        EXPECT_EQ(questions[1], "Assistant is already running. Do you want to abort it?");
        ASSERT_TRUE(PumpUntil([&] { return !IsReportRunning(*view); }, 30000));
        EXPECT_NE(testsupport::ReadBytes(folder / "SPLviewer.htm").find("Der Bericht wurde abgebrochen."),
                  std::string::npos);
    }

    // The sound power button: the dialog's six microphones and 12.5 m², a new folder.
    questions.clear();
    answers.m_shown = 0;
    RunCommand(kSoundPowerReportCommand);
    EXPECT_EQ(GetSoundPowerSettings().microphones, 6);
    ASSERT_TRUE(PumpUntil([&] { return !IsReportRunning(*view); }, 60000));
    for (const char* name : {"SPLviewer.ini", "SPLviewer.bin", "Schallleistung.htm", "SPL_fast_wideband.png"})
        EXPECT_TRUE(fs::exists(folder / name)) << name;
    ExpectWellFormedPage(folder / "Schallleistung.htm");
    const std::string power = testsupport::ReadBytes(folder / "Schallleistung.htm");
    EXPECT_NE(power.find("Anzahl der Mikrofone: 6"), std::string::npos);
    EXPECT_NE(power.find("Meßfläche: 12.5qm"), std::string::npos);
    EXPECT_NE(power.find("Statistiken 1/" + std::to_string(logger.m_bands.m_bandsPerOctave) + " Oktav"),
              std::string::npos);

    // With the logger stopped the statistics window reads the analyser's own 95 % level; the window
    // is saved as a picture.
    Pump(700);
    testsupport::SavePicture(statistics, "tessarin-sound-level-statistics.png");
    // "Reset measurements" empties the histogram through the measurement window.
    EXPECT_GT(statistics->GetStatistics().m_total, 0u);
    RunCommand(view_command::kResetMeasurements);
    EXPECT_EQ(statistics->GetStatistics().m_total, 0u);
    // X4 keeps the window on the screen.
    statistics->Zoom(4);
    const wxRect screen = wxDisplay(0u).GetClientArea();
    EXPECT_LE(statistics->GetSize().x, screen.width);
    EXPECT_LE(statistics->GetSize().y, screen.height);
}

TEST_F(LoggerReportsMenuTest, ClosingTheWindowStopsItsReportAndWaitsForIt)
{
    m_app->m_pLevelLoggers->Attach(&m_engine);
    m_app->OnFileNew();
    wxTheApp->Yield(true);
    CSndView* view = m_frame->GetActiveView();
    ASSERT_NE(view, nullptr);
    m_engine.StopInput();
    m_engine.SetInputDevice(CSoundIn::kInputSimulated, std::make_unique<CAudioIn_Sim>());
    m_engine.m_nInputMode = CSoundIn::kInputSimulated;
    ASSERT_EQ(m_engine.OpenInput(), 0);
    ASSERT_NE(GetReportLogger(*view), nullptr);
    CLevelLogger& logger = *m_app->m_pLevelLoggers->Get(0);
    // A stored run without any input: the window never refreshes, so every wait would run out.
    logger.m_sampleRate = 48000.0;
    logger.m_plannedBlocks = 100;
    logger.m_journalOn = false;
    ASSERT_TRUE(logger.AllocateBlocks());
    ASSERT_TRUE(logger.Start());
    std::vector<CLevelRecord> records(
        static_cast<std::size_t>(logger.m_widebandCount + logger.GetLoggedBandCount()));
    for (int b = 0; b < 80; ++b)
    {
        while (logger.GetSamplesToIntervalEnd() > 0)
            logger.ConsumeSamples(
                static_cast<int>(std::min<std::int64_t>(logger.GetSamplesToIntervalEnd(), 4096)));
        logger.StoreRecords(records);
        logger.BeginInterval();
    }
    logger.Stop();
    platform::ui::ScopedMessageBoxResponder boxes{[](const platform::ui::MessageBoxRequest&)
                                                  { return wxID_YES; }};
    testsupport::FillAndConfirm answers(
        [](wxDialog& dialog)
        {
            if (auto* folder = dynamic_cast<CResultFolderDlg*>(&dialog))
                dynamic_cast<wxTextCtrl*>(folder->FindWindow(CResultFolderDlg::kIdName))->SetValue("Lauf 2");
        });
    g_nReportWaitMs = 60000;
    RunCommand(kLoggerReportCommand);
    ASSERT_TRUE(IsReportRunning(*view));
    const auto start = std::chrono::steady_clock::now();
    DestroyFrame();
    Pump(200);
    g_nReportWaitMs = 5000;
    // The report ended at its next step, long before its minute-long wait ran out.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
    const fs::path page =
        fs::path(m_app->m_DataFolders.GetPath(CDataFolders::kLevel)) / "Lauf 2" / "SPLviewer.htm";
    EXPECT_NE(testsupport::ReadBytes(page).find("Der Bericht wurde abgebrochen."), std::string::npos);
}

}  // namespace
