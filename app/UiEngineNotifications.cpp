#include "app/UiEngineNotifications.h"

#include "app/MainFrame.h"

#include "app/AnalyzerApp.h"
#include "app/GeneratorPanels.h"
#include "view/SndView.h"
#include "platform/ui/MessageBoxService.h"
#include "platform/ui/UiThread.h"

#include <wx/msgdlg.h>
#include <wx/utils.h>

#include <cstdlib>

void CUiEngineNotifications::ShowMessage(const std::string& text)
{
    platform::ui::ShowMessageBox(text, CAnalyzerApp::kAppName, wxOK | wxICON_EXCLAMATION);
}

void CUiEngineNotifications::FatalError(const std::string& text)
{
    platform::ui::ShowMessageBox(text, CAnalyzerApp::kAppName, wxOK | wxICON_ERROR);
    // Nothing can continue without the measurement buffers; no destructors run on the way out
    // because the caller may be a worker in the middle of an engine operation.
    std::_Exit(-1);
}

void CUiEngineNotifications::SetWaitCursor(bool on)
{
    platform::ui::SendToUi(
        [on]
        {
            if (on)
                wxBeginBusyCursor();
            else if (wxIsBusy())
                wxEndBusyCursor();
        });
}

void CUiEngineNotifications::Pause3DViewer(bool pause)
{
    CSndView::Pause3DViewer(pause ? 1 : 0);
}

bool CUiEngineNotifications::GetMainWindowRect(int& left, int& top, int& right, int& bottom)
{
    CAnalyzerApp* app = CAnalyzerApp::Get();
    if (!app || !app->m_pMainWnd)
        return false;
    const wxRect rect = app->m_pMainWnd->GetScreenRect();
    left = rect.x;
    top = rect.y;
    right = rect.x + rect.width;
    bottom = rect.y + rect.height;
    return true;
}

void CUiEngineNotifications::MoveMainWindow(int left, int top, int width, int height)
{
    if (CAnalyzerApp* app = CAnalyzerApp::Get(); app && app->m_pMainWnd)
    {
        app->m_pMainWnd->SetSize(left, top, width, height);
        app->m_pMainWnd->Refresh();
    }
}

namespace
{
CGeneratorPanels* Panels()
{
    CAnalyzerApp* app = CAnalyzerApp::Get();
    return app && app->m_pMainWnd ? app->m_pMainWnd->GetGeneratorPanels() : nullptr;
}
}  // namespace

void CUiEngineNotifications::CreateGeneratorPanels()
{
    platform::ui::SendToUi(
        []
        {
            if (CGeneratorPanels* panels = Panels())
                panels->CreatePanels();
        });
}

bool CUiEngineNotifications::HasGeneratorPanel(int index)
{
    bool has = false;
    platform::ui::SendToUi(
        [index, &has]
        {
            CGeneratorPanels* panels = Panels();
            has = panels && panels->Get(index) != nullptr;
        });
    return has;
}

void CUiEngineNotifications::ShowGeneratorPanel(int index, const std::string& title)
{
    platform::ui::SendToUi(
        [index, title]
        {
            if (CGeneratorPanels* panels = Panels())
                panels->Show(index, title);
        });
}
