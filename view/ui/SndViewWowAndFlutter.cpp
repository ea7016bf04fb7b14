// The wow-and-flutter settings dialog and results window of the measurement window.
#include "view/ui/FlutrixDlgs.h"
#include "view/ui/SndViewWindow.h"

bool CSndViewWindow::EditWowAndFlutterSettings(WowAndFlutterSettings& settings,
                                               const std::vector<double>& bandwidths)
{
    CFlutrixSettingsDlg dialog(this, settings, bandwidths);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    settings = dialog.m_settings;
    return true;
}

void CSndViewWindow::ShowWowAndFlutterWindow(bool show)
{
    if (!m_pWowAndFlutter)
        return;
    m_pWowAndFlutter->Show(show);
    if (show)
        m_pWowAndFlutter->Raise();
}

void CSndViewWindow::ShowWowAndFlutterResults(const WowAndFlutterResults& results)
{
    if (m_pWowAndFlutter)
        m_pWowAndFlutter->SetResults(results);
}
