// The main window: menu bar, the toolbars, the status bar with its weighting and FFT-size combo
// boxes, the container of the measurement windows' frames, and the two one-shot timers of the
// measurement presets.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/cmndata.h>
#include <wx/frame.h>
#include <wx/timer.h>

#include "view/ViewFrame.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class MdiContainer;
struct CommandEntry;
class CAnalyzerApp;
class CGeneratorPanels;
class CBarComboBox;
class CComboToolBar;
class CHistoryComboBox;
class CQuickStartDlg;
class wxToolBar;
class wxPanel;

// Command ids of the framework's commands that the shell uses.
namespace command_id
{
inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileClose = 57602;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrintSetup = 57606;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileMru1 = 57616;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditPaste = 57637;
inline constexpr int kWindowNew = 57648;
inline constexpr int kWindowArrange = 57649;
inline constexpr int kWindowCascade = 57650;
inline constexpr int kWindowTileHorz = 57651;
inline constexpr int kWindowTileVert = 57652;
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kHelpFinder = 57667;
inline constexpr int kViewToolbar = 59392;
inline constexpr int kViewStatusBar = 59393;
inline constexpr int kOctaveFraction = 33006;
inline constexpr int kExpertMode = 33105;
inline constexpr int kCopyAsBitmap = 32774;
inline constexpr int kPreferences = 32845;
inline constexpr int kLanguage = 32955;
inline constexpr int kAudioMixer = 33104;
// File input.
inline constexpr int kAnalyzeWaveFile = 32800;
inline constexpr int kStopWaveFileAnalyzer = 32872;
// The ASIO menu's generator panels: "ASIO Generator #1" .. "#10", then "Test signal".
inline constexpr int kAsioGenerator1 = 33017;
inline constexpr int kAsioTestSignal = 33027;
// The input drivers: "External input driver", "configure external input driver", "select ASIO",
// ASIO "Configure".
inline constexpr int kSelectInputLibrary = 32804;
inline constexpr int kConfigureInputLibrary = 32805;
inline constexpr int kSelectAsio = 32807;
inline constexpr int kConfigureAsio = 32808;
// The measurement settings commands.
inline constexpr int kSettings = 32768;
inline constexpr int kAdvancedSettings = 32769;
inline constexpr int kImpedanceSettings = 32780;
inline constexpr int kTriggerSettings = 32834;
inline constexpr int kDsp = 32904;
inline constexpr int kAudioMonitor = 33070;
// Microphone calibration files and the reference spectrum.
inline constexpr int kMicCalibration = 32803;
inline constexpr int kLoadSaveReference = 32770;
inline constexpr int kSynchronize = 32773;
inline constexpr int k3dViewer = 32812;
inline constexpr int kShowPanel = 33095;
inline constexpr int kPlotImpulse = 32846;
inline constexpr int kFileNewKeepSettings = 33094;
inline constexpr int kPresetsSecondPhase = 33089;
inline constexpr int kResetAllMeasurements = 33090;
inline constexpr int kStatusWeighting = 40004;
inline constexpr int kStatusFftSize = 40005;

// Menu item ids of the toolkit stop below 0x7FFF; the framework's own command ids (57600 and up)
// are folded below it, one to one, wherever they meet a menu or a toolbar.
inline constexpr int WxCommandId(int commandId)
{
    return commandId > 0x7FFF ? commandId - 0x8000 : commandId;
}
}  // namespace command_id

class CSndView;
class CSndViewWindow;

class CMainFrame : public wxFrame, public CViewFrame
{
public:
    static constexpr int kToolbarCount = 6;
    static constexpr int kTimerPresetsSecondPhase = 712;
    static constexpr int kTimerResetMeasurements = 714;

    explicit CMainFrame(CAnalyzerApp& app);
    ~CMainFrame() override;

    // The frame's creation (menus, status bar, toolbars); false when any part fails.
    bool OnCreate();

    MdiContainer* GetContainer() const { return m_pContainer; }

    // Builds the menu bar again in the current language (a new workspace does); nothing while the
    // frame has no menu bar.
    void RebuildMenuBar();

    // The toolbar table: the main, "Impulse", "Overlay", "Channel", "STIPA" and "Options1" bars.
    const std::array<wxToolBar*, kToolbarCount>& GetToolbarTable() const { return m_ToolbarTable; }
    static const std::array<const char*, kToolbarCount>& GetToolbarNames();
    wxToolBar* GetLoggerToolbar() const { return m_pLoggerBar; }
    CBarComboBox* GetWeightingCombo() const { return m_pWeightingCombo; }
    CBarComboBox* GetFftSizeCombo() const { return m_pFftSizeCombo; }
    CHistoryComboBox* GetOctaveFractionCombo() const { return m_pOctaveCombo; }
    int GetSmoothingEntry() const override;
    void SelectSmoothingEntry(int index) override;

    // The status-bar prompt of a command: the prompt string's part before its first "\n"; the
    // tool tip: its second part (false when the prompt string is empty).
    static std::string MessageFromPrompt(const std::string& prompt);
    static bool ToolTipFromPrompt(const std::string& prompt, std::string& tip);

    // Starts one of the presets' one-shot timers; false when no timer is available. Tests replace
    // the starting (m_fnStartTimer) and fire the timers themselves through OnTimerFired.
    bool StartPresetTimer(int id, int milliseconds);
    std::function<bool(int id, int milliseconds)> m_fnStartTimer;
    void OnTimerFired(int id);

    // The quick-start panel (made hidden with the frame).
    CQuickStartDlg* GetPanel() const { return m_pPanel; }
    // Shows or hides a toolbar of the top row.
    void ShowToolbar(wxToolBar* bar, bool show);
    // The toolbar of the table with this name ("Impulse", "STIPA", "Options1", ...), or null.
    wxToolBar* FindToolbar(const std::string& name) const;

    // Saves a picture of the frame as PNG (used by the program's self-test hook).
    bool SaveScreenshot(const std::string& path);

    // The longest wave file the impulse viewer takes, in seconds.
    static constexpr double kMaxDropSeconds = 61.0;
    // Checks dropped files in order; the message of the first refused file, or empty when all are
    // accepted.
    static std::string CheckDroppedFiles(const std::vector<std::string>& paths);
    // Wave files dropped at a point (screen coordinates): each goes to one measurement window.
    bool OnDropFiles(const std::vector<std::string>& paths, const wxPoint& screenPoint);

    bool IsToolbarShown(wxToolBar* bar) const;

    // The measurement window of the active child frame, or null.
    CSndView* GetActiveView() const;
    CSndViewWindow* GetActiveViewWindow() const;
    CAnalyzerApp& GetApp() const { return m_app; }

    // What the measurement windows use of the frame.
    bool HasStatusBar() const override;
    void SetStatusPaneText(int pane, const std::string& text) override;
    void SelectFftSizeEntry(int index) override;
    void SelectWeightingEntry(int index) override;
    void RemoveMenu() override;
    void ShowMessage(const std::string& text) override;
    bool HasMenu() const override { return GetMenuBar() != nullptr; }
    bool AskYesNo(const std::string& text) override;
    void PostCommand(int id) override;
    void RebuildOverlayMenu(const std::vector<OverlayMenuEntry>& entries) override;
    bool GetMainWindowRect(PlotRect& rect) const override;
    void MoveMainWindow(const PlotRect& rect) override;
    void GetDesktopSize(int& width, int& height) const override;
    std::vector<std::pair<std::string, PlotRect>> GetToolbarRects() const override;
    std::string GetDataFolder(int id) const override;
    bool EditChannelMatrix(std::vector<Cchannel_settings>& channels,
                           const std::vector<std::string>& curveNames,
                           const CCalibrationReading::Source& readings) override;

    void OnSelchangeWeighting();
    void OnSelchangeFftSize();

    // The main toolbar's place in the top row (View > Toolbar).
    void ShowMainToolbar(bool show);
    // Print data shared by Print, Print Preview and Print Setup.
    wxPrintData& GetPrintData() { return m_printData; }

    // True when the toolbar holds at least one button (not only controls).
    static bool HasCommandButtons(wxToolBar* bar);
    // The tool tip of a command: its prompt's tool-tip part, else its menu caption.
    static std::string GetCommandToolTip(const CommandEntry& entry);

    // Commands run through the table, and those whose handler failed (the user was told).
    int GetCommandsRun() const { return m_nCommandsRun; }
    int GetLastCommand() const { return m_nLastCommand; }
    int GetFailedCommands() const { return m_nFailedCommands; }
    // The engine's generator panels (none without an engine).
    CGeneratorPanels* GetGeneratorPanels();

private:
    void CreateMenuBar();
    bool CreateStatusBarWithPanes();
    void CreateStatusBarCombos();
    bool CreateToolbars();
    void ApplyGuiMode();
    void FitCombosToPanes();
    void UpdateTitle();

    void OnClose(wxCloseEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnTimer(wxTimerEvent& event);
    wxToolBar* MakeToolbar(std::uint32_t bit, int size, wxToolBar* bar = nullptr);
    void RunCommand(const CommandEntry& entry);
    void OnTableCommand(wxCommandEvent& event);
    void OnSelchangeSmoothing();
    void OnTableUpdate(wxUpdateUIEvent& event);
    void OnMenuHighlight(wxMenuEvent& event);

    CAnalyzerApp& m_app;
    std::unique_ptr<CGeneratorPanels> m_pGeneratorPanels;
    wxPanel* m_pDockTop = nullptr;
    MdiContainer* m_pContainer = nullptr;
    wxToolBar* m_pMainBar = nullptr;
    wxToolBar* m_pImpulseBar = nullptr;
    wxToolBar* m_pOverlayBar = nullptr;
    wxToolBar* m_pChannelBar = nullptr;
    wxToolBar* m_pStipaBar = nullptr;
    wxToolBar* m_pOptionsBar = nullptr;
    wxToolBar* m_pLoggerBar = nullptr;
    std::array<wxToolBar*, kToolbarCount> m_ToolbarTable{};
    CHistoryComboBox* m_pOctaveCombo = nullptr;
    CBarComboBox* m_pWeightingCombo = nullptr;
    CBarComboBox* m_pFftSizeCombo = nullptr;
    CQuickStartDlg* m_pPanel = nullptr;
    wxTimer m_presetsTimer;
    wxTimer m_resetTimer;
    wxPrintData m_printData;
    int m_nCommandsRun = 0;
    int m_nLastCommand = 0;
    int m_nFailedCommands = 0;
    // The table rows with a handler by their toolkit id. One ranged binding serves them all: the
    // toolkit searches its handlers one by one for every toolbar button at every idle time.
    std::unordered_map<int, const CommandEntry*> m_commandRows;
};
