// One input channel of a measurement window or of the engine: gain, device input, calibration, the
// channel's sample operation and the style its curve is drawn with. Stored in the workspace file
// (style, active flag, input and gain) and written to calibration INI files.
#pragma once

#include <string_view>

#include "common/DspOperation.h"
#include "display/CurveStyle.h"

class CArchive;

class Cchannel_settings
{
public:
    Cchannel_settings() = default;
    virtual ~Cchannel_settings() = default;

    void CopyFrom(const Cchannel_settings& other);
    // "Active", "Input Channel", "Calibrated", "Scale dB", "Pre Scale", then the curve style with the
    // key prefix "Line Style ". False when a value could not be written.
    bool WriteProfile(std::string_view iniPath, std::string_view section) const;
    // Curve style, active flag, input channel, gain.
    void Serialize(CArchive& ar);

    double m_dScaleDb = 0.0;
    int m_nInputChannel = 0;
    int m_bActive = 0;
    double m_dPreScale = 1.0;
    int m_bCalibrated = 0;
    DspOperation m_Operation;
    CCurveStyle m_CurveStyle;
};
