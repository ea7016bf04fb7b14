// CResultsDlg: the modal "Results" window: a grid with the x value and every curve's value at each
// point (or marker), and "copy to clipboard" of the whole table, optionally transposed, with the
// engine's decimal comma.
//
// Threads: user-interface thread only.
#pragma once

#include <string>
#include <vector>

#include <wx/dialog.h>

#include "view/ResultTexts.h"

class CResultsGrid;
class wxCheckBox;

class CResultsDlg : public wxDialog
{
public:
    static constexpr int kIdCopy = 480;
    static constexpr int kIdTranspose = 633;
    static constexpr int kIdGrid = 1;

    // The table's value source must stay valid while the window is open.
    CResultsDlg(wxWindow* parent, const ResultsTable& table, bool decimalComma);
    ~CResultsDlg() override;

    // "copy to clipboard": the table as text on the clipboard; false when the clipboard refused it.
    bool OnCopy();
    // The text the copy puts on the clipboard with the transpose check as it is.
    std::string CopyText() const;

    CResultsGrid* GetGrid() const { return m_pGrid; }
    wxCheckBox* GetTransposeCheck() const { return m_pTranspose; }

private:
    static double CellValue(void* context, int column, int row);

    ResultsTable m_table;
    bool m_bDecimalComma = false;
    CResultsGrid* m_pGrid = nullptr;
    wxCheckBox* m_pTranspose = nullptr;
};
