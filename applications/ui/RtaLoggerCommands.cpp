#include "applications/ui/RtaLoggerCommands.h"

#include "applications/LevelLogger.h"
#include "applications/LevelLoggerSplData.h"
#include "applications/RtaLoggerRules.h"
#include "display/settings/ViewSettings.h"
#include "dsp/BandAnalyzer.h"
#include "engine/SoundIn.h"
#include "platform/NumberFormat.h"
#include "platform/ui/MessageBoxService.h"
#include "view/SndView.h"
#include "view/ViewDocument.h"
#include "view/ViewFrame.h"
#include "view/ui/MeasurementValueDlgs.h"
#include "view/ui/SplViewerSelectDlg.h"

#include <wx/dirdlg.h>
#include <wx/window.h>

#include <chrono>
#include <filesystem>
#include <thread>

std::function<void(int)> CRtaLoggerCommands::s_wait;
std::function<std::string(const std::string&, const std::string&)> CRtaLoggerCommands::s_chooseFolder;

namespace
{

constexpr int kStopView = 33030;
constexpr int kYAutoScale = 33044;
constexpr int kLoggerTimeMode = 271;
constexpr int kDinFolder = 1005;
constexpr const char* kLogFileWildcard = "Log file (*.ini)|*.ini";

wxWindow* ParentOf(const CSndView& view)
{
    return dynamic_cast<wxWindow*>(view.GetWindow());
}

CBandAnalyzer* FirstAnalyzer(const CSndView& view)
{
    return view.GetEngine().GetBandAnalyzer(0);
}

// The RTA's engine settings: a long FFT with its window on.
void SetRtaEngineSettings(CSoundIn& engine, bool weighting)
{
    engine.m_nFftSize = 8192;
    engine.m_bWindowEnable = 1;
    engine.m_nWindowType = 1;
    if (weighting)
        engine.m_nWeightingType = 1;
}

std::string WithIniExtension(std::string path)
{
    if (std::filesystem::path(path).extension().empty())
        path += ".ini";
    return path;
}

}  // namespace

CLevelLogger* CRtaLoggerCommands::GetFirstLogger(const CSndView& view)
{
    return dynamic_cast<CLevelLogger*>(view.GetEngine().GetLevelLogger(0));
}

bool CRtaLoggerCommands::OnCommand(CSndView& view, int id)
{
    using namespace rta_command;
    switch (id)
    {
        case kOctaveRta:
            OnOctaveRta(view);
            return true;
        case kThirdOctaveRta:
            OnThirdOctaveRta(view);
            return true;
        case kNthOctaveRta:
            OnNthOctaveRta(view);
            return true;
        case kLoggerSave:
            OnLoggerSave(view);
            return true;
        case kLoggerLoad:
            OnLoggerLoad(view);
            return true;
        case kLoggerStart:
            OnLoggerStart(view);
            return true;
        case kLoggerViewResults:
            OnLoggerViewResults(view);
            return true;
        case kDinReport:
            OnDinReport(view);
            return true;
        case kDinExport:
            OnDinExport(view);
            return true;
        default:
            if (RtaSpeedCode(id) == 0)
                return false;
            OnSpeed(view, id);
            return true;
    }
}

bool CRtaLoggerCommands::OnUpdateCommand(const CSndView& view, int id, bool& enabled, bool& checked)
{
    using namespace rta_command;
    const CViewSettings* settings = view.GetSettings();
    const CLevelLogger* logger = GetFirstLogger(view);
    const bool stored = logger && logger->GetStoredBlocks() > 0;
    enabled = true;
    checked = false;
    switch (id)
    {
        case kOctaveRta:
        case kThirdOctaveRta:
        case kNthOctaveRta:
            checked = settings && IsRtaItemChecked(*settings, id);
            return true;
        case kLoggerStart:
        {
            const CBandAnalyzer* analyzer = FirstAnalyzer(view);
            enabled = logger != nullptr;
            checked = analyzer && analyzer->m_loggingActive.load() != 0;
            return true;
        }
        case kLoggerSave:
            enabled = stored && logger->m_dinMode == 0;
            return true;
        case kLoggerViewResults:
            enabled = stored;
            return true;
        case kLoggerLoad:
        case kDinReport:
        case kDinExport:
            enabled = logger != nullptr;
            return true;
        default:
            if (RtaSpeedCode(id) == 0)
                return false;
            checked = settings && IsRtaItemChecked(*settings, id);
            return true;
    }
}

void CRtaLoggerCommands::ToggleRta(CSndView& view, int bandsPerOctave)
{
    CViewSettings* settings = view.GetSettings();
    if (!settings)
        return;
    view.OnCommand(kStopView);
    const bool switchOff = settings->m_bBarGraph != 0 && settings->m_nBandsPerOctave == bandsPerOctave;
    view.ResetViewFlags();
    if (!switchOff)
    {
        settings->m_bBarGraph = 1;
        settings->m_nBandsPerOctave = bandsPerOctave;
    }
    CSoundIn& engine = view.GetEngine();
    SetRtaEngineSettings(engine, true);
    engine.m_nBandAnalyzerMode = settings->m_nBandsPerOctave;
    view.OnStart();
    view.RestartDisplay();
}

void CRtaLoggerCommands::OnOctaveRta(CSndView& view)
{
    ToggleRta(view, 1);
}

void CRtaLoggerCommands::OnThirdOctaveRta(CSndView& view)
{
    ToggleRta(view, 3);
}

void CRtaLoggerCommands::OnNthOctaveRta(CSndView& view)
{
    CViewSettings* settings = view.GetSettings();
    if (!settings)
        return;
    CSelectBandsDlg dialog(ParentOf(view));
    dialog.m_nBands = settings->m_nBandsPerOctave <= 0 ? 6 : settings->m_nBandsPerOctave;
    if (dialog.ShowModal() != wxID_OK)
        return;
    view.OnCommand(kStopView);
    view.ResetViewFlags();
    settings->m_bBarGraph = 1;
    settings->m_nBandsPerOctave = dialog.m_nBands;
    CSoundIn& engine = view.GetEngine();
    SetRtaEngineSettings(engine, false);
    engine.m_nBandAnalyzerMode = settings->m_nBandsPerOctave;
    view.OnStart();
    view.RestartDisplay();
}

void CRtaLoggerCommands::OnSpeed(CSndView& view, int id)
{
    if (CViewSettings* settings = view.GetSettings())
        settings->m_nTimeWeighting = RtaSpeedCode(id);
}

void CRtaLoggerCommands::OnLoggerSave(CSndView& view)
{
    CLevelLogger* logger = GetFirstLogger(view);
    if (!logger)
        return;
    platform::ui::FileDialogRequest request;
    request.save = true;
    request.wildcard = kLogFileWildcard;
    const std::string chosen = platform::ui::ShowFileDialog(request, ParentOf(view));
    if (chosen.empty())
        return;
    const std::string path = WithIniExtension(chosen);
    if (!SaveLoggerDataSet(*logger, path))
        ReportFailure(view, platform::FormatC("The log file %s could not be written.", path.c_str()));
}

void CRtaLoggerCommands::OnLoggerLoad(CSndView& view)
{
    CLevelLogger* logger = GetFirstLogger(view);
    CBandAnalyzer* analyzer = FirstAnalyzer(view);
    if (!logger || !analyzer)
        return;
    StopLogging(view);
    Wait(500);
    platform::ui::FileDialogRequest request;
    request.wildcard = kLogFileWildcard;
    const std::string path = platform::ui::ShowFileDialog(request, ParentOf(view));
    if (path.empty())
        return;
    if (!logger->IsRunning())
    {
        std::string reason;
        if (!analyzer->LoadLoggerData(path, std::string(), &reason))
        {
            ReportFailure(view, platform::FormatC("The log file %s could not be read.%s%s", path.c_str(),
                                                  reason.empty() ? "" : "\n", reason.c_str()));
            return;
        }
    }
    view.OnResetAllViews();
    // The first window of the workspace that does not show a frequency axis shows the level course.
    for (CSndView* target : view.GetDocument().GetViews())
    {
        if (target->m_nViewTag != CSndView::kViewTag || !target->GetSettings() || target->IsFrequencyAxis())
            continue;
        CViewSettings& settings = *target->GetSettings();
        settings.m_dLoggerCentreFrequency = -1.0;
        settings.m_nLoggerResultType = CLevelLogger::kSplFast;
        settings.m_nLoggerWeighting = 1;
        logger->FillOwnTimeSeries(CLevelLogger::kSplFast, 1, -1);
        target->SetupCurves();
        target->RemoteSetViewMode(kLoggerTimeMode);
        Wait(500);
        ShowWholeRun(*target, *logger);
        target->OnCommand(kYAutoScale);
        break;
    }
}

bool CRtaLoggerCommands::OnLoggerStart(CSndView& view)
{
    CLevelLogger* logger = GetFirstLogger(view);
    CBandAnalyzer* analyzer = FirstAnalyzer(view);
    if (!logger || !analyzer)
        return false;
    CSoundIn& engine = view.GetEngine();
    StopLogging(view);
    Wait(500);
    CopyLoggerStartSettings(*logger, engine);
    analyzer->m_enabled = 1;
    logger->m_din.m_periodNumber = -1;
    engine.ResetChannelStatistics();
    view.OnResetAllViews();
    analyzer->Configure();
    // The run's configuration decides its size before anything is allocated.
    analyzer->CopySettingsToLogger();
    if (ExceedsLoggerMemory(logger->GetRequiredMemory()))
    {
        ReportFailure(view, LoggerMemoryMessage(logger->m_fastInterval));
        return false;
    }
    if (!engine.IsRunning())
        view.OnStart();
    Wait(300);
    analyzer->ResetLevels();
    // A ring that cannot be allocated is reported by the logger; nothing starts then.
    return analyzer->StartLogging();
}

void CRtaLoggerCommands::OnLoggerViewResults(CSndView& view)
{
    CLevelLogger* logger = GetFirstLogger(view);
    CViewSettings* settings = view.GetSettings();
    if (!logger || !settings)
        return;
    const CLevelLoggerSplData data(*logger);
    CSplViewerSelectDlg dialog(ParentOf(view), &data, settings->m_nLoggerResultType,
                               settings->m_nLoggerWeighting, settings->m_dLoggerCentreFrequency);
    if (dialog.ShowModal() != wxID_OK || logger->GetStoredBlocks() <= 0)
        return;
    view.SetViewMode(0);
    settings->m_nLoggerResultType = dialog.m_nType;
    settings->m_nLoggerWeighting = dialog.m_nWeighting;
    settings->m_dLoggerCentreFrequency = dialog.m_dCentre;
    logger->FillOwnTimeSeries(
        dialog.m_nType, dialog.m_nWeighting,
        dialog.m_dCentre > 0.0 ? logger->m_bands.FindNearestBand(dialog.m_dCentre) : -1);
    view.SetViewMode(kLoggerTimeMode);
    view.RestartDisplay();
    ShowWholeRun(view, *logger);
    view.OnCommand(kYAutoScale);
}

void CRtaLoggerCommands::OnDinReport(CSndView& view)
{
    CLevelLogger* logger = nullptr;
    const std::string folder = ChooseDinFolderAndStop(view, logger);
    if (folder.empty())
        return;
    logger->SetLastFolder(folder);
    if (logger->WriteDinReport() != 0)
        ReportFailure(view, platform::FormatC("The DIN 15905 results page could not be written in %s.",
                                              folder.c_str()));
}

void CRtaLoggerCommands::OnDinExport(CSndView& view)
{
    CLevelLogger* logger = nullptr;
    const std::string folder = ChooseDinFolderAndStop(view, logger);
    if (!folder.empty() && logger->ExportCsv(folder) != 0)
        ReportFailure(
            view, platform::FormatC("The DIN 15905 periods of %s could not be exported.", folder.c_str()));
}

std::string CRtaLoggerCommands::ChooseDinFolderAndStop(CSndView& view, CLevelLogger*& logger)
{
    logger = GetFirstLogger(view);
    if (!logger)
        return {};
    std::string folder = ChooseDinFolder(view);
    if (!folder.empty())
        StopLogging(view);
    return folder;
}

void CRtaLoggerCommands::ReportFailure(const CSndView& view, const std::string& text)
{
    platform::ui::ShowMessageBox(text, "Tessarin", wxOK | wxICON_EXCLAMATION, ParentOf(view));
}

void CRtaLoggerCommands::ShowWholeRun(CSndView& view, const CLevelLogger& logger)
{
    const CFloatMatrix& series = logger.m_matrix;
    if (series.GetColumns() > 1 && !series.m_x.empty())
    {
        const double last = series.m_x[static_cast<std::size_t>(series.GetColumns() - 1)];
        if (last > 0.0)
            view.RemoteSetXRange(0.0, last);
    }
    view.InvalidateAllViews();
}

void CRtaLoggerCommands::StopLogging(CSndView& view)
{
    StopLoggingRuns(view.GetEngine());
}

void CRtaLoggerCommands::Wait(int milliseconds)
{
    if (s_wait)
        s_wait(milliseconds);
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::string CRtaLoggerCommands::ChooseDinFolder(CSndView& view)
{
    const std::string title = "DIN15905 Messergebnisse";
    const CViewFrame* frame = view.GetDocument().m_pFrame;
    const std::string start = frame ? frame->GetDataFolder(kDinFolder) : std::string();
    if (s_chooseFolder)
        return s_chooseFolder(title, start);
    wxDirDialog dialog(ParentOf(view), wxString::FromUTF8(title), wxString::FromUTF8(start),
                       wxDD_DEFAULT_STYLE | wxDD_DIR_MUST_EXIST);
    if (dialog.ShowModal() != wxID_OK)
        return {};
    return dialog.GetPath().utf8_string();
}
