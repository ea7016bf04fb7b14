// The impulse analyses of a measurement window: its background job, the impulse analysis and
// energy-decay reports it writes, the octave decay overlays, the STI of the held impulse and the
// measurement-series commands, with the window's thread and sleeps played by the test.
#include "applications/ImpulseAnalysisCommands.h"
#include "applications/ImpulseReports.h"
#include "common/ShellHelpers.h"
#include "display/settings/ViewSettings.h"
#include "dsp/RoomAcoustics.h"
#include "dsp/StiEvaluator.h"
#include "engine/FileAnalysis.h"
#include "engine/MeasurementSeries.h"
#include "engine/StatisticsJob.h"
#include "engine/WaveRecorder.h"
#include "tests/support/FileBytes.h"
#include "tests/support/TempHome.h"
#include "tests/view/DecayWave.h"
#include "tests/view/ViewFixture.h"
#include "texts/TextTable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <regex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace
{

namespace fs = std::filesystem;
using viewtest::ViewFixture;

// The number after `key` in the text (NaN when it is not there).
double NumberAfter(const std::string& text, const std::string& key)
{
    const std::size_t at = text.find(key);
    if (at == std::string::npos)
        return std::nan("");
    return std::strtod(text.c_str() + at + key.size(), nullptr);
}

class ImpulseReports : public ViewFixture
{
protected:
    ImpulseReports()
    {
        g_strOpenProgram = "true";
        m_engine.m_reverbWizard.minFrequency = 100.0;
        m_engine.m_reverbWizard.maxFrequency = 5000.0;
    }
    ~ImpulseReports() override { g_strOpenProgram.clear(); }

    // A window whose waits let it draw: every sleep of its senders and jobs runs one display set-up
    // on the calling thread (the test's thread is idle meanwhile).
    CSndView& MakeDrawingView()
    {
        CSndView& view = MakeView();
        view.m_remoteSleep = [&view](int) { view.SetupCurves(); };
        view.m_nScreenshotRetryMs = 0;
        return view;
    }
    std::string DecayWave(const std::string& name, double decayTime, int rate = 48000)
    {
        const std::string path = m_home.File(name).string();
        EXPECT_TRUE(viewtest::WriteDecayWave(path, decayTime, rate, 3.0 * decayTime + 0.5));
        return path;
    }
    std::string Folder(const std::string& name)
    {
        const fs::path folder = m_home.Root() / name;
        fs::create_directories(folder);
        return folder.string();
    }
    // Runs a command with the folder prompt answering `folder`.
    void Run(CSndView& view, int id, const std::string& folder)
    {
        ImpulseAnalysisPrompts prompts;
        prompts.browseForFolder = [this, folder](const std::string& title)
        {
            m_titles.push_back(title);
            return folder;
        };
        prompts.runCommand = [this](int command) { m_commands.push_back(command); };
        ASSERT_TRUE(OnImpulseAnalysisCommand(view, id, prompts));
    }
    static void WaitForJob(CSndView& view)
    {
        for (int i = 0; i < 6000 && view.IsJobRunning(); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        ASSERT_FALSE(view.IsJobRunning());
    }

    testsupport::TempHome m_home;
    std::vector<std::string> m_titles;
    std::vector<int> m_commands;
};

TEST_F(ImpulseReports, ASecondJobStartIsIgnoredUntilTheFirstEnds)
{
    CSndView& view = MakeView();
    std::atomic<bool> release{false};
    std::atomic<int> runs{0};
    EXPECT_EQ(view.StartJob(CSndView::kJobImpulseReport,
                            [&](CSndView&)
                            {
                                ++runs;
                                while (!release.load())
                                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
                            }),
              0);
    EXPECT_TRUE(view.IsJobRunning());
    EXPECT_EQ(view.StartJob(CSndView::kJobEnergyDecayReport, [&](CSndView&) { runs += 100; }), 1);
    EXPECT_EQ(view.GetJobKind(), CSndView::kJobImpulseReport);
    release.store(true);
    WaitForJob(view);
    EXPECT_EQ(runs.load(), 1);
    // Once idle, the next start runs.
    EXPECT_EQ(view.StartJob(CSndView::kJobOctaveDecay, [&](CSndView&) { runs += 10; }), 0);
    WaitForJob(view);
    EXPECT_EQ(runs.load(), 11);
}

// A window that goes away while its job sleeps or waits stops the job and waits for its end.
TEST_F(ImpulseReports, ClosingTheWindowStopsItsJob)
{
    CSndView& view = MakeView();
    std::atomic<bool> started{false};
    std::atomic<bool> stopped{false};
    view.StartJob(CSndView::kJobImpulseReport,
                  [&](CSndView& v)
                  {
                      started.store(true);
                      while (v.JobSleep(50))
                      {
                      }
                      // Waits and senders give up at once now.
                      v.WaitForImpulseCurves(60000);
                      v.RemoteYAutoScale();
                      stopped.store(true);
                  });
    while (!started.load())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const auto before = std::chrono::steady_clock::now();
    m_views.clear();
    EXPECT_TRUE(stopped.load());
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(2));
}

// Exponential decays (energy ∝ e^(−13.8155·t/T)) against the closed forms of ISO 3382: the report's
// reverberation time, definition and clarity.
TEST_F(ImpulseReports, ReverberationTimeDefinitionAndClarityOfExponentialDecays)
{
    struct Decay
    {
        double T, d50, c50, c80;
    };
    const Decay decays[] = {
        {0.5, 0.7488, 4.744, 9.096}, {1.0, 0.4988, -0.021, 3.053}, {2.0, 0.2921, -3.845, -1.321}};
    const std::pair<double, double> ranges[] = {{-5.0, -25.0}, {-5.0, -35.0}, {0.0, -10.0}};
    CSndView& view = MakeDrawingView();
    for (const Decay& decay : decays)
    {
        ASSERT_GT(view.LoadImpulseFromAudioFile(DecayWave("decay.wav", decay.T), true), 0);
        for (const auto& [start, end] : ranges)
        {
            SCOPED_TRACE(testing::Message() << "T " << decay.T << " range " << start << "/" << end);
            m_engine.m_irDecayStartLevel = start;
            m_engine.m_irDecayEndLevel = end;
            const std::string folder = Folder("report");
            view.m_strReportFolder = folder;
            view.m_strReportName = "Impulse analysis report";
            ASSERT_EQ(WriteImpulseReport(view), 0);
            const std::string html = testsupport::ReadBytes(fs::path(folder) / "Impulse analysis report.htm");
            EXPECT_EQ(html.find(kReportTimeoutText), std::string::npos);
            EXPECT_NEAR(NumberAfter(html, "RT60=") / 1000.0, decay.T, 0.02 * decay.T);
            EXPECT_NEAR(NumberAfter(html, "D50=") / 100.0, decay.d50, 0.005);
            EXPECT_NEAR(NumberAfter(html, "C50="), decay.c50, 0.1);
            EXPECT_NEAR(NumberAfter(html, "C80="), decay.c80, 0.1);
        }
    }
}

// The report's parts in order, the wave file beside it, and the STI at the impulse's own rate.
TEST_F(ImpulseReports, ImpulseReportHoldsItsSectionsAndTheStiAtTheImpulseRate)
{
    m_engine.m_nSampleRate = 48000;
    CSndView& view = MakeDrawingView();
    ASSERT_GT(view.LoadImpulseFromAudioFile(DecayWave("decay44.wav", 0.8, 44100), true), 0);
    const std::string folder = Folder("report44");
    view.m_strReportFolder = folder;
    view.m_strReportName = "Impulse analysis report";
    ASSERT_EQ(WriteImpulseReport(view), 0);
    const std::string html = testsupport::ReadBytes(fs::path(folder) / "Impulse analysis report.htm");
    std::size_t at = 0;
    for (const char* part :
         {"Impulse analysis report", "Sample Rate 44100.00Hz", "Impulse.png", "impulse.wav",
          "FreqResponse.png", "Schroeder.png", "reverb.png", "Reverberation time (100.0Hz to", "D50=", "D80=",
          "C50=", "C80=", "in 1/3 octave bands", "in 1/1 octave bands", "Speech intelligibility STI/RASTI"})
    {
        const std::size_t next = html.find(part, at);
        EXPECT_NE(next, std::string::npos) << part;
        if (next != std::string::npos)
            at = next;
    }
    EXPECT_TRUE(fs::exists(fs::path(folder) / "impulse.wav"));

    // The STI tables are those of an evaluation at 44100 Hz, not at the analyser's 48000 Hz.
    const auto tables = [&](int rate)
    {
        CStiEvaluator evaluator;
        evaluator.m_snr.Assign(m_engine.m_stiSnrValues);
        const CImpulseResponse& ir = view.GetImpulse();
        evaluator.Evaluate(ir.Channel(0), ir.m_nFrames, rate);
        const fs::path path = m_home.File("sti.htm");
        std::FILE* file = std::fopen(path.string().c_str(), "w");
        evaluator.WriteHtmlReport(file);
        std::fclose(file);
        return testsupport::ReadBytes(path);
    };
    const std::string own = tables(44100);
    ASSERT_FALSE(own.empty());
    EXPECT_NE(html.find(own), std::string::npos);
    EXPECT_EQ(html.find(tables(48000)), std::string::npos);
    // The window ends on the impulse plot.
    EXPECT_EQ(view.GetViewMode(), 256);
}

// One section per third-octave band from 100 Hz to 5 kHz, its picture named with the band's place
// among the 40 bands from 10 Hz; each band's time is read only after the window computed it for
// that band (a second evaluation of the filtered band gives the same figure).
TEST_F(ImpulseReports, EnergyDecayReportHasOneSectionPerBand)
{
    CSndView& view = MakeDrawingView();
    ASSERT_GT(view.LoadImpulseFromAudioFile(DecayWave("decay.wav", 0.6), true), 0);
    const std::string folder = Folder("decay");
    Run(view, impulse_command::kEnergyDecayReport, folder);
    WaitForJob(view);
    const std::string html = testsupport::ReadBytes(fs::path(folder) / "report.htm");
    EXPECT_NE(html.find(kEnergyDecayTitle), std::string::npos);
    const CImpulseResponse& ir = view.GetImpulse();
    const std::regex section(R"(Band (\d+)Hz Reverberation time RT60=(\d+)ms)");
    std::vector<int> bands;
    for (auto it = std::sregex_iterator(html.begin(), html.end(), section); it != std::sregex_iterator();
         ++it)
    {
        const int f = std::stoi((*it)[1]);
        bands.push_back(f);
        std::vector<float> band(ir.Channel(0), ir.Channel(0) + ir.m_nFrames);
        ApplyBandFilter(band.data(), ir.m_nFrames, ir.m_dSampleRate, f, 3);
        CRoomAcousticResults expected;
        EvaluateRoomAcoustics(band.data(), ir.m_nFrames, ir.m_dSampleRate, expected,
                              m_engine.m_irDecayStartLevel, m_engine.m_irDecayEndLevel,
                              m_engine.m_irRegressionPoints, 0);
        EXPECT_NEAR(std::stoi((*it)[2]), expected.m_decayTime * 1000.0, 0.51) << f;
        // A filtered exponential decay keeps roughly its time.
        EXPECT_NEAR(std::stoi((*it)[2]) / 1000.0, 0.6, 0.25) << f;
    }
    ASSERT_EQ(bands.size(), 18u);
    EXPECT_EQ(bands.front(), 100);
    EXPECT_EQ(bands.back(), 5000);
    EXPECT_NE(html.find("100Hz_11.png"), std::string::npos);
    EXPECT_NE(html.find("5000Hz_28.png"), std::string::npos);
    EXPECT_EQ(html.find(kReportTimeoutText), std::string::npos);
    EXPECT_EQ(m_titles, std::vector<std::string>{GetText(1000018)});
    // The band analysis is off again and the plot stays the energy decay.
    EXPECT_EQ(view.m_nBandMode, 0);
    EXPECT_EQ(view.GetViewMode(), 260);
    EXPECT_EQ(m_engine.m_nColorModeBackground, 1);
}

// The octave bands within 100 Hz … 5 kHz become overlays named with their decay times.
TEST_F(ImpulseReports, OctaveDecayOverlays)
{
    CSndView& view = MakeDrawingView();
    ASSERT_GT(view.LoadImpulseFromAudioFile(DecayWave("decay.wav", 0.6), true), 0);
    Run(view, impulse_command::kOctaveEnergyDecay, {});
    WaitForJob(view);
    const CViewSettings& settings = *view.GetSettings();
    std::vector<std::string> names;
    for (int slot = 0; slot < CViewSettings::kOverlayCount; ++slot)
        if (!settings.m_Overlays[static_cast<std::size_t>(slot)].m_strName.empty() &&
            settings.m_Overlays[static_cast<std::size_t>(slot)].m_Curve.m_nCount > 0)
            names.push_back(settings.m_Overlays[static_cast<std::size_t>(slot)].m_strName);
    ASSERT_EQ(names.size(), 6u);  // 125, 250, 500, 1000, 2000, 4000 Hz
    EXPECT_EQ(names.front().rfind("125Hz RT60=", 0), 0u) << names.front();
    EXPECT_EQ(names.back().rfind("4000Hz RT60=", 0), 0u) << names.back();
    EXPECT_NEAR(NumberAfter(names[3], "RT60=") / 1000.0, 0.6, 0.06);
    EXPECT_EQ(view.m_nBandMode, 0);
    EXPECT_EQ(view.m_bPerBandEvaluation, 1);
}

// STI needs 65536 analysis points: one fewer is refused with the message.
TEST_F(ImpulseReports, StiNeedsAtLeast65536Points)
{
    CSndView& view = MakeView();
    const auto hold = [&](int analysisLength, double rate)
    {
        CImpulseResponse& ir = view.GetImpulse();
        ASSERT_TRUE(ir.Prepare(1, 1000, analysisLength));
        ir.Channel(0)[10] = 1.0f;
        ir.m_dSampleRate = rate;
        ir.NewId();
    };
    hold(65535, 48000);
    m_commands.clear();
    Run(view, impulse_command::kStiRasti, {});
    EXPECT_EQ(m_frame.CountMessages(kStiTooShortMessage), 1);
    EXPECT_TRUE(m_commands.empty());

    hold(65536, 44100);
    view.m_dImpulseSti = -10.0;
    Run(view, impulse_command::kStiRasti, {});
    EXPECT_EQ(m_frame.CountMessages(kStiTooShortMessage), 1);
    EXPECT_EQ(m_commands, std::vector<int>{impulse_command::kDisplayStiRasti});
    EXPECT_GT(view.m_dImpulseSti, 0.9);  // a unit impulse transmits every modulation
    CStiEvaluator reference;
    reference.m_snr.Assign(m_engine.m_stiSnrValues);
    reference.Evaluate(view.GetImpulse().Channel(0), 1000, 44100);
    EXPECT_DOUBLE_EQ(view.m_stiEvaluator.m_sti, reference.m_sti);

    // Without an impulse: the "no impulse" text, for every command that needs one.
    view.GetImpulse().Clear();
    const std::size_t before = m_frame.m_messages.size();
    for (int id : {impulse_command::kStiRasti, impulse_command::kImpulseReport,
                   impulse_command::kEnergyDecayReport, impulse_command::kOctaveEnergyDecay})
        Run(view, id, Folder("unused"));
    EXPECT_EQ(m_frame.m_messages.size(), before + 4);
    EXPECT_EQ(m_frame.CountMessages(GetText(16)), 4);
    EXPECT_FALSE(view.IsJobRunning());
}

void WriteSeriesWave(const fs::path& path, int rate)
{
    fs::create_directories(path.parent_path());
    CWaveRecorder recorder;
    recorder.m_nFileChannels = 1;
    recorder.m_nSampleRate = rate;
    recorder.m_nBits = 24;
    ASSERT_EQ(recorder.Open(path.string()), 1);
    std::vector<float> samples(20000);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] =
            static_cast<float>(0.8 * std::exp(-0.001 * static_cast<double>(i)) * ((i % 7) < 3 ? 1 : -1));
    recorder.WriteFloatBlock(samples.data(), static_cast<int>(samples.size()), 0);
    recorder.Close();
}

// The series commands' refusals show long texts 20, 21 and 22; a good series is averaged and its
// report written in the sub-folder "average".
TEST_F(ImpulseReports, SeriesAverageMessagesAndReport)
{
    CSndView& view = MakeDrawingView();
    const fs::path empty = Folder("empty");
    Run(view, impulse_command::kSeriesAverage, empty.string());
    EXPECT_EQ(m_frame.CountMessages(GetText(20)), 1);

    const fs::path unreadable = Folder("unreadable");
    fs::create_directories(unreadable / "1");
    std::ofstream(unreadable / "1" / kSeriesResponseName) << "no wave file";
    Run(view, impulse_command::kSeriesAverage, unreadable.string());
    EXPECT_EQ(m_frame.CountMessages(GetText(21)), 1);

    const fs::path rates = Folder("rates");
    WriteSeriesWave(rates / "1" / kSeriesResponseName, 48000);
    WriteSeriesWave(rates / "2" / kSeriesResponseName, 44100);
    Run(view, impulse_command::kSeriesAverage, rates.string());
    EXPECT_EQ(m_frame.CountMessages(GetText(22)), 1);
    EXPECT_EQ(m_titles.back(), GetText(1000017));

    // The statistics job refuses the same folders with the same texts.
    Run(view, impulse_command::kSeriesStatistics, empty.string());
    for (int i = 0; i < 500 && view.GetStatisticsJob().IsRunning(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(m_frame.CountMessages(GetText(20)), 2);

    const fs::path good = Folder("good");
    WriteSeriesWave(good / "1" / kSeriesResponseName, 48000);
    WriteSeriesWave(good / "2" / kSeriesResponseName, 48000);
    Run(view, impulse_command::kSeriesAverage, good.string());
    WaitForJob(view);
    EXPECT_EQ(view.m_strReportFolder, (good / kSeriesAverageName).string());
    EXPECT_TRUE(fs::exists(good / kSeriesAverageName / "Impulse analysis report.htm"));
    EXPECT_TRUE(view.GetImpulse().IsHeld());
}

// The window of a running toolkit: posted calls wait until its thread (the test's) runs them.
class PostingWindow : public viewtest::FakeViewWindow
{
public:
    bool PostToWindow(std::function<void()> call) override
    {
        const std::lock_guard lock(m_mutex);
        m_queue.push_back(std::move(call));
        return true;
    }
    // Runs the queued calls; false when there were none.
    bool RunPosted()
    {
        std::vector<std::function<void()>> calls;
        {
            const std::lock_guard lock(m_mutex);
            calls.swap(m_queue);
        }
        for (auto& call : calls)
            call();
        return !calls.empty();
    }
    // Runs the posted calls as the window's thread does once the first came (at most 30 s).
    bool WaitAndRunPosted()
    {
        for (int i = 0; i < 3000; ++i)
        {
            if (RunPosted())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

private:
    std::mutex m_mutex;
    std::vector<std::function<void()>> m_queue;
};

// A folder whose statistics are written tells where, once the completion message reached the
// window's thread.
TEST_F(ImpulseReports, SeriesStatisticsTellsItsFile)
{
    CSndView& view = MakeView();
    CViewWindow* const own = view.GetWindow();
    PostingWindow window;
    view.SetWindow(&window);
    const fs::path good = Folder("good");
    WriteSeriesWave(good / "1" / kSeriesResponseName, 48000);
    Run(view, impulse_command::kSeriesStatistics, good.string());
    const bool delivered = window.WaitAndRunPosted();
    view.SetWindow(own);
    ASSERT_TRUE(delivered);
    char expected[512];
    std::snprintf(expected, sizeof expected, CSndView::kStatisticsDoneMessage,
                  (good.string() + "/" + kSeriesStatisticsName).c_str());
    EXPECT_EQ(m_frame.CountMessages(expected), 1);
    EXPECT_TRUE(fs::exists(good / kSeriesStatisticsName));
}

// The analysis of a whole wave file runs as the window's job and tells its duration when done; a
// cancelled file choice starts nothing.
TEST_F(ImpulseReports, WaveFileAnalysisTellsItsDuration)
{
    CSndView& view = MakeView();
    CViewWindow* const own = view.GetWindow();
    PostingWindow window;
    view.SetWindow(&window);
    const fs::path wave = m_home.File("series.wav");
    WriteSeriesWave(wave, 48000);
    std::string answer;
    ImpulseAnalysisPrompts prompts;
    prompts.askAudioFile = [&answer] { return answer; };
    ASSERT_TRUE(OnImpulseAnalysisCommand(view, impulse_command::kWaveFileAnalysis, prompts));
    EXPECT_FALSE(view.IsFileAnalysisRunning());
    answer = wave.string();
    ASSERT_TRUE(OnImpulseAnalysisCommand(view, impulse_command::kWaveFileAnalysis, prompts));
    const bool delivered = window.WaitAndRunPosted();
    view.SetWindow(own);
    ASSERT_TRUE(delivered);
    ASSERT_EQ(m_frame.m_messages.size(), 1u);
    EXPECT_EQ(m_frame.m_messages[0].rfind("Auswertung beendet. Dauer ", 0), 0u) << m_frame.m_messages[0];
    EXPECT_EQ(view.GetFileAnalysisJob().m_Job.m_strTitle, kFileAnalysisJobTitle);
}

}  // namespace
