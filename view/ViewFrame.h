// What a measurement window needs of the main frame and of its own window, as two small
// interfaces: the shell's main frame and the window toolkit's view window implement them, and tests
// put stand-ins in their place.
//
// Threads: user-interface thread only.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include "view/CalibrationReading.h"

#include "display/AnnotationList.h"
#include "display/Plot.h"
#include "engine/WowAndFlutter.h"
#include "view/DisplayProperties.h"
#include "view/DspDialogValues.h"
#include "view/LevelMonitorValues.h"
#include "view/OverlayDialogValues.h"
#include "view/ParamViewManager.h"
#include "view/PhonetogramCommands.h"
#include "view/ResultTexts.h"
#include "view/WaterfallSettingsValues.h"

#include <utility>
#include <vector>

class Cchannel_settings;
struct CDesignedFilterSettings;
class CGeneratorMatrix;
class CGeneratorMatrix_settings;
class CLevelCalibration;
class CVectorscope_settings;
class CViewSettings;

// The main frame: status bar panes 1 to 5, its FFT-size and weighting lists, its menu, and the
// program's message boxes.
class CViewFrame
{
public:
    virtual ~CViewFrame() = default;
    virtual bool HasStatusBar() const = 0;
    virtual void SetStatusPaneText(int pane, const std::string& text) = 0;
    // Entry n of the FFT-size list (128 doubled n times); the position of a weighting code.
    virtual void SelectFftSizeEntry(int index) = 0;
    virtual void SelectWeightingEntry(int index) = 0;
    virtual void RemoveMenu() = 0;
    // A message box with the exclamation icon and an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // A message box with the information icon and an OK button.
    virtual void ShowInformation(const std::string& text) { ShowMessage(text); }
    // The toolbar's smoothing list: its selected entry (-1: no list) and a new selection.
    virtual int GetSmoothingEntry() const { return -1; }
    virtual void SelectSmoothingEntry(int /*index*/) {}
    // Replaces the items of the "Overlay" submenu (the one whose first item is "Set as Overlay").
    virtual void RebuildOverlayMenu(const std::vector<OverlayMenuEntry>& /*entries*/) {}
    // The main window's rectangle in screen coordinates (false without one), moving it, the
    // desktop's size and the toolbars' names and rectangles.
    virtual bool GetMainWindowRect(PlotRect& /*rect*/) const { return false; }
    virtual void MoveMainWindow(const PlotRect& /*rect*/) {}
    virtual void GetDesktopSize(int& width, int& height) const { width = height = 0; }
    virtual std::vector<std::pair<std::string, PlotRect>> GetToolbarRects() const { return {}; }
    // Whether the main window has its menu (a window without one keeps its zoom).
    virtual bool HasMenu() const { return true; }
    // A Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& /*text*/) { return false; }
    // Runs a command of the main window after the present message.
    virtual void PostCommand(int /*id*/) {}
    // The path of one of the program's data folders by its id (empty when there is none).
    virtual std::string GetDataFolder(int /*id*/) const { return {}; }
    // The Channel Matrix on copies of a window's 64 channel records, with the window's curve names
    // for the DSP operation lists and its per-channel readings for the calibration buttons; true on
    // OK with the records as edited.
    virtual bool EditChannelMatrix(std::vector<Cchannel_settings>& /*channels*/,
                                   const std::vector<std::string>& /*curveNames*/,
                                   const CCalibrationReading::Source& /*readings*/)
    {
        return false;
    }
};

// One item of a right-click menu: a command id and its English text (id 0: a separator).
struct PopupMenuItem
{
    int id = 0;
    std::string text;
    bool checked = false;
};

// What the curve dialog edits: a curve's name, style and whether it is shown.
struct CurveEditValues
{
    std::string name;
    CCurveStyle style;
    bool visible = true;
};

// The window a measurement window draws in.
class CViewWindow
{
public:
    virtual ~CViewWindow() = default;
    // Starts (or restarts) a repeating timer; false when no timer could be made.
    virtual bool SetTimer(int id, int milliseconds) = 0;
    virtual void KillTimer(int id) = 0;
    virtual PlotRect GetClientRect() const = 0;
    // The title of the frame around the window.
    virtual void SetFrameTitle(const std::string& title) = 0;
    // Paints the plot into the client area now, before returning.
    virtual void DrawNow() = 0;
    // Marks the whole client area for repainting with erasing.
    virtual void Invalidate() = 0;
    // The view's own pop-up windows: made once with the readout windows' titles; the readouts
    // show the view's new texts; one owned window (0 first readout, 1 second readout, 2 room
    // acoustics, 3 sound-level statistics, 4 piano) shown or hidden (show command 0 hides, 5
    // shows). Windows that do not exist are left alone.
    virtual void CreateOwnedWindows(const std::string& /*firstTitle*/, const std::string& /*secondTitle*/) {}
    virtual void RefreshReadouts() {}
    virtual void ShowAuxWindow(int /*kind*/, int /*show*/) {}
    // The owned windows that keep measured values of their own forget them ("Reset measurements").
    virtual void ResetOwnedWindows() {}
    // The 3D waterfall window: opened with the requests it sends back (false when it could not be
    // made), closed again, and its picture saved as a JPEG beside the path (0, or a failure code).
    virtual bool Open3DWindow(std::function<void()> /*closeRequest*/,
                              std::function<void()> /*screenshotRequest*/)
    {
        return false;
    }
    virtual void Close3DWindow() {}
    virtual int Save3DScreenshot(const std::string& /*path*/) { return -1; }
    // Wow and flutter: the settings dialog on the values and the input bandwidths it offers (true
    // after OK), and the results window shown or hidden, or given new values.
    virtual bool EditWowAndFlutterSettings(WowAndFlutterSettings& /*settings*/,
                                           const std::vector<double>& /*bandwidths*/)
    {
        return false;
    }
    virtual void ShowWowAndFlutterWindow(bool /*show*/) {}
    virtual void ShowWowAndFlutterResults(const WowAndFlutterResults& /*results*/) {}
    // The modal "Results" table of the curves or markers.
    virtual void ShowResultsTable(const ResultsTable& /*table*/) {}
    // Shows the "Display properties" sheet on the values; true (values changed as entered) on OK.
    virtual bool EditDisplayProperties(DisplayPropertiesValues& /*values*/) { return false; }
    // "Vectorscope settings" on the window's settings; true after OK.
    virtual bool EditVectorscope(CVectorscope_settings& /*settings*/) { return false; }
    // The audio recorder: a file to record to (a save dialog opened in folder), and its modeless
    // window with the recorded time.
    virtual bool AskRecorderFile(const std::string& /*folder*/, std::string& /*path*/) { return false; }
    virtual void ShowRecorder(bool /*show*/, const std::string& /*title*/, const std::string& /*time*/) {}
    // The level monitor's dialog; true on OK.
    virtual bool EditLevelMonitor(LevelMonitorValues& /*values*/) { return false; }
    // The phonetogram's ".ptg" file to load or save, and its settings dialog; true on OK.
    virtual bool AskPhonetogramFile(bool /*save*/, std::string& /*path*/) { return false; }
    virtual bool EditPhonetogramSettings(PhonetogramSettingsValues& /*values*/) { return false; }
    // The waterfall settings dialog: false when cancelled.
    virtual bool EditWaterfallSettings(WaterfallSettingsValues& /*values*/) { return false; }
    // The screen position of the window's top-left corner.
    virtual void GetScreenOrigin(int& x, int& y) const
    {
        x = 0;
        y = 0;
    }
    // Makes a parameter window on the toolkit's side (null: the parameter shows without one).
    virtual std::unique_ptr<CParamViewWindow> CreateParamViewWindow(CParamViewState& /*state*/)
    {
        return nullptr;
    }

    // The overlay dialogs; each returns true on OK with the values as entered. Without a dialog
    // (the defaults) every one is cancelled.
    virtual bool SelectOverlay(SelectOverlayValues& /*values*/) { return false; }
    // "Overlay": what to do with slot (0-based) that already holds a curve.
    virtual int AskOverlayExists(int /*slot*/) { return kOverlayCancel; }
    // "Config Overlays" on the window's settings; the slots' names, styles and shown flags change.
    virtual bool ConfigOverlays(CViewSettings& /*settings*/) { return false; }
    // The file dialog, then the load or save dialog of an overlay text file.
    virtual bool AskOverlayFile(bool /*save*/, std::string& /*path*/, OverlayFileValues& /*values*/)
    {
        return false;
    }
    virtual bool EditDynamicOverlay(DynamicOverlayValues& /*values*/) { return false; }
    // Runs the call on the window's thread and returns after it has run (a direct call on that
    // thread); false when it could not run. Posting queues it. Without a toolkit: direct calls.
    virtual bool SendToWindow(const std::function<void()>& call)
    {
        call();
        return true;
    }
    virtual bool PostToWindow(std::function<void()> call)
    {
        call();
        return true;
    }
    // Saves the plot as a PNG picture; false when it could not be written.
    virtual bool SavePlotPicture(const std::string& /*path*/) { return false; }
    // The file dialog of a settings file (".ini").
    virtual bool AskSettingsFile(bool /*save*/, std::string& /*path*/) { return false; }
    // The file dialogs of the impulse response: open (wave, MP3, text or any file), save as text,
    // save as WAVE.
    enum ImpulseFileKind
    {
        kImpulseOpen = 0,
        kImpulseSaveText = 1,
        kImpulseSaveWave = 2,
    };
    virtual bool AskImpulseFile(int /*kind*/, std::string& /*path*/) { return false; }

    // Shows a right-click menu (English texts; the window translates them) at the client point and
    // returns the chosen command (0: none).
    virtual int TrackPopupMenu(const std::vector<PopupMenuItem>& /*items*/, int /*x*/, int /*y*/)
    {
        return 0;
    }
    // Paints the rubber band of a zoom drag over the last picture of the plot.
    virtual void RedrawRubberBand() { Invalidate(); }
    // The curve dialog; true on OK with the values as entered.
    virtual bool EditCurve(CurveEditValues& /*values*/) { return false; }
    // The text label "Properties" dialog; true on OK.
    virtual bool EditLabel(CAnnotationList::LabelEdit& /*values*/) { return false; }
    // The engine's generator windows: the "Level" window over the matrix (made once, then shown),
    // the output matrix dialog on a copy of its settings (true on OK), and the linked generators'
    // volume slider (modal; each change goes to `report` as value x lParam and lParam).
    virtual void ShowGeneratorLevel(CGeneratorMatrix& /*matrix*/) {}
    virtual bool EditOutputMatrix(CGeneratorMatrix_settings& /*settings*/) { return false; }
    // The level calibration dialog over the calibration (modal; what it does takes effect at once),
    // and the tracking level in millivolts (true on OK).
    virtual void RunLevelCalibration(CLevelCalibration& /*calibration*/) {}
    virtual bool EditTrackingLevel(double& /*millivolts*/) { return false; }
    // The DSP menu's dialogs on the values; true on OK.
    virtual bool EditFilterDesigner(CDesignedFilterSettings& /*settings*/, double /*sampleRate*/)
    {
        return false;
    }
    virtual bool EditHumFilter(HumFilterValues& /*values*/) { return false; }
    virtual bool EditRiaaFilter(RiaaValues& /*values*/) { return false; }
    virtual bool EditChannelDelay(DelayValues& /*values*/) { return false; }
    virtual bool EditFilterbank(FilterbankValues& /*values*/) { return false; }
    virtual bool EditDemodulator(DemodulatorValues& /*values*/) { return false; }
    virtual void RunLinkVolume(
        double /*value*/, const std::function<void(std::int64_t wParam, std::int64_t lParam)>& /*report*/)
    {
    }
};
