// CPlotImageExport: a plot of the owner's arrays rendered off-screen (800 x 600 by default) and
// saved as an image file, for the measurement windows' reports.
//
// Threads: user-interface thread only.
#pragma once

#include <string>

#include "display/Plot.h"
#include "platform/image/Image.h"

class CPlotImageExport
{
public:
    static constexpr gfx::Color kPlotBackground = 0xD2D2D2;

    CPlotImageExport();

    // The plot's x table (null: none), its data and its point count.
    void SetData(const float* xTable, const float* data, int count);
    // x range: the first and last x table entry, or 0 to count x bin width without a table.
    void FitXRange();
    // The automatic y range of the data.
    void FitYRange();
    // Values shown as 20 log10.
    void SetDbScale();
    // Renders and writes the file; false when it was not written.
    bool Save();

    int m_nLeft = 0;
    int m_nTop = 0;
    int m_nRight = 800;
    int m_nBottom = 600;
    CPlot m_plot;
    std::string m_strFileName = "screenshot.png";
    platform::ImageFormat m_format = platform::ImageFormat::Png;
};
