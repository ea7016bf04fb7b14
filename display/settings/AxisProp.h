// The axis ranges of one view mode: logarithmic flags and the x and y ends. A measurement window
// keeps one per view mode in its settings, plus the axes in force and the zoom history; the titles
// and units travel with the ranges in memory but are not stored.
#pragma once

#include <string>

class CArchive;

class CAxisProp
{
public:
    static constexpr std::size_t kStoredBytes = 40;

    CAxisProp() = default;
    virtual ~CAxisProp() = default;

    // Copies every member, the texts included.
    void CopyFrom(const CAxisProp& other);
    // Log flags and the four ends; loading sets the plot factor to 1.
    void Serialize(CArchive& ar);

    int m_bLogX = 0;
    int m_bLogY = 0;
    double m_dYMin = 0.0;
    double m_dYMax = 0.0;
    double m_dXMin = 0.0;
    double m_dXMax = -1.0;  // the window limits it to half the sample rate minus 100 Hz
    double m_dPlotFactor = 1.0;
    std::string m_strXTitle;
    std::string m_strYTitle;
    std::string m_strXUnit;
    std::string m_strYUnit;
};
