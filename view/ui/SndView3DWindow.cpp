// The measurement window's 3D waterfall window: made, closed and photographed for the view.
#include <wx/toplevel.h>

#include "display/ThreeDWindow.h"
#include "display/ui/AppForm.h"
#include "display/ui/CurveDialogs.h"
#include "view/ui/SndViewWindow.h"

bool CSndViewWindow::Open3DWindow(std::function<void()> closeRequest, std::function<void()> screenshotRequest)
{
    if (m_p3DWindow != nullptr || g_p3DWindow != nullptr)
        return false;
    auto* form =
        new CAppForm(wxGetTopLevelParent(this), {std::move(closeRequest), std::move(screenshotRequest)});
    form->ClearHistory();
    if (form->CreateWindow() < 0)
    {
        form->Close3D();
        return false;
    }
    m_p3DWindow = form;
    return true;
}

void CSndViewWindow::Close3DWindow()
{
    if (m_p3DWindow == nullptr)
        return;
    m_p3DWindow->Close3D();
    m_p3DWindow = nullptr;
}

int CSndViewWindow::Save3DScreenshot(const std::string& path)
{
    return m_p3DWindow != nullptr ? m_p3DWindow->SaveScreenshot(path) : -1;
}

bool CSndViewWindow::EditWaterfallSettings(WaterfallSettingsValues& values)
{
    CScoped3DPause pause;
    CWaterfallSettingsDlg dialog(this);
    dialog.m_bXLog = values.xLog;
    dialog.m_fYMax = values.yMax;
    dialog.m_fYMin = values.yMin;
    dialog.m_fXMax = values.xMax;
    dialog.m_fXMin = values.xMin;
    dialog.m_dStart = values.start;
    dialog.m_dStop = values.stop;
    dialog.m_bYLog = values.yLog;
    dialog.m_bInvert = values.invert;
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values.xLog = dialog.m_bXLog;
    values.yMax = dialog.m_fYMax;
    values.yMin = dialog.m_fYMin;
    values.xMax = dialog.m_fXMax;
    values.xMin = dialog.m_fXMin;
    values.start = dialog.m_dStart;
    values.stop = dialog.m_dStop;
    values.yLog = dialog.m_bYLog;
    values.invert = dialog.m_bInvert;
    return true;
}
