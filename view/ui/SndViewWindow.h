// The measurement window as the window toolkit sees it: a child window that owns the view's logic
// (CSndView), hands it its timers, size changes and paint requests, and draws its plot.
//
// Threads: user-interface thread only.
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <map>
#include <memory>

#include <wx/bitmap.h>
#include <wx/cmndata.h>
#include <wx/timer.h>
#include <wx/window.h>

class wxFrame;
class wxStaticText;

#include "platform/image/Image.h"
#include "view/SndView.h"
#include "view/ViewFrame.h"

class CAppForm;
class CMeasurementsDlg;
class CRoomAcousticDlg;
class CFlutrixResultsDlg;

// A window of another part of the program that a measurement window owns (the sound-level
// statistics): shown or hidden with the window's show commands, reset with its measurements and
// destroyed with it. The application installs the factory that makes them at start-up.
class COwnedWindow
{
public:
    virtual ~COwnedWindow() = default;
    virtual void ShowWindow(bool show) = 0;
    virtual void ResetValues() = 0;
};
// Makes the owned window of a kind for a window's view (null: none of that kind).
using OwnedWindowFactory = std::function<std::unique_ptr<COwnedWindow>(int kind, CSndView& view)>;

class CSndViewWindow : public wxWindow, public CViewWindow
{
public:
    static constexpr int kAuxStatistics = 3;
    static void SetOwnedWindowFactory(OwnedWindowFactory factory);
    // The owned window of a kind (null while there is none).
    COwnedWindow* GetOwnedWindow(int kind) const;
    void ResetOwnedWindows() override;

    CSndViewWindow(wxWindow* parent, CViewDocument& document, CSoundIn& engine);
    ~CSndViewWindow() override;

    CSndView& GetView() { return *m_pView; }
    // The 3D waterfall window this window opened (null while none).
    CAppForm* Get3DWindow() const { return m_p3DWindow; }

    // CViewWindow
    bool Open3DWindow(std::function<void()> closeRequest, std::function<void()> screenshotRequest) override;
    void Close3DWindow() override;
    int Save3DScreenshot(const std::string& path) override;
    bool SetTimer(int id, int milliseconds) override;
    void KillTimer(int id) override;
    PlotRect GetClientRect() const override;
    void SetFrameTitle(const std::string& title) override;
    void DrawNow() override;
    void Invalidate() override;
    void CreateOwnedWindows(const std::string& firstTitle, const std::string& secondTitle) override;
    void RefreshReadouts() override;
    void ShowAuxWindow(int kind, int show) override;
    static constexpr int kAuxRoomAcoustics = 2;
    // The modal "Results" window on the table.
    void ShowResultsTable(const ResultsTable& table) override;
    bool EditDisplayProperties(DisplayPropertiesValues& values) override;
    bool EditVectorscope(CVectorscope_settings& settings) override;
    // Wow and flutter (SndViewWowAndFlutter.cpp).
    bool EditWowAndFlutterSettings(WowAndFlutterSettings& settings,
                                   const std::vector<double>& bandwidths) override;
    void ShowWowAndFlutterWindow(bool show) override;
    void ShowWowAndFlutterResults(const WowAndFlutterResults& results) override;
    CFlutrixResultsDlg* GetWowAndFlutterWindow() const { return m_pWowAndFlutter; }
    // Tests answer the vectorscope dialog here instead of showing it (unset: shown).
    static std::function<bool(CVectorscope_settings& settings)> s_fnVectorscopeAnswer;
    // The audio recorder (SndViewRecorderWindow.cpp).
    bool AskRecorderFile(const std::string& folder, std::string& path) override;
    void ShowRecorder(bool show, const std::string& title, const std::string& time) override;
    // Tests answer the recorder's file dialog here instead of showing it (empty: shown).
    static std::string s_strRecorderFileAnswer;
    // The recorder window while it exists (tests look at it).
    wxFrame* GetRecorderWindow() const { return m_pRecorder; }
    bool EditLevelMonitor(LevelMonitorValues& values) override;
    bool AskPhonetogramFile(bool save, std::string& path) override;
    bool EditPhonetogramSettings(PhonetogramSettingsValues& values) override;
    bool EditWaterfallSettings(WaterfallSettingsValues& values) override;
    void GetScreenOrigin(int& x, int& y) const override;
    std::unique_ptr<CParamViewWindow> CreateParamViewWindow(CParamViewState& state) override;
    bool AskSettingsFile(bool save, std::string& path) override;
    bool AskImpulseFile(int kind, std::string& path) override;
    int TrackPopupMenu(const std::vector<PopupMenuItem>& items, int x, int y) override;
    void RedrawRubberBand() override;
    bool EditCurve(CurveEditValues& values) override;
    bool EditLabel(CAnnotationList::LabelEdit& values) override;
    // The engine's generator windows (SndViewGenerators.cpp).
    void ShowGeneratorLevel(CGeneratorMatrix& matrix) override;
    bool EditOutputMatrix(CGeneratorMatrix_settings& settings) override;
    void RunLevelCalibration(CLevelCalibration& calibration) override;
    bool EditTrackingLevel(double& millivolts) override;
    // The DSP menu's dialogs (SndViewDspWindow.cpp).
    bool EditFilterDesigner(CDesignedFilterSettings& settings, double sampleRate) override;
    bool EditHumFilter(HumFilterValues& values) override;
    bool EditRiaaFilter(RiaaValues& values) override;
    bool EditChannelDelay(DelayValues& values) override;
    bool EditFilterbank(FilterbankValues& values) override;
    bool EditDemodulator(DemodulatorValues& values) override;
    void RunLinkVolume(double value,
                       const std::function<void(std::int64_t wParam, std::int64_t lParam)>& report) override;
    // Tests answer the right-click menu, the curve dialog and the label dialog here instead of
    // showing them (unset: shown).
    static std::function<int(const std::vector<PopupMenuItem>& items)> s_fnPopupAnswer;
    static std::function<bool(CurveEditValues& values)> s_fnCurveAnswer;
    static std::function<bool(CAnnotationList::LabelEdit& values)> s_fnLabelAnswer;
    // Tests answer the settings-file dialog with this path instead of showing it (empty: shown).
    static std::string s_strSettingsFileAnswer;
    // When not empty: the impulse file dialogs answer with this path instead of showing.
    static std::string s_strImpulseFileAnswer;
    // The overlay dialogs (SndViewOverlayDialogs.cpp).
    bool SelectOverlay(SelectOverlayValues& values) override;
    int AskOverlayExists(int slot) override;
    bool ConfigOverlays(CViewSettings& settings) override;
    bool AskOverlayFile(bool save, std::string& path, OverlayFileValues& values) override;
    bool EditDynamicOverlay(DynamicOverlayValues& values) override;
    // Tests answer the overlay text file's file dialog with this path (empty: shown).
    static std::string s_strOverlayFileAnswer;

    // The readout windows (null until the first initial update).
    CMeasurementsDlg* GetReadoutWindow(int curve) const { return m_readouts[curve == 0 ? 0 : 1]; }
    CRoomAcousticDlg* GetRoomAcousticWindow() const { return m_pRoomAcoustics; }

    // The window's picture as the plot paints it (the size of the client area).
    wxImage RenderImage();

    // Pictures and printing (SndViewExport.cpp) -------------------------------------------------
    // The view rendered into a new picture of CSndView::kExportWidth x kExportHeight, with the
    // maker's address on top.
    wxBitmap RenderBitmap();
    // Renders the view and saves the picture in the format; false when it could not be written.
    bool SavePlotImage(const std::string& path, platform::ImageFormat format, int quality = 90);
    // The copy command: the picture on the clipboard, then saved as "screenshot.png" in the
    // configuration folder. False (the user told why) when the clipboard refused it.
    bool OnEditCopy();
    // Prints the view on one page through the toolkit's printing; with prompt false the print
    // data decide the printer or the file. False when nothing was printed.
    bool Print(wxPrintData& data, bool prompt);
    bool SavePlotPicture(const std::string& path) override;
    // Remote records run on the user-interface thread; a call for a window destroyed meanwhile is
    // dropped.
    bool SendToWindow(const std::function<void()>& call) override;
    bool PostToWindow(std::function<void()> call) override;

private:
    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnTimerEvent(wxTimerEvent& event);
    void OnOwnerMove(wxMoveEvent& event);
    // Mouse and keys go to the view's handlers with client points and key flags.
    void OnMouse(wxMouseEvent& event);
    void OnKey(wxKeyEvent& event);
    void OnChar(wxKeyEvent& event);
    // The plot's last picture, which a rubber-band paint draws the band over.
    wxBitmap m_lastPicture;
    bool m_bBandOnly = false;

    CAppForm* m_p3DWindow = nullptr;
    std::unique_ptr<CSndView> m_pView;
    std::array<CMeasurementsDlg*, 2> m_readouts{};
    std::map<int, std::unique_ptr<COwnedWindow>> m_ownedWindows;
    CRoomAcousticDlg* m_pRoomAcoustics = nullptr;
    CFlutrixResultsDlg* m_pWowAndFlutter = nullptr;
    // The top-level window whose moves the readouts follow, and where it was.
    wxWindow* m_pMoveSource = nullptr;
    wxPoint m_lastOwnerPosition;
    std::map<int, std::unique_ptr<wxTimer>> m_timers;
    wxFrame* m_pRecorder = nullptr;
    wxStaticText* m_pRecorderTime = nullptr;
    // Expires with the window: calls queued for it check it on the user-interface thread.
    std::shared_ptr<int> m_pAlive = std::make_shared<int>(0);
    // Set when the window starts closing: senders waiting for it give up, so that its view's
    // background job can be stopped and joined.
    std::atomic<bool> m_bClosing{false};
};
