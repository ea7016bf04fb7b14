// The "Display properties" sheet: a property sheet whose pages hold the display settings of a
// measurement window (all ten pages) or of the plot dialog (the zoom page alone). The owner fills
// the pages' members, runs ShowModal and on wxID_OK reads them back; Cancel changes no member.
// User-interface thread only.
#pragma once

#include <string>
#include <vector>

#include <wx/propdlg.h>

#include "display/ui/DispPropPages.h"

// Caption text of the sheet ("Display properties").
inline constexpr int kDisplayPropertiesTextId = 1000085;

class CDispProp_sheet : public wxPropertySheetDialog
{
public:
    // An empty sheet; AddPage adds the pages. `firstPage` is the page shown when the sheet opens.
    CDispProp_sheet(const std::string& caption, wxWindow* parent, int firstPage = 0);

    // The sheet takes the page (made with its default or template constructor, not yet created),
    // makes its window and shows it under its tab title.
    void AddPage(DispPropPage* page);
    int GetPageCount() const { return static_cast<int>(m_pages.size()); }
    DispPropPage* GetPage(int index) const;
    // The tab titles in order.
    std::vector<std::string> GetTabTitles() const;

    // Shows the first page's tab, runs the sheet modally; wxID_OK or wxID_CANCEL. May run again
    // after it returned (with the members as they are then).
    int ShowModal() override;

    // Every page shows its members.
    bool TransferDataToWindow() override;
    // Every page checks its entries; the first refusal is reported, its page comes to the front and
    // the sheet stays open.
    bool Validate() override;
    // Every page stores its entries.
    bool TransferDataFromWindow() override;

private:
    std::vector<DispPropPage*> m_pages;  // owned by the book
    int m_nFirstPage = 0;
    bool m_bLaidOut = false;
};

// The pages of the sheet as the measurement window builds it, owned by the sheet.
struct DispPropMeasurementPages
{
    CDispProp_zoom* zoom = nullptr;
    CDispProp_bar* bar = nullptr;
    CDispProp_2nd* math = nullptr;
    CDispProp_linestyles* lineStyles = nullptr;
    CDispProp_color* color = nullptr;
    CDispProp_spectrogram* spectrogram = nullptr;
    CDispProp_marker* marker = nullptr;
    CDispProp_special* special = nullptr;
    CDispProp_3d* threeD = nullptr;
    CDispProp_special1* reduction = nullptr;
};

// The caption of the sheet in the current language.
std::string DisplayPropertiesCaption();
// Adds the measurement window's ten pages in order, with the templates it uses.
DispPropMeasurementPages AddMeasurementWindowPages(CDispProp_sheet& sheet);
// Adds the plot dialog's one page, the zoom page.
CDispProp_zoom* AddPlotDialogPages(CDispProp_sheet& sheet);
