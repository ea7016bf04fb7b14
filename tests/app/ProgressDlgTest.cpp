// The progress window of background jobs: the bar follows the watched value or its step, and a
// job run through the application's factory shows the window, closes it when the work ends and
// destroys it with the job.
#include "app/ProgressDlg.h"
#include "common/BackgroundJob.h"
#include "engine/MeasurementSeries.h"
#include "engine/SoundIn.h"
#include "engine/StatisticsJob.h"
#include "engine/WaveRecorder.h"
#include "tests/app/DialogHooks.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/gauge.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <random>
#include <thread>
#include <vector>

namespace
{

void YieldFor(int ms)
{
    for (int i = 0; i < ms / 10; ++i)
    {
        wxTheApp->Yield(true);
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

TEST(ProgressDlg, BarFollowsTheWatchedValueAndIgnoresValuesOutsideTheRange)
{
    JobProgressWindowPtr window = CProgressDlg::CreateForJob();
    ASSERT_TRUE(window);
    auto* dialog = static_cast<CProgressDlg*>(window.get());
    std::atomic<double> value{-1.0};
    dialog->SetWatchedValue(&value);
    dialog->Start("Dateianalyse");
    EXPECT_EQ(dialog->GetTitle(), "Dateianalyse");
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(dialog->FindWindow(CProgressDlg::kIdProgressBar), dialog->FindWindow(428));
    struct Case
    {
        double value;
        int position;
    };
    // −1 (never started) and values past the ends leave the bar where it was; values are truncated.
    for (const Case c : {Case{-1.0, 0}, Case{0.427, 42}, Case{1.5, 42}, Case{-0.1, 42}, Case{1.0, 100},
                         Case{0.0, 0}, Case{0.999, 99}})
    {
        value = c.value;
        dialog->OnTimer();
        EXPECT_EQ(dialog->GetPosition(), c.position) << c.value;
    }
}

TEST(ProgressDlg, StepAdvancesTheBarAndWrapsToTheStartAfterTheEnd)
{
    JobProgressWindowPtr window = CProgressDlg::CreateForJob();
    ASSERT_TRUE(window);
    auto* dialog = static_cast<CProgressDlg*>(window.get());
    dialog->Start("step");
    dialog->m_nStep = 10;
    std::vector<int> positions;
    for (int tick = 0; tick < 12; ++tick)
    {
        dialog->OnTimer();
        positions.push_back(dialog->GetPosition());
    }
    EXPECT_EQ(positions, (std::vector<int>{10, 20, 30, 40, 50, 60, 70, 80, 90, 100, 0, 10}));
}

TEST(ProgressDlg, JobShowsTheWindowWhileItRunsAndClosesItWhenDone)
{
    CBackgroundJob::SetProgressWindowFactory(&CProgressDlg::CreateForJob);
    struct Work
    {
        std::atomic<bool> release{false};
        CBackgroundJob job;
        static unsigned int Run(void* param)
        {
            auto* self = static_cast<Work*>(param);
            self->job.m_dProgress = 0.0;
            self->job.m_dProgress = 0.37;
            while (!self->release && self->job.m_bStop.load() == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            self->job.m_dProgress = 1.0;
            self->job.m_nResult = 0;
            self->job.Finish();
            return 0;
        }
    };
    auto work = std::make_unique<Work>();
    work->job.m_strTitle = "Dateianalyse";
    work->job.m_pfnThread = &Work::Run;
    work->job.m_pThreadParam = work.get();
    EXPECT_EQ(work->job.Run(), 0);
    ASSERT_TRUE(work->job.m_pProgressDlg);
    auto* dialog = dynamic_cast<CProgressDlg*>(work->job.m_pProgressDlg.get());
    ASSERT_NE(dialog, nullptr);
    YieldFor(300);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(dialog->GetPosition(), 37) << "the timer moved the bar";
    testsupport::SavePicture(dialog, "progress_window.png");
    work->release = true;
    for (int i = 0; i < 200 && dialog->IsShown(); ++i)
        YieldFor(10);
    EXPECT_FALSE(dialog->IsShown()) << "the worker's close request hides the window";
    EXPECT_FALSE(work->job.IsRunning());
    // The job goes with its window; a second job torn down mid-run leaves no window behind.
    work.reset();
    auto running = std::make_unique<Work>();
    running->job.m_pfnThread = &Work::Run;
    running->job.m_pThreadParam = running.get();
    EXPECT_EQ(running->job.Run(), 0);
    wxWeakRef<wxWindow> second(dynamic_cast<CProgressDlg*>(running->job.m_pProgressDlg.get()));
    ASSERT_TRUE(second.get());
    running.reset();
    YieldFor(100);
    EXPECT_FALSE(second.get());
    CBackgroundJob::SetProgressWindowFactory(nullptr);
}

// The statistics of a measurement series run through the same runner: its progress window is
// shown while the responses are evaluated, and the window's owner can stop the run, which then
// writes no table.
TEST(ProgressDlg, SeriesStatisticsShowTheWindowAndStopOnRequest)
{
    testsupport::TempHome home;
    const std::filesystem::path folder = home.Root() / "series";
    std::mt19937 random(3);
    std::normal_distribution<double> noise(0.0, 0.2);
    for (int position = 0; position < 40; ++position)
    {
        std::vector<float> response(48000);
        for (std::size_t i = 0; i < response.size(); ++i)
            response[i] =
                static_cast<float>(noise(random) * std::pow(10.0, -6.0 * static_cast<double>(i) / 48000.0));
        const std::filesystem::path path = folder / ("p" + std::to_string(position)) / kSeriesResponseName;
        std::filesystem::create_directories(path.parent_path());
        CWaveRecorder recorder;
        recorder.m_nFileChannels = 1;
        recorder.m_nSampleRate = 48000;
        ASSERT_EQ(recorder.Open(path.string()), 1);
        recorder.WriteFloatBlock(response.data(), static_cast<int>(response.size()), 0);
        recorder.Close();
    }

    CBackgroundJob::SetProgressWindowFactory(&CProgressDlg::CreateForJob);
    CSoundIn engine;
    CStatisticsJob job(engine);
    job.m_strTitle = "Statistik";
    job.m_folder = folder.string();
    job.Run();
    auto* dialog = dynamic_cast<CProgressDlg*>(job.m_pProgressDlg.get());
    ASSERT_NE(dialog, nullptr);
    YieldFor(100);
    EXPECT_TRUE(dialog->IsShown());
    EXPECT_EQ(dialog->GetTitle(), "Statistik");
    job.RequestStop();
    for (int i = 0; i < 500 && job.m_nState.load() != CBackgroundJob::kFinished; ++i)
        YieldFor(10);
    YieldFor(50);
    EXPECT_EQ(job.m_nResult.load(), kSeriesStopped);
    EXPECT_FALSE(dialog->IsShown());
    EXPECT_FALSE(std::filesystem::exists(folder / kSeriesStatisticsName));
    CBackgroundJob::SetProgressWindowFactory(nullptr);
}

}  // namespace
