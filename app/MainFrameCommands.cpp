// The handlers of the main frame's own commands: file, edit, view and window.
#include "app/AnalyzerApp.h"
#include "app/ChildFrame.h"
#include "app/CommandHandlers.h"
#include "app/MainFrame.h"
#include "app/SndDoc.h"
#include "applications/ui/RtaLoggerCommands.h"
#include "engine/SoundIn.h"
#include "platform/ui/MdiContainer.h"
#include "view/SndView.h"
#include "view/ui/SndViewPrintout.h"
#include "view/ui/SndViewWindow.h"

#include <wx/filedlg.h>
#include <wx/menu.h>
#include <wx/print.h>
#include <wx/printdlg.h>
#include <wx/statusbr.h>

namespace commands
{

void FileNew(CMainFrame& frame, int)
{
    frame.GetApp().OnFileNew();
}

void FileNewKeepSettings(CMainFrame& frame, int)
{
    CSoundIn* engine = frame.GetApp().m_pEngine;
    if (!engine)
    {
        frame.GetApp().OnFileNew();
        return;
    }
    // A new workspace resets the engine; the calibration and the DC block stay as they were.
    const double gain = engine->m_dCalibrationGain;
    const float offset = engine->m_fCalibrationOffset;
    const int calibration = engine->m_bCalibration;
    const int dcBlock = engine->m_bDcBlock;
    frame.GetApp().OnFileNew();
    engine->m_dCalibrationGain = gain;
    engine->m_fCalibrationOffset = offset;
    engine->m_bCalibration = calibration;
    engine->m_bDcBlock = dcBlock;
}

void FileOpen(CMainFrame& frame, int)
{
    wxFileDialog dialog(&frame, wxString::FromUTF8("Open"), wxEmptyString, wxEmptyString,
                        "Tessarin Settings (*.wst)|*.wst", wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK)
        frame.GetApp().OpenDocumentFile(dialog.GetPath().utf8_string());
}

void FileSave(CMainFrame& frame, int)
{
    frame.GetApp().OnFileSave();
}

void FileSaveAs(CMainFrame& frame, int)
{
    frame.GetApp().OnFileSaveAs();
}

void FileClose(CMainFrame& frame, int)
{
    frame.GetApp().OnFileClose();
}

void OpenRecentFile(CMainFrame& frame, int id)
{
    frame.GetApp().OpenRecentFile(id - command_id::kFileMru1);
}

void UpdateRecentFile(CMainFrame& frame, int id, wxUpdateUIEvent& event)
{
    const int index = id - command_id::kFileMru1;
    const std::vector<std::string> files = frame.GetApp().GetRecentFiles();
    const bool listed = index >= 0 && index < static_cast<int>(files.size());
    event.Enable(listed);
    event.SetText(listed ? wxString::Format("&%i %s", index + 1,
                                            wxString::FromUTF8(files[static_cast<std::size_t>(index)]))
                         : wxString("Recent File"));
}

void FilePrint(CMainFrame& frame, int)
{
    if (CSndViewWindow* window = frame.GetActiveViewWindow())
        window->Print(frame.GetPrintData(), true);
}

void FilePrintPreview(CMainFrame& frame, int)
{
    CSndViewWindow* window = frame.GetActiveViewWindow();
    if (!window)
        return;
    wxPrintDialogData data(frame.GetPrintData());
    auto* preview = new wxPrintPreview(new CSndViewPrintout(window->GetView()),
                                       new CSndViewPrintout(window->GetView()), &data);
    if (!preview->IsOk())
    {
        delete preview;
        frame.GetApp().DoMessageBox("There is no printer to preview the page for.",
                                    wxOK | wxICON_EXCLAMATION);
        return;
    }
    auto* previewFrame =
        new wxPreviewFrame(preview, &frame, "Print Preview", wxDefaultPosition, wxSize(800, 700));
    previewFrame->Initialize();
    previewFrame->Show();
}

void FilePrintSetup(CMainFrame& frame, int)
{
    // The toolkit's printer and paper set-up.
    wxPageSetupDialogData data(frame.GetPrintData());
    wxPageSetupDialog dialog(&frame, &data);
    if (dialog.ShowModal() == wxID_OK)
        frame.GetPrintData() = dialog.GetPageSetupDialogData().GetPrintData();
}

void AppExit(CMainFrame& frame, int)
{
    frame.Close();
}

void EditCopy(CMainFrame& frame, int)
{
    if (CSndViewWindow* window = frame.GetActiveViewWindow())
        window->OnEditCopy();
}

void ViewToolbar(CMainFrame& frame, int)
{
    frame.ShowMainToolbar(!frame.IsToolbarShown(frame.GetToolbarTable()[0]));
}

void UpdateViewToolbar(CMainFrame& frame, int, wxUpdateUIEvent& event)
{
    event.Check(frame.IsToolbarShown(frame.GetToolbarTable()[0]));
}

void ViewStatusBar(CMainFrame& frame, int)
{
    if (wxStatusBar* bar = frame.GetStatusBar())
    {
        bar->Show(!bar->IsShown());
        frame.SendSizeEvent();
    }
}

void UpdateViewStatusBar(CMainFrame& frame, int, wxUpdateUIEvent& event)
{
    event.Check(frame.GetStatusBar() && frame.GetStatusBar()->IsShown());
}

void ExpertMode(CMainFrame& frame, int)
{
    frame.GetApp().OnExpertMode();
}

void UpdateExpertMode(CMainFrame& frame, int, wxUpdateUIEvent& event)
{
    event.Check(frame.GetApp().m_nGuiMode == 0);
}

void WindowNew(CMainFrame& frame, int)
{
    MdiChildFrame* active = frame.GetContainer()->GetActiveChild();
    if (!active)
    {
        frame.GetApp().DoMessageBox("Failed to create empty document.", wxOK);
        return;
    }
    (new CChildFrame(&frame, active->GetTitle() + ":2"))->Show();
}

void WindowCascade(CMainFrame& frame, int)
{
    frame.GetContainer()->Cascade();
}

void WindowTile(CMainFrame& frame, int)
{
    frame.GetContainer()->Tile();
}

void WindowArrange(CMainFrame& frame, int)
{
    frame.GetContainer()->ArrangeIcons();
}

void ToApplicationOrView(CMainFrame& frame, int id)
{
    CSndView* view = frame.GetActiveView();
    if (view && !CRtaLoggerCommands::OnCommand(*view, id))
        view->OnCommand(id);
}

void UpdateApplicationOrViewCommand(CMainFrame& frame, int id, wxUpdateUIEvent& event)
{
    CSndView* view = frame.GetActiveView();
    bool enabled = false;
    bool checked = false;
    if (view && !CRtaLoggerCommands::OnUpdateCommand(*view, id, enabled, checked))
    {
        enabled = view->IsCommandEnabled(id);
        checked = view->IsCommandChecked(id);
    }
    event.Enable(enabled);
    if (event.IsCheckable())
        event.Check(checked);
}

void ToActiveView(CMainFrame& frame, int id)
{
    if (CSndView* view = frame.GetActiveView())
        view->OnCommand(id);
}

void UpdateActiveViewCommand(CMainFrame& frame, int id, wxUpdateUIEvent& event)
{
    CSndView* view = frame.GetActiveView();
    event.Enable(!view || view->IsCommandEnabled(id));
    if (view && event.IsCheckable())
        event.Check(view->IsCommandChecked(id));
}

}  // namespace commands
