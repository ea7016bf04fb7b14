// The overlay dialogs of a measurement window: "Select Overlay", the "Overlay" question, "Config
// Overlays", the overlay text files' file and format dialogs and "Dynamic Overlays".
#include "view/ui/ConfigOverlaysDlg.h"
#include "view/ui/DynamicOverlayDlg.h"
#include "view/ui/OverlayExistsDlg.h"
#include "view/ui/OverlayFileDlg.h"
#include "view/ui/SelectOverlayDlg.h"
#include "view/ui/SndViewWindow.h"

#include <wx/filedlg.h>

std::string CSndViewWindow::s_strOverlayFileAnswer;

bool CSndViewWindow::SelectOverlay(SelectOverlayValues& values)
{
    CSelectOverlayDlg dialog(this, values);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values = dialog.m_values;
    return true;
}

int CSndViewWindow::AskOverlayExists(int slot)
{
    COverlayExistsDlg dialog(this, slot);
    return dialog.Ask();
}

bool CSndViewWindow::ConfigOverlays(CViewSettings& settings)
{
    CConfigOverlaysDlg dialog(this, settings);
    return dialog.ShowModal() == wxID_OK;
}

bool CSndViewWindow::AskOverlayFile(bool save, std::string& path, OverlayFileValues& values)
{
    if (!s_strOverlayFileAnswer.empty())
    {
        path = s_strOverlayFileAnswer;
    }
    else
    {
        wxFileDialog files(this, save ? "Save" : "Open", wxEmptyString, wxEmptyString,
                           "All text files (*.*)|*",
                           save ? wxFD_SAVE | wxFD_OVERWRITE_PROMPT : wxFD_OPEN | wxFD_FILE_MUST_EXIST);
        if (files.ShowModal() != wxID_OK)
            return false;
        path = files.GetPath().utf8_string();
    }
    if (save)
    {
        CSaveOverlayDlg dialog(this);
        dialog.m_values = values;
        if (dialog.ShowModal() != wxID_OK)
            return false;
        values = dialog.m_values;
    }
    else
    {
        CLoadOverlayDlg dialog(this);
        dialog.m_values = values;
        if (dialog.ShowModal() != wxID_OK)
            return false;
        values = dialog.m_values;
    }
    return true;
}

bool CSndViewWindow::EditDynamicOverlay(DynamicOverlayValues& values)
{
    CDynamicOverlayDlg dialog(this);
    dialog.m_values = values;
    if (dialog.ShowModal() != wxID_OK)
        return false;
    values = dialog.m_values;
    return true;
}
