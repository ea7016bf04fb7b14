#include "applications/ui/StipaResultsDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include <algorithm>

#include "applications/StiSnrTexts.h"
#include "common/controls/Clipboard.h"
#include "common/controls/FilePrompts.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"
#include "view/ui/MeterDlg.h"

namespace
{

constexpr int kTextCopy = 1000109;
constexpr int kTextReset = 1000152;
constexpr int kTextFemale = 1000172;
constexpr int kTextMale = 1000173;
constexpr int kTextGender = 1000174;
constexpr int kTextSaveSignal = 1000366;
constexpr int kTextSaveNoise = 1000367;
constexpr int kDisplayWidth = 120;
constexpr int kDisplayHeight = 30;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

}  // namespace

CStipaResultsDlg::CStipaResultsDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "STI-PA", wxDefaultPosition, wxDefaultSize, wxCAPTION | wxCLOSE_BOX)
{
    // Top row: the result line, the elapsed time and the method boxes.
    new wxStaticText(this, kIdSti, "1.0   Excellent", wxPoint(8, 4), wxSize(150, -1));
    new wxStaticText(this, kIdElapsed, "Elapsed Time 999s", wxPoint(8, 22), wxSize(150, -1));
    new wxCheckBox(this, kIdRasti, "RASTI", wxPoint(175, 8));
    // The second method's box names the method, not a maker.
    new wxCheckBox(this, kIdNtiStipa, "STIPA", wxPoint(250, 8));
    auto* enable = new wxCheckBox(this, kIdEnable, "Enable", wxPoint(330, 8));
    enable->Hide();

    m_titles.push_back("  ");
    for (int band = 0; band < CStiBandValues::kFileBands; ++band)
        m_titles.push_back(StiSnrBandTitle(band));
    m_columns[0] = {"RMS", "MTI", "M1", "M2"};
    for (int band = 1; band <= CStiBandValues::kFileBands; ++band)
        m_columns[band].assign(kRows, std::string());
    m_pGrid = new CBandTableGrid(false);
    m_pGrid->Create(this, wxID_ANY, wxRect(5, 40, 405, 120), m_titles, m_columns.data(), kRows, 40, 50);

    // Below the table: gender and the buttons on the left, the requests on the right.
    const wxRect table = m_pGrid->GetRect();
    const int width = std::max(415, table.GetRight() + 6);
    const int below = table.GetBottom() + 5;
    new wxStaticBox(this, kIdGender, Wx(GetText(kTextGender)), wxPoint(5, below), wxSize(150, 45));
    new wxRadioButton(this, kIdMale, Wx(GetText(kTextMale)), wxPoint(12, below + 20), wxDefaultSize,
                      wxRB_GROUP);
    new wxRadioButton(this, kIdFemale, Wx(GetText(kTextFemale)), wxPoint(80, below + 20));
    new wxButton(this, kIdReset, Wx(GetText(kTextReset)), wxPoint(5, below + 50), wxSize(150, 26));
    new wxButton(this, kIdCopy, Wx(GetText(kTextCopy)), wxPoint(5, below + 78), wxSize(150, 26));
    new wxButton(this, kIdSaveSignal, Wx(GetText(kTextSaveSignal)), wxPoint(5, below + 106), wxSize(150, 26));
    new wxButton(this, kIdSaveNoise, Wx(GetText(kTextSaveNoise)), wxPoint(5, below + 134), wxSize(150, 26));
    new wxButton(this, kIdSnr, "SNR", wxPoint(width - 75, below + 5), wxSize(70, 26));
    new wxButton(this, kIdNoise, ".wav", wxPoint(width - 75, below + 35), wxSize(70, 26));

    SetClientSize(width, below + 165);

    Bind(wxEVT_RADIOBUTTON, &CStipaResultsDlg::OnGender, this, kIdMale);
    Bind(wxEVT_RADIOBUTTON, &CStipaResultsDlg::OnGender, this, kIdFemale);
    Bind(wxEVT_CHECKBOX, &CStipaResultsDlg::OnRasti, this, kIdRasti);
    Bind(wxEVT_CHECKBOX, &CStipaResultsDlg::OnNtiStipa, this, kIdNtiStipa);
    Bind(
        wxEVT_CHECKBOX, [this](wxCommandEvent& event) { m_state.m_enable = event.IsChecked(); }, kIdEnable);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { m_state.m_resetRequest = true; }, kIdReset);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { m_state.m_snrRequest = true; }, kIdSnr);
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { m_state.m_noiseRequest = true; }, kIdNoise);
    Bind(wxEVT_BUTTON, &CStipaResultsDlg::OnCopy, this, kIdCopy);
    Bind(wxEVT_BUTTON, &CStipaResultsDlg::OnSaveRms, this, kIdSaveSignal);
    Bind(wxEVT_BUTTON, &CStipaResultsDlg::OnSaveRms, this, kIdSaveNoise);
    Bind(wxEVT_SHOW, &CStipaResultsDlg::OnShow, this);
    Bind(wxEVT_MOVE,
         [this](wxMoveEvent& event)
         {
             event.Skip();
             PlaceValueDisplays();
         });

    // The two value displays, in the lower half beside the buttons.
    for (std::size_t k = 0; k < m_pDisplays.size(); ++k)
    {
        m_displayStates[k].strValueText = "1.23";
        m_displayStates[k].strValueFormat = "%.2f";
        m_displayStates[k].crText = 0x000000;
        m_displayStates[k].crBackground = 0xFFFFFF;
        m_pDisplays[k] = new CMeterDlg(this, m_displayStates[k], "");
        m_pDisplays[k]->SetSize(kDisplayWidth, kDisplayHeight);
    }
    // Closing only hides the window; its measurement window destroys it.
    Bind(wxEVT_CLOSE_WINDOW,
         [this](wxCloseEvent& event)
         {
             if (event.CanVeto())
             {
                 event.Veto();
                 Hide();
                 return;
             }
             event.Skip();
         });
}

CStipaResultsDlg::~CStipaResultsDlg() = default;

void CStipaResultsDlg::PlaceValueDisplays()
{
    if (!m_pDisplays[0] || !m_pDisplays[1])
        return;
    const wxSize client = GetClientSize();
    const wxPoint first = ClientToScreen(wxPoint(client.GetWidth() / 2 - 20, client.GetHeight() - 90));
    for (std::size_t k = 0; k < m_pDisplays.size(); ++k)
    {
        m_pDisplays[k]->Move(first.x, first.y + static_cast<int>(k) * (kDisplayHeight + 15));
        // They float over the window, also where no window manager keeps them on top.
        if (m_pDisplays[k]->IsShown())
            m_pDisplays[k]->Raise();
    }
}

void CStipaResultsDlg::OnShow(wxShowEvent& event)
{
    event.Skip();
    const bool shown = event.IsShown();
    for (CMeterDlg* display : m_pDisplays)
        display->Show(shown);
    if (shown)
    {
        PlaceValueDisplays();
        // The window may get its final place only after it shows.
        CallAfter(&CStipaResultsDlg::PlaceValueDisplays);
    }
}

void CStipaResultsDlg::RefreshResults()
{
    if (wxWindow* sti = FindWindow(kIdSti))
        sti->SetLabel(Wx(m_state.m_stiLine));
    if (wxWindow* elapsed = FindWindow(kIdElapsed))
        elapsed->SetLabel(Wx(m_state.m_elapsedLine));
    ShowMethodBoxes();
    m_pGrid->ForceRefresh();
    for (CMeterDlg* display : m_pDisplays)
        display->Refresh();
}

void CStipaResultsDlg::EnableGender(bool enable)
{
    for (int id : {kIdMale, kIdFemale})
        if (wxWindow* button = FindWindow(id))
            button->Enable(enable);
}

wxString CStipaResultsDlg::GetControlText(int id) const
{
    const wxWindow* control = FindWindow(id);
    return control ? control->GetLabel() : wxString();
}

void CStipaResultsDlg::ShowMethodBoxes()
{
    static_cast<wxCheckBox*>(FindWindow(kIdRasti))->SetValue(m_state.m_rasti);
    static_cast<wxCheckBox*>(FindWindow(kIdNtiStipa))->SetValue(m_state.m_ntiStipa);
}

void CStipaResultsDlg::OnGender(wxCommandEvent& event)
{
    m_state.m_gender = event.GetId() == kIdMale ? 0 : 1;
}

void CStipaResultsDlg::OnRasti(wxCommandEvent&)
{
    m_state.ToggleRasti();
    ShowMethodBoxes();
}

void CStipaResultsDlg::OnNtiStipa(wxCommandEvent&)
{
    m_state.ToggleNtiStipa();
    ShowMethodBoxes();
}

void CStipaResultsDlg::OnCopy(wxCommandEvent&)
{
    CopyTextToClipboard(m_state.MakeClipboardText(GetText(kTextMale), GetText(kTextFemale)));
}

void CStipaResultsDlg::OnSaveRms(wxCommandEvent& event)
{
    const std::string path = AskSaveFileName(kStiSnrFileDescription, kStiSnrFileExtension);
    if (path.empty())
        return;
    const int set = event.GetId() == kIdSaveSignal ? kStiSetSignal : kStiSetNoise;
    if (!m_state.SaveRms(path, set))
        platform::ui::ShowMessageBox("The file " + path + " could not be written.", "Tessarin",
                                     wxOK | wxICON_EXCLAMATION, this);
}
