#include "app/QuickStartDlg.h"

#include "app/AnalyzerApp.h"
#include "app/CommandTable.h"
#include "app/MainFrame.h"

#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include <algorithm>
#include <initializer_list>

namespace
{

constexpr int kPresetLiveMonitor = 33001;
constexpr int kPresetFft = 33071;
constexpr int kPresetUltrasound = 33081;
constexpr int kPresetLowFrequencies = 33082;
constexpr int kPreset48kHz = 33088;
constexpr int kPresetOctave = 33093;
constexpr int kPresetEvents = 33084;
constexpr int kPresetLongTerm = 33106;
constexpr int kReverberationWizard = 32945;
constexpr int kLoudnessWizard = 32946;
constexpr int kImpulseWizard = 32990;
constexpr int kInterruptedNoiseWizard = 32991;
constexpr int kLoggerStart = 33075;
constexpr int kButtonWidth = 96;
constexpr int kButtonHeight = 48;

using Button = CQuickStartDlg::Button;
const std::array<Button, 13> kButtons = {{
    {CQuickStartDlg::kIdThirdOctave, "Terz", kPresetLiveMonitor, false},
    {CQuickStartDlg::kIdFft, "FFT", kPresetFft, false},
    {CQuickStartDlg::kId96kHz, "96kHz", kPresetUltrasound, false},
    {CQuickStartDlg::kIdNoiseReport, "TA-Lärm", kPresetLiveMonitor, false},
    {CQuickStartDlg::kIdChirp, "Chirp", kReverberationWizard, true},
    {CQuickStartDlg::kIdLowFrequencies, "Tiefe Frequenzen \n(DIN 45680)", kPresetLowFrequencies, false},
    {CQuickStartDlg::kIdLoudness, "Lautheit/Sone \n(ISO 532B)", kLoudnessWizard, true},
    {CQuickStartDlg::kId48kHz, "48kHz", kPreset48kHz, false},
    {CQuickStartDlg::kIdOctave, "Oktav", kPresetOctave, false},
    {CQuickStartDlg::kIdEvents, "Veranstaltungen\n (DIN 15905-5)", kPresetEvents, false},
    {CQuickStartDlg::kIdImpulse, "Knall", kImpulseWizard, true},
    {CQuickStartDlg::kIdNoise, "Rau-\nschen", kInterruptedNoiseWizard, true},
    {CQuickStartDlg::kIdLongTerm, "Langzeit-\nTonaufzeichnung", kPresetLongTerm, false},
}};

const Button& FindButton(int id)
{
    return *std::find_if(kButtons.begin(), kButtons.end(), [id](const Button& b) { return b.id == id; });
}

}  // namespace

const std::array<Button, 13>& CQuickStartDlg::GetButtons()
{
    return kButtons;
}

CQuickStartDlg::CQuickStartDlg(wxWindow* parent, CAnalyzerApp& app)
    : wxDialog(parent, wxID_ANY, "Quick start", wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX | wxSTAY_ON_TOP),
      m_app(app),
      m_startQuestionTimer(this, kTimerStartQuestion)
{
    const auto addButtons = [this](wxSizer* sizer, std::initializer_list<int> ids)
    {
        for (const int id : ids)
        {
            const Button& button = FindButton(id);
            auto* control = new wxButton(this, id, wxString::FromUTF8(button.caption));
            // Large buttons; a long caption widens its button.
            control->SetMinSize(wxSize(std::max(kButtonWidth, control->GetBestSize().x + 8), kButtonHeight));
            // A button whose command has no handler yet (the wizards) waits disabled.
            const CommandEntry* entry = FindCommand(button.command);
            control->Enable(entry && entry->handler);
            sizer->Add(control, 0, wxALL, 3);
            Bind(
                wxEVT_BUTTON, [this, &button](wxCommandEvent&) { OnButton(button); }, id);
        }
    };
    const auto group = [this](const char* caption)
    { return new wxStaticBoxSizer(wxHORIZONTAL, this, wxString::FromUTF8(caption)); };

    auto* top = new wxBoxSizer(wxVERTICAL);
    wxStaticBoxSizer* spectrum = group("Spektrum");
    addButtons(spectrum, {kIdThirdOctave, kIdOctave, kIdFft, kIdNoiseReport});
    top->Add(spectrum, 0, wxEXPAND | wxALL, 4);

    auto* middle = new wxBoxSizer(wxHORIZONTAL);
    wxStaticBoxSizer* ultrasound = group("Ultraschall");
    addButtons(ultrasound, {kId48kHz, kId96kHz});
    middle->Add(ultrasound, 0, wxEXPAND | wxRIGHT, 4);
    wxStaticBoxSizer* reverberation = group("Nachhallzeit");
    addButtons(reverberation, {kIdChirp, kIdImpulse, kIdNoise});
    middle->Add(reverberation, 0, wxEXPAND);
    top->Add(middle, 0, wxEXPAND | wxLEFT | wxRIGHT, 4);

    auto* bottom = new wxBoxSizer(wxHORIZONTAL);
    addButtons(bottom, {kIdLowFrequencies, kIdLoudness, kIdEvents, kIdLongTerm});
    top->Add(bottom, 0, wxALL, 4);
    SetSizerAndFit(top);

    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnButton(FindButton(kIdThirdOctave)); },
        kIdThirdOctaveCommand);
    Bind(wxEVT_TIMER, [this](wxTimerEvent& event) { OnTimerFired(event.GetId()); });
    // Closing the panel only hides it: the main frame keeps it.
    Bind(wxEVT_CLOSE_WINDOW,
         [this](wxCloseEvent& event)
         {
             if (event.CanVeto())
             {
                 m_app.m_bQuickStartShown = 0;
                 Hide();
             }
             else
                 event.Skip();
         });
}

void CQuickStartDlg::OnButton(const Button& button)
{
    CMainFrame* frame = m_app.m_pMainWnd;
    if (!frame)
        return;
    if (button.newWorkspaceFirst)
    {
        // Sent, not posted: the new workspace exists before the wizard's command arrives.
        wxCommandEvent event(wxEVT_MENU, command_id::WxCommandId(command_id::kFileNewKeepSettings));
        event.SetEventObject(frame);
        frame->ProcessWindowEvent(event);
    }
    PostCommandAndHide(button.command);
    if (button.id == kIdLongTerm && !StartTimer(kTimerStartQuestion, kStartQuestionMs))
        m_app.DoMessageBox("Not enough timers available for this window.", wxOK | wxICON_EXCLAMATION);
}

void CQuickStartDlg::PostCommandAndHide(int command)
{
    if (m_app.m_pMainWnd)
        m_app.m_pMainWnd->PostCommand(command);
    m_app.m_bQuickStartShown = 0;
    Hide();
    m_app.m_bQuickStartShown = 0;
}

bool CQuickStartDlg::StartTimer(int id, int milliseconds)
{
    if (m_fnStartTimer)
        return m_fnStartTimer(id, milliseconds);
    return m_startQuestionTimer.StartOnce(milliseconds);
}

void CQuickStartDlg::OnTimerFired(int id)
{
    if (id != kTimerStartQuestion)
        return;
    m_startQuestionTimer.Stop();
    if (m_app.DoMessageBox(kStartQuestion, wxOK | wxCANCEL) == wxID_OK && m_app.m_pMainWnd)
        m_app.m_pMainWnd->PostCommand(kLoggerStart);
}
