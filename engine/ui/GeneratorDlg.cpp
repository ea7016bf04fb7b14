#include "engine/ui/GeneratorDlg.h"

#include "engine/Generator.h"
#include "engine/ui/GeneratorDialogs.h"
#include "engine/ui/GeneratorFunctionDlgs.h"
#include "platform/NumberFormat.h"
#include "platform/gfx/WxCanvas.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string_view>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/combobox.h>
#include <wx/dcclient.h>
#include <wx/menu.h>
#include <wx/panel.h>
#include <wx/radiobut.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

namespace
{

constexpr int kTimerId = 100;
constexpr int kTimerMs = 200;
constexpr double kMeterFloorDb = -100.0;
constexpr double kSliderEventGap = 0.1;  // s
constexpr const char* kWaveformNames[7] = {"Sine",       "Rectangular", "Triangular", "White Noise",
                                           "Pink Noise", "MLS",         "Sine Sweep"};
// The attenuator check boxes, in the record's order (-1, -2, -3, -5, -10, -20, -50 dB).
constexpr int kAttenuatorIds[kSigGenAttenuatorCount] = {
    CGeneratorDlg::kIdAttenuator1, CGeneratorDlg::kIdAttenuator2,  CGeneratorDlg::kIdAttenuator3,
    CGeneratorDlg::kIdAttenuator5, CGeneratorDlg::kIdAttenuator10, CGeneratorDlg::kIdAttenuator20,
    CGeneratorDlg::kIdAttenuator50};
constexpr int kVolumeFadeMs = 100;

// The captions of the German layout, by the English ones.
struct GermanCaption
{
    const char* english;
    const char* german;
};
constexpr GermanCaption kGermanCaptions[] = {
    {"Waveform", "Signalform"},
    {"Sine", "Sinus"},
    {"Rectangular", "Rechteck"},
    {"Triangular", "Dreieck"},
    {"White Noise", "Weißrauschen"},
    {"Pink Noise", "Rosarauschen"},
    {"Sine Sweep", "Sinus-Sweep"},
    {"Gauss", "Gauß"},
    {"Wave file", "Wave-Datei"},
    {"Frequency", "Frequenz"},
    {"Frequency [Hz]", "Frequenz [Hz]"},
    {"Slider", "Schieber"},
    {"Lower Limit", "Untergrenze"},
    {"Upper Limit", "Obergrenze"},
    {"Coarse", "Grob"},
    {"Fine", "Fein"},
    {"Steps", "Schritte"},
    {"Sweep Settings", "Sweep-Einst."},
    {"Level", "Pegel"},
    {" Mute", " Stumm"},
    {"Volume", "Lautstärke"},
    {"Delay", "Verzögerung"},
    {"MLS length", "MLS-Länge"},
    {"Apply", "Anwenden"},
};

const char* GermanFor(std::string_view english)
{
    for (const GermanCaption& caption : kGermanCaptions)
        if (english == caption.english)
            return caption.german;
    return nullptr;
}

wxString Format(const char* format, double value)
{
    return wxString::FromUTF8(platform::FormatC(format, value));
}

bool ReadDouble(const wxTextCtrl* edit, double& value)
{
    const std::string text = edit->GetValue().utf8_string();
    char* end = nullptr;
    const double parsed = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || !std::isfinite(parsed))
        return false;
    value = parsed;
    return true;
}

}  // namespace

CGeneratorDlg::CGeneratorDlg(wxWindow* parent, CGenerator& generator, const GeneratorDlgOptions& options)
    : wxFrame(parent, wxID_ANY, "Generator", wxDefaultPosition, wxDefaultSize,
              wxCAPTION | wxCLOSE_BOX | wxSYSTEM_MENU | wxMINIMIZE_BOX | wxFRAME_FLOAT_ON_PARENT),
      m_generator(generator),
      m_options(options),
      m_timer(this, kTimerId)
{
    m_pPanel = new wxPanel(options.host != nullptr ? options.host : static_cast<wxWindow*>(this));
    CreateMenu();
    CreateControls();
    for (const GermanCaption& caption : kGermanCaptions)
        for (wxWindow* child : m_pPanel->GetChildren())
            if (child->GetLabel() == caption.english)
                m_captioned.emplace_back(child, caption.english);
    m_template.hasFont = true;
    m_template.pointSize = 9;
    m_template.face = "Sans";
    m_template.cx = 300;
    m_template.cy = 216;
    m_scaler.Apply(m_pPanel, m_template, 96.0);
    if (options.host == nullptr)
        SetClientSize(m_pPanel->GetSize());
    Bind(wxEVT_TIMER, &CGeneratorDlg::OnTimer, this, kTimerId);
    Bind(wxEVT_CLOSE_WINDOW, &CGeneratorDlg::OnClose, this);
    if (options.host != nullptr)
        // The host may go first: the panel then lets go of the controls before they are destroyed.
        m_pPanel->Bind(wxEVT_DESTROY,
                       [this](wxWindowDestroyEvent& event)
                       {
                           if (event.GetEventObject() == m_pPanel)
                           {
                               m_timer.Stop();
                               m_scaler.Release();
                               m_pPanel = nullptr;
                           }
                           event.Skip();
                       });
    if (!m_timer.Start(kTimerMs))
        platform::ui::ShowMessageBox("Not enough timers available for this window.", "Tessarin",
                                     wxOK | wxICON_EXCLAMATION, this);
    UpdateControls();
}

CGeneratorDlg::~CGeneratorDlg()
{
    m_timer.Stop();
    m_scaler.Release();
    // Controls in a host window go with the panel.
    if (m_options.host != nullptr && m_pPanel != nullptr)
    {
        wxWindow* panel = m_pPanel;
        m_pPanel = nullptr;
        panel->Destroy();
    }
}

wxSize CGeneratorDlg::Rescale(double pixelsPerInch)
{
    if (m_pPanel == nullptr)
        return {};
    if (pixelsPerInch <= 0.0)
        return m_pPanel->GetSize();
    m_dScale = pixelsPerInch;
    m_scaler.Apply(m_pPanel, m_template, pixelsPerInch);
    if (m_options.host == nullptr)
        SetClientSize(m_pPanel->GetSize());
    m_pPanel->Refresh();
    return m_pPanel->GetSize();
}

wxString CGeneratorDlg::Caption(const char* english) const
{
    const char* german = m_bGerman ? GermanFor(english) : nullptr;
    return wxString::FromUTF8(german != nullptr ? german : english);
}

void CGeneratorDlg::UseGermanLayout(bool german)
{
    if (german == m_bGerman || m_pPanel == nullptr)
        return;
    m_bGerman = german;
    for (const auto& [window, english] : m_captioned)
        window->SetLabel(Caption(english));
    UpdateControls();
}

bool CGeneratorDlg::IsPanelShown() const
{
    if (m_options.host != nullptr)
        return m_pPanel != nullptr && m_pPanel->IsShown();
    return IsShown();
}

void CGeneratorDlg::Place(wxWindow* control, int x, int y, int cx, int cy)
{
    m_template.items.push_back({control->GetId(), x, y, cx, cy});
}

void CGeneratorDlg::CreateControls()
{
    wxPanel* p = m_pPanel;
    // Waveform.
    Place(new wxStaticBox(p, wxID_ANY, "Waveform"), 4, 2, 74, 100);
    for (int i = 0; i < 7; ++i)
    {
        m_pWaveform[i] = new wxRadioButton(p, kIdFirstWaveform + i, kWaveformNames[i], wxDefaultPosition,
                                           wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        Place(m_pWaveform[i], 9, 14 + 12 * i, 66, 12);
        m_pWaveform[i]->Bind(wxEVT_RADIOBUTTON, [this, i](wxCommandEvent&) { SelectWaveform(i); });
    }
    // Frequency.
    Place(new wxStaticBox(p, wxID_ANY, "Frequency"), 82, 2, 214, 100);
    Place(new wxStaticText(p, wxID_ANY, "Frequency [Hz]"), 88, 16, 56, 10);
    m_pFrequencyEdit =
        new wxTextCtrl(p, kIdFrequencyEdit, "", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    Place(m_pFrequencyEdit, 146, 13, 60, 14);
    auto* floating = new wxButton(p, ToolkitId(kCmdFrequencySlider), "Slider");
    Place(floating, 212, 13, 40, 14);
    m_pFrequencySlider = new wxSlider(p, kIdFrequencySlider, 0, 0, 100);
    Place(m_pFrequencySlider, 86, 32, 206, 20);
    Place(new wxStaticText(p, wxID_ANY, "Lower Limit"), 88, 58, 40, 10);
    m_pLowerEdit = new wxTextCtrl(p, kIdLowerLimit, "", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    Place(m_pLowerEdit, 128, 55, 50, 14);
    Place(new wxStaticText(p, wxID_ANY, "Upper Limit"), 184, 58, 40, 10);
    m_pUpperEdit = new wxTextCtrl(p, kIdUpperLimit, "", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    Place(m_pUpperEdit, 226, 55, 62, 14);
    auto* coarse = new wxButton(p, kIdCoarse, "Coarse");
    Place(coarse, 88, 80, 44, 15);
    auto* fine = new wxButton(p, kIdFine, "Fine");
    Place(fine, 136, 80, 44, 15);
    auto* steps = new wxButton(p, kIdSteps, "Steps");
    Place(steps, 184, 80, 44, 15);
    auto* sweep = new wxButton(p, kIdSweepSettings, "Sweep Settings");
    Place(sweep, 232, 80, 60, 15);
    // Level.
    Place(new wxStaticBox(p, wxID_ANY, "Level"), 4, 104, 146, 108);
    m_pVolumeSlider =
        new wxSlider(p, kIdVolumeSlider, 0, 0, 100, wxDefaultPosition, wxDefaultSize, wxSL_VERTICAL);
    Place(m_pVolumeSlider, 8, 114, 20, 94);
    m_pLevelText = new wxStaticText(p, kIdLevelText, "");
    Place(m_pLevelText, 32, 114, 56, 10);
    for (int i = 0; i < kSigGenAttenuatorCount; ++i)
    {
        m_pAttenuator[i] = new wxCheckBox(p, kAttenuatorIds[i], wxString::Format("-%idB", kAttenuatorDb[i]));
        Place(m_pAttenuator[i], 32, 125 + 12 * i, 44, 12);
        m_pAttenuator[i]->Bind(wxEVT_CHECKBOX, [this, i](wxCommandEvent&) { ToggleAttenuator(i); });
    }
    m_pMute = new wxCheckBox(p, kIdMute, " Mute");
    Place(m_pMute, 80, 126, 46, 12);
    m_pPolarity = new wxCheckBox(p, kIdPolarity, wxString::FromUTF8("-180\xC2\xB0"));
    Place(m_pPolarity, 80, 139, 46, 12);
    auto* volume = new wxButton(p, ToolkitId(kCmdVolume), "Volume");
    Place(volume, 80, 154, 44, 15);
    m_pMeterArea = new wxWindow(p, kIdMeter);
    Place(m_pMeterArea, 128, 114, 18, 94);
    // Balance, delay and MLS length.
    Place(new wxStaticBox(p, wxID_ANY, "Balance"), 154, 104, 142, 36);
    m_pBalanceSlider = new wxSlider(p, kIdBalanceSlider, 0, -100, 100);
    Place(m_pBalanceSlider, 158, 115, 104, 20);
    auto* centre = new wxButton(p, kIdBalanceCentre, "^");
    Place(centre, 264, 116, 28, 16);
    Place(new wxStaticBox(p, wxID_ANY, "Delay"), 154, 142, 142, 48);
    m_pDelaySlider = new wxSlider(p, kIdDelaySlider, 0, 0, kGenMaxDelay);
    Place(m_pDelaySlider, 158, 152, 90, 20);
    m_pDelayEdit = new wxTextCtrl(p, kIdDelayEdit, "", wxDefaultPosition, wxDefaultSize, wxTE_PROCESS_ENTER);
    Place(m_pDelayEdit, 252, 154, 38, 14);
    m_pDelayText = new wxStaticText(p, kIdDelayText, "");
    Place(m_pDelayText, 158, 175, 134, 10);
    Place(new wxStaticText(p, wxID_ANY, "MLS length"), 158, 198, 42, 10);
    wxArrayString lengths;
    for (int k = 7; k <= 20; ++k)
        lengths.Add(wxString::Format("%i", (1 << k) - 1));
    m_pMlsLength =
        new wxComboBox(p, kIdMlsLength, "", wxDefaultPosition, wxDefaultSize, lengths, wxCB_READONLY);
    Place(m_pMlsLength, 202, 194, 60, 16);
    auto* apply = new wxButton(p, kIdApply, "Apply");
    apply->Hide();
    Place(apply, 266, 194, 26, 15);

    m_pFrequencySlider->Bind(wxEVT_SCROLL_CHANGED,
                             [this](wxScrollEvent& e) { OnFrequencyScroll(e.GetPosition(), false, false); });
    m_pFrequencySlider->Bind(wxEVT_SCROLL_THUMBTRACK,
                             [this](wxScrollEvent& e) { OnFrequencyScroll(e.GetPosition(), false, false); });
    m_pFrequencySlider->Bind(wxEVT_SCROLL_LINEDOWN,
                             [this](wxScrollEvent& e) { OnFrequencyScroll(e.GetPosition(), true, false); });
    m_pFrequencySlider->Bind(wxEVT_SCROLL_LINEUP,
                             [this](wxScrollEvent& e) { OnFrequencyScroll(e.GetPosition(), false, true); });
    m_pVolumeSlider->Bind(wxEVT_SLIDER, [this](wxCommandEvent& e) { OnVolumeScroll(e.GetInt()); });
    m_pBalanceSlider->Bind(wxEVT_SLIDER, [this](wxCommandEvent& e) { OnBalanceScroll(e.GetInt()); });
    m_pDelaySlider->Bind(wxEVT_SLIDER,
                         [this](wxCommandEvent& e)
                         {
                             m_pDelayEdit->ChangeValue(wxString::Format("%i", e.GetInt()));
                             ApplyDelayStep();
                         });
    for (wxTextCtrl* edit : {m_pFrequencyEdit, m_pLowerEdit, m_pUpperEdit, m_pDelayEdit})
        edit->Bind(wxEVT_TEXT_ENTER, [this](wxCommandEvent&) { ReadEdits(); });
    coarse->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SetFineRange(false); });
    fine->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SetFineRange(true); });
    steps->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RunCommand(kIdSteps); });
    sweep->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RunCommand(kIdSweepSettings); });
    volume->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RunCommand(kCmdVolume); });
    floating->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { RunCommand(kCmdFrequencySlider); });
    m_pMute->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { ToggleMute(); });
    m_pPolarity->Bind(wxEVT_CHECKBOX, [this](wxCommandEvent&) { TogglePolarity(); });
    centre->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { CentreBalance(); });
    apply->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { ApplyDelayStep(); });
    m_pMlsLength->Bind(wxEVT_COMBOBOX, [this](wxCommandEvent&) { ApplyDelayStep(); });
    m_pMeterArea->SetBackgroundStyle(wxBG_STYLE_PAINT);
    m_pMeterArea->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { PaintMeter(); });
}

void CGeneratorDlg::CreateMenu()
{
    auto* settings = new wxMenu;
    settings->AppendCheckItem(ToolkitId(kCmdPulseWidths), "Pulse widths");
    settings->AppendCheckItem(ToolkitId(kCmdBurst), "Burst generator");
    settings->AppendCheckItem(ToolkitId(kCmdGauss), "Gauss generator");
    settings->AppendCheckItem(ToolkitId(kCmdPlayWaveFile), "Play Wave file");
    settings->Append(ToolkitId(kCmdAdvSettings), "Adv. settings");
    settings->Append(ToolkitId(kCmdCrestFactor), "Adjust the Crest factor");
    auto* filter = new wxMenu;
    filter->AppendCheckItem(ToolkitId(kCmdFreeFilter), "Free Filter");
    filter->Append(ToolkitId(kCmdRiaaFilter), "RIAA Filter");
    auto* effects = new wxMenu;
    effects->Append(ToolkitId(kCmdDistortion), "Distortion");
    auto* dsp = new wxMenu;
    dsp->Append(ToolkitId(kCmdVolume), "Volume");
    dsp->AppendSubMenu(filter, "Filter");
    dsp->AppendSubMenu(effects, "Effects");
    dsp->Append(ToolkitId(kCmdFm), "FM");
    dsp->Append(ToolkitId(kCmdAm), "AM");
    dsp->Append(ToolkitId(kCmdDcOffset), "DC offset");
    dsp->Append(ToolkitId(kCmdVst), "VST");
    auto* view = new wxMenu;
    view->Append(ToolkitId(kCmdStatistics), "Statistics");
    view->Append(ToolkitId(kCmdFrequencySlider), "Frequency slider");
    view->Append(ToolkitId(kCmdVolumeSlider), "Volume slider");
    view->Append(ToolkitId(kCmdBalanceSlider), "Balance slider");
    view->Append(ToolkitId(kCmdFreqPresets), "Freq. presets");
    view->Append(ToolkitId(kCmdPiano), "Piano");
    auto* bar = new wxMenuBar;
    bar->Append(settings, "Settings");
    bar->Append(dsp, "DSP");
    bar->Append(view, "View");
    SetMenuBar(bar);
    // The tool windows and dialogs these open are not part of the panel yet.
    for (const int id : {kCmdFreeFilter, kCmdRiaaFilter, kCmdVst})
        bar->Enable(ToolkitId(id), false);
    for (const int id :
         {kCmdPulseWidths, kCmdGauss, kCmdPlayWaveFile, kCmdAdvSettings, kCmdCrestFactor, kCmdVolume,
          kCmdPiano, kCmdBurst, kCmdDistortion, kCmdFm, kCmdAm, kCmdDcOffset, kCmdStatistics,
          kCmdFrequencySlider, kCmdVolumeSlider, kCmdBalanceSlider, kCmdFreqPresets})
        Bind(
            wxEVT_MENU, [this, id](wxCommandEvent&) { RunCommand(id); }, ToolkitId(id));
}

// --- refresh

void CGeneratorDlg::UpdateControls()
{
    const CSigGen_settings& s = m_generator.m_settings;
    UpdateDelayText();
    UpdateLevelControls();
    m_pBalanceSlider->SetValue(PositionFromBalance(s.m_balance));
    const int mode = s.m_mode;
    int button = 0;
    for (int i = 0; i < 7; ++i)
        if (kButtonModes[i] == mode)
            button = i;
    // The first button doubles as indicator of the Gauss and the wave-file modes.
    m_pWaveform[0]->SetLabel(Caption(mode == kGenModeGaussNoise ? "Gauss"
                                     : mode == kGenModeWaveFile ? "Wave file"
                                                                : "Sine"));
    m_pWaveform[button]->SetValue(true);
    UpdateFrequencyControls();
    m_pDelaySlider->SetValue(s.m_delay);
    m_pDelayEdit->ChangeValue(wxString::Format("%i", s.m_delay));
    m_pPolarity->SetValue(s.m_invert != 0);
    m_pMute->SetValue(s.m_output_on == 0);
    for (int i = 0; i < kSigGenAttenuatorCount; ++i)
        m_pAttenuator[i]->SetValue(s.m_attenuator[static_cast<std::size_t>(i)] != 0);
    m_pMlsLength->SetValue(wxString::Format("%i", s.m_mls_length));
    if (wxMenuBar* bar = GetMenuBar())
    {
        bar->Check(ToolkitId(kCmdPulseWidths), std::fabs(s.m_pulse_width - 0.5) < 1e-8);
        bar->Check(ToolkitId(kCmdGauss), mode == kGenModeGaussNoise);
        bar->Check(ToolkitId(kCmdPlayWaveFile), mode == kGenModeWaveFile);
        bar->Check(ToolkitId(kCmdBurst), s.m_burst_on != 0);
        bar->Check(ToolkitId(kCmdFreeFilter), m_generator.m_freeFilter.m_full.m_bEnabled != 0);
    }
    UpdateSliders();
}

void CGeneratorDlg::UpdateSliders()
{
    const CSigGen_settings& s = m_generator.m_settings;
    if (m_pFrequencySliderDlg != nullptr)
        m_pFrequencySliderDlg->SetValue(s.m_frequency);
    if (m_pVolumeSliderDlg != nullptr)
        m_pVolumeSliderDlg->SetValue(s.m_level > 0.0 ? 20.0 * std::log10(s.m_level) : s.m_volume_min_db);
    if (m_pBalanceSliderDlg != nullptr)
        m_pBalanceSliderDlg->SetValue(s.GetBalanceDb());
}

void CGeneratorDlg::UpdateFrequencyControls()
{
    const CSigGen_settings& s = m_generator.m_settings;
    m_pFrequencyEdit->ChangeValue(Format("%.2f", s.m_frequency));
    m_pLowerEdit->ChangeValue(Format("%.2f", s.m_freq_min));
    m_pUpperEdit->ChangeValue(Format("%.2f", s.m_freq_max));
    const double span = s.m_freq_max - s.m_freq_min;
    const double position = span > 0.0 ? (s.m_frequency - s.m_freq_min) * 100.0 / span : 0.0;
    m_pFrequencySlider->SetValue(static_cast<int>(std::clamp(position, 0.0, 100.0)));
    if (m_pPiano != nullptr)
        m_pPiano->SetFrequency(s.m_frequency);
    if (m_pFrequencySliderDlg != nullptr)
        m_pFrequencySliderDlg->SetValue(s.m_frequency);
}

void CGeneratorDlg::UpdateLevelControls()
{
    const double level = m_generator.m_settings.m_level;
    const double position = level > 0.0 ? -40.0 * std::log10(level) : 100.0;
    m_pVolumeSlider->SetValue(static_cast<int>(std::clamp(std::lround(position), 0L, 100L)));
    m_pLevelText->SetLabel(wxString::FromUTF8(LevelText(m_generator.m_settings)));
}

void CGeneratorDlg::UpdateDelayText()
{
    const CSigGen_settings& s = m_generator.m_settings;
    m_pDelayText->SetLabel(wxString::FromUTF8(DelayText(s.m_delay, s.m_sample_rate, s.m_frequency)));
}

std::string CGeneratorDlg::LevelText(const CSigGen_settings& s)
{
    if (s.m_level == 0.0)
        return "zero";
    double attenuation = 0.0;
    for (int i = 0; i < kSigGenAttenuatorCount; ++i)
        attenuation -= s.m_attenuator[static_cast<std::size_t>(i)] != 0 ? kAttenuatorDb[i] : 0;
    return platform::FormatC("%3.2fdB", 20.0 * std::log10(s.m_level) + attenuation);
}

std::string CGeneratorDlg::DelayText(int delay, double rate, double frequency)
{
    const double time = rate > 0.0 ? delay / rate : 0.0;
    const double phase = std::fmod(time * frequency * 360.0, 360.0);
    return platform::FormatC("%s (%s  %3.2f\xC2\xB0/%1.4fs)", "delay", "phase", phase, time);
}

double CGeneratorDlg::BalanceFromPosition(int position)
{
    const double magnitude = std::log(1.0 + std::abs(position) * 0.0001) / std::log(1.01);
    return position < 0 ? -magnitude : magnitude;
}

int CGeneratorDlg::PositionFromBalance(double balance)
{
    const double magnitude = (std::pow(1.01, std::fabs(balance)) - 1.0) / 0.0001;
    const long position = std::lround(std::min(magnitude, 100.0));
    return static_cast<int>(balance < 0.0 ? -position : position);
}

double CGeneratorDlg::LevelFromPosition(int position)
{
    return position >= 100 ? 1e-10 : std::pow(10.0, -position / 40.0);
}

// --- actions

void CGeneratorDlg::Follow(int command)
{
    if (!m_options.follow)
        return;
    CSigGen_settings record = m_generator.m_settings;
    record.m_flags = command;
    m_options.follow(record);
}

void CGeneratorDlg::SelectWaveform(int button)
{
    if (button < 0 || button >= 7)
        return;
    CSigGen_settings& s = m_generator.m_settings;
    s.m_mode = kButtonModes[button];
    m_generator.ApplySettings();
    m_pWaveform[0]->SetLabel(Caption("Sine"));
    m_pWaveform[button]->SetValue(true);
    Follow(s.m_mode == kGenModeMls ? 3 : 6);
}

void CGeneratorDlg::OnFrequencyScroll(int position, bool lineRight, bool lineLeft)
{
    CSigGen_settings& s = m_generator.m_settings;
    const double g = s.m_freq_min + (s.m_freq_max - s.m_freq_min) * position * 0.01;
    double frequency = g;
    if (m_nStepMode != 0)
    {
        const auto now = std::chrono::steady_clock::now();
        const double since = std::chrono::duration<double>(now - m_lastSliderEvent).count();
        m_lastSliderEvent = now;
        if (since <= kSliderEventGap)
            return;
        if (lineRight)
            frequency = s.m_frequency + m_dFixedStep;
        else if (lineLeft)
            frequency = s.m_frequency - m_dFixedStep;
        else if (std::fabs(g - s.m_frequency) <= 0.01)
            frequency = s.m_frequency;
        frequency = std::clamp(frequency, 0.0, s.m_freq_max);
    }
    s.m_frequency = std::max(frequency, kGenMinFrequency);
    m_generator.ApplySettings();
    UpdateFrequencyControls();
    ApplyDelayStep();
    Follow(5);
}

void CGeneratorDlg::ReadEdits()
{
    CSigGen_settings& s = m_generator.m_settings;
    double frequency = s.m_frequency;
    double low = s.m_freq_min;
    double high = s.m_freq_max;
    ReadDouble(m_pFrequencyEdit, frequency);
    ReadDouble(m_pLowerEdit, low);
    ReadDouble(m_pUpperEdit, high);
    frequency = std::clamp(frequency, kGenMinFrequency, m_options.upperFrequencyLimit);
    high = std::max(high, frequency);
    low = std::max(std::min(low, frequency), 0.0);
    high = std::min(high, m_options.upperFrequencyLimit);
    if (high <= low)
        high = low + 1.0;
    s.m_frequency = frequency;
    s.m_freq_min = low;
    s.m_freq_max = high;
    double delay = s.m_delay;
    if (ReadDouble(m_pDelayEdit, delay))
        s.m_delay = static_cast<int>(std::clamp(delay, 0.0, static_cast<double>(kGenMaxDelay)));
    m_pDelaySlider->SetValue(s.m_delay);
    m_generator.ApplySettings();
    UpdateFrequencyControls();
    ApplyDelayStep();
    Follow(5);
}

void CGeneratorDlg::SetFineRange(bool fine)
{
    CSigGen_settings& s = m_generator.m_settings;
    s.m_freq_fine = fine ? 1 : 0;
    if (fine)
    {
        s.m_freq_min = std::max(0.0, 0.9 * s.m_frequency);
        s.m_freq_max = std::min(1.1 * s.m_frequency, m_options.upperFrequencyLimit);
    }
    else
    {
        s.m_freq_min = 0.0;
        s.m_freq_max = m_options.upperFrequencyLimit;
    }
    UpdateFrequencyControls();
}

void CGeneratorDlg::SetLevelSmoothly(double level)
{
    // A generator whose output is off takes the level at once; a playing one ramps to it.
    if (m_generator.m_settings.m_output_on != 0)
        m_generator.RampLevel(level, kVolumeFadeMs * 0.001);
    else
        m_generator.m_settings.m_level = level;
    CSigGen_settings shown = m_generator.m_settings;
    shown.m_level = level;
    m_pLevelText->SetLabel(wxString::FromUTF8(LevelText(shown)));
    if (m_pVolumeSliderDlg != nullptr)
        m_pVolumeSliderDlg->SetValue(level > 0.0 ? 20.0 * std::log10(level) : shown.m_volume_min_db);
    CSigGen_settings record = shown;
    record.m_flags = 4;
    if (m_options.follow)
        m_options.follow(record);
}

void CGeneratorDlg::OnVolumeScroll(int position)
{
    SetLevelSmoothly(LevelFromPosition(position));
}

void CGeneratorDlg::ToggleAttenuator(int index)
{
    if (index < 0 || index >= kSigGenAttenuatorCount)
        return;
    auto& switchState = m_generator.m_settings.m_attenuator[static_cast<std::size_t>(index)];
    switchState = switchState != 0 ? 0 : 1;
    m_pAttenuator[index]->SetValue(switchState != 0);
    m_pLevelText->SetLabel(wxString::FromUTF8(LevelText(m_generator.m_settings)));
    Follow(4);
}

void CGeneratorDlg::ToggleMute()
{
    if (m_generator.m_settings.m_output_on != 0)
        m_generator.StartFade(-0.2);
    else
        m_generator.StartFade(0.2);
    // A fade out switches the output off only at its end; the box shows what was asked.
    m_pMute->SetValue(m_generator.m_fadeCounter < 0 || m_generator.m_settings.m_output_on == 0);
    CSigGen_settings record = m_generator.m_settings;
    record.m_output_on = m_pMute->GetValue() ? 0 : 1;
    record.m_flags = 4;
    if (m_options.follow)
        m_options.follow(record);
}

void CGeneratorDlg::TogglePolarity()
{
    CSigGen_settings& s = m_generator.m_settings;
    s.m_invert = s.m_invert != 0 ? 0 : 1;
    m_generator.m_balanceGain2 = -m_generator.m_balanceGain2;
    m_pPolarity->SetValue(s.m_invert != 0);
}

void CGeneratorDlg::OnBalanceScroll(int position)
{
    m_generator.m_settings.m_balance = BalanceFromPosition(position);
    m_generator.ComputeBalanceGains();
    if (m_pBalanceSliderDlg != nullptr)
        m_pBalanceSliderDlg->SetValue(m_generator.m_settings.GetBalanceDb());
}

void CGeneratorDlg::CentreBalance()
{
    m_generator.m_settings.m_balance = 0.0;
    m_generator.ComputeBalanceGains();
    m_pBalanceSlider->SetValue(0);
}

void CGeneratorDlg::ApplyDelayStep()
{
    CSigGen_settings& s = m_generator.m_settings;
    s.m_delay = m_pDelaySlider->GetValue();
    long length = 0;
    if (m_pMlsLength->GetValue().ToLong(&length) && length >= kGenMinMlsLength && length <= kGenMaxMlsLength)
        s.m_mls_length = static_cast<int>(length);
    m_generator.ApplySettings();
    UpdateDelayText();
}

void CGeneratorDlg::OnToolMessage(int message, std::int64_t wParam, std::int64_t lParam)
{
    if (message == kMsgDistortion)
    {
        m_generator.m_settings.m_distortion_on = wParam != 0 ? 1 : 0;
        m_generator.m_settings.m_distortion_drive =
            generator_tools::DistortionDrive(static_cast<int>(lParam));
        m_generator.ApplySettings();
        return;
    }
    if (lParam == 0)
        return;
    const double value = static_cast<double>(wParam) / static_cast<double>(lParam);
    CSigGen_settings& s = m_generator.m_settings;
    switch (message)
    {
        case kMsgFrequency:
            if (value >= 0.0)
            {
                s.m_frequency = std::clamp(value, kGenMinFrequency, m_options.upperFrequencyLimit);
                UpdateFrequencyControls();
                m_generator.StartFade(0.5);
                m_pMute->SetValue(false);
                m_generator.ApplySettings();
                UpdateDelayText();
                Follow(5);
            }
            else
            {
                m_generator.StartFade(-0.5);
                m_pMute->SetValue(true);
            }
            break;
        case kMsgVolume:
        {
            const double level = std::pow(10.0, value * 0.05);
            const double position = level > 0.0 ? -40.0 * std::log10(level) : 100.0;
            m_pVolumeSlider->SetValue(static_cast<int>(std::clamp(std::lround(position), 0L, 100L)));
            SetLevelSmoothly(level);
            break;
        }
        case kMsgBalance:
            s.SetBalanceDb(value);
            m_generator.ComputeBalanceGains();
            UpdateControls();
            break;
        default:
            break;
    }
}

// --- menu commands and their dialogs

void CGeneratorDlg::RunCommand(int id)
{
    CSigGen_settings& s = m_generator.m_settings;
    switch (id)
    {
        case kCmdPulseWidths:
        {
            CPulseWidthsDlg dialog(this);
            dialog.m_dPulseWidthPercent = s.m_pulse_width * 100.0;
            dialog.ShowModal();
            // The width is taken back whichever button closed the dialog.
            s.m_pulse_width = dialog.m_dPulseWidthPercent * 0.01;
            m_generator.ApplySettings();
            break;
        }
        case kCmdGauss:
            s.m_mode = kGenModeGaussNoise;
            m_generator.ApplySettings();
            break;
        case kCmdPlayWaveFile:
        {
            CPlayWaveFileDlg dialog(this);
            dialog.m_strPath = s.GetWavefileName();
            dialog.m_dFadeInMs = s.m_fade_in * 1000.0;
            dialog.m_dFadeOutMs = s.m_fade_out * 1000.0;
            if (dialog.ShowModal() != wxID_OK)
                break;
            CAudioFileReader& reader = m_generator.m_reader;
            reader.Close();
            s.m_fade_in = dialog.m_dFadeInMs * 0.001;
            s.m_fade_out = dialog.m_dFadeOutMs * 0.001;
            reader.m_dFadeInSeconds = s.m_fade_in;
            reader.m_dFadeOutSeconds = s.m_fade_out;
            reader.Open(dialog.m_strPath);
            if (reader.IsOpen())
            {
                s.SetWavefileName(dialog.m_strPath);
                s.m_mode = kGenModeWaveFile;
                m_generator.ApplySettings();
            }
            else
            {
                reader.Close();
                platform::ui::ShowMessageBox("Failed to open .wav file.", "Tessarin",
                                             wxOK | wxICON_EXCLAMATION, this);
            }
            break;
        }
        case kCmdAdvSettings:
        {
            CSpecialSettingsDlg dialog(this);
            dialog.m_bChannel1Only = s.m_effects_ch1_only != 0;
            if (dialog.ShowModal() == wxID_OK)
                s.m_effects_ch1_only = dialog.m_bChannel1Only ? 1 : 0;
            break;
        }
        case kCmdCrestFactor:
        {
            CCrestFactorDlg dialog(this);
            dialog.m_dTarget = s.m_crest_target;
            if (dialog.ShowModal() != wxID_OK)
                break;
            s.m_crest_target = dialog.m_dTarget;
            if (dialog.m_dTarget <= 1.0)
            {
                platform::ui::ShowMessageBox("Crest factor must be larger than 1.0", "Tessarin",
                                             wxOK | wxICON_EXCLAMATION, this);
                break;
            }
            const double drive = m_generator.AdjustCrestFactor(dialog.m_dTarget);
            if (drive > 0.0)
            {
                s.m_distortion_drive = drive;
                s.m_distortion_on = 1;
            }
            else
            {
                platform::ui::ShowMessageBox(
                    platform::FormatC(
                        "Signal has an undistorted Crest factor of %2.2f. Target Crest factor of "
                        "%2.2f can't be reached.",
                        -drive, dialog.m_dTarget),
                    "Tessarin", wxOK | wxICON_EXCLAMATION, this);
            }
            break;
        }
        case kIdSteps:
        {
            CFrequencyStepDlg dialog(this);
            dialog.m_dStep = m_dFixedStep;
            dialog.m_nMode = m_nStepMode;
            if (dialog.ShowModal() == wxID_OK)
            {
                m_dFixedStep = dialog.m_dStep;
                m_nStepMode = dialog.m_nMode;
            }
            break;
        }
        case kIdSweepSettings:
        {
            CSweepPropertiesDlg dialog(this);
            dialog.m_dStart = s.m_sweep_start;
            dialog.m_dStop = s.m_sweep_stop;
            dialog.m_dTime = s.m_sweep_time;
            dialog.m_nLog = s.m_sweep_log;
            dialog.m_strLength = platform::FormatC("%i", s.m_chirp_length);
            dialog.m_nChirpType = s.m_chirp_type;
            dialog.m_bChirpOn = s.m_chirp_on != 0;
            dialog.ShowModal();
            // Taken back on every return: after Cancel the members still hold what they were given.
            s.m_sweep_start = dialog.m_dStart;
            s.m_sweep_stop = dialog.m_dStop;
            s.m_sweep_time = dialog.m_dTime;
            s.m_sweep_log = dialog.m_nLog;
            s.m_chirp_length = std::atoi(dialog.m_strLength.c_str());
            s.m_chirp_type = dialog.m_nChirpType;
            s.m_chirp_on = dialog.m_bChirpOn ? 1 : 0;
            m_generator.ApplySettings();
            Follow(8);
            break;
        }
        case kCmdVolume:
        {
            CVolumeDlg dialog(this);
            dialog.m_dVolumeDb = s.m_level > 0.0 ? 20.0 * std::log10(s.m_level) : -500.0;
            dialog.m_dCalibrationDb = s.m_calibration_db;
            dialog.m_dBalanceDb = s.GetBalanceDb();
            dialog.m_dBalanceMin = s.m_balance_min_db;
            dialog.m_dBalanceMax = s.m_balance_max_db;
            dialog.m_dVolumeMin = s.m_volume_min_db;
            dialog.m_dVolumeMax = s.m_volume_max_db;
            if (dialog.ShowModal() != wxID_OK)
                break;
            s.m_calibration_db = dialog.m_dCalibrationDb;
            s.m_level = std::pow(10.0, dialog.m_dVolumeDb * 0.05);
            s.SetBalanceDb(dialog.m_dBalanceDb);
            s.m_balance_min_db = dialog.m_dBalanceMin;
            s.m_balance_max_db = dialog.m_dBalanceMax;
            s.m_volume_min_db = dialog.m_dVolumeMin;
            s.m_volume_max_db = dialog.m_dVolumeMax;
            m_generator.ApplySettings();
            Follow(4);
            break;
        }
        case kCmdAm:
        {
            CAmplitudeModulationDlg dialog(this);
            dialog.m_bOn = s.m_am_on;
            dialog.m_dFrequency = s.m_am_frequency;
            dialog.m_dIndex = s.m_am_depth;
            if (dialog.ShowModal() != wxID_OK)
                break;
            s.m_am_on = dialog.m_bOn;
            s.m_am_frequency = dialog.m_dFrequency;
            s.m_am_depth = dialog.m_dIndex;
            m_generator.ApplySettings();
            break;
        }
        case kCmdFm:
        {
            CFrequencyModulationDlg dialog(this);
            dialog.m_bOn = s.m_fm_on;
            dialog.m_dShift = s.m_fm_deviation;
            if (dialog.ShowModal() != wxID_OK)
                break;
            s.m_fm_on = dialog.m_bOn;
            s.m_fm_deviation = dialog.m_dShift;
            m_generator.ApplySettings();
            break;
        }
        case kCmdDcOffset:
        {
            CDcOffsetDlg dialog(this);
            dialog.m_dOffset = s.m_dc_offset;
            if (dialog.ShowModal() != wxID_OK)
                break;
            s.m_dc_offset = dialog.m_dOffset;
            m_generator.ApplySettings();
            break;
        }
        case kCmdBurst:
        {
            CBurstDlg dialog(this);
            dialog.m_dOnTime = s.m_burst_on_time;
            dialog.m_dOffTime = s.m_burst_off_time;
            dialog.m_dOnLevel = s.m_burst_on_level;
            dialog.m_dOffLevel = s.m_burst_off_level;
            dialog.m_nOnUnit = s.m_burst_on_unit;
            dialog.m_nOffUnit = s.m_burst_off_unit;
            dialog.m_bOn = s.m_burst_on;
            dialog.m_bZeroPhase = s.m_burst_restart;
            dialog.m_bModulate = s.m_burst_gate;
            if (dialog.ShowModal() != wxID_OK)
                break;
            s.m_burst_on_time = dialog.m_dOnTime;
            s.m_burst_off_time = dialog.m_dOffTime;
            s.m_burst_on_level = dialog.m_dOnLevel;
            s.m_burst_off_level = dialog.m_dOffLevel;
            s.m_burst_on_unit = dialog.m_nOnUnit;
            s.m_burst_off_unit = dialog.m_nOffUnit;
            s.m_burst_on = dialog.m_bOn;
            s.m_burst_restart = dialog.m_bZeroPhase;
            s.m_burst_gate = dialog.m_bModulate;
            m_generator.ApplySettings();
            break;
        }
        case kCmdDistortion:
        {
            CDistortionDlg dialog(this);
            dialog.Preset(s.m_distortion_on, generator_tools::DistortionPosition(s.m_distortion_drive));
            dialog.m_notify = [this](int wParam, int lParam)
            { CallAfter([this, wParam, lParam] { OnToolMessage(kMsgDistortion, wParam, lParam); }); };
            dialog.ShowModal();
            break;
        }
        case kCmdStatistics:
            if (m_pStatistics == nullptr)
                m_pStatistics = new CSignalStatisticsDlg(this);
            m_pStatistics->Show();
            m_pStatistics->Raise();
            UpdateStatistics();
            break;
        case kCmdFreqPresets:
            if (m_pPresets == nullptr)
            {
                m_pPresets = new CFrequencyPresetsDlg(this);
                m_pPresets->m_target = [this](int message, std::int64_t wParam, std::int64_t lParam)
                { OnToolMessage(message, wParam, lParam); };
            }
            m_pPresets->Show();
            m_pPresets->Raise();
            break;
        case kCmdFrequencySlider:
        {
            CSliderDlg* slider = OpenSlider(m_pFrequencySliderDlg, kMsgFrequency);
            slider->SetRange(s.m_freq_min, s.m_freq_max);
            slider->SetValue(s.m_frequency);
            break;
        }
        case kCmdVolumeSlider:
        {
            CSliderDlg* slider = OpenSlider(m_pVolumeSliderDlg, kMsgVolume);
            slider->m_strName = GetTextCapitalized(1000562);
            slider->m_strUnit = "dB";
            slider->m_bLogAllowed = 0;
            slider->SetRange(s.m_volume_min_db, s.m_volume_max_db);
            break;
        }
        case kCmdBalanceSlider:
        {
            CSliderDlg* slider = OpenSlider(m_pBalanceSliderDlg, kMsgBalance);
            slider->m_strName = GetTextCapitalized(1000216);
            slider->m_strUnit = "dB";
            slider->m_bLogAllowed = 0;
            slider->SetRange(s.m_balance_min_db, s.m_balance_max_db);
            break;
        }
        case kCmdPiano:
            if (m_pPiano == nullptr)
            {
                m_pPiano = new CPianoDlg(this);
                m_pPiano->SetTarget([this](int message, std::int64_t wParam, std::int64_t lParam)
                                    { OnToolMessage(message, wParam, lParam); },
                                    kMsgFrequency, -2, 0, 59);
            }
            m_pPiano->Show();
            m_pPiano->Raise();
            m_pPiano->SetFrequency(s.m_frequency);
            break;
        default:
            return;
    }
    UpdateControls();
}

CSliderDlg* CGeneratorDlg::OpenSlider(CSliderDlg*& slider, int message)
{
    if (slider == nullptr)
    {
        slider = new CSliderDlg(this);
        slider->m_nMessage = message;
        slider->m_target = [this](int id, std::int64_t wParam, std::int64_t lParam)
        { OnToolMessage(id, wParam, lParam); };
    }
    slider->Show();
    slider->Raise();
    return slider;
}

void CGeneratorDlg::UpdateStatistics()
{
    if (m_pStatistics == nullptr || !m_pStatistics->IsShown())
        return;
    const double gain1 = std::fabs(m_generator.m_balanceGain1);
    const double gain2 = std::fabs(m_generator.m_balanceGain2);
    m_pStatistics->m_dRms1 = m_generator.m_windowRms * gain1;
    m_pStatistics->m_dPeak1 = m_generator.m_windowPeak * gain1;
    m_pStatistics->m_dRms2 = m_generator.m_windowRms * gain2;
    m_pStatistics->m_dPeak2 = m_generator.m_windowPeak * gain2;
    m_pStatistics->m_dCrest = m_generator.m_windowCrest;
    m_pStatistics->UpdateValues();
}

// --- timer, meter and closing

void CGeneratorDlg::OnTimer(wxTimerEvent&)
{
    // A hidden panel leaves its generator alone.
    if (!IsPanelShown())
        return;
    long length = 0;
    if (m_pMlsLength->GetValue().ToLong(&length) && length != m_generator.m_settings.m_mls_length &&
        length >= kGenMinMlsLength && length <= kGenMaxMlsLength)
        ApplyDelayStep();
    UpdateStatistics();
    m_pMeterArea->Refresh(false);
}

void CGeneratorDlg::PaintMeter()
{
    wxPaintDC dc(m_pMeterArea);
    gfx::WxCanvas canvas(dc);
    const wxSize size = m_pMeterArea->GetClientSize();
    canvas.FillRect({0, 0, size.x, size.y}, 0xF0F0F0);
    const double gains[2] = {m_generator.m_balanceGain1, m_generator.m_balanceGain2};
    m_meter.m_nBars = 2;
    for (int channel = 0; channel < 2; ++channel)
    {
        const double rms =
            std::fabs(gains[channel]) * m_generator.m_settings.m_output_on * m_generator.m_windowRms;
        const double db = m_bMeterOn != 0 && rms > 0.0 ? 20.0 * std::log10(rms) : kMeterFloorDb;
        m_meter.m_values[static_cast<std::size_t>(channel)] = static_cast<float>(std::max(db, kMeterFloorDb));
    }
    m_meter.m_dMin = kMeterFloorDb;
    m_meter.m_dMax = 0.0;
    m_meter.m_rect = {0, 0, size.x, size.y};
    canvas.SetPen({0x000000, 1, gfx::PenStyle::Solid});
    m_meter.Draw(canvas);
}

void CGeneratorDlg::OnClose(wxCloseEvent& event)
{
    // The panel lives as long as its generator; closing only hides it.
    if (event.CanVeto())
    {
        event.Veto();
        Hide();
        return;
    }
    event.Skip();
}
