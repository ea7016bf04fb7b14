#include "applications/LoggerReportCommands.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <memory>
#include <thread>

#include "applications/LevelLogger.h"
#include "common/BackgroundJob.h"
#include "common/ShellHelpers.h"
#include "display/settings/ViewSettings.h"
#include "dsp/BandAnalyzer.h"
#include "engine/SoundIn.h"
#include "platform/Places.h"
#include "texts/TextTable.h"
#include "view/RemoteCommand.h"
#include "view/SndView.h"
#include "view/ViewFrame.h"

int g_nReportWaitMs = 5000;

namespace
{

constexpr int kTextAlreadyRunning = 3;
constexpr int kLevelCourseMode = 271;
constexpr auto kPollStep = std::chrono::milliseconds(20);

// The window's side of a report: remote records posted to the window (never sent: a window that
// is closing waits for this thread and could not answer a send) and bounded waits that end early
// on a stop request.
class CSndViewReportPlots : public CReportPlots
{
public:
    CSndViewReportPlots(CSndView& view, const std::atomic<int>& stop) : m_view(view), m_stop(stop) {}

    bool ShowLoggerCourse(int quantity, int wideband, bool force) override
    {
        return SelectLoggerResult(quantity, wideband) &&
               PostFloat(force ? 100004 : 20016, kLevelCourseMode) && WaitForTwoRefreshes();
    }
    bool ShowLeqOverlays() override
    {
        return ShowLoggerCourse(CLevelLogger::kLeqC, 2, true) && PostOverlay(0) &&
               ShowLoggerCourse(CLevelLogger::kLeqA, 1, true) && PostOverlay(1) && WaitForTwoRefreshes();
    }
    void EndLeqOverlays() override { PostCode(100002); }
    bool ShowMeanSpectrum(int mode) override
    {
        if (!PostFloat(20016, mode) || !WaitForTwoRefreshes())
            return false;
        if (!RunOnWindow([](CSndView& view) { view.GetPlot().ResetMathHistory(); }))
            return false;
        return WaitForTwoRefreshes() && PostFloat(100004, mode) && WaitForTwoRefreshes() &&
               WaitForTwoRefreshes() && WaitForTwoRefreshes() && Sleep(300);
    }
    bool Capture(const std::string& path) override
    {
        const std::uint64_t scaled = m_view.GetEventCounter(CSndView::kEventAutoScale);
        if (!PostCode(16) ||
            !WaitUntil([&] { return m_view.GetEventCounter(CSndView::kEventAutoScale) > scaled; },
                       g_nReportWaitMs))
            return false;
        const std::filesystem::path picture = platform::ConfigFolder() / CSndView::kRemoteScreenshotName;
        std::error_code error;
        std::filesystem::remove(picture, error);
        if (!PostCode(15) || !WaitReady())
            return false;
        const bool copied =
            WaitUntil([&] { return std::filesystem::exists(picture, error); }, g_nReportWaitMs) &&
            std::filesystem::copy_file(picture, std::filesystem::path(path),
                                       std::filesystem::copy_options::overwrite_existing, error);
        RunOnWindow([](CSndView& view) { view.InvalidateAllViews(); });
        return copied;
    }

private:
    bool Stopped() const { return m_stop.load(std::memory_order_acquire) != 0; }
    bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
    {
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
        while (!condition())
        {
            if (Stopped() || std::chrono::steady_clock::now() >= end)
                return false;
            std::this_thread::sleep_for(kPollStep);
        }
        return true;
    }
    bool Sleep(int milliseconds)
    {
        WaitUntil([] { return false; }, milliseconds);
        return !Stopped();
    }
    bool WaitReady()
    {
        return WaitUntil([this] { return m_view.GetMailbox().IsFree(); }, g_nReportWaitMs);
    }
    bool WaitForTwoRefreshes()
    {
        if (!WaitReady())
            return false;
        const std::uint64_t count = m_view.GetEventCounter(CSndView::kEventRefresh);
        return WaitUntil([&] { return m_view.GetEventCounter(CSndView::kEventRefresh) > count + 1; },
                         g_nReportWaitMs);
    }
    bool Post(const RemoteCommand& record)
    {
        if (Stopped())
            return false;
        m_view.PostRemoteCommand(record);
        return true;
    }
    bool PostCode(int code)
    {
        RemoteCommand record;
        record.code = code;
        return Post(record);
    }
    bool PostFloat(int code, double value)
    {
        RemoteCommand record;
        record.code = code;
        record.SetFloatArg(1, static_cast<float>(value));
        return Post(record);
    }
    // Copies the window's curve 0 into the overlay slot.
    bool PostOverlay(int slot)
    {
        RemoteCommand record;
        record.code = 100003;
        record.SetFloatArg(1, static_cast<float>(slot));
        record.SetFloatArg(2, 0.0f);
        return Post(record) && WaitReady();
    }
    // Runs the call on the window's thread and waits (bounded) until it has run.
    bool RunOnWindow(std::function<void(CSndView&)> call)
    {
        CViewWindow* window = m_view.GetWindow();
        if (!window)
            return false;
        auto done = std::make_shared<std::atomic<bool>>(false);
        CSndView* view = &m_view;
        if (!window->PostToWindow(
                [view, call = std::move(call), done]
                {
                    call(*view);
                    done->store(true, std::memory_order_release);
                }))
            return false;
        return WaitUntil([&] { return done->load(std::memory_order_acquire); }, g_nReportWaitMs);
    }
    bool SelectLoggerResult(int quantity, int wideband)
    {
        return RunOnWindow(
            [quantity, wideband](CSndView& view)
            {
                if (CViewSettings* settings = view.GetSettings())
                {
                    settings->m_nLoggerResultType = quantity;
                    settings->m_nLoggerWeighting = wideband;
                    settings->m_dLoggerCentreFrequency = -1.0;
                }
            });
    }

    CSndView& m_view;
    const std::atomic<int>& m_stop;
};

// One report of a window on the background job runner: its thread, progress window and stop request.
class CLoggerReportJob : public CSndView::CReportJob
{
public:
    enum Kind
    {
        kSpl,
        kSoundPower
    };
    CLoggerReportJob(CSndView& view, CLevelLogger& logger, Kind kind, std::string folder, std::string file)
        : m_view(view), m_logger(logger), m_kind(kind), m_plots(view, m_job.m_bStop)
    {
        m_target.folder = std::move(folder);
        m_target.fileName = std::move(file);
        m_target.stop = &m_job.m_bStop;
        m_target.progress = &m_job.m_dProgress;
        m_settings = GetSoundPowerSettings();
        m_job.m_strTitle = "Report";
        m_job.m_pfnThread = &CLoggerReportJob::Work;
        m_job.m_pThreadParam = this;
    }
    ~CLoggerReportJob() override { m_job.StopAndJoin(); }
    bool IsRunning() const override { return m_job.IsRunning(); }
    void RequestStop() override { m_job.RequestStop(); }
    void Start() { m_job.Run(); }

private:
    static unsigned int Work(void* param)
    {
        auto* self = static_cast<CLoggerReportJob*>(param);
        const LoggerReportResult result =
            self->m_kind == kSpl
                ? WriteSplLoggerReport(self->m_logger, self->m_target, &self->m_plots)
                : WriteSoundPowerReport(self->m_logger, self->m_target, self->m_settings, &self->m_plots);
        if (result.written && !result.stopped)
        {
            if (CViewWindow* window = self->m_view.GetWindow())
            {
                CSndView* view = &self->m_view;
                window->PostToWindow([view] { view->InvalidateAllViews(); });
            }
            OpenWithShell((std::filesystem::path(self->m_target.folder) / self->m_target.fileName).string());
        }
        self->m_job.Finish();
        return 0;
    }

    CBackgroundJob m_job;
    CSndView& m_view;
    CLevelLogger& m_logger;
    Kind m_kind;
    CSndViewReportPlots m_plots;
    LoggerReportTarget m_target;
    SoundPowerSettings m_settings;
};

// Logging stops before a report reads the run.
void StopLogging(CSndView& view)
{
    if (CBandAnalyzer* analyzer = GetReportAnalyzer(view); analyzer && analyzer->m_loggingActive.load())
        analyzer->StopLogging();
}

// Text 3 while a report runs: a Yes asks it to stop at its next step. True when one runs.
bool AskAbortRunning(CSndView& view, const ReportPrompts& prompts)
{
    if (!IsReportRunning(view))
        return false;
    if (prompts.askYesNo && prompts.askYesNo(GetText(kTextAlreadyRunning)))
        view.m_pReportJob->RequestStop();
    return true;
}

// The report folder and the file in it; false when the user cancels or keeps an existing report.
bool AskReportPlace(CSndView& view, const ReportPrompts& prompts, const std::string& file)
{
    const std::string folder = prompts.askFolder ? prompts.askFolder() : std::string();
    if (folder.empty())
        return false;
    std::error_code error;
    if (std::filesystem::exists(std::filesystem::path(folder) / file, error) &&
        !(prompts.askYesNo && prompts.askYesNo(kOverwriteReportQuestion)))
        return false;
    view.m_strReportFolder = folder;
    view.m_strReportName = file;
    return true;
}

void StartReport(CSndView& view, CLevelLogger& logger, CLoggerReportJob::Kind kind)
{
    // A finished report of this window goes before the next one starts.
    view.m_pReportJob.reset();
    auto job =
        std::make_unique<CLoggerReportJob>(view, logger, kind, view.m_strReportFolder, view.m_strReportName);
    CLoggerReportJob& started = *job;
    view.m_pReportJob = std::move(job);
    started.Start();
}

}  // namespace

SoundPowerSettings& GetSoundPowerSettings()
{
    static SoundPowerSettings settings;
    return settings;
}

CBandAnalyzer* GetReportAnalyzer(CSndView& view)
{
    return view.GetEngine().GetBandAnalyzer(0);
}

CLevelLogger* GetReportLogger(CSndView& view)
{
    CBandAnalyzer* analyzer = GetReportAnalyzer(view);
    return analyzer ? dynamic_cast<CLevelLogger*>(analyzer->m_logger) : nullptr;
}

bool IsReportRunning(const CSndView& view)
{
    return view.m_pReportJob && view.m_pReportJob->IsRunning();
}

void OnLoggerReport(CSndView& view, const ReportPrompts& prompts)
{
    CLevelLogger* logger = GetReportLogger(view);
    if (!logger)
        return;
    StopLogging(view);
    if (logger->m_dinMode != 0)
    {
        logger->WriteDinReport();
        OpenWithShell(logger->GetLastFolder() + "/DIN15905.htm");
        return;
    }
    if (AskAbortRunning(view, prompts))
        return;
    if (!AskReportPlace(view, prompts, kSplReportFile))
        return;
    if (logger->GetStoredBlocks() > 0)
        StartReport(view, *logger, CLoggerReportJob::kSpl);
}

void OnSoundPowerReport(CSndView& view, const ReportPrompts& prompts)
{
    CLevelLogger* logger = GetReportLogger(view);
    if (!logger)
        return;
    SoundPowerSettings settings = GetSoundPowerSettings();
    if (!prompts.editSoundPower || !prompts.editSoundPower(settings))
        return;
    GetSoundPowerSettings() = settings;
    if (AskAbortRunning(view, prompts))
        return;
    StopLogging(view);
    if (!AskReportPlace(view, prompts, kSoundPowerReportFile))
        return;
    if (logger->GetStoredBlocks() <= 0)
    {
        if (prompts.tell)
            prompts.tell(kNoMeasurementText);
        return;
    }
    if (!logger->WriteDataFile((std::filesystem::path(view.m_strReportFolder) / kReportDataSet).string(), ""))
        return;
    StartReport(view, *logger, CLoggerReportJob::kSoundPower);
}
