#include "view/ui/ConfigOverlaysDlg.h"

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "display/ui/DialogEntries.h"
#include "display/ui/LineStylesDlg.h"
#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextLineStyle = 1000238;
constexpr int kTextActive = 1000248;
constexpr int kTextOverlay = 1000336;
constexpr int kTextName = 1000338;
constexpr int kTextHideAll = 1000340;
constexpr int kTextShowAll = 1000341;

wxString Wx(const std::string& text)
{
    return wxString::FromUTF8(text);
}

}  // namespace

CConfigOverlaysDlg::CConfigOverlaysDlg(wxWindow* parent, CViewSettings& settings)
    : wxDialog(parent, wxID_ANY, Wx(GetText(kTextOverlay))), m_settings(settings)
{
    auto* grid = new wxFlexGridSizer(4, wxSize(10, 2));
    grid->AddSpacer(1);
    for (const int text : {kTextName, kTextLineStyle, kTextActive})
        grid->Add(new wxStaticText(this, wxID_ANY, Wx(GetText(text))));
    for (int row = 0; row < kRows; ++row)
    {
        const auto r = static_cast<std::size_t>(row);
        grid->Add(new wxStaticText(this, wxID_ANY, Wx(platform::FormatC("%2i", row + 1))), 0,
                  wxALIGN_CENTER_VERTICAL);
        m_pNames[r] =
            new wxTextCtrl(this, kIdNameBase + row, wxEmptyString, wxDefaultPosition, wxSize(150, -1));
        grid->Add(m_pNames[r], 0, wxALIGN_CENTER_VERTICAL);
        m_pStyles[r] =
            new wxButton(this, kIdStyleBase + row, "...", wxDefaultPosition, wxDefaultSize, wxBU_EXACTFIT);
        m_pStyles[r]->Bind(wxEVT_BUTTON, [this, row](wxCommandEvent&) { EditStyle(row); });
        grid->Add(m_pStyles[r], 0, wxALIGN_CENTER);
        m_pActive[r] = new wxCheckBox(this, kIdActiveBase + row, wxEmptyString);
        grid->Add(m_pActive[r], 0, wxALIGN_CENTER);
    }
    auto* all = new wxBoxSizer(wxHORIZONTAL);
    auto* hide = new wxButton(this, kIdHideAll, Wx(GetText(kTextHideAll)));
    hide->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SetAllShown(false); });
    auto* show = new wxButton(this, kIdShowAll, Wx(GetText(kTextShowAll)));
    show->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { SetAllShown(true); });
    all->Add(hide, 0, wxRIGHT, 8);
    all->Add(show);

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 10);
    sizer->Add(all, 0, wxLEFT | wxRIGHT, 10);
    AddOkCancelButtons(this, sizer);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CConfigOverlaysDlg::TransferDataToWindow()
{
    for (std::size_t r = 0; r < kRows; ++r)
    {
        m_pNames[r]->ChangeValue(Wx(m_settings.m_Overlays[r].m_strName));
        m_pActive[r]->SetValue(m_settings.m_Overlays[r].m_bShown == 1);
    }
    return true;
}

bool CConfigOverlaysDlg::TransferDataFromWindow()
{
    for (std::size_t r = 0; r < kRows; ++r)
    {
        COverlay_settings& overlay = m_settings.m_Overlays[r];
        overlay.m_strName = m_pNames[r]->GetValue().utf8_string();
        overlay.m_CurveStyle.m_strLabel = overlay.m_strName;
        overlay.m_bShown = m_pActive[r]->GetValue() ? 1 : 0;
    }
    return true;
}

void CConfigOverlaysDlg::SetAllShown(bool shown)
{
    for (std::size_t r = 0; r < kRows; ++r)
    {
        m_settings.m_Overlays[r].m_bShown = shown ? 1 : 0;
        m_pActive[r]->SetValue(shown);
    }
}

void CConfigOverlaysDlg::EditStyle(int row)
{
    if (row < 0 || row >= kRows)
        return;
    CCurveStyle& style = m_settings.m_Overlays[static_cast<std::size_t>(row)].m_CurveStyle;
    CLineStylesDlg dialog(this);
    dialog.m_style.CopyFrom(style);
    if (dialog.ShowModal() == wxID_OK)
        style.CopyFrom(dialog.m_style);
}
