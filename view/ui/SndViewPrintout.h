// The measurement window's one printed page: the plot centred on the paper with the maker's
// address above it and the window's title in its corner, drawn through the toolkit's printing.
//
// Threads: user-interface thread only (the toolkit calls it while it prints).
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include <wx/cmndata.h>
#include <wx/prntbase.h>

class CSndView;

// Where the plot lands on a page, in the printer's device units.
struct SndViewPagePlacement
{
    // The logical rectangle the plot is drawn into.
    static constexpr int kLogicalWidth = 1024;
    static constexpr int kLogicalHeight = 512;

    int width = 0;
    int height = 0;
    int originX = 0;
    int originY = 0;
};

// The plot's place on a page of the width and height: 0.82 and 0.59 of the width over sqrt(1.1),
// truncated to whole units, centred both ways.
SndViewPagePlacement PlacePlotOnPage(int pageWidth, int pageHeight);

class CSndViewPrintout : public wxPrintout
{
public:
    explicit CSndViewPrintout(CSndView& view, const wxString& title = wxString::FromAscii("Tessarin"));

    bool HasPage(int page) override { return page == 1; }
    void GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo) override;
    void OnBeginPrinting() override;
    void OnEndPrinting() override;
    bool OnPrintPage(int page) override;

private:
    CSndView& m_view;
};

// Sets print data up so that printing them without a dialog writes the pages as a PDF file at the
// path (replacing any file there). False when the toolkit's printing cannot export to a file.
bool SetPrintToPdfFile(wxPrintData& data, const std::filesystem::path& pdf);

// The toolkit's printing without a dialog reaches only real printers: while an object of this class
// lives, a dialog-free print run of print data in file mode (SetPrintToPdfFile) is carried out by
// the toolkit's own PDF export into the data's file instead.
class PdfFileExport
{
public:
    explicit PdfFileExport(const wxPrintData& data);
    ~PdfFileExport();
    PdfFileExport(const PdfFileExport&) = delete;
    PdfFileExport& operator=(const PdfFileExport&) = delete;

private:
    class Hook;
    std::unique_ptr<Hook> m_pHook;
};
