// The vectorscope options of a measurement window.
#pragma once

#include <cstddef>

class CArchive;

class CVectorscope_settings
{
public:
    static constexpr std::size_t kStoredBytes = 32;

    CVectorscope_settings() = default;
    virtual ~CVectorscope_settings() = default;

    // Free angle, decay, history depth, rotation, style, active.
    void Serialize(CArchive& ar);

    double m_dFreeAngle = 0.0;  // degrees, for the free rotation
    double m_dDecay = 0.85;     // decay constant of the persistent display
    int m_nHistoryDepth = 0;
    int m_nRotation = 0;  // 0 off, 1 +45 degrees, 2 -45 degrees, 3 free
    int m_nStyle = 0;     // 0 dots, 1 lines
    int m_bActive = 0;
};
