// A plot's value window and data description (CPlotRange) with the axis-text records it carries.
// Plain values: owners copy them field by field; nothing here is stored in a file.
#pragma once

#include <ctime>
#include <string>
#include <vector>

// The axis-text record of one axis: numbers and texts that the owner keeps with a range, the
// clock-time flag and time base of the x axis among them.
class CAxisText
{
public:
    // m_dValue2 - m_dValue1.
    double GetSpan() const { return m_dValue2 - m_dValue1; }
    // Equal when the first two numbers, the integer triple, the two later numbers and m_nValue9 agree.
    bool operator==(const CAxisText& other) const;

    double m_dValue1 = 0.0;
    double m_dValue2 = 0.0;
    double m_dValue3 = 0.0;
    double m_dValue4 = 1.0;
    int m_nValue1 = 0;
    int m_nValue2 = 0;
    int m_nValue3 = 0;
    double m_dValue5 = 1.0;
    double m_dValue6 = 0.0;
    std::string m_strText1;
    std::string m_strText2;
    std::string m_strText3;
    // 1: the axis shows clock times (CPlotAxis type 1).
    int m_bClockTime = 0;
    int m_nValue8 = 0;
    int m_nValue9 = 0;
    // Local calendar time; its time of day is added to clock-time labels when m_bUseTimeBase is 1.
    std::time_t m_timeBase = 0;
    int m_bUseTimeBase = 0;
    double m_dValue7 = 1.0;
};

class CPlotRange
{
public:
    // y 0..1, x 0..1, scales 1.0, logarithmic factor 10.0, everything else 0.
    void Reset();
    double GetHeight() const { return m_dYMax - m_dYMin; }
    double GetWidth() const { return m_dXMax - m_dXMin; }

    double m_dYMax = 1.0;
    double m_dYMin = 0.0;
    double m_dXMin = 0.0;
    double m_dXMax = 1.0;
    int m_bXLog = 0;
    int m_bYLog = 0;
    // 1: display values are log10(raw) * m_dLogFactor + m_dLogOffset.
    int m_bDecibel = 0;
    int m_nPoints = 0;
    // x of index 0.
    double m_dXOffset = 0.0;
    double m_dLinearOffset = 0.0;
    double m_dXScale = 1.0;
    double m_dLinearScale = 1.0;
    // 10.0 makes power decibels, 20.0 amplitude decibels.
    double m_dLogFactor = 10.0;
    double m_dLogOffset = 0.0;
    CAxisText m_xText;
    CAxisText m_yText;
};

// The messages that refuse a zoom: y max not above y min, x max not above x min, a negative x min
// and, on a logarithmic x axis, a negative x range (empty when the ranges are valid).
std::vector<std::string> CheckZoomRanges(bool logX, double yMin, double yMax, double xMin, double xMax);
