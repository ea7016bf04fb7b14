#include "display/PlotRange.h"

#include "platform/NumberFormat.h"
#include "texts/TextTable.h"

bool CAxisText::operator==(const CAxisText& other) const
{
    return m_dValue1 == other.m_dValue1 && m_dValue2 == other.m_dValue2 && m_nValue1 == other.m_nValue1 &&
           m_nValue2 == other.m_nValue2 && m_nValue3 == other.m_nValue3 && m_dValue5 == other.m_dValue5 &&
           m_dValue6 == other.m_dValue6 && m_nValue9 == other.m_nValue9;
}

void CPlotRange::Reset()
{
    // The axis-text records are the owner's and keep their contents.
    m_dYMax = 1.0;
    m_dYMin = 0.0;
    m_dXMin = 0.0;
    m_dXMax = 1.0;
    m_bXLog = 0;
    m_bYLog = 0;
    m_bDecibel = 0;
    m_nPoints = 0;
    m_dXOffset = 0.0;
    m_dLinearOffset = 0.0;
    m_dXScale = 1.0;
    m_dLinearScale = 1.0;
    m_dLogFactor = 10.0;
    m_dLogOffset = 0.0;
}

std::vector<std::string> CheckZoomRanges(bool logX, double yMin, double yMax, double xMin, double xMax)
{
    constexpr int kMustBeLarger = 1000384;
    constexpr int kMustNotBeNegative = 1000385;
    constexpr int kNoLogarithmicNegative = 1000386;
    std::vector<std::string> messages;
    if (!(yMax > yMin))
        messages.push_back(platform::FormatC(GetText(kMustBeLarger).c_str(), "y max", "y min"));
    if (!(xMax > xMin))
        messages.push_back(platform::FormatC(GetText(kMustBeLarger).c_str(), "x max", "x min"));
    if (xMin < 0.0)
        messages.push_back(platform::FormatC(GetText(kMustNotBeNegative).c_str(), "x min"));
    if (logX && xMin < 0.0)
        messages.push_back(GetText(kNoLogarithmicNegative));
    return messages;
}
