// The custom plot: values, titles and range that a wizard hands a measurement window to show in a
// display of its own. Plain values; the owner resets them before filling them again.
#pragma once

#include <string>
#include <vector>

#include "display/PlotRange.h"

struct CCustomPlot
{
    // The range reset, no points or curves, empty titles, x step and axis markers cleared; the
    // buffers keep what they hold until the next fill.
    void Reset()
    {
        m_range.Reset();
        m_nPoints = 0;
        m_nCurves = 0;
        m_strXTitle.clear();
        m_strYTitle.clear();
        m_strTitle3.clear();
        m_strTitle4.clear();
        m_dXStep = 0.0;
        m_bTimeAxis = 0;
        m_bFrequencyAxis = 0;
    }

    int m_nPoints = 0;
    int m_nCurves = 0;
    double m_dXStep = 0.0;
    std::string m_strXTitle;
    std::string m_strYTitle;
    std::string m_strTitle3;
    std::string m_strTitle4;
    // Set by the filler: the x axis is a time axis or a frequency axis.
    int m_bTimeAxis = 0;
    int m_bFrequencyAxis = 0;
    CPlotRange m_range;
    std::vector<float> m_x;
    std::vector<float> m_y;
};
