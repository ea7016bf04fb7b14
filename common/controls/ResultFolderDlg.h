// CResultFolderDlg ("Ergebnisse"): the name of a result folder; five buttons put an entry of the
// dialog's name list ("1" ... "5") into the name. It belongs to the measurement window's settings
// dialogs and lives here because AskResultFolder, lower down, shows it.
// User-interface thread only.
#pragma once

#include <array>
#include <string>

#include <wx/dialog.h>

class wxTextCtrl;

class CResultFolderDlg : public wxDialog
{
public:
    static constexpr int kIdName = 335;
    static constexpr int kButtonIds[5] = {257, 260, 1450, 1451, 1452};
    explicit CResultFolderDlg(wxWindow* parent);
    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;
    std::string m_strName;
    std::array<std::string, 5> m_names{"1", "2", "3", "4", "5"};

private:
    wxTextCtrl* m_pName;
};
