// CGeneratorDlg: the control panel of one generator: waveform, frequency with its slider and
// range, level with the attenuator switches and a level meter, balance, mute with fades,
// polarity, the second channel's delay, the MLS length, and a menu that opens the generator's
// dialogs and the piano. The panel acts on its generator directly. The layout is a dialog-unit
// template that CDialogScaler applies.
//
// Threads: user-interface thread only; the generator's rendering thread reads what the panel
// writes without a lock (see CGenerator).
#pragma once

#include "common/controls/BarGraph.h"
#include "common/controls/DialogScaler.h"
#include "engine/SigGenSettings.h"
#include "engine/ui/FrequencyPresetsDlg.h"
#include "engine/ui/PianoDlg.h"
#include "engine/ui/SignalStatisticsDlg.h"
#include "engine/ui/SliderDlg.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <wx/frame.h>
#include <wx/timer.h>

class CGenerator;
class wxButton;
class wxCheckBox;
class wxComboBox;
class wxPanel;
class wxRadioButton;
class wxSlider;
class wxStaticText;
class wxTextCtrl;

// What differs between the programs that show the panel.
struct GeneratorDlgOptions
{
    // The highest frequency the frequency edit and the range accept (Hz).
    double upperFrequencyLimit = 100000.0;
    // Called after a change that a follower takes over, with the generator's record and the
    // command in m_flags: 5 frequency, 6 waveform (3 with the MLS length), 4 output switch and
    // level, 8 sweep. Empty: nobody follows.
    std::function<void(CSigGen_settings& record)> follow;
    // A window the panel's controls live in instead of the panel's own frame, which then never shows
    // (the generator program's working window). Its menu commands come through RunCommand.
    wxWindow* host = nullptr;
};

class CGeneratorDlg : public wxFrame
{
public:
    // Control ids of the layout.
    enum : int
    {
        kIdDelaySlider = 162,
        kIdDelayEdit = 167,
        kIdPolarity = 171,
        kIdSweepSettings = 182,
        kIdCoarse = 203,
        kIdFine = 208,
        kIdMute = 212,
        kIdVolumeSlider = 219,
        kIdDelayText = 224,
        kIdFrequencyEdit = 229,
        kIdMlsLength = 232,
        kIdApply = 235,
        kIdAttenuator10 = 238,
        kIdAttenuator20 = 241,
        kIdAttenuator5 = 244,
        kIdAttenuator3 = 247,
        kIdBalanceSlider = 249,
        kIdLevelText = 251,
        kIdLowerLimit = 252,
        kIdUpperLimit = 255,
        kIdAttenuator50 = 259,
        kIdAttenuator2 = 262,
        kIdAttenuator1 = 264,
        kIdMeter = 299,
        kIdSteps = 327,
        kIdBalanceCentre = 631,
        kIdFrequencySlider = 125,
        kIdFirstWaveform = 1454,  // 1454..1460
    };
    // Menu commands.
    enum : int
    {
        kCmdPulseWidths = 32771,
        kCmdGauss = 32775,
        kCmdFm = 32776,
        kCmdDcOffset = 32777,
        kCmdPlayWaveFile = 32779,
        kCmdBurst = 32785,
        kCmdCrestFactor = 32786,
        kCmdFreqPresets = 32796,
        kCmdFrequencySlider = 32819,
        kCmdVolume = 32876,
        kCmdFreeFilter = 32878,
        kCmdRiaaFilter = 32885,
        kCmdDistortion = 32886,
        kCmdStatistics = 32887,
        kCmdAdvSettings = 32905,
        kCmdVst = 32933,
        kCmdAm = 32966,
        kCmdPiano = 32974,
        kCmdVolumeSlider = 40001,
        kCmdBalanceSlider = 40002,
    };
    // The distortion dialog's live message (wParam switch, lParam slider position).
    static constexpr int kMsgDistortion = 1074;
    // Messages of the tool windows (value x lParam in wParam).
    static constexpr int kMsgFrequency = 1369;
    static constexpr int kMsgIgnored = 1370;
    static constexpr int kMsgVolume = 1371;
    static constexpr int kMsgBalance = 1372;
    // Waveform modes of the seven buttons, in button order.
    static constexpr int kButtonModes[7] = {0, 1, 2, 3, 6, 4, 5};
    static constexpr int kAttenuatorDb[kSigGenAttenuatorCount] = {1, 2, 3, 5, 10, 20, 50};
    // The toolkit's menu and window id of a command: ids above 0x7FFF are folded below it.
    static constexpr int ToolkitId(int command) { return command > 0x7FFF ? command - 0x8000 : command; }

    CGeneratorDlg(wxWindow* parent, CGenerator& generator, const GeneratorDlgOptions& options = {});
    ~CGeneratorDlg() override;

    // Refreshes every control from the generator.
    void UpdateControls();

    // The panel's actions, as its controls and tool windows call them.
    void SelectWaveform(int button);
    void OnFrequencyScroll(int position, bool lineRight, bool lineLeft);
    void ReadEdits();  // the Enter key
    void SetFineRange(bool fine);
    void OnVolumeScroll(int position);
    void ToggleAttenuator(int index);
    void ToggleMute();
    void TogglePolarity();
    void OnBalanceScroll(int position);
    void CentreBalance();
    void ApplyDelayStep();
    void OnToolMessage(int message, std::int64_t wParam, std::int64_t lParam);
    // Runs a menu command of the panel (the dialogs are modal; the piano is modeless).
    void RunCommand(int id);

    // The level text: "%3.2fdB" of 20 log10(level) less the attenuators in circuit, or "zero".
    static std::string LevelText(const CSigGen_settings& settings);
    // The delay text for a delay in samples at a rate and a frequency.
    static std::string DelayText(int delay, double rate, double frequency);
    static double BalanceFromPosition(int position);
    static int PositionFromBalance(double balance);
    static double LevelFromPosition(int position);

    CGenerator& GetGenerator() { return m_generator; }
    CPianoDlg* GetPiano() const { return m_pPiano; }
    CSignalStatisticsDlg* GetStatistics() const { return m_pStatistics; }
    CFrequencyPresetsDlg* GetPresets() const { return m_pPresets; }
    CSliderDlg* GetFrequencySlider() const { return m_pFrequencySliderDlg; }
    CSliderDlg* GetVolumeSlider() const { return m_pVolumeSliderDlg; }
    CSliderDlg* GetBalanceSlider() const { return m_pBalanceSliderDlg; }
    // Gives the open statistics window the generator's figures (the 200 ms timer does this).
    void UpdateStatistics();
    wxPanel* GetPanel() const { return m_pPanel; }
    // Lays the panel out again at a resolution (96 the normal size) and returns its new size.
    wxSize Rescale(double pixelsPerInch);
    double GetScale() const { return m_dScale; }
    // Whether the panel is on screen: its frame, or its controls in the host window.
    bool IsPanelShown() const;
    // The German layout (captions of the German language setting) or the English one.
    void UseGermanLayout(bool german);
    bool IsGermanLayout() const { return m_bGerman; }

    // The frequency-step mode (0 automatic by mouse, else the fixed step below).
    int m_nStepMode = 0;
    double m_dFixedStep = 10.0;
    int m_bMeterOn = 1;

private:
    void CreateControls();
    // A caption of the layout in its language (the English text is the key).
    wxString Caption(const char* english) const;
    void Place(wxWindow* control, int x, int y, int cx, int cy);
    void CreateMenu();
    void Follow(int command);
    void SetLevelSmoothly(double level);
    CSliderDlg* OpenSlider(CSliderDlg*& slider, int message);
    void UpdateSliders();
    void UpdateFrequencyControls();
    void UpdateLevelControls();
    void UpdateDelayText();
    void PaintMeter();
    void OnTimer(wxTimerEvent& event);
    void OnClose(wxCloseEvent& event);

    CGenerator& m_generator;
    GeneratorDlgOptions m_options;
    CDialogScaler m_scaler;
    DialogTemplate m_template;
    CBarGraph m_meter;
    wxPanel* m_pPanel = nullptr;
    wxRadioButton* m_pWaveform[7] = {};
    wxSlider* m_pFrequencySlider = nullptr;
    wxTextCtrl* m_pFrequencyEdit = nullptr;
    wxTextCtrl* m_pLowerEdit = nullptr;
    wxTextCtrl* m_pUpperEdit = nullptr;
    wxSlider* m_pVolumeSlider = nullptr;
    wxStaticText* m_pLevelText = nullptr;
    wxCheckBox* m_pAttenuator[kSigGenAttenuatorCount] = {};
    wxCheckBox* m_pMute = nullptr;
    wxCheckBox* m_pPolarity = nullptr;
    wxSlider* m_pBalanceSlider = nullptr;
    wxSlider* m_pDelaySlider = nullptr;
    wxTextCtrl* m_pDelayEdit = nullptr;
    wxStaticText* m_pDelayText = nullptr;
    wxComboBox* m_pMlsLength = nullptr;
    wxWindow* m_pMeterArea = nullptr;
    CPianoDlg* m_pPiano = nullptr;
    CSignalStatisticsDlg* m_pStatistics = nullptr;
    CFrequencyPresetsDlg* m_pPresets = nullptr;
    CSliderDlg* m_pFrequencySliderDlg = nullptr;
    CSliderDlg* m_pVolumeSliderDlg = nullptr;
    CSliderDlg* m_pBalanceSliderDlg = nullptr;
    wxTimer m_timer;
    double m_dScale = 96.0;
    bool m_bGerman = false;
    // The controls whose captions the layouts translate, with their English captions.
    std::vector<std::pair<wxWindow*, const char*>> m_captioned;
    std::chrono::steady_clock::time_point m_lastSliderEvent{};
};
