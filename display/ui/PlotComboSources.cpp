#include "display/ui/PlotComboSources.h"

#include "display/ColorPalette.h"
#include "display/CurveMarkers.h"
#include "platform/gfx/WxCanvas.h"

ColorComboPalette PlotPaletteForCombo()
{
    ColorComboPalette palette;
    palette.count = kPaletteColorCount;
    palette.color = [](int index) { return GetPaletteColor(index); };
    palette.name = [](int index) { return GetPaletteColorName(index); };
    palette.nearest = [](COLORREF color) { return FindNearestPaletteColor(color); };
    return palette;
}

MarkerComboSymbols MarkerSymbolsForCombo()
{
    MarkerComboSymbols symbols;
    symbols.count = kMarkerSymbolCount;
    symbols.name = [](int code) { return GetMarkerName(code); };
    symbols.draw = [](wxDC& dc, int x, int y, int halfSize, int code)
    {
        gfx::WxCanvas canvas(dc);
        DrawMarkerSymbol(canvas, x, y, halfSize, code);
    };
    return symbols;
}
