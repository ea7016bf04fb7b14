#include "view/ui/SplViewerSelectDlg.h"

#include <algorithm>
#include <ctime>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "common/TextFormatting.h"
#include "dsp/FrequencyWeighting.h"
#include "platform/NumberFormat.h"
#include "platform/ui/MessageBoxService.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextSettings = 1000120;
constexpr int kTextCancel = 1000112;
constexpr int kTextType = 1000262;
constexpr int kTextInfo = 1000627;
constexpr int kTextInterval = 1000632;
constexpr int kTextDuration = 1000160;
constexpr int kTextBlocks = 1000633;
constexpr int kTextStartTime = 1000634;
constexpr int kTextWeighting = 1000294;
constexpr int kTextCentre = 1000190;
constexpr int kTextFullSpan = 1000277;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

std::string StartTimeText(std::time_t start)
{
    std::tm local{};
    localtime_r(&start, &local);
    char text[128] = "";
    std::strftime(text, sizeof text, "%A, %B %d, %Y %H:%M:%S", &local);
    return text;
}

}  // namespace

CSplViewerSelectDlg::CSplViewerSelectDlg(wxWindow* parent, const CSplLoggerData* data, int type,
                                         int weighting, double centre)
    : wxDialog(parent, wxID_ANY, Wx(GetText(kTextSettings))),
      m_nType(type),
      m_nWeighting(weighting),
      m_dCentre(centre),
      m_pData(data)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    auto* choices = new wxFlexGridSizer(2, 6, 10);
    choices->AddGrowableCol(1);
    const auto addChoice = [&](int labelId, int textId, int id)
    {
        choices->Add(new wxStaticText(this, labelId, Wx(GetText(textId))), 0, wxALIGN_CENTER_VERTICAL);
        auto* choice = new wxChoice(this, id, wxDefaultPosition, wxSize(220, -1));
        choices->Add(choice, 1, wxEXPAND);
        return choice;
    };
    wxChoice* types = addChoice(708, kTextType, kIdType);
    wxChoice* weightings = addChoice(1486, kTextWeighting, kIdWeighting);
    wxChoice* centres = addChoice(1487, kTextCentre, kIdCentre);
    sizer->Add(choices, 0, wxEXPAND | wxALL, 8);

    auto* infoBox = new wxStaticBox(this, 1476, Wx(GetText(kTextInfo)));
    auto* info = new wxStaticBoxSizer(infoBox, wxVERTICAL);
    auto* facts = new wxFlexGridSizer(2, 4, 12);
    const auto addFact = [&](int labelId, int textId, int id)
    {
        facts->Add(new wxStaticText(infoBox, labelId, Wx(GetText(textId))));
        facts->Add(new wxStaticText(infoBox, id, "", wxDefaultPosition, wxSize(240, -1)));
    };
    addFact(1484, kTextBlocks, kIdBlocks);
    addFact(1483, kTextInterval, kIdResolution);
    addFact(675, kTextDuration, kIdDuration);
    addFact(1485, kTextStartTime, kIdStartTime);
    info->Add(facts, 0, wxALL, 4);
    sizer->Add(info, 0, wxEXPAND | wxLEFT | wxRIGHT, 8);

    auto* buttons = new wxStdDialogButtonSizer;
    buttons->AddButton(new wxButton(this, wxID_OK, "OK"));
    buttons->AddButton(new wxButton(this, wxID_CANCEL, Wx(GetText(kTextCancel))));
    buttons->Realize();
    sizer->Add(buttons, 0, wxEXPAND | wxALL, 8);
    SetSizerAndFit(sizer);

    for (const char* name : kSplResultTypeNames)
        types->Append(name);
    types->SetSelection(std::clamp(m_nType, 0, kSplResultTypes - 1));
    if (m_pData)
    {
        for (int code : m_pData->GetWeightings())
            weightings->Append(Wx(GetWeightingName(code)));
        if (!weightings->IsEmpty())
            weightings->SetSelection(
                std::clamp(m_nWeighting, 0, static_cast<int>(weightings->GetCount()) - 1));
        m_centres = m_pData->GetBandCentres();
        centres->Append(Wx(GetText(kTextFullSpan)));
        for (double c : m_centres)
            centres->Append(Wx(platform::FormatC("%.0f", c)));
        centres->SetSelection(SelectSplBandEntry(m_centres, m_dCentre));
        const std::int64_t blocks = m_pData->GetBlockCount();
        const double resolution = m_pData->GetTimeResolution();
        FindWindow(kIdBlocks)->SetLabel(Wx(platform::FormatC("%i", static_cast<int>(blocks))));
        FindWindow(kIdResolution)->SetLabel(Wx(FormatTimeSpan(resolution)));
        FindWindow(kIdDuration)->SetLabel(Wx(FormatTimeSpan(static_cast<double>(blocks) * resolution)));
        FindWindow(kIdStartTime)->SetLabel(Wx(StartTimeText(m_pData->GetStartTime())));
    }
    Bind(
        wxEVT_BUTTON, [this](wxCommandEvent&) { OnOK(); }, wxID_OK);
}

bool CSplViewerSelectDlg::OnOK()
{
    const int type = GetChoice(kIdType)->GetSelection();
    const std::int64_t blocks = m_pData ? m_pData->GetBlockCount() : 0;
    const double resolution = m_pData ? m_pData->GetTimeResolution() : 0.0;
    const std::vector<std::string> refusals = CheckSplResultType(type, blocks, resolution);
    for (const std::string& message : refusals)
        platform::ui::ShowMessageBox(message, "Halvek", wxOK | wxICON_EXCLAMATION, this);
    if (!refusals.empty())
        return false;
    m_nType = type;
    const int band = GetChoice(kIdCentre)->GetSelection();
    m_dCentre = band >= 1 && band <= static_cast<int>(m_centres.size())
                    ? m_centres[static_cast<std::size_t>(band - 1)]
                    : -1.0;
    m_nWeighting = GetChoice(kIdWeighting)->GetSelection();
    EndModal(wxID_OK);
    return true;
}

wxString CSplViewerSelectDlg::GetControlText(int id) const
{
    const wxWindow* control = FindWindow(id);
    return control ? control->GetLabel() : wxString();
}

wxChoice* CSplViewerSelectDlg::GetChoice(int id) const
{
    return dynamic_cast<wxChoice*>(FindWindow(id));
}
