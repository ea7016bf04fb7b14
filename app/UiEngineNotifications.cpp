#include "app/UiEngineNotifications.h"

#include "app/AnalyzerApp.h"
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

void CUiEngineNotifications::Pause3DViewer(bool) {}
