#include "view/ui/OverlayExistsDlg.h"

#include <wx/radiobut.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "display/ui/DialogEntries.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextAlreadyExists = 1000106;  // "Overlay #%i already exists, do you want to:"
constexpr std::array<int, 4> kChoiceTexts = {1000356, 1000357, 1000358, 1000289};

}  // namespace

COverlayExistsDlg::COverlayExistsDlg(wxWindow* parent, int slot)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(GetText(kChoiceTexts[0])))
{
    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(new wxStaticText(
                   this, kIdQuestion,
                   wxString::FromUTF8(platform::FormatC(GetText(kTextAlreadyExists).c_str(), slot + 1))),
               0, wxALL, 10);
    for (std::size_t i = 0; i < m_pChoices.size(); ++i)
    {
        m_pChoices[i] = new wxRadioButton(this, kIdFirstChoice + static_cast<int>(i),
                                          wxString::FromUTF8(GetText(kChoiceTexts[i])), wxDefaultPosition,
                                          wxDefaultSize, i == 0 ? wxRB_GROUP : 0);
        sizer->Add(m_pChoices[i], 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
    }
    AddOkCancelButtons(this, sizer);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool COverlayExistsDlg::TransferDataToWindow()
{
    const auto choice = static_cast<std::size_t>(m_nChoice);
    m_pChoices[choice < m_pChoices.size() ? choice : 0]->SetValue(true);
    return true;
}

bool COverlayExistsDlg::TransferDataFromWindow()
{
    for (std::size_t i = 0; i < m_pChoices.size(); ++i)
        if (m_pChoices[i]->GetValue())
            m_nChoice = static_cast<int>(i);
    return true;
}

int COverlayExistsDlg::Ask()
{
    return ShowModal() == wxID_OK ? m_nChoice : kOverlayCancel;
}
