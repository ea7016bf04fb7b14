#include "applications/ImpulseAnalysisCommands.h"

#include "applications/ImpulseReports.h"
#include "common/ShellHelpers.h"
#include "engine/FileAnalysis.h"
#include "engine/MeasurementSeries.h"
#include "engine/SoundIn.h"
#include "engine/StatisticsJob.h"
#include "texts/TextTable.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"

#include <filesystem>

namespace
{

constexpr int kTextNoFolder = 20;
constexpr int kTextChannels = 21;
constexpr int kTextRates = 22;

void ShowMessage(CSndView& view, const std::string& text)
{
    if (CViewFrame* frame = view.GetDocument().m_pFrame)
        frame->ShowMessage(text);
}

// The messages of the series results -1 to -3; other results show nothing.
void ShowSeriesError(CSndView& view, int result)
{
    if (result == kSeriesNoMeasurement)
        ShowMessage(view, GetText(kTextNoFolder));
    else if (result == kSeriesUnreadable)
        ShowMessage(view, GetText(kTextChannels));
    else if (result == kSeriesRateMismatch)
        ShowMessage(view, GetText(kTextRates));
}

bool HoldsImpulse(CSndView& view)
{
    if (view.GetImpulse().m_nAnalysisLength > 0)
        return true;
    view.ShowNoImpulseMessage();
    return false;
}

std::string AskFolder(const ImpulseAnalysisPrompts& prompts, int titleId)
{
    return prompts.browseForFolder ? prompts.browseForFolder(GetText(titleId)) : std::string();
}

void StartImpulseReport(CSndView& view)
{
    view.StartJob(CSndView::kJobImpulseReport, [](CSndView& v) { WriteImpulseReport(v); });
}

// Asks for the report folder of a report on the held impulse; false when none was chosen.
bool ChooseReportFolder(CSndView& view, const ImpulseAnalysisPrompts& prompts, const std::string& name)
{
    if (!HoldsImpulse(view))
        return false;
    const std::string folder = AskFolder(prompts, 1000018);
    if (folder.empty())
        return false;
    view.m_strReportFolder = folder;
    view.m_strReportName = name;
    return true;
}

void OnImpulseReport(CSndView& view, const ImpulseAnalysisPrompts& prompts)
{
    if (!ChooseReportFolder(view, prompts, GetText(1000119)))
        return;
    CreateFolderLongPath(view.m_strReportFolder);
    StartImpulseReport(view);
}

void OnEnergyDecayReport(CSndView& view, const ImpulseAnalysisPrompts& prompts)
{
    if (ChooseReportFolder(view, prompts, kEnergyDecayReportName))
        view.StartJob(CSndView::kJobEnergyDecayReport, [](CSndView& v) { WriteEnergyDecayReport(v); });
}

void OnOctaveEnergyDecay(CSndView& view)
{
    if (!HoldsImpulse(view))
        return;
    // The overlays of a running job are not to be taken away under it.
    if (view.IsJobRunning())
        return;
    view.ClearAllOverlays();
    view.StartJob(CSndView::kJobOctaveDecay, [](CSndView& v) { WriteOctaveReverbList(v); });
}

void OnSeriesAverage(CSndView& view, const ImpulseAnalysisPrompts& prompts)
{
    const std::string folder = AskFolder(prompts, 1000017);
    if (folder.empty())
        return;
    const std::int32_t result = AverageImpulseResponses(folder, view.GetEngine());
    if (result < 0)
    {
        ShowSeriesError(view, result);
        return;
    }
    view.m_strReportName = "Impulse analysis report";
    view.m_strReportFolder = (std::filesystem::path(folder) / kSeriesAverageName).string();
    view.LoadImpulseFromAudioFile(
        (std::filesystem::path(view.m_strReportFolder) / kSeriesResponseName).string(), false);
    if (view.GetImpulse().IsHeld())
    {
        view.ClearImpulsePlotFlags();
        StartImpulseReport(view);
    }
}

void OnSeriesStatistics(CSndView& view, const ImpulseAnalysisPrompts& prompts)
{
    const std::string folder = AskFolder(prompts, 1000017);
    if (folder.empty())
        return;
    CStatisticsJob& job = view.GetStatisticsJob();
    if (job.IsRunning())
        return;
    job.m_strTitle = kStatisticsJobTitle;
    job.m_folder = folder;
    ShowSeriesError(view, job.Run());
}

void OnWaveFileAnalysis(CSndView& view, const ImpulseAnalysisPrompts& prompts)
{
    if (view.IsFileAnalysisRunning())
        return;
    const std::string path = prompts.askAudioFile ? prompts.askAudioFile() : std::string();
    if (path.empty())
        return;
    CFileAnalysisJob& job = view.GetFileAnalysisJob();
    job.m_strFileName = path;
    job.m_Job.m_strTitle = kFileAnalysisJobTitle;
    job.m_Job.Run();
}

}  // namespace

bool IsImpulseAnalysisCommand(int id)
{
    using namespace impulse_command;
    return id == kImpulseReport || id == kEnergyDecayReport || id == kOctaveEnergyDecay || id == kStiRasti ||
           id == kSeriesAverage || id == kSeriesStatistics || id == kWaveFileAnalysis;
}

bool EvaluateImpulseSti(CSndView& view)
{
    const CImpulseResponse& impulse = view.GetImpulse();
    if (!HoldsImpulse(view))
        return false;
    if (impulse.m_nAnalysisLength < kStiMinimumLength)
    {
        ShowMessage(view, kStiTooShortMessage);
        return false;
    }
    CStiEvaluator& evaluator = view.m_stiEvaluator;
    evaluator.m_snr.Assign(view.GetEngine().m_stiSnrValues);
    const double rate = impulse.m_dSampleRate > 0.0 ? impulse.m_dSampleRate : view.GetEngine().m_nSampleRate;
    evaluator.Evaluate(impulse.Channel(0), impulse.m_nFrames, static_cast<std::int32_t>(std::lround(rate)));
    view.m_dImpulseSti = evaluator.m_sti;
    return true;
}

bool OnImpulseAnalysisCommand(CSndView& view, int id, const ImpulseAnalysisPrompts& prompts)
{
    using namespace impulse_command;
    switch (id)
    {
        case kImpulseReport:
            OnImpulseReport(view, prompts);
            return true;
        case kEnergyDecayReport:
            OnEnergyDecayReport(view, prompts);
            return true;
        case kOctaveEnergyDecay:
            OnOctaveEnergyDecay(view);
            return true;
        case kStiRasti:
            if (EvaluateImpulseSti(view) && prompts.runCommand)
                prompts.runCommand(kDisplayStiRasti);
            return true;
        case kSeriesAverage:
            OnSeriesAverage(view, prompts);
            return true;
        case kSeriesStatistics:
            OnSeriesStatistics(view, prompts);
            return true;
        case kWaveFileAnalysis:
            OnWaveFileAnalysis(view, prompts);
            return true;
        default:
            return false;
    }
}
