// The "Page Setup" dialog of a printed measurement window: whether annotations are printed, the
// annotation text and the window title printed with the page.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <string>

class wxCheckBox;
class wxTextCtrl;

class CPageSetupDlg : public wxDialog
{
public:
    static constexpr int kIdPrintAnnotations = 499;
    static constexpr int kIdAnnotation = 501;
    static constexpr int kIdWindowTitle = 502;

    explicit CPageSetupDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_bPrintAnnotations = 0;
    std::string m_strAnnotation;
    std::string m_strWindowTitle;

private:
    wxCheckBox* m_pPrintAnnotations;
    wxTextCtrl* m_pAnnotation;
    wxTextCtrl* m_pWindowTitle;
};
