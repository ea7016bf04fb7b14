#include "view/ui/SndViewPrintout.h"

#include <cmath>
#include <string>
#include <utility>

#include <dlfcn.h>

#include <wx/dc.h>
#include <wx/modalhook.h>
#if defined(__WXGTK__) && wxUSE_GTKPRINT
#include <wx/gtk/print.h>
#endif

#include "display/settings/ViewSettings.h"
#include "platform/gfx/WxCanvas.h"
#include "view/SndView.h"

namespace
{

// The plot's own text and title fonts, so that the page's additions match its lettering.
const gfx::Font kTextFont{"Arial", 12, false};
const gfx::Font kTitleFont{"Arial", 16, true};

constexpr double kPlotWidthShare = 0.82;
constexpr double kPlotHeightShare = 0.59;
// The title starts this share of the page width in from the plot's corner.
constexpr double kTitleInset = 0.02;

}  // namespace

SndViewPagePlacement PlacePlotOnPage(int pageWidth, int pageHeight)
{
    const double base = pageWidth / std::sqrt(1.1);
    SndViewPagePlacement place;
    place.width = static_cast<int>(kPlotWidthShare * base);
    place.height = static_cast<int>(kPlotHeightShare * base);
    place.originX = (pageWidth - place.width) / 2;
    place.originY = (pageHeight - place.height) / 2;
    return place;
}

CSndViewPrintout::CSndViewPrintout(CSndView& view, const wxString& title) : wxPrintout(title), m_view(view) {}

void CSndViewPrintout::GetPageInfo(int* minPage, int* maxPage, int* pageFrom, int* pageTo)
{
    *minPage = 1;
    *maxPage = 1;
    *pageFrom = 1;
    *pageTo = 1;
}

void CSndViewPrintout::OnBeginPrinting()
{
    m_view.OnBeginPrinting();
}

void CSndViewPrintout::OnEndPrinting()
{
    m_view.OnEndPrinting();
}

bool CSndViewPrintout::OnPrintPage(int page)
{
    wxDC* dc = GetDC();
    if (page != 1 || dc == nullptr || !dc->IsOk())
        return false;
    CPlot& plot = m_view.GetPlot();
    m_view.m_bRendering = 1;
    // The frame and axes are laid out anew for the page's rectangle.
    plot.ForceRedraw();

    // The paper's rectangle is given relative to the printable area's corner.
    const wxRect paper = GetPaperRectPixels();
    const SndViewPagePlacement place = PlacePlotOnPage(paper.width, paper.height);
    constexpr int kWidth = SndViewPagePlacement::kLogicalWidth;
    constexpr int kHeight = SndViewPagePlacement::kLogicalHeight;
    dc->SetMapMode(wxMM_TEXT);
    dc->SetUserScale(static_cast<double>(place.width) / kWidth, static_cast<double>(place.height) / kHeight);
    dc->SetDeviceOrigin(paper.x + place.originX, paper.y + place.originY);

    gfx::WxCanvas canvas(*dc);
    // The toolkit's printer context loses a text's position when it fills the text's box first
    // (every text lands in the paper's corner), so texts are drawn without their box; on the page
    // they stand on the frame's own colour anyway.
    dc->SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    m_view.PassLevelData();
    const gfx::Color frame = plot.m_colorScheme.GetColor(CColorScheme::RoleFrameBackground);
    canvas.FillRect({0, 0, kWidth, kHeight}, frame);
    plot.DrawFrame(canvas, 0, 0, kWidth, kHeight);
    plot.DrawCurves(canvas, 0, 0, kWidth, kHeight);

    canvas.SetFont(kTextFont);
    canvas.SetTextColor(plot.m_colorScheme.GetColor(CColorScheme::RoleText));
    canvas.SetTextBackground(frame);
    const wxSize address = dc->GetTextExtent(wxString::FromUTF8(CSndView::kMakerAddress));
    const int addressLeft = (kWidth - address.GetWidth()) / 2;
    canvas.FillRect({addressLeft, -address.GetHeight(), addressLeft + address.GetWidth(), 0}, frame);
    canvas.DrawText(CSndView::kMakerAddress, {0, -address.GetHeight(), kWidth, 0}, gfx::Align::Centre);

    const int inset = static_cast<int>(kTitleInset * paper.width);
    dc->SetDeviceOrigin(paper.x + place.originX + inset, paper.y + place.originY + inset);
    const CViewSettings* settings = m_view.GetSettings();
    if (settings != nullptr && !settings->m_strWindowTitle.empty())
    {
        canvas.SetFont(kTitleFont);
        const int titleHeight = dc->GetTextExtent(wxString::FromUTF8(settings->m_strWindowTitle)).GetHeight();
        canvas.DrawText(settings->m_strWindowTitle, {0, 0, kWidth, titleHeight}, gfx::Align::Left);
    }
    plot.ForceRedraw();
    return true;
}

#if defined(__WXGTK__) && wxUSE_GTKPRINT
namespace
{

// The few functions of the toolkit's print operation that its wrapper does not offer, taken from
// the toolkit library that is loaded already (no build needs the toolkit's development headers).
struct GtkExportFunctions
{
    using SetSettings = void (*)(GtkPrintOperation*, GtkPrintSettings*);
    using SetExportFile = void (*)(GtkPrintOperation*, const char*);
    using Run = int (*)(GtkPrintOperation*, int, void*, void*);

    SetSettings setSettings =
        reinterpret_cast<SetSettings>(dlsym(RTLD_DEFAULT, "gtk_print_operation_set_print_settings"));
    SetExportFile setExportFile =
        reinterpret_cast<SetExportFile>(dlsym(RTLD_DEFAULT, "gtk_print_operation_set_export_filename"));
    Run run = reinterpret_cast<Run>(dlsym(RTLD_DEFAULT, "gtk_print_operation_run"));

    bool Available() const { return setSettings && setExportFile && run; }
};

const GtkExportFunctions& ExportFunctions()
{
    static const GtkExportFunctions functions;
    return functions;
}

// Values of the toolkit's print-operation enumerations.
constexpr int kActionExport = 3;
constexpr int kResultApply = 1;

}  // namespace

class PdfFileExport::Hook : public wxModalDialogHook
{
public:
    explicit Hook(std::string path) : m_path(std::move(path)) { Register(); }
    ~Hook() override { Unregister(); }

protected:
    int Enter(wxDialog* dialog) override
    {
        auto* printDialog = dynamic_cast<wxGtkPrintDialog*>(dialog);
        if (printDialog == nullptr)
            return wxID_NONE;
        // The printer has put its print operation into the native data it shares with the dialog.
        wxPrintData data = printDialog->GetPrintDialogData().GetPrintData();
        auto* native = dynamic_cast<wxGtkPrintNativeData*>(data.GetNativeData());
        const GtkExportFunctions& gtk = ExportFunctions();
        if (native == nullptr || native->GetPrintJob() == nullptr || !gtk.Available())
            return wxID_NO;
        data.ConvertToNative();
        GtkPrintOperation* operation = native->GetPrintJob();
        // Paper size and orientation come from the settings.
        gtk.setSettings(operation, native->GetPrintConfig());
        gtk.setExportFile(operation, m_path.c_str());
        return gtk.run(operation, kActionExport, nullptr, nullptr) == kResultApply ? wxID_OK : wxID_NO;
    }
    void Exit(wxDialog*) override {}

private:
    std::string m_path;
};

PdfFileExport::PdfFileExport(const wxPrintData& data)
{
    if (data.GetPrintMode() == wxPRINT_MODE_FILE && !data.GetFilename().empty())
        m_pHook = std::make_unique<Hook>(data.GetFilename().utf8_string());
}

bool SetPrintToPdfFile(wxPrintData& data, const std::filesystem::path& pdf)
{
    if (pdf.empty() || dynamic_cast<wxGtkPrintNativeData*>(data.GetNativeData()) == nullptr ||
        !ExportFunctions().Available())
        return false;
    data.SetPrintMode(wxPRINT_MODE_FILE);
    data.SetFilename(wxString::FromUTF8(std::filesystem::absolute(pdf).string()));
    return true;
}
#else
class PdfFileExport::Hook
{
};

PdfFileExport::PdfFileExport(const wxPrintData&) {}

bool SetPrintToPdfFile(wxPrintData&, const std::filesystem::path&)
{
    return false;
}
#endif

PdfFileExport::~PdfFileExport() = default;
