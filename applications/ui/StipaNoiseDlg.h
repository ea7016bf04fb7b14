// CStipaNoiseDlg: the "STI Signal to Noise Ratio (SNR)" table. One row "SNR [dB]" with a cell per
// octave band 125 Hz ... 8 kHz, edited in place; "load" and "save" read and write "sti_snr" files.
// It exchanges the seven texts with its caller; OK and "save" refuse a text that is neither a
// number nor "--", name it and keep the table open.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include <string>
#include <vector>

#include "applications/StiSnrTexts.h"
#include "applications/ui/BandTableGrid.h"

class CStipaNoiseDlg : public wxDialog
{
public:
    static constexpr int kIdSave = 1447;
    static constexpr int kIdLoad = 1448;

    // texts: the seven band texts the table starts with.
    CStipaNoiseDlg(wxWindow* parent, const StiSnrTexts& texts);

    // The band cells into the texts; false (with a message naming the cell) when one of them is
    // neither a number nor "--".
    bool TransferDataFromWindow() override;

    CBandTableGrid* GetGrid() const { return m_pGrid; }
    // The text a band's cell shows.
    std::string GetCellText(int band) const;

    StiSnrTexts m_texts;

private:
    void CopyCellsToTexts();
    void CopyTextsToCells();
    // The first cell that cannot be read is named to the user; false then.
    bool CheckCells();
    void OnLoad(wxCommandEvent& event);
    void OnSave(wxCommandEvent& event);

    CBandTableGrid* m_pGrid = nullptr;
    std::vector<std::string> m_titles;
    // Column 0 the row title, column 1 + k the cell of band k.
    std::array<std::vector<std::string>, CStiBandValues::kFileBands + 1> m_columns;
};
