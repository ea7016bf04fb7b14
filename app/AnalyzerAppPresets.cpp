// The measurement presets (a ready-made workspace of two windows, started half a second later), the
// user presets of the "Presets" menu and the quick-start panel's command.
#include "app/AnalyzerApp.h"
#include "app/ChildFrame.h"
#include "app/CommandTable.h"
#include "app/ConfigPresetsDlg.h"
#include "app/LevelLoggers.h"
#include "app/MainFrame.h"
#include "app/QuickStartDlg.h"
#include "app/SndDoc.h"
#include "applications/LevelLogger.h"
#include "applications/ui/DIN15905Dlgs.h"
#include "display/settings/ViewSettings.h"
#include "engine/SoundIn.h"
#include "platform/ui/MdiContainer.h"
#include "texts/TextTable.h"
#include "view/SndView.h"
#include "view/ui/SndViewWindow.h"

#include <wx/menu.h>
#include <wx/toolbar.h>
#include <wx/utils.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace
{

constexpr double kPresetLevelLower = -110.0;
constexpr double kPresetLevelUpper = 5.0;
// The first window shows the upper part of the range: its lower end 30 dB higher and, calibrated,
// its upper end 20 dB lower.
constexpr double kFirstWindowLowerRaise = 30.0;
constexpr double kFirstWindowCalibratedDrop = 20.0;
constexpr int kPresetWindowCount = 2;
constexpr int kSecondPhaseDelayMs = 500;
constexpr int kResetDelayMs = 1000;
constexpr int kStopWaitMs = 100;
constexpr int kFirstUserPreset = 32848;
constexpr int kUserPresetCount = 10;
constexpr int kPresetsSetup = 33050;
constexpr int kTextSetup = 1000288;
constexpr int kFftLayoutCommand = 33072;
constexpr int kQuickCalibration = 32925;
constexpr const char* kNoTimer = "Not enough timers available for this window.";
constexpr const char* kDinStartHint =
    "Zum Start des Protokolls, drücken Sie bitte den Startknopf in der "
    "Werkzeugleiste\nAnsonsten sehen Sie nur die aktuellen Meßwerte ohne Protokoll.";

// The frequency range (Hz) and sample rate of the band window of a preset; a range of 0 to 0 leaves
// the window's range as it is.
struct PresetBandWindow
{
    double lowest = 0.0;
    double highest = 0.0;
    int sampleRate = 44100;
};

PresetBandWindow BandWindowOf(int type, int kind)
{
    PresetBandWindow window;
    if (type == 3)
        window = {7.0, 130.0, 44100};
    else if (type == 4)
        window = {20.0, 22000.0, 44100};
    else if (type == 2 && kind == 0)
        window = {81.0, 110000.0, 192000};
    else if (type == 2 && kind == 1)
        window = {81.0, 55000.0, 96000};
    else if (type == 0 && kind == 2)
        window = {50.0, 10000.0, 44100};
    return window;
}

std::string UpperExtension(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return extension;
}

// Switches the band display of the window on with the band setting (3 third-octave, 1 octave),
// through the window's own band command, which steps off -> 3 -> 1 -> off.
void SetBandDisplay(CSndView& view, int bandsPerOctave)
{
    for (int step = 0; step < 3; ++step)
    {
        const CViewSettings* settings = view.GetSettings();
        if (!settings || (settings->m_bBarGraph && settings->m_nBandsPerOctave == bandsPerOctave))
            return;
        view.OnCommand(view_command::kBarGraph);
    }
}

}  // namespace

void CAnalyzerApp::GetPresetLevelRange(double& lower, double& upper) const
{
    lower = kPresetLevelLower;
    upper = kPresetLevelUpper;
    if (m_pEngine && m_pEngine->m_bCalibration)
    {
        lower += m_pEngine->m_fCalibrationOffset;
        upper += m_pEngine->m_fCalibrationOffset;
    }
}

CSndView* CAnalyzerApp::GetPresetView(std::size_t index) const
{
    if (!m_pMainWnd)
        return nullptr;
    const auto& frames = m_pMainWnd->GetContainer()->GetChildFrames();
    if (index >= frames.size())
        return nullptr;
    auto* child = dynamic_cast<CChildFrame*>(frames[index]);
    return child && child->GetViewWindow() ? &child->GetViewWindow()->GetView() : nullptr;
}

bool CAnalyzerApp::BeginPreset(int type)
{
    if (!m_pMainWnd || !m_pEngine || !m_pDocument)
        return false;
    CSoundIn& engine = *m_pEngine;
    engine.m_bProcessingEnabled.store(0);
    m_nPresetType = type;
    const double gain = engine.m_dCalibrationGain;
    const float offset = engine.m_fCalibrationOffset;
    const int calibration = engine.m_bCalibration;
    // The old workspace is saved and closed; the new one starts from the engine's defaults.
    if (!OnFileNew() || m_pMainWnd->GetContainer()->GetChildFrames().empty())
        return false;
    ConnectDocument();
    m_pDocument->EnsureViewCount(kPresetWindowCount, true);
    m_pMainWnd->PostCommand(command_id::kWindowTileHorz);
    engine.m_dCalibrationGain = gain;
    engine.m_fCalibrationOffset = offset;
    engine.m_bCalibration = calibration;
    engine.m_bDcBlock = m_nDcBlockAtStartup;
    return GetPresetView(0) && GetPresetView(1);
}

void CAnalyzerApp::FinishPreset(CSndView& first)
{
    double lower = 0.0;
    double upper = 0.0;
    GetPresetLevelRange(lower, upper);
    if (m_pEngine->m_bCalibration)
        upper -= kFirstWindowCalibratedDrop;
    lower += kFirstWindowLowerRaise;
    first.RemoteSetYRange(lower, upper);
    // The level monitor with its LEQ parameter windows, once the window has its place. The level
    // monitor's display keeps axes of its own: the level range goes to them once it shows.
    if (CViewWindow* window = first.GetWindow())
    {
        window->PostToWindow([&first] { first.OnCommand(view_command::kLeqPreset100); });
        window->PostToWindow(
            [&first, lower, upper]
            {
                first.SetupCurves();
                first.SetupAxes();
                first.RemoteSetYRange(lower, upper);
            });
    }
    else
    {
        first.SetupCurves();
        first.SetupAxes();
    }

    m_bPresetStarted = 1;
    m_pEngine->m_bProcessingEnabled.store(0);
    if (!m_pMainWnd->StartPresetTimer(CMainFrame::kTimerPresetsSecondPhase, kSecondPhaseDelayMs))
        DoMessageBox(kNoTimer, wxOK | wxICON_EXCLAMATION);
}

int CAnalyzerApp::StartPreset(int type, int kind)
{
    if (!BeginPreset(type))
        return 0;
    CSndView& first = *GetPresetView(0);
    CSndView& band = *GetPresetView(1);
    SetBandDisplay(band, type == 0 && kind == 1 ? 1 : 3);
    const PresetBandWindow window = BandWindowOf(type, kind);
    // The rate first: a new rate moves the window's frequency ends with it.
    band.RemoteSetSampleRate(window.sampleRate);
    double lower = 0.0;
    double upper = 0.0;
    GetPresetLevelRange(lower, upper);
    band.RemoteSetYRange(lower, upper);
    if (window.highest > window.lowest)
        band.RemoteSetXRange(window.lowest, window.highest);
    // DIN 15905: the logger in DIN 15905 mode, the event and measurement dialogs, then how to start.
    if (type == 4 && m_pLevelLoggers)
        if (CLevelLogger* logger = m_pLevelLoggers->Get(0))
        {
            EditDin15905Info(m_pMainWnd, *logger);
            DoMessageBox(kDinStartHint, wxOK | wxICON_INFORMATION);
        }
    FinishPreset(first);
    Trace("preset " + std::to_string(type) + "/" + std::to_string(kind));
    return 1;
}

int CAnalyzerApp::OnPresetFft()
{
    if (!BeginPreset(0))
        return 0;
    CSndView& spectrum = *GetPresetView(0);
    CSndView& band = *GetPresetView(1);
    SetBandDisplay(band, 3);
    double lower = 0.0;
    double upper = 0.0;
    GetPresetLevelRange(lower, upper);
    band.RemoteSetYRange(lower, upper);
    // Above 48 kHz the bands reach into the ultrasound.
    constexpr int kUltrasoundRate = 48000;
    if (m_pEngine->m_nSampleRate > kUltrasoundRate)
        band.RemoteSetXRange(81.0, 110000.0);
    else
        band.RemoteSetXRange(80.0, 2200.0);
    FinishPreset(spectrum);
    Trace("preset fft");
    return 1;
}

void CAnalyzerApp::OnPresetSecondPhase()
{
    if (!m_pMainWnd || !m_pEngine || m_pMainWnd->GetContainer()->GetChildFrames().empty())
        return;
    m_pEngine->m_bProcessingEnabled.store(1);
    m_pMainWnd->Refresh();
    m_pMainWnd->Update();
    m_pMainWnd->PostCommand(view_command::kStart);
    m_pMainWnd->PostCommand(m_pEngine->m_bCalibration ? kFftLayoutCommand : kQuickCalibration);
}

void CAnalyzerApp::OnPresetFftLayout()
{
    if (!m_pMainWnd)
        return;
    CMainFrame& frame = *m_pMainWnd;
    for (const char* name : {"STIPA", "Options1", "Impulse"})
        frame.ShowToolbar(frame.FindToolbar(name), false);
    // The logger toolbar shows once it carries a command.
    if (wxToolBar* logger = frame.GetLoggerToolbar(); logger && CMainFrame::HasCommandButtons(logger))
        frame.ShowToolbar(logger, true);
    if (!frame.StartPresetTimer(CMainFrame::kTimerResetMeasurements, kResetDelayMs))
        DoMessageBox(kNoTimer, wxOK | wxICON_EXCLAMATION);
    double lower = 0.0;
    double upper = 0.0;
    GetPresetLevelRange(lower, upper);
    if (CSndView* band = GetPresetView(1))
    {
        band->RemoteSetYRange(lower, upper);
        band->OnCommand(view_command::kAlignParamViews);
    }
    if (CSndView* first = GetPresetView(0))
    {
        const bool calibrated = m_pEngine && m_pEngine->m_bCalibration;
        first->RemoteSetYRange(lower + kFirstWindowLowerRaise,
                               calibrated ? upper - kFirstWindowCalibratedDrop : upper);
        first->OnCommand(view_command::kAlignParamViews);
    }
}

void CAnalyzerApp::OnUserPreset(int id)
{
    const int preset = id - (kFirstUserPreset - 1);
    if (preset < 1 || preset > kUserPresetCount)
        return;
    const std::string path = CConfigPresetsDlg::ReadPresetValue(preset, "Filename", "");
    if (path.empty())
        return;
    // Checked before anything changes: a preset whose file is gone leaves the workspace as it is.
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error))
    {
        DoMessageBox("The file of this preset does not exist:\n" + path, wxOK | wxICON_EXCLAMATION);
        return;
    }
    const bool workspaceOpen = m_pMainWnd && !m_pMainWnd->GetContainer()->GetChildFrames().empty();
    if (UpperExtension(path) == ".INI" && workspaceOpen)
    {
        // Only when a new workspace can be made is the old one closed.
        if (!m_pEngine || !m_pDocument)
            return;
        if (!OnFileNew())
            return;
        if (CSndView* first = GetPresetView(0))
            first->LoadSettingsFile(path);
        Trace("user preset " + path);
        return;
    }
    if (m_pEngine)
    {
        m_pEngine->m_bProcessingEnabled.store(0);
        wxMilliSleep(kStopWaitMs);
        m_pEngine->StopInput();
    }
    CSndView::Pause3DViewer(1);
    OpenDocumentFile(path);
    CSndView::Pause3DViewer(0);
    if (m_pEngine)
        m_pEngine->m_bProcessingEnabled.store(1);
    Trace("user preset " + path);
}

void CAnalyzerApp::OnShowPanel()
{
    if (!m_pMainWnd || !m_pMainWnd->GetPanel())
        return;
    m_bQuickStartShown = 1;
    CQuickStartDlg* panel = m_pMainWnd->GetPanel();
    panel->Show();
    panel->Raise();
}

void CAnalyzerApp::UpdatePresetsMenu(bool showDialog, wxMenuBar* bar)
{
    if (showDialog && m_pMainWnd)
    {
        CConfigPresetsDlg dialog(m_pMainWnd);
        dialog.ShowModal();
    }
    if (!bar && m_pMainWnd)
        bar = m_pMainWnd->GetMenuBar();
    if (!bar)
        return;
    const int firstId = command_id::WxCommandId(kFirstUserPreset);
    for (std::size_t i = bar->GetMenuCount(); i-- > 0;)
    {
        wxMenu* menu = bar->GetMenu(i);
        if (!menu || menu->GetMenuItemCount() == 0 || menu->FindItemByPosition(0)->GetId() != firstId)
            continue;
        while (menu->GetMenuItemCount() > 0)
            menu->Destroy(menu->FindItemByPosition(0));
        for (int preset = 1; preset <= kUserPresetCount; ++preset)
        {
            const std::string name =
                CConfigPresetsDlg::ReadPresetValue(preset, "name", "Preset " + std::to_string(preset));
            menu->Append(command_id::WxCommandId(kFirstUserPreset - 1 + preset), wxString::FromUTF8(name));
        }
        menu->AppendSeparator();
        menu->Append(command_id::WxCommandId(kPresetsSetup), wxString::FromUTF8(GetText(kTextSetup)));
        return;
    }
}
