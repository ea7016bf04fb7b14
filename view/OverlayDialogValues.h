// The values the measurement window's overlay and settings-file dialogs edit: plain records that
// the window logic fills before a dialog runs and reads back after OK, so that the logic knows no
// window toolkit.
#pragma once

#include <string>
#include <vector>

// "Select Overlay": the target overlay (1..10), the two curve lists, the operation list, the
// constant.
struct SelectOverlayValues
{
    int m_nOverlay = 1;
    std::vector<std::string> m_curves;
    std::vector<std::string> m_secondCurves;
    std::vector<std::string> m_operations;
    int m_nCurve = 0;
    int m_nSecondCurve = 0;
    int m_nOperation = 0;
    int m_bUseConstant = 0;
    double m_dConstant = 0.0;
};

// The answers of the "Overlay" question when a slot already holds a curve; Cancel is -1.
enum OverlayExistsChoice : int
{
    kOverlayCancel = -1,
    kOverlayOverwrite = 0,
    kOverlayAdd = 1,
    kOverlaySubtract = 2,
    kOverlayAverage = 3,
};

// "Load an overlay from a text file" and "Save an overlay to a text file": overlay 1..10 and the
// data format (0 logarithmic dB, 1 linear per cent, 2 linear).
struct OverlayFileValues
{
    int m_nOverlay = 1;
    int m_nFormat = 0;
};

// "Dynamic Overlays": channel 1..64, overlay 1..10.
struct DynamicOverlayValues
{
    int m_nChannel = 1;
    int m_nOverlay = 1;
    int m_bEnable = 0;
    double m_dFrequency = 1000.0;
    double m_dOffset = 0.0;
};

// One entry of the overlay submenu the window rebuilds: a command and its text, or a separator
// (command 0).
struct OverlayMenuEntry
{
    int m_nCommand = 0;
    std::string m_strText;
};
