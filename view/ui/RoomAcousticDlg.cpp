#include "view/ui/RoomAcousticDlg.h"

#include <wx/sizer.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "texts/TextTable.h"
#include "view/ResultTexts.h"
#include "view/ui/DialogFields.h"

namespace
{

constexpr int kTextReverberation = 1000035;
constexpr int kTextClarity = 1000113;
constexpr int kTextDefinition = 1000114;
constexpr int kTextRoomAcoustics = 1000115;
constexpr int kIdClarityGroup = 738;
constexpr int kIdReverberationGroup = 739;
constexpr int kIdDefinitionGroup = 740;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text.c_str());
}

struct Row
{
    const char* label;
    int id;
};

wxSizer* Group(wxWindow* parent, int id, int textId, std::initializer_list<Row> rows)
{
    auto* box = new wxStaticBox(parent, id, Wx(GetText(textId)));
    auto* group = new wxStaticBoxSizer(box, wxVERTICAL);
    auto* grid = new wxFlexGridSizer(2, 4, 16);
    grid->AddGrowableCol(1);
    for (const Row& row : rows)
    {
        grid->Add(new wxStaticText(box, wxID_ANY, row.label), 0, wxALIGN_CENTER_VERTICAL);
        grid->Add(new wxStaticText(box, row.id, "--", wxDefaultPosition, wxSize(80, -1), wxALIGN_RIGHT), 1,
                  wxEXPAND | wxALIGN_CENTER_VERTICAL);
    }
    group->Add(grid, 1, wxEXPAND | wxALL, 4);
    return group;
}

}  // namespace

CRoomAcousticDlg::CRoomAcousticDlg(const CRoomAcousticResults* results)
    : wxDialog(nullptr, wxID_ANY, Wx(GetText(kTextRoomAcoustics)), wxDefaultPosition, wxDefaultSize,
               wxCAPTION | wxCLOSE_BOX),
      m_pResults(results)
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(Group(this, kIdReverberationGroup, kTextReverberation,
                     {{"RT60", kIdRt60}, {"RT30", kIdRt30}, {"EDT", kIdEdt}}),
               0, wxEXPAND | wxALL, 6);
    sizer->Add(Group(this, kIdClarityGroup, kTextClarity, {{"C50", kIdC50}, {"C80", kIdC80}}), 0,
               wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
    sizer->Add(Group(this, kIdDefinitionGroup, kTextDefinition, {{"D50", kIdD50}, {"D80", kIdD80}}), 0,
               wxEXPAND | wxLEFT | wxRIGHT | wxBOTTOM, 6);
    SetSizerAndFit(sizer);
    // Closing only hides the window; its measurement window destroys it.
    dialog_fields::HideOnClose(this);
    RefreshValues();
}

void CRoomAcousticDlg::RefreshValues()
{
    const auto texts = MakeRoomAcousticTexts(m_pResults);
    const std::pair<int, RoomAcousticText> places[] = {
        {kIdC50, kTextC50}, {kIdC80, kTextC80}, {kIdRt60, kTextRt60}, {kIdRt30, kTextRt30},
        {kIdEdt, kTextEdt}, {kIdD50, kTextD50}, {kIdD80, kTextD80},
    };
    for (const auto& [id, which] : places)
        if (wxWindow* control = FindWindow(id))
            control->SetLabel(Wx(texts[static_cast<std::size_t>(which)]));
    wxDialog::Refresh();
}

wxString CRoomAcousticDlg::GetControlText(int id) const
{
    const wxWindow* control = FindWindow(id);
    return control ? control->GetLabel() : wxString();
}
