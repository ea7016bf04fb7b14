// The application object of Tessarin: its settings members (data folders, mixer settings, window
// positions), the start-up sequence that brings the text tables, engine settings and windows up in
// a fixed order, and the shut-down that stops the engine and offers to delete recordings.
//
// main() builds it before the engine and runs the window toolkit through Run; the toolkit's own
// application object only forwards to InitInstance and ExitInstance. Nothing here touches a window
// after Run has returned.
//
// Threads: user-interface thread only (the constructor runs on the main thread before any other).
#pragma once

#include "app/DataFolders.h"
#include "view/ViewDocument.h"

#include <array>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

class CLevelLoggers;
class CSoundIn;
class CSndDoc;
class CInputMixerBase;
class CMainFrame;
class CChildFrame;
class wxMenu;
class wxMenuBar;
class wxTimer;
class CSndView;

struct CMixerSettings
{
    int m_nDeviceId = 0;
    double m_dMicVolume = -1.0;  // -1: not set
    std::string m_strDeviceName = "USB Au";
    int m_nMicAgc = 0;
    int m_nMute = 0;
    int m_nSave = 0;
};

// Engine values that start-up reads from the registry; the display ranges among them go to the
// engine once its defaults are set.
struct CEngineStartupValues
{
    int m_bDisableCursor = 0;
    int m_bDisableMeter = 0;
    int m_nDefaultLanguageCode = -1;
    double m_dDefaultFrequencyMin = 20.0;
    double m_dDefaultFrequencyMax = 20000.0;
    double m_dDefaultLevelMax = 10.0;
    double m_dDefaultLevelMin = -100.0;
    double m_dDefaultSampleRate = 44100.0;
    int m_bDecimalComma = 0;
};

// The nine option texts of the main frame's octave-fraction combo box.
inline constexpr std::array<const char*, 9> kOctaveFractionTexts = {"off",  "1/1",  "1/3",  "1/6",  "1/10",
                                                                    "1/12", "1/24", "1/32", "other"};

// 1024 values in 0..1, filled once at start-up.
extern std::array<float, 1024> g_RandomTable;

class CAnalyzerApp
{
public:
    static constexpr int kMeasurementViewPositions = 256;
    static constexpr int kRecentFileCount = 4;
    // The caption of every message box.
    static constexpr const char* kAppName = "Halvek";
    static constexpr const char* kRegistryKey = "Halvek";
    static constexpr const char* kProfileName = "Tessarin";
    static constexpr const char* kConfigKey = "SOFTWARE\\Halvek\\Tessarin\\config";
    static constexpr const char* kRecentFileListKey = "SOFTWARE\\Halvek\\Tessarin\\Recent File List";

    // Builds the data folders (on disk too) and reads the two "default.cal" files. The mixer is the
    // one the stored mixer values are applied to (a fresh CInputMixer when none is given).
    explicit CAnalyzerApp(CInputMixerBase* mixer = nullptr);
    ~CAnalyzerApp();
    CAnalyzerApp(const CAnalyzerApp&) = delete;
    CAnalyzerApp& operator=(const CAnalyzerApp&) = delete;

    // The one application object (null outside its lifetime).
    static CAnalyzerApp* Get() { return s_pApp; }

    // Runs the window toolkit with InitInstance and ExitInstance; returns the process's exit code.
    int Run(int argc, char** argv, CSoundIn& engine);

    bool InitInstance();
    int ExitInstance();

    // Every message box of the program: the caption is the application's name, and boxes without
    // an icon whose buttons are OK, OK/Cancel, Yes/No or Yes/No/Cancel get the exclamation icon.
    // style takes wx flags; returns wxID_OK, wxID_CANCEL, wxID_YES or wxID_NO.
    int DoMessageBox(const std::string& text, long style, unsigned promptId = 0);

    // Help: only HELP_CONTEXT (1) does anything; a listed context opens its topic, any other the
    // help file's start page.
    static constexpr unsigned kHelpContext = 1;
    void WinHelp(unsigned long data, unsigned command);
    // "Tessarin_de.chm" for the ISO 639 name "de", else "Tessarin.chm".
    static std::string GetHelpFileName(const std::string& isoLanguage);
    // The topic of a help context (its low 16 bits), or 0 when the context is not listed.
    static int GetHelpTopic(unsigned long context);
    // What the last help request opened (file and topic), for the log and tests.
    std::string m_strLastHelp;

    // Switches between expert and simple mode: stores the other mode in the user's "default.cal",
    // stops the engine and closes the main window; the new instance is started by
    // StartRestartedInstance once this one has finished writing its files.
    void OnExpertMode();
    // Starts the program again when OnExpertMode asked for it; main() calls it after the window
    // toolkit and the engine are gone. True when a new instance was started.
    bool StartRestartedInstance();
    bool m_bRestartRequested = false;

    // What the "Audio Mixer" command does after OK: stores the settings, applies them through a
    // mixer (a fresh CInputMixer when none is given): the volume (truncated) when it is 0 or more,
    // then AGC and mute; with the save flag writes "Device ID", "Mic Volume" (an integer), "Device
    // Name" and "Mic AGC" to the user's "default.cal" (not the mute switch).
    void ApplyMixerSettings(const CMixerSettings& settings, CInputMixerBase* mixer = nullptr);

    // The workspace open and File New of the framework. The workspace document does not exist yet:
    // opening checks that the file can be read and shows it as one empty measurement window.
    bool OpenDocumentFile(const std::string& path);
    bool OnFileNew();
    // Closing a workspace saves it as "saved.wst" in the configuration folder first (nothing when
    // no measurement window is open); false when it could not be written (the user was told).
    bool SaveWorkspaceOnClose();
    static std::filesystem::path GetSavedWorkspacePath();

    // The workspace's own file ("" for a new workspace): Save writes it, Save As and Open set it.
    std::string m_strWorkspacePath;
    // File Save: to the workspace's file, or asks for one like Save As when it has none.
    bool OnFileSave();
    // File Save As: asks for the file ("Tessarin Settings (*.wst)") and saves there.
    bool OnFileSaveAs();
    // Writes the workspace to `path` (atomically); the frames take the file's name and the file
    // heads the recent-file list. False (the user was told) when it could not be written.
    bool SaveWorkspaceAs(const std::string& path);
    // File Close: saves "saved.wst" and closes every window of the workspace.
    bool OnFileClose();
    // The recent-file list ("File1".."File4" of "Recent File List"), newest first.
    std::vector<std::string> GetRecentFiles() const;
    void AddToRecentFileList(const std::string& path);
    // Opens entry `index` of the list; an entry that fails to open stays in the list.
    bool OpenRecentFile(int index);
    // The name the workspace's windows carry (its file's name, or the new workspace's name).
    std::string m_strWorkspaceTitle;
    // Lets the workspace document make its windows through the shell's "New Window".
    void ConnectDocument();

    // --- measurement presets and user presets (AnalyzerAppPresets.cpp) ---------------------------
    // A ready-made workspace of two measurement windows, set up through the windows' own
    // operations, started by the second phase (timer 712). Types and kinds: 0/0 "LIVE Monitor",
    // 0/1 octave, 0/2 impact sound, 0/3 long-term recording, 2/0 ultrasound, 2/1 "48kHz",
    // 3/0 "DIN45680", 4/0 "DIN15905-5". 0 when no workspace could be made, else 1.
    int StartPreset(int type, int kind);
    // The FFT preset: a spectrum window beside a third-octave band window.
    int OnPresetFft();
    // Timer 712's command: processing on, "Start", then the FFT layout (calibrated) or the quick
    // calibration.
    void OnPresetSecondPhase();
    // The toolbars of a level measurement, the reset of all measurements in a second, the level
    // ranges again and the parameter windows lined up.
    void OnPresetFftLayout();
    // User preset 32848..32857: an ".ini" file applies to the first window of a new workspace,
    // any other file opens as a workspace; nothing when no file is set; a missing file is told
    // and changes nothing.
    void OnUserPreset(int id);
    // Brings up the main frame's quick-start panel.
    void OnShowPanel();
    // The user presets' menu (the top-level menu whose first item is the first preset) rebuilt
    // with the stored names and "setup"; with showDialog the Config Presets dialog comes first.
    // Without a menu bar given, the main window's.
    void UpdatePresetsMenu(bool showDialog, wxMenuBar* bar = nullptr);
    // The level range of the presets' windows (dB): -110 to 5, shifted by the calibration offset
    // while calibration is on.
    void GetPresetLevelRange(double& lower, double& upper) const;

    // Records one step of start-up or shut-down (the order is part of the program's contract; a
    // test reads it through TESSARIN_STARTUP_TRACE).
    void Trace(const std::string& step);
    const std::vector<std::string>& GetTrace() const { return m_trace; }

    // The program's and the user's "default.cal", those that exist.
    std::vector<std::string> GetSettingsFiles() const;

    // TESSARIN_TEST_VIEW: the measurement window's self-test. Runs the active window on the
    // simulated input through the spectrum, oscilloscope and impulse displays, writes what each
    // shows to the trace and a picture of each into the folder, then closes the main window.
    void RunViewSelfTest(const std::string& folder);
    std::unique_ptr<wxTimer> m_pSelfTest;

    CDataFolders m_DataFolders;
    CMixerSettings m_MixerSettings;
    int m_nGuiMode = 0;
    std::array<int, 2> m_PresetsPanelPos{-1, -1};
    std::array<int, 2> m_NoiseReportPos{-1, -1};
    std::array<int, 2> m_ParamViewPos{-1, -1};
    std::array<std::array<int, 2>, kMeasurementViewPositions> m_ViewPos;
    double m_dLoggerInterval = -1.0;
    std::string m_strLoggerFileName;
    int m_nDcBlockAtStartup = 0;
    std::unique_ptr<wxMenu> m_pPresetsMenu;
    int m_bQuickStartShown = 0;
    int m_bFirstWindowShown = 0;
    int m_nPanelCountdown = 0;
    int m_nPresetType = 0;
    int m_bPresetStarted = 0;

    int m_nLoadLastSaved = 0;
    std::string m_strLoadFile;
    CEngineStartupValues m_EngineValues;

    CSoundIn* m_pEngine = nullptr;
    CMainFrame* m_pMainWnd = nullptr;
    // One sound level logger per analysis channel; attached to the engine by Run, gone after it.
    std::unique_ptr<CLevelLoggers> m_pLevelLoggers;
    // Turns the journals of logging runs that did not end into data sets and tells the user their
    // names (start-up).
    void RecoverLoggerJournals();
    // The workspace document of the measurement windows (made with the main frame).
    std::unique_ptr<CSndDoc> m_pDocument;

private:
    void ReadSettingsFile(const std::string& path, CInputMixerBase& mixer);
    void ReadRegistrySettings();
    void OpenStartupWorkspace();
    void CloseAllChildFrames();
    void OpenRecentStartupWorkspace();
    void OfferToDeleteRecordings();
    void FlushTrace() const;
    // Steps 1 to 5 of a preset: a new workspace of two tiled windows with the calibration kept.
    // False (nothing set up) when no workspace exists afterwards.
    bool BeginPreset(int type);
    // The first window's level range and LEQ set-up, then timer 712.
    void FinishPreset(CSndView& first);
    // The measurement window of the workspace's n-th frame, or null.
    CSndView* GetPresetView(std::size_t index) const;

    std::vector<std::string> m_trace;
    // TESSARIN_TEST_ANSWERS: the answers of the next message boxes, in order; once they are used
    // up every box takes its unattended answer.
    bool m_bTestAnswers = false;
    std::vector<std::string> m_testAnswers;
    int m_nDocumentCounter = 0;
    static CAnalyzerApp* s_pApp;
};
