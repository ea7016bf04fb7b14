// The handlers that the command table names: each runs one command (or one family of commands) in
// the main frame. Window-side; user-interface thread only.
#pragma once

#include <string>

class CMainFrame;
class wxUpdateUIEvent;

namespace commands
{
// File
void FileNew(CMainFrame& frame, int id);
void FileOpen(CMainFrame& frame, int id);
// File New that keeps the engine's calibration and DC block (no menu item; sent by other windows).
void FileNewKeepSettings(CMainFrame& frame, int id);
// The workspace's own file and the recent files (57616 + entry).
void FileSave(CMainFrame& frame, int id);
void FileSaveAs(CMainFrame& frame, int id);
void FileClose(CMainFrame& frame, int id);
void OpenRecentFile(CMainFrame& frame, int id);
void UpdateRecentFile(CMainFrame& frame, int id, wxUpdateUIEvent& event);
void FilePrint(CMainFrame& frame, int id);
void FilePrintPreview(CMainFrame& frame, int id);
void FilePrintSetup(CMainFrame& frame, int id);
void AppExit(CMainFrame& frame, int id);
// File input: a wave or MP3 file as the engine's live input, and back to the sound card.
void AnalyzeWaveFile(CMainFrame& frame, int id);
void StopWaveFileAnalyzer(CMainFrame& frame, int id);
void UpdateAnalyzeWaveFile(CMainFrame& frame, int id, wxUpdateUIEvent& event);
void UpdateStopWaveFileAnalyzer(CMainFrame& frame, int id, wxUpdateUIEvent& event);
// Stores the path (when not empty) as the file input's file and runs the engine on it (false
// without a file input).
bool StartWaveFileAnalysis(CMainFrame& frame, const std::string& path);
// Edit: the active measurement window's picture to the clipboard.
void EditCopy(CMainFrame& frame, int id);
// View
void ViewToolbar(CMainFrame& frame, int id);
void UpdateViewToolbar(CMainFrame& frame, int id, wxUpdateUIEvent& event);
void ViewStatusBar(CMainFrame& frame, int id);
void UpdateViewStatusBar(CMainFrame& frame, int id, wxUpdateUIEvent& event);
void ExpertMode(CMainFrame& frame, int id);
void UpdateExpertMode(CMainFrame& frame, int id, wxUpdateUIEvent& event);
// Window
void WindowNew(CMainFrame& frame, int id);
void WindowCascade(CMainFrame& frame, int id);
void WindowTile(CMainFrame& frame, int id);
void WindowArrange(CMainFrame& frame, int id);
// Help and options
void AppAbout(CMainFrame& frame, int id);
void AudioMixer(CMainFrame& frame, int id);
void Language(CMainFrame& frame, int id);
void Preferences(CMainFrame& frame, int id);
// ASIO: shows a generator panel (ids kAsioGenerator1 .. kAsioTestSignal).
void ShowAsioGenerator(CMainFrame& frame, int id);
// Input drivers: the ASIO plug-in (select ASIO, Configure) and the external input library.
void SelectAsio(CMainFrame& frame, int id);
void ConfigureAsio(CMainFrame& frame, int id);
void SelectInputLibrary(CMainFrame& frame, int id);
void ConfigureInputLibrary(CMainFrame& frame, int id);
void UpdateInputMode(CMainFrame& frame, int id, wxUpdateUIEvent& event);
// The measurement settings dialogs.
void Settings(CMainFrame& frame, int id);
void AdvancedSettings(CMainFrame& frame, int id);
void TriggerSettings(CMainFrame& frame, int id);
void ImpedanceSettings(CMainFrame& frame, int id);
void Dsp(CMainFrame& frame, int id);
void AudioMonitor(CMainFrame& frame, int id);
// Microphone calibration files and the reference spectrum.
void MicCalibration(CMainFrame& frame, int id);
void LoadSaveReference(CMainFrame& frame, int id);
void Synchronize(CMainFrame& frame, int id);
// The level logger's "Stop": ends every logging run (also run when a run reached its planned length).
void LoggerStop(CMainFrame& frame, int id);
void UpdateLoggerStop(CMainFrame& frame, int id, wxUpdateUIEvent& event);
// The logger report and the sound power report of the active window (ReportCommands.cpp).
void LoggerReport(CMainFrame& frame, int id);
void SoundPowerReport(CMainFrame& frame, int id);
void UpdateReportCommand(CMainFrame& frame, int id, wxUpdateUIEvent& event);
// Measurement presets (33001, 33093, 33100, 33106, 33081, 33088, 33082, 33084), the FFT preset,
// the presets' second phase and FFT layout, the user presets (32848 + n - 1), their "setup", and
// the quick-start panel.
void MeasurementPreset(CMainFrame& frame, int id);
void PresetFft(CMainFrame& frame, int id);
void PresetSecondPhase(CMainFrame& frame, int id);
void PresetFftLayout(CMainFrame& frame, int id);
void UserPreset(CMainFrame& frame, int id);
void PresetsSetup(CMainFrame& frame, int id);
void ShowPanel(CMainFrame& frame, int id);
// Speech intelligibility: the results of the window's STI evaluation, the signal-to-noise table.
void DisplayStiRasti(CMainFrame& frame, int id);
void StiSignalToNoise(CMainFrame& frame, int id);
// The impulse analyses, reports and measurement-series commands of the active measurement window
// (nothing happens without one), offered to the applications before the window.
void ToImpulseAnalyses(CMainFrame& frame, int id);
void UpdateImpulseAnalysisCommand(CMainFrame& frame, int id, wxUpdateUIEvent& event);
// The real-time analyser and level logger commands: offered to the measurement applications
// before the active measurement window (disabled without one).
void ToApplicationOrView(CMainFrame& frame, int id);
void UpdateApplicationOrViewCommand(CMainFrame& frame, int id, wxUpdateUIEvent& event);
// The active measurement window's own commands (nothing happens without one).
void ToActiveView(CMainFrame& frame, int id);
void UpdateActiveViewCommand(CMainFrame& frame, int id, wxUpdateUIEvent& event);
}  // namespace commands
