// "impedance": the measurement resistor in ohm (0.1 .. 100000).
//
// Threads: user-interface thread only.
#pragma once

#include <wx/dialog.h>

class wxTextCtrl;

class CImpedanceDlg : public wxDialog
{
public:
    static constexpr int kIdResistor = 346;

    explicit CImpedanceDlg(wxWindow* parent);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    double m_dResistor = 1000.0;

private:
    wxTextCtrl* m_pResistor;
};
