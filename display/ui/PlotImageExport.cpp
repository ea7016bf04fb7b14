#include "display/ui/PlotImageExport.h"

#include "display/ui/PlotImage.h"

#include <algorithm>

CPlotImageExport::CPlotImageExport()
{
    m_plot.m_colorScheme.SetColor(CColorScheme::RolePlotBackground, kPlotBackground);
}

void CPlotImageExport::SetData(const float* xTable, const float* data, int count)
{
    m_plot.m_pXTable = xTable;
    m_plot.m_pData = data;
    m_plot.m_nChannels = data ? std::max(1, m_plot.m_nChannels) : 0;
    m_plot.m_dataRange.m_nPoints = std::max(0, count);
    m_plot.m_viewRange.m_nPoints = std::max(0, count);
    m_plot.ApplySettings();
}

void CPlotImageExport::FitXRange()
{
    const int count = m_plot.m_dataRange.m_nPoints;
    if (m_plot.m_pXTable && count > 0)
    {
        m_plot.m_viewRange.m_dXMin = m_plot.m_pXTable[0];
        m_plot.m_viewRange.m_dXMax = m_plot.m_pXTable[count - 1];
    }
    else
    {
        m_plot.m_viewRange.m_dXMin = 0.0;
        m_plot.m_viewRange.m_dXMax = count * m_plot.m_dBinWidth;
    }
}

void CPlotImageExport::FitYRange()
{
    double yMin = m_plot.m_viewRange.m_dYMin;
    double yMax = m_plot.m_viewRange.m_dYMax;
    m_plot.AutoScaleY(&yMin, &yMax);
    m_plot.m_viewRange.m_dYMin = yMin;
    m_plot.m_viewRange.m_dYMax = yMax;
}

void CPlotImageExport::SetDbScale()
{
    for (CPlotRange* range : {&m_plot.m_dataRange, &m_plot.m_viewRange})
    {
        range->m_bDecibel = 1;
        range->m_dLogFactor = 20.0;
    }
}

bool CPlotImageExport::Save()
{
    const int width = m_nRight - m_nLeft;
    const int height = m_nBottom - m_nTop;
    if (width <= 0 || height <= 0)
        return false;
    m_plot.ForceRedraw();
    const wxImage image = RenderPlotImage(m_plot, width, height);
    return platform::SaveImage(image, m_strFileName, m_format);
}
