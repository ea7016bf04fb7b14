// "Overlay": the question asked when a curve goes into an overlay that already holds one: overwrite
// it, or add, subtract or average the new curve into it.
//
// Threads: user-interface thread only.
#pragma once

#include <array>

#include <wx/dialog.h>

#include "view/OverlayDialogValues.h"

class wxRadioButton;

class COverlayExistsDlg : public wxDialog
{
public:
    static constexpr int kIdQuestion = 1111;
    static constexpr int kIdFirstChoice = 1112;  // overwrite, add, subtract, average

    // The slot is 0-based; the question names it from 1.
    COverlayExistsDlg(wxWindow* parent, int slot);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    // Runs the dialog: the choice made, or kOverlayCancel.
    int Ask();

    int m_nChoice = kOverlayOverwrite;
    std::array<wxRadioButton*, 4> m_pChoices{};
};
