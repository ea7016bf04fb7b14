// "Select Overlay": which curve (or which two curves and operation, or a curve and a constant) is
// stored into which overlay. The caller fills m_values (the lists and the preselections), runs the
// dialog modally and takes m_values after OK.
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

#include "view/OverlayDialogValues.h"

class wxCheckBox;
class wxChoice;
class wxSpinCtrl;
class wxTextCtrl;

class CSelectOverlayDlg : public wxDialog
{
public:
    static constexpr int kIdOverlay = 1101;
    static constexpr int kIdCurve = 1102;
    static constexpr int kIdSecondCurve = 1103;
    static constexpr int kIdOperation = 1104;
    static constexpr int kIdUseConstant = 1105;
    static constexpr int kIdConstant = 1106;

    CSelectOverlayDlg(wxWindow* parent, const SelectOverlayValues& values);

    bool TransferDataToWindow() override;
    // Refuses a constant that is not a number (the dialog stays open).
    bool Validate() override;
    bool TransferDataFromWindow() override;

    SelectOverlayValues m_values;

    wxSpinCtrl* m_pOverlay = nullptr;  // 1 to 10
    wxChoice* m_pCurve = nullptr;
    wxChoice* m_pSecondCurve = nullptr;
    wxChoice* m_pOperation = nullptr;
    wxCheckBox* m_pUseConstant = nullptr;
    wxTextCtrl* m_pConstant = nullptr;
};
