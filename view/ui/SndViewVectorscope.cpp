// The vectorscope settings dialog of the measurement window.
#include "display/settings/VectorscopeSettings.h"
#include "display/ui/CurveDialogs.h"
#include "view/ui/SndViewWindow.h"

std::function<bool(CVectorscope_settings& settings)> CSndViewWindow::s_fnVectorscopeAnswer;

bool CSndViewWindow::EditVectorscope(CVectorscope_settings& settings)
{
    if (s_fnVectorscopeAnswer)
        return s_fnVectorscopeAnswer(settings);
    CVectorscopeSettingsDlg dialog(this);
    dialog.m_dFreeAngle = settings.m_dFreeAngle;
    dialog.m_dDecay = settings.m_dDecay;
    dialog.m_nDepth = settings.m_nHistoryDepth;
    dialog.m_nRotation = settings.m_nRotation;
    dialog.m_nStyle = settings.m_nStyle;
    dialog.m_bActive = settings.m_bActive;
    if (dialog.ShowModal() != wxID_OK)
        return false;
    settings.m_dFreeAngle = dialog.m_dFreeAngle;
    settings.m_dDecay = dialog.m_dDecay;
    settings.m_nHistoryDepth = dialog.m_nDepth;
    settings.m_nRotation = dialog.m_nRotation;
    settings.m_nStyle = dialog.m_nStyle;
    settings.m_bActive = dialog.m_bActive;
    return true;
}
