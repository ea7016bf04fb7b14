// The "Language - Sprache" dialog: one choice among the five languages, each named in itself. The
// language index is the language code (0 English … 4 French); -1 until set.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

class wxRadioBox;

class CLanguageDlg : public wxDialog
{
public:
    static constexpr int kIdLanguages = 134;

    explicit CLanguageDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    int m_nLanguage = -1;

private:
    wxRadioBox* m_pLanguages;
};
