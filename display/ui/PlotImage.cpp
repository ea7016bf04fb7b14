#include "display/ui/PlotImage.h"

#include "display/Plot.h"
#include "platform/gfx/WxCanvas.h"

wxImage RenderPlotImage(CPlot& plot, int width, int height)
{
    gfx::WxBitmapCanvas canvas(width, height);
    plot.Draw(canvas, 0, 0, width, height);
    return canvas.GetImage();
}

bool SavePlotPng(CPlot& plot, int width, int height, const std::string& path)
{
    wxImage image = RenderPlotImage(plot, width, height);
    return image.IsOk() && image.SaveFile(wxString::FromUTF8(path), wxBITMAP_TYPE_PNG);
}
