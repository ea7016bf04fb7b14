#include "display/ui/DispPropSheet.h"

#include <wx/bookctrl.h>

#include "texts/TextTable.h"

CDispProp_sheet::CDispProp_sheet(const std::string& caption, wxWindow* parent, int firstPage)
    : m_nFirstPage(firstPage)
{
    Create(parent, wxID_ANY, wxString::FromUTF8(caption));
    CreateButtons(wxOK | wxCANCEL);
}

void CDispProp_sheet::AddPage(DispPropPage* page)
{
    page->Create(GetBookCtrl());
    GetBookCtrl()->AddPage(page, wxString::FromUTF8(page->GetTitle()));
    m_pages.push_back(page);
    m_bLaidOut = false;
}

DispPropPage* CDispProp_sheet::GetPage(int index) const
{
    return index >= 0 && index < GetPageCount() ? m_pages[static_cast<std::size_t>(index)] : nullptr;
}

std::vector<std::string> CDispProp_sheet::GetTabTitles() const
{
    std::vector<std::string> titles;
    for (std::size_t i = 0; i < GetBookCtrl()->GetPageCount(); ++i)
        titles.push_back(GetBookCtrl()->GetPageText(i).utf8_string());
    return titles;
}

int CDispProp_sheet::ShowModal()
{
    if (!m_bLaidOut)
    {
        LayoutDialog();
        m_bLaidOut = true;
    }
    if (m_nFirstPage >= 0 && m_nFirstPage < GetPageCount())
        GetBookCtrl()->SetSelection(static_cast<std::size_t>(m_nFirstPage));
    return wxPropertySheetDialog::ShowModal();
}

bool CDispProp_sheet::TransferDataToWindow()
{
    for (DispPropPage* page : m_pages)
        page->TransferDataToWindow();
    return true;
}

bool CDispProp_sheet::Validate()
{
    for (std::size_t i = 0; i < m_pages.size(); ++i)
    {
        // The refused page comes to the front before its message, so the user sees the entry.
        if (!m_pages[i]->Validate())
        {
            GetBookCtrl()->SetSelection(i);
            return false;
        }
    }
    return true;
}

bool CDispProp_sheet::TransferDataFromWindow()
{
    for (std::size_t i = 0; i < m_pages.size(); ++i)
    {
        if (!m_pages[i]->TransferDataFromWindow())
        {
            GetBookCtrl()->SetSelection(i);
            return false;
        }
    }
    return true;
}

std::string DisplayPropertiesCaption()
{
    return GetText(kDisplayPropertiesTextId);
}

DispPropMeasurementPages AddMeasurementWindowPages(CDispProp_sheet& sheet)
{
    DispPropMeasurementPages pages;
    pages.zoom = new CDispProp_zoom(kZoomPageTemplate);
    sheet.AddPage(pages.zoom);
    pages.bar = new CDispProp_bar(kBarPageTemplate);
    sheet.AddPage(pages.bar);
    pages.math = new CDispProp_2nd(kMathPageTemplate);
    sheet.AddPage(pages.math);
    pages.lineStyles = new CDispProp_linestyles(kLineStylesPageTemplate);
    sheet.AddPage(pages.lineStyles);
    pages.color = new CDispProp_color(kColorPageTemplate);
    sheet.AddPage(pages.color);
    pages.spectrogram = new CDispProp_spectrogram(kSpectrogramSheetTemplate);
    sheet.AddPage(pages.spectrogram);
    pages.marker = new CDispProp_marker(kMarkerPageTemplate);
    sheet.AddPage(pages.marker);
    pages.special = new CDispProp_special(kSpecialPageTemplate);
    sheet.AddPage(pages.special);
    pages.threeD = new CDispProp_3d(k3dPageTemplate);
    sheet.AddPage(pages.threeD);
    pages.reduction = new CDispProp_special1(kReductionPageTemplate);
    sheet.AddPage(pages.reduction);
    return pages;
}

CDispProp_zoom* AddPlotDialogPages(CDispProp_sheet& sheet)
{
    auto* zoom = new CDispProp_zoom(kZoomPageTemplate);
    sheet.AddPage(zoom);
    return zoom;
}
