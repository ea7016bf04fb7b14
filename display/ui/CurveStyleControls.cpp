#include "display/ui/CurveStyleControls.h"

#include <wx/choice.h>
#include <wx/sizer.h>

#include "common/controls/ColorComboBox.h"
#include "common/controls/ItemComboBox.h"
#include "display/CurveStyle.h"
#include "display/ui/PlotComboSources.h"
#include "texts/TextTable.h"

namespace
{

constexpr int kTextSolid = 1000241;  // then dashed, dotted, dashdot
constexpr int kPenStyleNames = 4;

template <class List>
void SelectIndex(List* list, int index)
{
    list->SetSelection(index >= 0 && index < static_cast<int>(list->GetCount()) ? index : wxNOT_FOUND);
}

}  // namespace

CurveStyleControls CreateCurveStyleControls(wxWindow* parent, wxSizer* sizer, const std::array<int, 4>& ids)
{
    wxArrayString widths;
    for (const char* width : {"1", "2", "3"})
        widths.Add(width);
    wxArrayString styles;
    for (int i = 0; i < kPenStyleNames; ++i)
        styles.Add(wxString::FromUTF8(GetText(kTextSolid + i)));

    CurveStyleControls controls;
    controls.color = new CColorComboBox(parent, ids[0], wxDefaultPosition, wxSize(140, -1));
    controls.color->SetPalette(PlotPaletteForCombo());
    controls.color->m_bPalette = true;
    controls.color->FillList();
    controls.width = new wxChoice(parent, ids[1], wxDefaultPosition, wxDefaultSize, widths);
    controls.penStyle = new wxChoice(parent, ids[2], wxDefaultPosition, wxDefaultSize, styles);
    controls.marker = new CMarkerComboBox(parent, ids[3], wxDefaultPosition, wxSize(140, -1));
    controls.marker->SetSymbols(MarkerSymbolsForCombo());
    controls.marker->FillList();
    for (wxWindow* control :
         {static_cast<wxWindow*>(controls.color), static_cast<wxWindow*>(controls.width),
          static_cast<wxWindow*>(controls.penStyle), static_cast<wxWindow*>(controls.marker)})
        sizer->Add(control, 0, wxALL, 3);
    return controls;
}

void ShowCurveStyle(const CurveStyleControls& controls, const CCurveStyle& style)
{
    SelectIndex(controls.color, style.m_nColorIndex);
    SelectIndex(controls.width, style.m_nWidth - 1);
    SelectIndex(controls.penStyle, style.m_nPenStyle);
    SelectIndex(controls.marker, style.m_nMarker);
}

void ReadCurveStyle(const CurveStyleControls& controls, CCurveStyle& style)
{
    if (const int color = controls.color->GetSelection(); color >= 0)
        style.m_nColorIndex = color;
    if (const int width = controls.width->GetSelection(); width >= 0)
        style.m_nWidth = width + 1;
    if (const int pen = controls.penStyle->GetSelection(); pen >= 0)
        style.m_nPenStyle = pen;
    if (const int marker = controls.marker->GetSelection(); marker >= 0)
        style.m_nMarker = marker;
}
