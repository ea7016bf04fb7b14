#include "display/settings/PlotSettingsRecords.h"

void Plot3DSettings::FillDemoGrid()
{
    m_nRows = kDemoRows;
    m_nColumns = kDemoColumns;
    m_pGrid.assign(static_cast<std::size_t>(kDemoRows) * kDemoColumns, 0.0f);
    const double span = m_dYMax - m_dYMin;
    for (int j = 0; j < kDemoColumns; ++j)
        for (int k = 0; k < kDemoRows; ++k)
            m_pGrid[static_cast<std::size_t>(kDemoRows) * j + k] =
                static_cast<float>(span / kDemoRows * k + m_dYMin + span / kDemoColumns * j);
}
