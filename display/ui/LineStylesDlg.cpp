#include "display/ui/LineStylesDlg.h"

#include <array>

#include <wx/sizer.h>
#include <wx/stattext.h>

#include "display/ui/DialogEntries.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextLineStyle = 1000238;
constexpr int kTextColor = 1000239;
constexpr int kTextWidth = 1000240;
constexpr int kTextStyle = 1000170;
constexpr int kTextMarker = 1000044;

}  // namespace

CLineStylesDlg::CLineStylesDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(GetTextCapitalized(kTextLineStyle)))
{
    auto* grid = new wxFlexGridSizer(4);
    const std::array<int, 4> labels = {kTextColor, kTextWidth, kTextStyle, kTextMarker};
    for (std::size_t i = 0; i < labels.size(); ++i)
        grid->Add(new wxStaticText(this, 1345 + static_cast<int>(i),
                                   wxString::FromUTF8(GetTextCapitalized(labels[i]))),
                  0, wxLEFT | wxRIGHT | wxTOP, 3);
    m_controls = CreateCurveStyleControls(this, grid, {kIdColor, kIdWidth, kIdPenStyle, kIdMarker});

    auto* sizer = new wxBoxSizer(wxVERTICAL);
    sizer->Add(grid, 0, wxALL, 8);
    AddOkCancelButtons(this, sizer);
    SetSizerAndFit(sizer);
    CentreOnParent();
}

bool CLineStylesDlg::TransferDataToWindow()
{
    ShowCurveStyle(m_controls, m_style);
    return true;
}

bool CLineStylesDlg::TransferDataFromWindow()
{
    ReadCurveStyle(m_controls, m_style);
    return true;
}
