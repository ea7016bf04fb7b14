// The impulse reports through Tessarin's own menus, with a temporary home: decays written by the
// test and loaded with "Load file", the impulse analysis and energy-decay reports written into a
// folder chosen in the folder browser, their files checked (well-formed pages whose links resolve,
// pictures that decode), and a window closed while its report runs.
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dirctrl.h>
#include <wx/image.h>
#include <wx/menu.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/ChildFrame.h"
#include "app/MainFrame.h"
#include "applications/ImpulseAnalysisCommands.h"
#include "applications/ImpulseReports.h"
#include "common/ShellHelpers.h"
#include "platform/ui/MdiChildFrame.h"
#include "platform/ui/MdiContainer.h"
#include "tests/app/DialogHooks.h"
#include "tests/app/MainFrameFixture.h"
#include "tests/support/FileBytes.h"
#include "tests/view/DecayWave.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"
#include "view/ui/SndViewWindow.h"

namespace
{

namespace fs = std::filesystem;

double NumberAfter(const std::string& text, const std::string& key)
{
    const std::size_t at = text.find(key);
    return at == std::string::npos ? std::nan("") : std::strtod(text.c_str() + at + key.size(), nullptr);
}

// Every element is closed in order (the void elements excepted), and the page is one HTML element.
::testing::AssertionResult WellFormed(const std::string& html)
{
    static const std::set<std::string> kVoid = {"br", "hr", "img", "meta"};
    std::vector<std::string> open;
    const std::regex tag(R"(<(/?)([A-Za-z][A-Za-z0-9]*)[^>]*>)");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), tag); it != std::sregex_iterator(); ++it)
    {
        std::string name = (*it)[2];
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return std::tolower(c); });
        if (kVoid.count(name) != 0)
            continue;
        if ((*it)[1].length() == 0)
            open.push_back(name);
        else if (open.empty() || open.back() != name)
            return ::testing::AssertionFailure() << "</" << name << "> at " << it->position() << " closes "
                                                 << (open.empty() ? "nothing" : open.back());
        else
            open.pop_back();
    }
    if (!open.empty())
        return ::testing::AssertionFailure() << "<" << open.back() << "> is not closed";
    if (html.rfind("<HTML>", 0) != 0 || html.find("</HTML>") == std::string::npos)
        return ::testing::AssertionFailure() << "not one HTML element";
    return ::testing::AssertionSuccess();
}

// The files the page's pictures and links name, each checked to be in the folder.
std::vector<std::string> Targets(const std::string& html)
{
    std::vector<std::string> targets;
    const std::regex reference("(?:SRC|href)=\"([^\"]+)\"", std::regex::icase);
    for (auto it = std::sregex_iterator(html.begin(), html.end(), reference); it != std::sregex_iterator();
         ++it)
        targets.push_back((*it)[1]);
    return targets;
}

class ImpulseReportsMenuTest : public testsupport::EngineFrameFixture
{
protected:
    void SetUp() override
    {
        EngineFrameFixture::SetUp();
        if (IsSkipped())
            return;
        g_strOpenProgram = "true";
        // What the program's start-up switches on before a window shows data.
        g_bDisplayRestart = 1;
        m_engine.m_reverbWizard.minFrequency = 100.0;
        m_engine.m_reverbWizard.maxFrequency = 5000.0;
        m_app->OnFileNew();
        wxTheApp->Yield(true);
        m_view = m_frame->GetActiveView();
        ASSERT_NE(m_view, nullptr);
        m_engine.m_bProcessingEnabled.store(1);
    }
    void TearDown() override
    {
        CSndViewWindow::s_strImpulseFileAnswer.clear();
        g_strOpenProgram.clear();
        EngineFrameFixture::TearDown();
    }

    // A decay written by the test as WAVE and loaded through Plug-Ins > Impulse response > load file.
    void LoadDecay(const std::string& name, double decayTime)
    {
        const fs::path path = m_home.Root() / name;
        ASSERT_TRUE(viewtest::WriteDecayWave(path.string(), decayTime, 48000, 3.0 * decayTime + 0.5));
        CSndViewWindow::s_strImpulseFileAnswer = path.string();
        RunCommand(view_command::kLoadImpulse);
        ASSERT_TRUE(m_view->GetImpulse().IsHeld());
        ASSERT_EQ(m_view->GetImpulse().m_nFrames, static_cast<int>((3.0 * decayTime + 0.5) * 48000));
        // The impulse plot scales itself once it was first drawn (a job of the window).
        EXPECT_EQ(m_view->GetJobKind(), CSndView::kJobAutoScale);
        EXPECT_TRUE(PumpUntil([&] { return !m_view->IsJobRunning(); }, 30000));
    }
    // Runs a report command with the folder browser answered `folder`; returns the browser's title.
    std::string StartReport(int id, const fs::path& folder)
    {
        fs::create_directories(folder);
        std::string title;
        testsupport::FillAndConfirm browser(
            [&](wxDialog& dialog)
            {
                title = dialog.GetTitle().utf8_string();
                for (wxWindow* child : dialog.GetChildren())
                    if (auto* tree = dynamic_cast<wxGenericDirCtrl*>(child))
                        tree->SetPath(wxString::FromUTF8(folder.string()));
            });
        RunCommand(id);
        return title;
    }
    void WaitForReport()
    {
        EXPECT_TRUE(PumpUntil([&] { return !m_view->IsJobRunning(); }, 120000));
        Pump(100);
    }
    // The page is well formed, its links resolve and its pictures decode; returns the page.
    std::string CheckPage(const fs::path& page, std::size_t pictures)
    {
        const std::string html = testsupport::ReadBytes(page);
        EXPECT_TRUE(WellFormed(html)) << page;
        std::size_t decoded = 0;
        for (const std::string& target : Targets(html))
        {
            const fs::path file = page.parent_path() / target;
            EXPECT_TRUE(fs::is_regular_file(file)) << target;
            if (file.extension() == ".png")
            {
                wxImage image;
                EXPECT_TRUE(image.LoadFile(wxString::FromUTF8(file.string()), wxBITMAP_TYPE_PNG)) << target;
                EXPECT_GT(image.GetWidth(), 100) << target;
                decoded += image.IsOk() ? 1 : 0;
            }
        }
        EXPECT_EQ(decoded, pictures) << page;
        return html;
    }
    void KeepPicture(const fs::path& picture, const std::string& name)
    {
        const fs::path folder = TESSARIN_TEST_OUTPUT_DIR;
        fs::create_directories(folder);
        std::error_code error;
        fs::copy_file(picture, folder / name, fs::copy_options::overwrite_existing, error);
        EXPECT_FALSE(error) << picture;
    }

    CSndView* m_view = nullptr;
};

// ISO 3382 by closed form: exponential decays of T = 0.5, 1 and 2 s; for each evaluation range the
// report's reverberation time is T within 2 %, and its definition and clarity the ideal decay's.
TEST_F(ImpulseReportsMenuTest, ImpulseReportOfExponentialDecays)
{
    struct Decay
    {
        double T, d50, c50, c80;
    };
    const Decay decays[] = {
        {0.5, 0.7488, 4.744, 9.096}, {1.0, 0.4988, -0.021, 3.053}, {2.0, 0.2921, -3.845, -1.321}};
    const std::pair<double, double> ranges[] = {{-5.0, -25.0}, {-5.0, -35.0}, {0.0, -10.0}};
    int n = 0;
    fs::path last;
    for (const Decay& decay : decays)
    {
        LoadDecay("decay.wav", decay.T);
        for (const auto& [start, end] : ranges)
        {
            SCOPED_TRACE(testing::Message() << "T " << decay.T << " range " << start << "/" << end);
            m_engine.m_irDecayStartLevel = start;
            m_engine.m_irDecayEndLevel = end;
            last = m_home.Root() / ("report" + std::to_string(++n));
            EXPECT_EQ(StartReport(impulse_command::kImpulseReport, last), "Folder to store the report");
            ASSERT_TRUE(m_view->IsJobRunning());
            WaitForReport();
            const std::string html = testsupport::ReadBytes(last / "Impulse analysis report.htm");
            EXPECT_EQ(html.find(kReportTimeoutText), std::string::npos);
            EXPECT_NEAR(NumberAfter(html, "RT60=") / 1000.0, decay.T, 0.02 * decay.T);
            EXPECT_NEAR(NumberAfter(html, "D50=") / 100.0, decay.d50, 0.005);
            EXPECT_NEAR(NumberAfter(html, "C50="), decay.c50, 0.1);
            EXPECT_NEAR(NumberAfter(html, "C80="), decay.c80, 0.1);
        }
    }
    // The last report's files: the page, its four pictures and the impulse as WAVE.
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(last))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files, (std::set<std::string>{"Impulse analysis report.htm", "Impulse.png", "FreqResponse.png",
                                            "Schroeder.png", "reverb.png", "impulse.wav"}));
    CheckPage(last / "Impulse analysis report.htm", 4);
    KeepPicture(last / "Schroeder.png", "impulse-report-schroeder.png");
    KeepPicture(last / "reverb.png", "impulse-report-reverb.png");
    KeepPicture(last / "FreqResponse.png", "impulse-report-frequency-response.png");
    // The window ends on the impulse plot.
    EXPECT_EQ(m_view->GetViewMode(), 256);
}

// The energy-decay report: one section and picture per third-octave band from 100 Hz to 5 kHz.
TEST_F(ImpulseReportsMenuTest, EnergyDecayReportFromTheMenu)
{
    LoadDecay("decay.wav", 0.6);
    const fs::path folder = m_home.Root() / "decay";
    StartReport(impulse_command::kEnergyDecayReport, folder);
    WaitForReport();
    std::set<std::string> files;
    for (const auto& entry : fs::directory_iterator(folder))
        files.insert(entry.path().filename().string());
    EXPECT_EQ(files.size(), 19u);
    EXPECT_EQ(files.count("report.htm"), 1u);
    EXPECT_EQ(files.count("100Hz_11.png"), 1u);
    EXPECT_EQ(files.count("5000Hz_28.png"), 1u);
    const std::string html = CheckPage(folder / "report.htm", 18);
    EXPECT_EQ(html.find(kReportTimeoutText), std::string::npos);
    KeepPicture(folder / "100Hz_11.png", "energy-decay-report-100Hz_11.png");
    KeepPicture(folder / "1000Hz_21.png", "energy-decay-report-1000Hz_21.png");
    EXPECT_EQ(m_view->m_nBandMode, 0);
}

// Closing the window while its report runs stops the report and waits for it; the program goes on.
TEST_F(ImpulseReportsMenuTest, ClosingTheWindowDuringAReportEndsCleanly)
{
    LoadDecay("decay.wav", 1.0);
    const fs::path folder = m_home.Root() / "closed";
    StartReport(impulse_command::kImpulseReport, folder);
    ASSERT_TRUE(m_view->IsJobRunning());
    Pump(700);
    ASSERT_TRUE(m_view->IsJobRunning());
    MdiChildFrame* child = m_frame->GetContainer()->GetActiveChild();
    ASSERT_NE(child, nullptr);
    child->Close(true);
    m_view = nullptr;
    Pump(300);
    EXPECT_EQ(m_frame->GetActiveView(), nullptr);
    // The page that was begun is closed as a page.
    const std::string html = testsupport::ReadBytes(folder / "Impulse analysis report.htm");
    EXPECT_TRUE(WellFormed(html));
    EXPECT_NE(html.find(kReportStoppedText), std::string::npos);
    // The program still opens a window and reports in it.
    m_app->OnFileNew();
    wxTheApp->Yield(true);
    m_view = m_frame->GetActiveView();
    ASSERT_NE(m_view, nullptr);
    LoadDecay("decay2.wav", 0.5);
    StartReport(impulse_command::kImpulseReport, m_home.Root() / "again");
    WaitForReport();
    EXPECT_TRUE(fs::exists(m_home.Root() / "again" / "Impulse analysis report.htm"));
}

// The menu holds the commands where the impulse response's and the series' commands are.
TEST_F(ImpulseReportsMenuTest, CommandsSitInThePlugInsMenu)
{
    wxMenuBar* bar = m_frame->GetMenuBar();
    for (int id :
         {impulse_command::kImpulseReport, impulse_command::kEnergyDecayReport,
          impulse_command::kOctaveEnergyDecay, impulse_command::kStiRasti, impulse_command::kSeriesAverage,
          impulse_command::kSeriesStatistics, impulse_command::kWaveFileAnalysis})
    {
        wxMenuItem* item = bar->FindItem(command_id::WxCommandId(id));
        ASSERT_NE(item, nullptr) << id;
        EXPECT_TRUE(item->IsEnabled()) << id;
    }
    EXPECT_TRUE(bar->FindItem(command_id::WxCommandId(impulse_command::kSeriesAverage))
                    ->GetItemLabelText()
                    .IsSameAs("Average", false));
    EXPECT_EQ(bar->FindItem(command_id::WxCommandId(impulse_command::kEnergyDecayReport))->GetItemLabelText(),
              "Energieabklingkurven als Bericht");
}

}  // namespace
