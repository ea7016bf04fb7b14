// The program's curve clipboard: one curve copied from a measurement window's legend and pasted
// into any window's first free overlay slot. Owns its arrays.
//
// Threads: user-interface thread only.
#pragma once

#include "display/CurveStyle.h"
#include "display/settings/CurveData.h"

struct CCurveClipboard
{
    CCurveStyle m_style;
    // Point count, y values, x values (empty when the curve had none) and the x step.
    Ccurve_data m_curve;
    int m_nAxisKind = 0;
    // The display values of the curve's plot: scale, dB factor, offset.
    double m_dScale = 1.0;
    double m_dDbFactor = 20.0;
    double m_dOffset = 0.0;
};

// The one clipboard of the program.
CCurveClipboard& GetCurveClipboard();
