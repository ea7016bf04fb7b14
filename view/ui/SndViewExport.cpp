// The measurement window's pictures and printing: the export bitmap, saved pictures, the copy
// command and the printed page.
#include <chrono>
#include <filesystem>
#include <memory>
#include <system_error>
#include <thread>

#include <wx/dcmemory.h>
#include <wx/log.h>
#include <wx/print.h>

#include "engine/SoundIn.h"
#include "platform/Places.h"
#include "platform/gfx/WxCanvas.h"
#include "view/ViewDocument.h"
#include "view/ui/SndViewPrintout.h"
#include "view/ui/SndViewWindow.h"

namespace
{

// The plot's text font, for the maker's address.
const gfx::Font kTextFont{"Arial", 12, false};
// The address sits in this band at the top of an exported picture.
constexpr int kAddressBand = 15;

constexpr const char* kCannotEmptyClipboard = "Cannot empty the Clipboard";
constexpr const char* kCannotSetClipboard = "Unable to set Clipboard data";
constexpr const char* kScreenshotName = "screenshot.png";

}  // namespace

wxBitmap CSndViewWindow::RenderBitmap()
{
    CSndView& view = *m_pView;
    CPlot& plot = view.GetPlot();
    CSoundIn& engine = view.GetEngine();
    constexpr int kWidth = CSndView::kExportWidth;
    constexpr int kHeight = CSndView::kExportHeight;

    view.m_bRendering = 1;
    // The analysis must not write the display buffers while the picture reads them.
    engine.m_bProcessingEnabled.store(0);

    wxBitmap bitmap(kWidth, kHeight, 24);
    {
        wxMemoryDC dc(bitmap);
        gfx::WxCanvas canvas(dc);
        view.PrepareDrawing();
        view.RebuildCurveList();
        plot.ForceRedraw();
        view.PassLevelData();

        // The frame background is the colour around the plot area, where the address goes.
        const gfx::Color background = plot.m_colorScheme.GetColor(CColorScheme::RoleFrameBackground);
        canvas.FillRect({0, 0, kWidth, kHeight}, background);
        view.PaintPlot(canvas, PlotRect{0, 0, kWidth, kHeight});

        canvas.SetFont(kTextFont);
        canvas.SetTextColor(plot.m_colorScheme.GetColor(CColorScheme::RoleText));
        canvas.SetTextBackground(background);
        canvas.DrawText(CSndView::kMakerAddress, {0, 0, kWidth, kAddressBand}, gfx::Align::Centre);
        dc.SelectObject(wxNullBitmap);
    }

    // The plot's caches now hold the picture's size; the next screen paint builds them anew.
    plot.ForceRedraw();
    view.m_bRendering = 0;
    engine.m_bProcessingEnabled.store(1);
    view.RestartDisplay();
    return bitmap;
}

bool CSndViewWindow::SavePlotImage(const std::string& path, platform::ImageFormat format, int quality)
{
    return platform::SaveBitmap(RenderBitmap(), path, format, quality);
}

bool CSndViewWindow::OnEditCopy()
{
    const wxBitmap bitmap = RenderBitmap();
    platform::ClipboardFailure failure = platform::ClipboardFailure::None;
    if (!platform::CopyBitmapToClipboard(bitmap, &failure))
    {
        if (CViewFrame* frame = m_pView->GetDocument().m_pFrame)
            frame->ShowMessage(failure == platform::ClipboardFailure::NotOpened ? kCannotEmptyClipboard
                                                                                : kCannotSetClipboard);
        return false;
    }
    // The same picture goes to the configuration folder; a failure there leaves the copy done.
    const std::filesystem::path folder = platform::ConfigFolder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    platform::SaveBitmap(bitmap, folder / kScreenshotName, platform::ImageFormat::Png);
    return true;
}

bool CSndViewWindow::SavePlotPicture(const std::string& path)
{
    return SavePlotImage(path, platform::ImageFormat::Png);
}

bool CSndViewWindow::Print(wxPrintData& data, bool prompt)
{
    wxPrintDialogData dialogData(data);
    wxPrinter printer(&dialogData);
    CSndViewPrintout printout(*m_pView);
    bool printed = false;
    {
        // Without a dialog nobody is there to read the toolkit's error window.
        std::unique_ptr<wxLogNull> quiet;
        std::unique_ptr<PdfFileExport> toFile;
        if (!prompt)
        {
            quiet = std::make_unique<wxLogNull>();
            toFile = std::make_unique<PdfFileExport>(data);
        }
        printed = printer.Print(this, &printout, prompt);
    }
    // A job that stopped before its end must not leave the screen paint thinking it prints.
    m_pView->m_bRendering = 0;
    if (printed)
        data = printer.GetPrintDialogData().GetPrintData();
    return printed;
}
