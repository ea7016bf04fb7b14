// A window's stored reference curves (overlays), the dynamic overlay beside each slot, and the block
// through which wizards and presets hand a curve to a window.
#pragma once

#include <string>

#include "display/CurveStyle.h"
#include "display/settings/CurveData.h"

class CArchive;

class COverlay_settings
{
public:
    COverlay_settings() = default;
    virtual ~COverlay_settings() = default;

    // Deep-copies the curve and copies axis kind, plot values and style; the name and the average
    // count stay, and the copy is not shown.
    void CopyFrom(const COverlay_settings& other);
    // Curve, style, shown, axis kind, name, the three plot values.
    void Serialize(CArchive& ar);

    int m_bShown = 0;
    CCurveStyle m_CurveStyle;
    std::string m_strName;
    int m_nAxisKind = 0;
    Ccurve_data m_Curve;
    double m_dPlotValue1 = 1.0;
    double m_dPlotValue2 = 10.0;
    double m_dPlotValue3 = 0.0;
    int m_nAverages = 0;  // captures averaged into the curve; not stored
};

// The dynamic overlay of one overlay slot.
struct DynamicOverlaySettings
{
    // Channel, frequency, offset, reserved, enabled, reserved.
    void Serialize(CArchive& ar);

    int m_nChannel = -1;  // channel number - 1 as entered 1..64; -1 none
    double m_dFrequency = 1000.0;
    double m_dOffsetDb = 0.0;
    int m_nReserved1 = 0;
    int m_bEnabled = 0;
    int m_nReserved2 = 0;
};

// A curve handed to a measurement window; the sender owns the arrays, the receiver copies them.
struct OverlayDataBlock
{
    double m_dDeltaX = 0.0;
    int m_nCount = 0;
    const float* m_pY = nullptr;
    const float* m_pX = nullptr;  // null: x[i] = i * m_dDeltaX + m_dX0
    int m_nReserved = 0;
    std::string m_strName;
    int m_nSlot = 0;
    double m_dPlotValue1 = 1.0;
    double m_dPlotValue2 = 20.0;
    double m_dPlotValue3 = 0.0;
    double m_dValue4 = 1.0;
    double m_dValue5 = 1.0;
    double m_dX0 = 0.0;
};
